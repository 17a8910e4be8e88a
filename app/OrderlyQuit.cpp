#include "app/OrderlyQuit.h"

#include "extract/JobRunner.h"

#include <QApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int RetryMilliseconds = 100;

bool AnyWindowShown()
{
    for (const QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            return true;
    return false;
}

// One step; the next one follows shortly while a window is left.
void CloseWindows()
{
    TJobRunner::CancelRunningJob();
    if (QWidget *modal = QApplication::activeModalWidget()) {
        modal->close();
        QTimer::singleShot(RetryMilliseconds, qApp, &CloseWindows);
        return;
    }
    QApplication::closeAllWindows();
    // Before the event loop runs (a signal during start-up) there is no loop
    // to end yet, and the main window is still to come.
    if (AnyWindowShown() || QThread::currentThread()->loopLevel() == 0)
        QTimer::singleShot(RetryMilliseconds, qApp, &CloseWindows);
    else
        QCoreApplication::exit(0);
}

} // namespace

void QuitInOrder()
{
    static bool started = false; // a second signal joins the quit under way
    if (started)
        return;
    started = true;
    CloseWindows();
}
