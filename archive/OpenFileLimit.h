#pragma once
// The process's limit on open files. A program that keeps many archives open
// raises it at start and keeps a reserve of descriptors for everything else
// (the window system, extraction's folders and staged files), so one archive
// too many is an ordinary error rather than a failure somewhere else.

// Raises the soft limit on open files to the hard limit.
void RaiseOpenFileLimit();

// True when the descriptor lies in the reserve: fewer than a quarter of the
// limit, at most 128, are free above it.
bool InOpenFileReserve(int handle);
