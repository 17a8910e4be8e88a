#include "extract/JobRunner.h"

#include "extract/FormJobProgress.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <thread>
#include <utility>

namespace {

TJob *g_RunningJob = nullptr; // while Run waits for its worker

} // namespace

int TJobRunner::ProgressDelay = 400;

void TJobRunner::CancelRunningJob()
{
    if (g_RunningJob)
        g_RunningJob->Cancel();
}

TJobGuard::TJobGuard(TBusyFlag &busy) : m_Busy(busy)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TJobGuard::~TJobGuard()
{
    QApplication::restoreOverrideCursor();
}

TJobRunner::TJobRunner(QWidget *parent, TJob &job, QString title)
    : m_Parent(parent), m_Job(job), m_Title(std::move(title))
{
}

TJobRunner::~TJobRunner()
{
    delete m_Progress;
}

void TJobRunner::Run(const std::function<void()> &work, QEventLoop::ProcessEventsFlags events)
{
    QEventLoop loop;
    std::exception_ptr error;
    m_Clock.start();
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        // Posted after everything the work posted, so that runs first.
        Post([&loop] { loop.quit(); });
    });
    QTimer appear;
    appear.setSingleShot(true);
    connect(&appear, &QTimer::timeout, this, &TJobRunner::ShowProgress);
    appear.start(ProgressDelay);
    TJob *const outer = std::exchange(g_RunningJob, &m_Job);
    loop.exec(events);
    g_RunningJob = outer;
    worker.join();
    if (m_Progress)
        m_Progress->hide();
    if (error)
        std::rethrow_exception(error);
}

void TJobRunner::ShowProgress()
{
    if (!m_Progress)
        m_Progress = new TfrmJobProgress(m_Parent, m_Job, m_Title);
    m_Progress->Start(m_Clock);
}

void TJobRunner::CallOnWindowThread(const std::function<void()> &call)
{
    if (QThread::currentThread() == thread()) {
        call();
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        this,
        [&] {
            try {
                call();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
}

void TJobRunner::Post(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}
