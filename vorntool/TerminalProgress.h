#pragma once
// TTerminalProgress: a one-line progress display of a job on a terminal,
// redrawn a few times a second from a thread of its own and wiped when the
// job ends. When the stream is not a terminal it shows nothing at all, so
// piped or redirected output stays exactly as it was.

#include "engines/Job.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

class TTerminalProgress {
public:
    // Shows the job's progress on `stream` when `show` is true (usually:
    // the stream is a terminal).
    TTerminalProgress(const TJob &job, std::FILE *stream, bool show);
    ~TTerminalProgress();
    TTerminalProgress(const TTerminalProgress &) = delete;
    TTerminalProgress &operator=(const TTerminalProgress &) = delete;

    // Writes a line of text to the stream without mixing it into the
    // progress line, which is redrawn below it.
    void Print(const std::string &line);
    // Wipes the line and stops redrawing it until Resume(), e.g. while a
    // question waits for an answer on the terminal.
    void Pause();
    void Resume();

    // The progress line for a moment of a job, at most `width` characters.
    static std::string Line(const TJobProgress &progress, double seconds, size_t width);

private:
    void Loop();
    void Clear();

    const TJob &m_Job;
    std::FILE *m_Stream;
    bool m_Show;
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    bool m_Stop = false;
    bool m_Drawn = false;
    bool m_Paused = false;
    std::thread m_Thread;
};

// True when the stream is a terminal.
bool IsTerminal(std::FILE *stream);
