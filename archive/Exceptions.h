#pragma once
// Exception classes of the program. Every failure carries the English message
// that is shown to the user as it is.

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string &message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

// The zlib decoder stopped before the end of its stream.
class EZlibError : public Exception {
public:
    using Exception::Exception;
};

// The zlib decoder reported an error code.
class EDecompressionError : public Exception {
public:
    using Exception::Exception;
};

// A silent abort: ends a command without any message to the user.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// printf-style formatting into a std::string.
std::string FormatStr(const char *format, ...) __attribute__((format(printf, 1, 2)));
