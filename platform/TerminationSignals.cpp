#include "platform/TerminationSignals.h"

#include "engines/SignalHandlers.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};

void Handler(int signal)
{
    const int saved = errno;
    const char number = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &number, 1); // full pipe: one is enough
    errno = saved;
}

} // namespace

TTerminationSignals::TTerminationSignals(QObject *parent) : QObject(parent)
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without a pipe the signals keep their default effect
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TTerminationSignals::ReadPipe);
    for (const int signal : TerminationSignalNumbers)
        SetSignalHandler(signal, Handler);
}

TTerminationSignals::~TTerminationSignals()
{
    if (!m_notifier)
        return;
    for (const int signal : TerminationSignalNumbers)
        SetSignalHandler(signal, SIG_DFL);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TTerminationSignals::ReadPipe()
{
    char numbers[16];
    const ssize_t count = ::read(g_pipe[0], numbers, sizeof numbers);
    for (ssize_t i = 0; i < count; ++i)
        emit received(numbers[i]);
}
