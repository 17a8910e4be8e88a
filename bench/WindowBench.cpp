#include "bench/WindowBench.h"

#include "browser/find/FindBar.h"
#include "browser/find/FindController.h"
#include "browser/find/SearchResultModel.h"

#include <QApplication>
#include <QLineEdit>

#include <algorithm>

TStallWatch::TStallWatch()
{
    m_Timer.setInterval(10);
    m_Timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_Timer, &QTimer::timeout, [this] {
        const double now = Now();
        if (now - m_Last > m_Longest) {
            m_Longest = now - m_Last;
            m_EventsInLongest = m_Events;
        }
        m_Last = now;
        m_Events = 0;
    });
    m_Clock.start();
}

void TStallWatch::Start()
{
    m_Longest = 0;
    m_Events = 0;
    m_EventsInLongest = 0;
    m_Last = Now();
    m_Timer.start();
}

double TStallWatch::Stop()
{
    m_Timer.stop();
    return std::max(m_Longest, Now() - m_Last);
}

double RunUntil(TStallWatch &watch, const std::function<bool()> &done, double settle)
{
    // It waits for events as an idle window does (the 10 ms timer wakes it),
    // so a worker does not compete with a spinning window thread.
    const double start = watch.Now();
    while (!done())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double took = watch.Now() - start;
    for (const double end = watch.Now() + settle; watch.Now() < end;)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return took;
}

std::unique_ptr<TfrmMain> MakeBenchWindow(TRecordingSeam &seam)
{
    EnsureApplication();
    auto window = std::make_unique<TfrmMain>(QStringList{}, &seam);
    window->resize(1000, 700);
    window->show();
    QApplication::processEvents();
    return window;
}

TKeystroke TypeIntoFindBar(TfrmMain &window, TStallWatch &watch, const char *text, double settle)
{
    TFindController *find = window.Find();
    const QMetaObject::Connection counting =
        QObject::connect(find->Results(), &QAbstractItemModel::rowsInserted, [&watch] { watch.Count(); });
    watch.Start();
    bool typed = false;
    QTimer::singleShot(0, &window, [&] {
        find->Bar()->Field()->setText(QString::fromLatin1(text));
        emit find->Bar()->textEdited(QString::fromLatin1(text));
        typed = true;
    });
    TKeystroke result;
    result.Done = RunUntil(watch, [&] { return typed && !find->Searching(); }, settle);
    result.Longest = watch.Stop();
    result.Rows = find->Results()->Rows().size();
    result.BatchesInLongest = watch.EventsInLongest();
    QObject::disconnect(counting);
    return result;
}
