// Timings of find in the main window on a million entries: the result rows
// arriving and painted while a search runs, narrowing keystrokes typed into
// the find bar, and memory per result row.
// Run by hand: QT_QPA_PLATFORM=offscreen bench_find_window ARCHIVE
// (ARCHIVE from "bench_find make OUTDIR": OUTDIR/names.vmres).

#include "browser/FileListView.h"
#include "browser/find/FindBar.h"
#include "browser/find/FindController.h"
#include "browser/FormMain.h"
#include "browser/find/SearchResultModel.h"
#include "tests/browser/BrowserFixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTreeView>

#include <cstdio>
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
    EnsureApplication();
    TRecordingSeam seam;
    TfrmMain window(QStringList{}, &seam);
    window.resize(1000, 700);
    window.show();
    window.OpenFile(QString::fromLocal8Bit(argv[1]));
    QApplication::processEvents();
    TFindController *find = window.Find();
    QElapsedTimer clock;
    TPaintWatch watch(window.lsvMain->DetailsView(), find->Results(), clock);

    auto run = [&](const char *what, const QString &text, bool type) {
        watch.Reset();
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
        const size_t rows = find->Results()->Rows().size();
        std::printf("%-28s %8zu rows  first rows %7.1f ms  first paint %7.1f ms  done %7.1f ms  heap %+.1f MB\n",
                    what, rows, watch.firstRows, watch.firstPaint, done, (double(mallinfo2().uordblks) - heap) / 1e6);
    };
    run("first search (builds index)", QStringLiteral("stone12"), false);
    run("search 'tex' (999,000 rows)", QStringLiteral("tex"), false);
    run("search 'e' (1,000,000 rows)", QStringLiteral("e"), false);
    for (const char *text : {"s", "st", "sto", "ston", "stone", "stone1", "stone12"})
        run((std::string("typed '") + text + "'").c_str(), QString::fromLatin1(text), true);
    std::printf("result row: %zu bytes in the model (+ the name index: shared by every search of the archive)\n",
                sizeof(TSearchResultModel::TRow));
    return 0;
}
