#pragma once
// The signals with which a user or the system ends a program -- Ctrl+C in a
// terminal (SIGINT), kill and shutdown (SIGTERM), the session's end (SIGHUP)
// -- and installing a plain handler for one of them.

#include <csignal>

inline constexpr int TerminationSignalNumbers[] = {SIGINT, SIGTERM, SIGHUP};

// Installs `handler` (or SIG_DFL) for `signal`, restarting interrupted
// system calls.
void SetSignalHandler(int signal, void (*handler)(int));
