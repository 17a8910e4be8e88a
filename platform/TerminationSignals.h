#pragma once
// TTerminationSignals: turns the signals with which the system ends a
// program -- SIGTERM (shutdown, kill), SIGHUP (the session ends), SIGINT
// (Ctrl+C in a terminal) -- into a Qt signal on the thread of the event loop,
// so that the program can end the ordinary way: windows closed, objects
// destroyed, temporary folders removed. The handler itself only writes the
// signal's number to a pipe that a socket notifier watches. One object at a
// time; destroying it restores the default handlers.

#include <QObject>

class QSocketNotifier;

class TTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TTerminationSignals(QObject *parent = nullptr);
    ~TTerminationSignals() override;

signals:
    void received(int signal);

private:
    void ReadPipe();

    QSocketNotifier *m_notifier = nullptr;
};
