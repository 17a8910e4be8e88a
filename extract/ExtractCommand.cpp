#include "extract/ExtractCommand.h"

#include "engines/ExtractEngine.h"
#include "extract/FormExtractDialog.h"
#include "extract/GuiExtractFeedback.h"

#include <QApplication>
#include <QElapsedTimer>

namespace {

bool g_Running = false;

// Busy, the hourglass and the run guard for the time of one run, restored
// however the run ends.
class TRunGuard {
public:
    explicit TRunGuard(const TExtractHooks &hooks) : m_Hooks(hooks)
    {
        g_Running = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (m_Hooks.SetBusy)
            m_Hooks.SetBusy(true);
    }
    ~TRunGuard()
    {
        if (m_Hooks.SetBusy)
            m_Hooks.SetBusy(false);
        QApplication::restoreOverrideCursor();
        g_Running = false;
    }
    TRunGuard(const TRunGuard &) = delete;
    TRunGuard &operator=(const TRunGuard &) = delete;

private:
    const TExtractHooks &m_Hooks;
};

void ShowStatus(const TExtractHooks &hooks, const QString &text)
{
    if (hooks.ShowStatus)
        hooks.ShowStatus(text);
}

void Run(QWidget *parent, const TVornFile &vorn, TExtractSelection selection, const QString &target,
         TExtractOptions options, const TExtractHooks &hooks)
{
    TGuiExtractFeedback feedback(parent);
    TExtractEngine engine(vorn, std::move(selection), hooks.Question ? *hooks.Question : feedback,
                          hooks.Report ? *hooks.Report : feedback);
    engine.SetStatusCallback([&hooks](const std::string &text) { ShowStatus(hooks, QString::fromStdString(text)); });
    // Pending events run between entries; a few times a second is enough to
    // keep the window responsive without slowing runs of many small files.
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    engine.SetBeforeEntryCallback([&sinceEvents] {
        if (sinceEvents.elapsed() >= 20) {
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
    });
    engine.ExtractEntries(target.toStdString(), options);
}

} // namespace

bool ExtractionRunning()
{
    return g_Running;
}

bool RunExtraction(QWidget *parent, TfrmExtractDialog &dialog, const TVornFile &vorn, TEntryOffset currentFolder,
                   const std::vector<TEntryOffset> &selectedEntries, const TExtractHooks &hooks)
{
    if (g_Running)
        return false;
    dialog.SetFolder(hooks.GetExtractDir ? hooks.GetExtractDir() : QString());
    const TEntryOffset folder = currentFolder ? currentFolder : vorn.GetRootOffset();
    dialog.SetFileSelection(TfrmExtractDialog::Preselection(!selectedEntries.empty(), vorn.GetParent(folder) == 0));
    const bool confirmed =
        hooks.ShowDialog ? hooks.ShowDialog(dialog) : dialog.exec() == QDialog::Accepted;
    if (!confirmed || g_Running)
        return false;
    // The run keeps its own copy of the path and the entries.
    const QString target = dialog.Path();
    {
        TRunGuard guard(hooks);
        QCoreApplication::processEvents();
        Run(parent, vorn, {folder, selectedEntries}, target, dialog.Options(), hooks);
    }
    ShowStatus(hooks, QString());
    if (hooks.SetLastExtractDir)
        hooks.SetLastExtractDir(target);
    return true;
}

bool ExtractForDragOut(QWidget *parent, const TVornFile &vorn, TEntryOffset currentFolder,
                       const std::vector<TEntryOffset> &selectedEntries, const QString &target,
                       const TExtractHooks &hooks, TOverwriteMode overwrite)
{
    if (g_Running)
        return false;
    try {
        TRunGuard guard(hooks);
        QCoreApplication::processEvents();
        Run(parent, vorn, {currentFolder, selectedEntries}, target, {fnRelative, overwrite, esSelected},
            hooks);
    } catch (...) {
        ShowStatus(hooks, QString());
        throw;
    }
    ShowStatus(hooks, QString());
    return true;
}
