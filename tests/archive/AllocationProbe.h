#pragma once
// Records the largest single request made to operator new, so tests can show
// that a hostile size is refused before any large buffer is allocated.

#include <cstddef>

void ResetLargestAllocation();
size_t LargestAllocation();
