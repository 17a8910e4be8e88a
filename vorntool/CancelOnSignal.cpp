#include "vorntool/CancelOnSignal.h"

#include "engines/SignalHandlers.h"

#include <atomic>

namespace {

std::atomic<TJob *> g_job{nullptr};
volatile std::sig_atomic_t g_received = 0;

void Handler(int signal)
{
    g_received = signal;
    if (TJob *job = g_job.load())
        job->Cancel(); // an atomic store: safe in a handler
}

} // namespace

TCancelOnSignal::TCancelOnSignal(TJob &job)
{
    g_received = 0;
    g_job.store(&job);
    for (const int signal : TerminationSignalNumbers)
        SetSignalHandler(signal, Handler);
}

TCancelOnSignal::~TCancelOnSignal()
{
    for (const int signal : TerminationSignalNumbers)
        SetSignalHandler(signal, SIG_DFL);
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
    SetSignalHandler(signal, SIG_DFL);
    std::raise(signal);
}
