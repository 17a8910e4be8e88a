#include "vorn/Error.h"

namespace vorn {

// The destructors are defined here so that each class's type information
// lives in the library, and catching works across it.
Error::Error(const std::string &message) : std::runtime_error(message) {}
Error::~Error() = default;
OpenError::~OpenError() = default;
NotFoundError::~NotFoundError() = default;
DecodeError::~DecodeError() = default;
ExtractError::~ExtractError() = default;

} // namespace vorn
