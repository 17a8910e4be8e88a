#pragma once
// TJobRunner: runs an engine on a worker thread while the window's thread
// keeps handling events -- repaints, resizes, menus -- and shows the job's
// progress window once the work takes longer than a moment. The engine's
// questions are answered on the window's thread while the worker waits.
// Only one job runs at a time (TJobGuard on the session's TBusyFlag).

#include "engines/Job.h"
#include "extract/BusyFlag.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;
class TfrmJobProgress;

class TJobRunner : public QObject {
    Q_OBJECT
public:
    TJobRunner(QWidget *parent, TJob &job, QString title);
    ~TJobRunner() override;

    // Milliseconds before a job's progress window appears, so that short
    // jobs don't flash one (tests use 0).
    static int ProgressDelay;

    // Cancels the job that runs now, if any (the program is asked to end).
    static void CancelRunningJob();

    // Runs `work` on a worker thread and returns once it has ended, raising
    // the error it raised. Meanwhile pending events of the given kinds run.
    void Run(const std::function<void()> &work, QEventLoop::ProcessEventsFlags events = QEventLoop::AllEvents);

    // From the worker: runs `call` on the window's thread and waits for it;
    // its error is raised on the worker. Called on the window's thread, it
    // runs at once.
    void CallOnWindowThread(const std::function<void()> &call);
    // From the worker: runs `call` on the window's thread soon, without
    // waiting. Calls keep their order, also against the end of the run.
    void Post(std::function<void()> call);

private:
    void ShowProgress();

    QPointer<QWidget> m_Parent;
    TJob &m_Job;
    QString m_Title;
    TfrmJobProgress *m_Progress = nullptr;
    QElapsedTimer m_Clock; // since the work started
};

// Busy with the hourglass for the time of a job: set when made, restored
// however the job ends. Whoever starts a job asks the flag's Busy() first.
class TJobGuard {
public:
    explicit TJobGuard(TBusyFlag &busy);
    ~TJobGuard();
    TJobGuard(const TJobGuard &) = delete;
    TJobGuard &operator=(const TJobGuard &) = delete;

private:
    TBusyFlag::TScope m_Busy;
};
