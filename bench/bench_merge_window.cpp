// Timings of the window's game view on 20 archives of 100,000 entries each
// (tests/support/MergeBenchArchives): merging them, showing the merged root,
// switching "Only files in conflict" on and off there and in a folder of
// 49 files, and opening that folder. Run by hand:
//   QT_QPA_PLATFORM=offscreen bench_merge_window [FOLDER]

#include "browser/FormMain.h"
#include "browser/merged/MergedGame.h"
#include "browser/merged/MergedGameNode.h"
#include "browser/merged/MergedListModel.h"
#include "engines/MergedView.h"
#include "tests/browser/BrowserFixture.h"
#include "tests/support/MergeBenchArchives.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <unistd.h>

namespace {

// Best of `runs`, in milliseconds, with the events the change posts handled.
double Best(int runs, const std::function<void()> &work, const std::function<void()> &before = {})
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        if (before) {
            before();
            QCoreApplication::processEvents();
        }
        QElapsedTimer timer;
        timer.start();
        work();
        QCoreApplication::processEvents();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    QApplication app(argc, argv);
    const bool own = argc < 2;
    const fs::path folder = own ? fs::temp_directory_path() / ("bench_merge_window." + std::to_string(getpid()))
                                : fs::path(argv[1]);
    const std::vector<std::string> paths = WriteMergeBenchArchives(folder.string(), false);
    TRecordingSeam seam;
    {
        TfrmMain window({}, &seam);
        window.show();
        for (const std::string &path : paths)
            window.OpenFile(QString::fromStdString(path));
        TMergedGameNode &game = *window.MergedGame();
        game.actGameView->setChecked(true);
        const double merge = Best(1, [&] { game.Game().View(); });
        QTreeWidgetItem *top = game.TopNode();
        // The root again and again: the other archive nodes are selected between runs.
        const double root = Best(
            5, [&] { window.trvFolders->setCurrentItem(top); },
            [&] { window.trvFolders->setCurrentItem(window.trvFolders->topLevelItem(1)); });
        const double rootAlone = Best(5, [&] { game.ShowNode(top); });
        const int rootRows = game.Model().rowCount();
        // The first switch also finds the folders with conflicts below them.
        const double firstFilter = Best(1, [&] { game.actOnlyConflicts->toggle(); });
        const double filterRoot = Best(5, [&] { game.actOnlyConflicts->toggle(); });
        const TMergeNodeId sub = game.Game().View()->Find("f0_top5/Sub7");
        const double open = Best(5, [&] { game.SelectFolder(sub); });
        const double filterSub = Best(5, [&] { game.actOnlyConflicts->toggle(); });
        std::printf("merge (first view after a change): %.1f ms\n", merge);
        std::printf("select the Game node (list of %d rows): %.1f ms; list it again: %.1f ms\n", rootRows, root,
                    rootAlone);
        std::printf("switch 'Only files in conflict' at the root: first %.1f ms, then %.1f ms\n", firstFilter,
                    filterRoot);
        std::printf("open a folder of 49 files: %.1f ms; switch the filter there: %.1f ms\n", open, filterSub);
    }
    if (own)
        fs::remove_all(folder);
    return 0;
}
