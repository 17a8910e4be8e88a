#pragma once
// The core raises its own Exception; at the library's border it becomes the
// vorn::Error subclass that says what kind of failure it was.

#include "vorn/Error.h"

#include "archive/Exceptions.h"

#include <utility>

namespace vorn {

// Runs `work`, turning the core's exceptions into `Kind` with the same message.
template <typename Kind, typename Work>
auto Translated(Work &&work) -> decltype(work())
{
    try {
        return std::forward<Work>(work)();
    } catch (const ::Exception &error) {
        throw Kind(error.what());
    }
}

} // namespace vorn
