#pragma once
// TCancelOnSignal: while it lives, Ctrl+C (SIGINT), SIGTERM and SIGHUP
// cancel a job instead of ending the program at once: an extraction then
// stops between two files and removes the files it prepared ahead of its
// turn, so nothing it has not reported stays behind. Afterwards EndBySignal
// ends the program by the signal that came, as a shell expects of it. One
// object at a time; destroying it restores the default handlers.

#include "engines/Job.h"

class TCancelOnSignal {
public:
    explicit TCancelOnSignal(TJob &job);
    ~TCancelOnSignal();
    TCancelOnSignal(const TCancelOnSignal &) = delete;
    TCancelOnSignal &operator=(const TCancelOnSignal &) = delete;

    // The signal that cancelled the job; 0 while none came.
    int Received() const;
    // Ends the program by the signal that came, with the signal's default
    // effect; returns at once when none came.
    void EndBySignal();
};
