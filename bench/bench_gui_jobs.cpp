// Times the window's long jobs as the window runs them -- the engine on a
// worker thread, the progress window and the event loop on this thread --
// for bench/bench_jobs.sh, which times vorntool on the same archives.
//   bench_gui_jobs extract ARCHIVE OUTDIR   (everything, folder names, replace all)
//   bench_gui_jobs test ARCHIVE
// Prints the seconds taken; runs offscreen unless QT_QPA_PLATFORM says otherwise.

#include "archive/vmVornFile.h"
#include "extract/ExtractCommand.h"
#include "extract/FormExtractDialog.h"
#include "extract/BusyFlag.h"
#include "extract/TestArchiveCommand.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString command = argc > 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (!(command == QStringLiteral("extract") && argc == 4) && !(command == QStringLiteral("test") && argc == 3)) {
        std::fputs("usage: bench_gui_jobs extract ARCHIVE OUTDIR | test ARCHIVE\n", stderr);
        return 2;
    }
    QWidget window;
    window.resize(800, 600);
    window.show();
    const TVornFile vorn(argv[2]);
    QElapsedTimer clock;
    if (command == QStringLiteral("test")) {
        clock.start();
        TBusyFlag busy;
        const auto result = RunTestArchive(&window, vorn, busy);
        std::printf("%.3f %llu damaged\n", double(clock.nsecsElapsed()) / 1e9,
                    static_cast<unsigned long long>(result ? result->Damaged.size() : 0));
        return 0;
    }
    TfrmExtractDialog dialog(&window);
    TExtractHooks hooks;
    hooks.ShowDialog = [&](TfrmExtractDialog &shown) {
        shown.cbxPath->setEditText(QString::fromLocal8Bit(argv[3]));
        shown.rbnExtractAll->setChecked(true);
        shown.chkUseFolderNames->setChecked(true);
        shown.Button1->click();
        return true;
    };
    hooks.ShowStatus = [&window](const QString &text) { window.setWindowTitle(text); };
    clock.start();
    RunExtraction(&window, dialog, vorn, 0, {}, hooks);
    std::printf("%.3f\n", double(clock.nsecsElapsed()) / 1e9);
    return 0;
}
