#include "extract/WaylandDropWatch.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QObject>
#include <QThread>

#include <atomic>
#include <cstring>

// QtCore's hook for watching signals (exported; QtTest's signal dumper uses
// it). Declared here as QtCore declares it: begin and end callbacks for
// signals and slots, the sender and its signal index.
struct QSignalSpyCallbackSet {
    using BeginCallback = void (*)(QObject *caller, int signalOrMethodIndex, void **argv);
    using EndCallback = void (*)(QObject *caller, int signalOrMethodIndex);
    BeginCallback signal_begin_callback;
    BeginCallback slot_begin_callback;
    EndCallback signal_end_callback;
    EndCallback slot_end_callback;
};
Q_CORE_EXPORT void qt_register_signal_spy_callbacks(QSignalSpyCallbackSet *callbackSet);
extern Q_CORE_EXPORT QBasicAtomicPointer<QSignalSpyCallbackSet> qt_signal_spy_callback_set;

namespace {

std::atomic<TWaylandDropWatch *> ActiveWatch{nullptr};
// Hooks set before the watch (QtTest's signal dumper) keep being called.
std::atomic<QSignalSpyCallbackSet *> PreviousHooks{nullptr};
QSignalSpyCallbackSet Hooks{};

// QtCore numbers signals apart from other methods, base classes first, and
// each class lists its signals before its other methods: a signal's number
// is the count of signals before it among the methods.
int SignalNumber(const QMetaObject *meta, int methodIndex)
{
    int number = 0;
    for (int i = 0; i < methodIndex; ++i) {
        if (meta->method(i).methodType() == QMetaMethod::Signal)
            ++number;
    }
    return number;
}

} // namespace

TWaylandDropWatch::TWaylandDropWatch(QObject *owner, std::function<void()> delivered)
    : m_owner(owner), m_delivered(std::move(delivered))
{
    QSignalSpyCallbackSet *previous = qt_signal_spy_callback_set.loadAcquire();
    PreviousHooks.store(previous);
    Hooks = previous ? *previous : QSignalSpyCallbackSet{};
    Hooks.signal_begin_callback = &TWaylandDropWatch::SignalBegins;
    ActiveWatch.store(this);
    qt_register_signal_spy_callbacks(&Hooks);
}

TWaylandDropWatch::~TWaylandDropWatch()
{
    qt_register_signal_spy_callbacks(PreviousHooks.load());
    ActiveWatch.store(nullptr);
}

void TWaylandDropWatch::SignalBegins(QObject *caller, int signalIndex, void **argv)
{
    // Every signal of every thread passes here while the watch is on: the
    // drag's own signals come on the thread that runs it, and only there is
    // the watch touched.
    const QSignalSpyCallbackSet *previous = PreviousHooks.load();
    if (previous && previous->signal_begin_callback)
        previous->signal_begin_callback(caller, signalIndex, argv);
    TWaylandDropWatch *watch = ActiveWatch.load();
    if (watch && caller && QThread::currentThread() == QCoreApplication::instance()->thread())
        watch->Seen(caller, signalIndex, argv);
}

void TWaylandDropWatch::Seen(QObject *caller, int signalIndex, void **argv)
{
    const QMetaObject *meta = caller->metaObject();
    if (!m_owner || std::strcmp(meta->className(), SourceClass()) != 0)
        return;
    const int method = meta->indexOfSignal(DroppedSignal());
    if (method < 0 || SignalNumber(meta, method) != signalIndex || !argv || !argv[1])
        return;
    // dndDropped(accepted, action): a drop the target did not accept is
    // cancelled and nobody asks for the data.
    if (*static_cast<const bool *>(argv[1]))
        m_delivered();
}
