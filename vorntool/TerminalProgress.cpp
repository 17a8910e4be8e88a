#include "vorntool/TerminalProgress.h"

#include <chrono>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

size_t TerminalWidth(std::FILE *stream)
{
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 10)
        return size.ws_col - 1; // the last column would wrap on some terminals
    return 79;
}

std::string Megabytes(uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(bytes) / 1e6);
    return text;
}

} // namespace

bool IsTerminal(std::FILE *stream)
{
    return ::isatty(::fileno(stream)) == 1;
}

TTerminalProgress::TTerminalProgress(const TJob &job, std::FILE *stream, bool show)
    : m_Job(job), m_Stream(stream), m_Show(show)
{
    if (m_Show)
        m_Thread = std::thread([this] { Loop(); });
}

TTerminalProgress::~TTerminalProgress()
{
    if (!m_Show)
        return;
    {
        std::lock_guard lock(m_Mutex);
        m_Stop = true;
    }
    m_Wake.notify_all();
    m_Thread.join();
    Clear();
}

std::string TTerminalProgress::Line(const TJobProgress &progress, double seconds, size_t width)
{
    std::string line = std::to_string(progress.EntriesDone) + "/" + std::to_string(progress.EntriesTotal) +
                       " files, " + Megabytes(progress.BytesDone) + "/" + Megabytes(progress.BytesTotal) + " MB";
    if (seconds > 0.5 && progress.BytesDone > 0) {
        const double rate = double(progress.BytesDone) / seconds;
        line += ", " + Megabytes(uint64_t(rate)) + " MB/s";
        if (progress.BytesTotal > progress.BytesDone)
            line += ", " + std::to_string(uint64_t(double(progress.BytesTotal - progress.BytesDone) / rate + 0.5)) +
                    " s left";
    }
    if (progress.Failures > 0)
        line += ", " + std::to_string(progress.Failures) + " failed";
    if (!progress.Current.empty())
        line += "  " + progress.Current;
    if (line.size() > width)
        line.resize(width); // a cut UTF-8 character only spoils the last column
    return line;
}

void TTerminalProgress::Loop()
{
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock lock(m_Mutex);
    while (!m_Wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_Stop; })) {
        if (m_Paused)
            continue;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(m_Stream, "\r\33[K%s", Line(m_Job.Progress(), seconds, TerminalWidth(m_Stream)).c_str());
        std::fflush(m_Stream);
        m_Drawn = true;
    }
}

void TTerminalProgress::Clear()
{
    if (m_Drawn) {
        std::fputs("\r\33[K", m_Stream);
        m_Drawn = false;
    }
}

void TTerminalProgress::Print(const std::string &line)
{
    std::lock_guard lock(m_Mutex);
    Clear();
    std::fprintf(m_Stream, "%s\n", line.c_str());
    std::fflush(m_Stream);
}

void TTerminalProgress::Pause()
{
    std::lock_guard lock(m_Mutex);
    Clear();
    m_Paused = true;
}

void TTerminalProgress::Resume()
{
    std::lock_guard lock(m_Mutex);
    m_Paused = false;
}
