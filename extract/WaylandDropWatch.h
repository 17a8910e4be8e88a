#pragma once
// Tells the dragged data when a Wayland compositor has handed the drop to
// the target. The source hears of it only through wl_data_source's
// dnd_drop_performed event, which Qt's Wayland plug-in turns into its data
// source's dndDropped signal and keeps to itself: the drag loop and the
// button state it reports go on as if the button were still held until the
// target has read the data. The watch listens for that one signal through
// QtCore's signal-spy hook while a drag runs.
//
// Where the signal never comes (another platform plug-in, or a Qt that
// reports the drop otherwise), nothing is noted: requests during the drag
// then write nothing, and a request after the drag loop has ended writes as
// before.

#include <QPointer>

#include <functional>

class QObject;

class TWaylandDropWatch {
public:
    // Watches from construction to destruction; one watch at a time (a drag
    // is modal), on the thread that runs the drag. delivered: called when
    // the compositor reports an accepted drop, while owner is alive.
    TWaylandDropWatch(QObject *owner, std::function<void()> delivered);
    ~TWaylandDropWatch();
    TWaylandDropWatch(const TWaylandDropWatch &) = delete;
    TWaylandDropWatch &operator=(const TWaylandDropWatch &) = delete;

    // Qt's class for the source side of a Wayland drag, and its signal.
    static const char *SourceClass() { return "QtWaylandClient::QWaylandDataSource"; }
    static const char *DroppedSignal() { return "dndDropped(bool,Qt::DropAction)"; }

private:
    static void SignalBegins(QObject *caller, int signalIndex, void **argv);
    void Seen(QObject *caller, int signalIndex, void **argv);

    QPointer<QObject> m_owner;
    std::function<void()> m_delivered;
};
