#pragma once
// The Extract command and the extraction of a drag-out: the target dialog,
// one engine run on a worker thread with the hourglass, the session's
// Busy flag and a progress window with "Cancel", the status text, the
// per-file reports and the failure report at the end. Only one run (or other
// job) goes on at a time; a second start while one runs is refused.

#include "archive/vmVornFile.h"
#include "engines/ExtractTypes.h"
#include "engines/MergedTree.h"

#include <QEventLoop>
#include <QString>

#include <functional>
#include <vector>

class IFileConverter;
class TBusyFlag;
class TMergedView;
class QWidget;
class TfrmExtractDialog;
class TfrmFailureReport;

// What a run needs from the main window and the options; the seams are for
// the tests and default to the real dialogs.
struct TExtractHooks {
    std::function<QString()> GetExtractDir;                  // the folder the dialog starts with
    std::function<void(const QString &)> SetLastExtractDir;  // gets the target after a run
    TBusyFlag *Busy = nullptr;                               // the session's; none: the run's own
    std::function<void(const QString &)> ShowStatus;         // status panel 0, repainted at once
    std::function<bool(TfrmExtractDialog &)> ShowDialog;     // default: exec() ended with OK
    IOverwriteQuestion *Question = nullptr;                  // default: frmOverwriteDlg
    IExtractReport *Report = nullptr;                        // default: the "Can't extract: " box
    // Shows the report of a run with more than one failure; none: not shown.
    std::function<void(TfrmFailureReport &)> ShowFailureReport;
    QEventLoop::ProcessEventsFlags Events = QEventLoop::AllEvents; // what runs while the job works
    const IFileConverter *PngConversion = nullptr;           // used when the dialog asks for PNG
};

// The Extract command. `selectedEntries` are the selected list rows whose
// picture isn't 0, in list order; `currentFolder` is the folder the list
// shows. Returns true when a run ended normally; false when the dialog was
// cancelled or a job was already going on (hooks.Busy set). An error that ends the run early
// is raised after Busy and the cursor are restored.
bool RunExtraction(QWidget *parent, TfrmExtractDialog &dialog, const TVornFile &vorn, TEntryOffset currentFolder,
                   const std::vector<TEntryOffset> &selectedEntries, const TExtractHooks &hooks);

// The extraction at a drag-out's drop: the selected entries with the names of
// the folders below them into `target`: the temporary folder, where files
// are replaced without a question, or a folder a file manager chose, where
// `overwrite` says what happens to existing files. Returns false when a job
// was already going on (hooks.Busy set).
bool ExtractForDragOut(QWidget *parent, const TVornFile &vorn, TEntryOffset currentFolder,
                       const std::vector<TEntryOffset> &selectedEntries, const QString &target,
                       const TExtractHooks &hooks, TOverwriteMode overwrite = owReplaceAll);

// The same two for paths of the merged game view: what is written is what
// the game sees, each file from its winning archive, a folder with the
// merged contents below it. For the Extract command `currentFolder` is the
// listed merged folder; "all" in the dialog is the whole game.
bool RunMergedExtraction(QWidget *parent, TfrmExtractDialog &dialog, const TMergedView &view,
                         TMergeNodeId currentFolder, const std::vector<TMergeNodeId> &selected,
                         const TExtractHooks &hooks);
bool ExtractMergedForDragOut(QWidget *parent, const TMergedView &view, const std::vector<TMergeNodeId> &nodes,
                             const QString &target, const TExtractHooks &hooks,
                             TOverwriteMode overwrite = owReplaceAll);
