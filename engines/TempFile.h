#pragma once
// Helpers for writing a finished file before it is put in place under its
// real name.

#include "archive/FileBuffer.h"
#include "archive/vmVornFileDef.h"

#include <string>

// A hidden name of our own that no archive entry or other run is likely to
// use: the process, a random number drawn once and a counter. Thread-safe.
std::string NewTempName();

// Writes all the bytes to `handle`; raises with `target`, the file's final
// path, in the message.
void WriteAll(int handle, const uint8_t *bytes, size_t size, const std::string &target);
// Stamps the file with the FILETIME taken as local time (DOS precision; a
// time outside the DOS range leaves the system's time).
void Stamp(int handle, TFileTime time);


// Raises "Cannot create file "<path>". <reason>".
[[noreturn]] void ThrowCreateError(const std::string &path, int error);
