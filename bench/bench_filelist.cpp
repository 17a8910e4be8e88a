// Timings of the file list on a folder of 100,000 entries: listing, sorting
// by each column, switching view styles, scrolling, and memory per row.
// Run by hand: QT_QPA_PLATFORM=offscreen bench_filelist

#include "archive/vmVornFile.h"
#include "browser/FileListModel.h"
#include "browser/DetailsView.h"
#include "browser/FileListView.h"
#include "browser/FormMain.h"
#include "tests/browser/BrowserFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>

#include <cstdio>
#include <malloc.h>
#include <random>

namespace {

constexpr int EntryCount = 100000;
constexpr int FolderCount = 1000;

QString WriteBigArchive(const QTemporaryDir &dir)
{
    std::mt19937 random(7);
    const char *const extensions[] = {".txt", ".bmp", ".raw", ".vmmap", ".gas", ".wav", ""};
    VornWriter writer;
    const auto big = writer.addDir(0, "big");
    for (int i = 0; i < EntryCount; ++i) {
        char name[64];
        const TFileTime time = MakeFileTime(1998 + int(random() % 10), 1 + int(random() % 12), 1 + int(random() % 28),
                                            int(random() % 24), int(random() % 60), int(random() % 60));
        if (i < FolderCount) {
            std::snprintf(name, sizeof name, "Folder_%05u", unsigned(random() % 100000));
            writer.addDir(big, name, time);
        } else {
            std::snprintf(name, sizeof name, "entry_%06u%s", unsigned(random() % 1000000), extensions[random() % 7]);
            writer.addFile(big, FileSpec{.name = name, .data = Bytes(random() % 64, 'x'), .time = time,
                                         .sizeOverride = uint32_t(random() % 5000000)});
        }
    }
    const QString path = dir.filePath(QStringLiteral("big.vmres"));
    writer.write(path.toStdString());
    return path;
}

double Milliseconds(QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTemporaryDir dir;
    QElapsedTimer timer;
    timer.start();
    const QString path = WriteBigArchive(dir);
    std::printf("writing the archive: %.0f ms\n", Milliseconds(timer));

    TVornFile vorn(path.toStdString());
    const TEntryOffset big = vorn.GetChildren(vorn.GetRootOffset()).at(0);
    {
        TFileListModel model;
        const size_t before = HeapInUse();
        timer.restart();
        model.FillFileList(&vorn, big);
        std::printf("FillFileList (%zu rows): %.1f ms\n", model.Rows().size(), Milliseconds(timer));
        model.FillRowDetails(0, int(model.Rows().size()) - 1);
        const size_t after = HeapInUse();
        std::printf("bytes per row: %.1f (struct %zu, heap incl. names and details)\n",
                    double(after - before) / double(model.Rows().size()), sizeof(TVornChildItem));

        const char *const captions[] = {"Name", "Type", "Size", "Last Modified"};
        for (int column : {TFileListModel::ColName, TFileListModel::ColType, TFileListModel::ColSize,
                           TFileListModel::ColModified}) {
            for (int click = 0; click < 2; ++click) {
                model.ChooseSortColumn(column);
                std::vector<TVornChildItem> rows = model.Rows();
                timer.restart();
                SortRows(rows, model.SortCompare(), model.SortDescending());
                const double sortOnly = Milliseconds(timer);
                timer.restart();
                model.FillFileList(&vorn, big);
                std::printf("sort by %-13s %-10s: sort %.1f ms, relisting incl. sort %.1f ms\n", captions[column],
                            model.SortDescending() ? "descending" : "ascending", sortOnly, Milliseconds(timer));
            }
        }
        timer.restart();
        int found = -1;
        for (int i = 0; i < 10; ++i)
            found = model.DataFind(QStringLiteral("no such prefix"), 0, true);
        std::printf("type-ahead without a match (one pass): %.1f ms %d\n", Milliseconds(timer) / 10, found);
    }

    TRecordingSeam seam;
    TfrmMain window({}, &seam);
    window.resize(1000, 700);
    window.show();
    Settle();
    timer.restart();
    window.OpenFile(path);
    QTreeWidgetItem *bigNode = window.trvFolders->topLevelItem(0)->child(0);
    window.trvFolders->setCurrentItem(bigNode);
    Settle();
    std::printf("open + list in the window: %.1f ms\n", Milliseconds(timer));

    const char *const styles[] = {"Big Icons", "Small Icons", "List", "Details"};
    for (int style : {0, 1, 2, 3, 0, 3}) {
        timer.restart();
        window.mniViewStyleClick(style);
        Settle();
        window.lsvMain->CurrentView()->viewport()->repaint();
        std::printf("switch to %-11s: %.1f ms\n", styles[style], Milliseconds(timer));
    }

    auto *details = window.lsvMain->DetailsView();
    QScrollBar *bar = details->verticalScrollBar();
    timer.restart();
    int pages = 0;
    for (int value = 0; value < bar->maximum() && pages < 500; value += bar->pageStep(), ++pages) {
        bar->setValue(value);
        details->viewport()->repaint();
    }
    std::printf("scrolling Details: %d pages, %.2f ms per page\n", pages, Milliseconds(timer) / pages);
    timer.restart();
    bar->setValue(bar->maximum());
    details->viewport()->repaint();
    std::printf("jump to the end: %.2f ms\n", Milliseconds(timer));

    window.mniViewStyleClick(2);
    Settle();
    QScrollBar *hbar = window.lsvMain->IconsView()->horizontalScrollBar();
    timer.restart();
    pages = 0;
    for (int value = 0; value < hbar->maximum() && pages < 200; value += hbar->pageStep(), ++pages) {
        hbar->setValue(value);
        window.lsvMain->IconsView()->viewport()->repaint();
    }
    std::printf("scrolling List: %d pages, %.2f ms per page\n", pages, pages ? Milliseconds(timer) / pages : 0.0);
    window.close();
    return 0;
}
