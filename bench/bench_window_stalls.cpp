// The main window's longest stalls on a million entries: the largest gap
// between two ticks of a 10 ms timer on the window's thread while an
// archive opens and while keystrokes are typed into the find bar. A window
// that answers input within 50 ms shows gaps under 50 ms.
// Run by hand: QT_QPA_PLATFORM=offscreen bench_window_stalls ARCHIVE
// (ARCHIVE from "bench_find make OUTDIR": OUTDIR/names.vmres, 1,000
// folders), or an archive of many folders written by
//   bench_window_stalls make FOLDERS OUT.vmres [flat]
// 1,000,000 entries of which FOLDERS are folders: 20 at the top, each with
// the same number of subfolders, each of those with the same number again,
// the files spread over the deepest ones; "flat" puts every folder in the
// root instead.
//   bench_window_stalls close ARCHIVE [MS]
// times closing the window MS (default 20) ms after the archive began to
// open on a worker: the window waits for the worker's read, which stops
// when told to. A long MS (the archive joined) gives the close alone.
// After the open it expands the archive's node (its folder nodes all made)
// and times that too.

#include "archive/vmVornFile.h"
#include "bench/WindowBench.h"
#include "browser/BrowserSession.h"
#include "browser/FolderLayout.h"
#include "browser/FolderTree.h"
#include "tests/support/VornWriter.h"

#include <QApplication>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t Entries = 1'000'000;

// Adds the folders; returns the deepest ones and counts all in `made`.
std::vector<VornWriter::Handle> AddFolders(VornWriter &writer, size_t folders, bool flat, size_t &made)
{
    std::vector<VornWriter::Handle> leaves;
    if (flat) {
        for (size_t i = 0; i < folders; ++i)
            leaves.push_back(writer.addDir(0, "folder" + std::to_string(i)));
        made = folders;
        return leaves;
    }
    // 20 + 20 k + 20 k (k - 1) = folders, so k = sqrt(folders / 20).
    const size_t top = 20;
    const auto fanOut = size_t(std::lround(std::sqrt(double(folders) / double(top))));
    for (size_t a = 0; a < top; ++a) {
        const auto first = writer.addDir(0, "area" + std::to_string(a));
        for (size_t b = 0; b < fanOut; ++b) {
            const auto second = writer.addDir(first, "zone" + std::to_string(b));
            for (size_t c = 0; c + 1 < fanOut; ++c)
                leaves.push_back(writer.addDir(second, "set" + std::to_string(c)));
        }
    }
    made = top + top * fanOut + leaves.size();
    return leaves;
}

void MakeFolders(size_t folders, const char *path, bool flat)
{
    VornWriter writer;
    size_t made = 0;
    const std::vector<VornWriter::Handle> leaves = AddFolders(writer, folders, flat, made);
    for (size_t i = 0; i + made < Entries; ++i) {
        FileSpec spec;
        spec.name = "tex" + std::to_string(i) + ".vmtex";
        writer.addFile(leaves[i % leaves.size()], std::move(spec));
    }
    writer.write(path);
}

// Closes the window while the archive is being read; prints how long the
// close took and whether the archive had joined before.
void CloseWhileOpening(const QString &path, int after)
{
    TRecordingSeam seam;
    std::unique_ptr<TfrmMain> window = MakeBenchWindow(seam);
    QElapsedTimer clock;
    clock.start();
    window->OpenFile(path, [](const std::exception &error) { std::fprintf(stderr, "%s\n", error.what()); });
    while (clock.elapsed() < after)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const bool joined = !window->Session().OpenVorns().empty();
    const qint64 before = clock.nsecsElapsed();
    window.reset();
    std::printf("close %d ms into the open: %.1f ms%s\n", after, double(clock.nsecsElapsed() - before) / 1e6,
                joined ? " (the archive had joined already)" : "");
}

// The archive's node in the tree, once it has the nodes of all the root's
// subfolders; null before.
QTreeWidgetItem *FinishedArchiveNode(TfrmMain &window)
{
    const TVornFile *vorn = window.Session().ActiveVorn();
    const auto folders = window.Session().FoldersOf(vorn);
    QTreeWidgetItem *top = window.trvFolders->TopNodeOf(vorn);
    if (!top || size_t(top->childCount()) != folders->Subfolders(folders->Root()).size())
        return nullptr;
    return top;
}

} // namespace

int main(int argc, char **argv)
{
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "make") == 0) {
        MakeFolders(std::stoul(argv[2]), argv[3], argc == 5 && std::strcmp(argv[4], "flat") == 0);
        return 0;
    }
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "close") == 0) {
        CloseWhileOpening(QString::fromLocal8Bit(argv[2]), argc == 4 ? std::stoi(argv[3]) : 20);
        return 0;
    }
    if (argc != 2) {
        std::fputs("usage: bench_window_stalls ARCHIVE | make FOLDERS OUT.vmres [flat] | close ARCHIVE [MS]\n", stderr);
        return 2;
    }
    TRecordingSeam seam;
    const std::unique_ptr<TfrmMain> window = MakeBenchWindow(seam);
    TStallWatch watch;

    // Opening, started from the event loop as a menu command does it: the
    // archive is read on a worker and joins the tree when it is done.
    watch.Start();
    const QString path = QString::fromLocal8Bit(argv[1]);
    QTimer::singleShot(0, window.get(), [&] {
        window->OpenFile(path, [](const std::exception &error) { std::fprintf(stderr, "%s\n", error.what()); });
    });
    bool asked = false;
    QTimer::singleShot(0, window.get(), [&] { asked = true; });
    const double opened = RunUntil(watch, [&] { return asked && !window->Session().OpenVorns().empty(); }, 0);
    const double made = opened + RunUntil(watch, [&] { return FinishedArchiveNode(*window) != nullptr; });
    std::printf("%-34s done %8.1f ms  longest stall %8.1f ms  (the root's folder nodes made after %.1f ms)\n",
                "open the archive", opened, watch.Stop(), made);

    watch.Start();
    QTimer::singleShot(0, window.get(), [&] { FinishedArchiveNode(*window)->setExpanded(true); });
    const double expanded = RunUntil(watch, [&] { return FinishedArchiveNode(*window)->isExpanded(); });
    std::printf("%-34s done %8.1f ms  longest stall %8.1f ms\n", "expand the archive's node", expanded, watch.Stop());

    const auto type = [&](const char *what, const char *text) {
        const TKeystroke key = TypeIntoFindBar(*window, watch, text);
        std::printf("%-34s done %8.1f ms  longest stall %8.1f ms  %zu rows (%zu batches added in that stall)\n",
                    what, key.Done, key.Longest, key.Rows, key.BatchesInLongest);
    };
    type("type 'e' (every entry)", "e");
    type("clear the find bar", "");
    type("type 'e' again (index built)", "e");
    type("type 't' (999,000 entries)", "t");
    type("type 'tex0042'", "tex0042");
    return 0;
}
