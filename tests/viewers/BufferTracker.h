#pragma once
// Watches one block allocated with new[] and counts how often it is freed.
// The watched block is never really freed while watched, so its address can't
// be reused and a second free is counted, not missed.

#include <cstddef>

namespace BufferTracker {

void Watch(const void *block);
int FreesOf(const void *block);
// Stops watching; frees the block if it was freed (once) while watched.
void Unwatch();

} // namespace BufferTracker
