#include "vorntool/CancelOnSignal.h"

#include <atomic>
#include <csignal>

namespace {

constexpr int HandledSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<TJob *> g_job{nullptr};
volatile std::sig_atomic_t g_received = 0;

void Handler(int signal)
{
    g_received = signal;
    if (TJob *job = g_job.load())
        job->Cancel(); // an atomic store: safe in a handler
}

void SetHandler(int signal, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

TCancelOnSignal::TCancelOnSignal(TJob &job)
{
    g_received = 0;
    g_job.store(&job);
    for (const int signal : HandledSignals)
        SetHandler(signal, Handler);
}

TCancelOnSignal::~TCancelOnSignal()
{
    for (const int signal : HandledSignals)
        SetHandler(signal, SIG_DFL);
    g_job.store(nullptr);
}

int TCancelOnSignal::Received() const
{
    return g_received;
}

void TCancelOnSignal::EndBySignal()
{
    const int signal = g_received;
    if (signal == 0)
        return;
    SetHandler(signal, SIG_DFL);
    std::raise(signal);
}
