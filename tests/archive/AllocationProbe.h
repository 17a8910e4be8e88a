#pragma once
// Records the largest single request made to operator new, so tests can show
// that a hostile size is refused before any large buffer is allocated, and
// the most memory held through operator new at once.

#include <cstddef>

void ResetLargestAllocation();
size_t LargestAllocation();

// Bytes held through operator new now, and the most held since the last reset.
size_t HeldBytes();
void ResetPeakHeldBytes();
size_t PeakHeldBytes();
