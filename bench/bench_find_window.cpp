// Timings of find in the main window on a million entries: the result rows
// arriving and painted while a search runs, the window's longest stall per
// keystroke (broad ones over every name, narrowing ones, and keys typed
// faster than a search ends), and memory per result row.
// Run by hand: QT_QPA_PLATFORM=offscreen bench_find_window ARCHIVE
// (ARCHIVE from "bench_find make OUTDIR": OUTDIR/names.vmres).

#include "bench/WindowBench.h"
#include "browser/DetailsView.h"
#include "browser/FileListView.h"
#include "browser/find/FindBar.h"
#include "browser/find/FindController.h"
#include "browser/find/SearchResultModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTreeView>

#include <cstdio>
#include <iterator>
#include <malloc.h>

namespace {

// Notes when the list's rows first arrive and are first painted.
class TPaintWatch : public QObject {
public:
    TPaintWatch(QAbstractItemView *view, QAbstractItemModel *model, QElapsedTimer &clock)
        : m_View(view), m_Clock(clock)
    {
        view->viewport()->installEventFilter(this);
        connect(model, &QAbstractItemModel::rowsInserted, this, [this] {
            if (firstRows < 0)
                firstRows = Now();
        });
    }
    void Reset()
    {
        firstRows = -1;
        firstPaint = -1;
    }
    double firstRows = -1;
    double firstPaint = -1;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && firstPaint < 0 && m_View->model()->rowCount() > 0)
            firstPaint = Now();
        return false;
    }

private:
    double Now() const { return double(m_Clock.nsecsElapsed()) / 1e6; }
    QAbstractItemView *m_View;
    QElapsedTimer &m_Clock;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: bench_find_window ARCHIVE\n", stderr);
        return 2;
    }
    TRecordingSeam seam;
    const std::unique_ptr<TfrmMain> owned = MakeBenchWindow(seam);
    TfrmMain &window = *owned;
    window.OpenFile(QString::fromLocal8Bit(argv[1]));
    QApplication::processEvents();
    TFindController *find = window.Find();
    QElapsedTimer clock;
    TPaintWatch watch(window.lsvMain->DetailsView(), find->Results(), clock);
    TStallWatch stalls;

    auto run = [&](const char *what, const QString &text, bool type) {
        watch.Reset();
        stalls.Start();
        const double heap = double(mallinfo2().uordblks);
        clock.start();
        if (type) {
            find->Bar()->Field()->setText(text);
            emit find->Bar()->textEdited(text);
        } else {
            TFindCriteria criteria;
            criteria.Name = text.toStdString();
            find->Search(criteria, TFindScope::AllArchives);
        }
        find->WaitForSearch();
        const double done = double(clock.nsecsElapsed()) / 1e6;
        QApplication::processEvents();
        const double longest = stalls.Stop();
        const size_t rows = find->Results()->Rows().size();
        std::printf("%-28s %8zu rows  first rows %7.1f ms  first paint %7.1f ms  done %7.1f ms  longest stall %6.1f ms"
                    "  heap %+.1f MB\n",
                    what, rows, watch.firstRows, watch.firstPaint, done, longest,
                    (double(mallinfo2().uordblks) - heap) / 1e6);
    };
    run("first search (builds index)", QStringLiteral("stone12"), false);
    run("search 'tex' (999,000 rows)", QStringLiteral("tex"), false);
    run("search 'e' (1,000,000 rows)", QStringLiteral("e"), false);
    for (const char *text : {"s", "st", "sto", "ston", "stone", "stone1", "stone12"})
        run((std::string("typed '") + text + "'").c_str(), QString::fromLatin1(text), true);

    // Broad keystrokes, each a search over every name, typed from the event
    // loop; the longest stall is how long the window could not answer.
    std::printf("\nbroad keystrokes over every name (from the event loop):\n");
    for (const char *text : {"e", "", "e", "t", "te", "tex", "x", "_", "s", "", "e"}) {
        const TKeystroke key = TypeIntoFindBar(window, stalls, text);
        std::printf("typed '%-8s %8zu rows  done %7.1f ms  longest stall %6.1f ms  (%zu batches in it)\n",
                    (std::string(text) + "'").c_str(), key.Rows, key.Done, key.Longest, key.BatchesInLongest);
    }
    // Keys faster than a search ends: each cancels the one before.
    const char *const fast[] = {"e", "t", "x", "e", "_", "t", "e"};
    size_t typed = 0;
    stalls.Start();
    for (size_t i = 0; i < std::size(fast); ++i)
        QTimer::singleShot(int(20 * i), &window, [&, text = fast[i]] {
            find->Bar()->Field()->setText(QString::fromLatin1(text));
            emit find->Bar()->textEdited(QString::fromLatin1(text));
            ++typed;
        });
    const double done = RunUntil(stalls, [&] { return typed == std::size(fast) && !find->Searching(); });
    std::printf("\n%zu keys 20 ms apart, each cancelling the search before: done %7.1f ms  longest stall %6.1f ms"
                "  %zu rows at the end\n",
                std::size(fast), done, stalls.Stop(), find->Results()->Rows().size());
    std::printf("result row: %zu bytes in the model (+ the name index: shared by every search of the archive)\n",
                sizeof(TSearchResultModel::TRow));
    return 0;
}
