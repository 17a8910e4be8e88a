#pragma once
// The exceptions libvorn throws. what() is the message vorntool prints for
// the same failure.

#include "vorn/Export.h"

#include <stdexcept>
#include <string>

namespace vorn {

// Base of every failure the library reports.
class VORN_API Error : public std::runtime_error {
public:
    explicit Error(const std::string &message);
    ~Error() override;
};

// The archive can't be opened, or its header or index is damaged.
class VORN_API OpenError : public Error {
public:
    using Error::Error;
    ~OpenError() override;
};

// No entry has the path that was asked for, or it is of the wrong kind.
class VORN_API NotFoundError : public Error {
public:
    using Error::Error;
    ~NotFoundError() override;
};

// A file's data can't be decoded or fails its CRC-32 or size check.
class VORN_API DecodeError : public Error {
public:
    using Error::Error;
    ~DecodeError() override;
};

// Some files of an extraction could not be written; the others were.
class VORN_API ExtractError : public Error {
public:
    using Error::Error;
    ~ExtractError() override;
};

} // namespace vorn
