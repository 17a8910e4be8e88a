#include "extract/ExtractCommand.h"

#include "engines/ExtractEngine.h"
#include "extract/FormExtractDialog.h"
#include "extract/FormFailureReport.h"
#include "extract/GuiExtractFeedback.h"
#include "extract/JobRunner.h"

#include <QApplication>
#include <QLocale>

#include <atomic>
#include <mutex>

namespace {

void ShowStatus(const TExtractHooks &hooks, const QString &text)
{
    if (hooks.ShowStatus)
        hooks.ShowStatus(text);
}

// The engine's questions and reports, asked on the worker and answered on
// the window's thread while the worker waits.
class TQuestionsOnWindowThread : public IOverwriteQuestion, public IExtractReport {
public:
    TQuestionsOnWindowThread(TJobRunner &runner, IOverwriteQuestion &question, IExtractReport &report)
        : m_Runner(runner), m_Question(question), m_Report(report)
    {
    }
    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion &question) override
    {
        TOverwriteAnswer answer = TOverwriteAnswer::No;
        m_Runner.CallOnWindowThread([&] { answer = m_Question.AskOverwrite(question); });
        return answer;
    }
    void ReportFailure(const TExtractFailure &failure) override
    {
        m_Runner.CallOnWindowThread([&] { m_Report.ReportFailure(failure); });
    }

private:
    TJobRunner &m_Runner;
    IOverwriteQuestion &m_Question;
    IExtractReport &m_Report;
};

// "Extracting " + name in the status bar without holding up the worker: a
// text waits until the window's thread shows it, and a newer one replaces it
// meanwhile, so many small files don't flood the window with updates.
class TStatusRelay {
public:
    TStatusRelay(TJobRunner &runner, const TExtractHooks &hooks) : m_Runner(runner), m_Hooks(hooks) {}
    void Show(const std::string &text)
    {
        {
            std::lock_guard lock(m_Mutex);
            m_Text = text;
        }
        if (m_Pending.exchange(true))
            return;
        m_Runner.Post([this] {
            std::string text;
            {
                std::lock_guard lock(m_Mutex);
                text = m_Text;
                m_Pending = false;
            }
            ShowStatus(m_Hooks, QString::fromStdString(text));
        });
    }

private:
    TJobRunner &m_Runner;
    const TExtractHooks &m_Hooks;
    std::mutex m_Mutex;
    std::string m_Text;
    std::atomic<bool> m_Pending{false};
};

QString FailureSummary(size_t failures, const TExtractResult &result)
{
    const QLocale locale;
    QString text = QStringLiteral("%1 files could not be extracted; %2 were written.")
                       .arg(locale.toString(qulonglong(failures)), locale.toString(result.Written));
    if (result.Cancelled)
        text += QStringLiteral(" Cancelled before the end.");
    return text;
}

// One run on a worker thread. The first failure shows the "Can't extract: "
// box (which offers to go on without asking); when a run ends with more
// than one failure, one report lists them all.
void Run(QWidget *parent, const TVornFile &vorn, TExtractSelection selection, const QString &target,
         TExtractOptions options, const TExtractHooks &hooks, const IFileConverter *converter = nullptr)
{
    TJob job;
    TJobRunner runner(parent, job, QStringLiteral("Extracting"));
    TGuiExtractFeedback feedback(parent);
    TQuestionsOnWindowThread questions(runner, hooks.Question ? *hooks.Question : feedback,
                                       hooks.Report ? *hooks.Report : feedback);
    TExtractEngine engine(vorn, std::move(selection), questions, questions);
    engine.SetJob(job);
    engine.SetConverter(converter);
    TStatusRelay status(runner, hooks);
    engine.SetStatusCallback([&status](const std::string &text) { status.Show(text); });
    TExtractResult result;
    const std::string targetDir = target.toStdString();
    runner.Run([&] { result = engine.ExtractEntries(targetDir, options); }, hooks.Events);
    const std::vector<TJobFailure> failures = job.Failures();
    if (failures.size() > 1 && hooks.ShowFailureReport) {
        TfrmFailureReport report(parent);
        report.setWindowTitle(QStringLiteral("Extract"));
        report.SetReport(FailureSummary(failures.size(), result), failures);
        hooks.ShowFailureReport(report);
    }
}

} // namespace

bool RunExtraction(QWidget *parent, TfrmExtractDialog &dialog, const TVornFile &vorn, TEntryOffset currentFolder,
                   const std::vector<TEntryOffset> &selectedEntries, const TExtractHooks &hooks)
{
    TBusyFlag own;
    TBusyFlag &busy = hooks.Busy ? *hooks.Busy : own;
    if (busy.Busy())
        return false;
    dialog.SetFolder(hooks.GetExtractDir ? hooks.GetExtractDir() : QString());
    const TEntryOffset folder = currentFolder ? currentFolder : vorn.GetRootOffset();
    dialog.SetFileSelection(TfrmExtractDialog::Preselection(!selectedEntries.empty(), vorn.GetParent(folder) == 0));
    const bool confirmed =
        hooks.ShowDialog ? hooks.ShowDialog(dialog) : dialog.exec() == QDialog::Accepted;
    if (!confirmed || busy.Busy())
        return false;
    // The run keeps its own copy of the path and the entries.
    const QString target = dialog.Path();
    {
        TJobGuard guard(busy);
        QCoreApplication::processEvents();
        Run(parent, vorn, {folder, selectedEntries}, target, dialog.Options(), hooks,
            dialog.ConvertImagesToPng() ? hooks.PngConversion : nullptr);
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
    TBusyFlag own;
    TBusyFlag &busy = hooks.Busy ? *hooks.Busy : own;
    if (busy.Busy())
        return false;
    try {
        TJobGuard guard(busy);
        QCoreApplication::processEvents(hooks.Events);
        Run(parent, vorn, {currentFolder, selectedEntries}, target, {fnRelative, overwrite, esSelected},
            hooks);
    } catch (...) {
        ShowStatus(hooks, QString());
        throw;
    }
    ShowStatus(hooks, QString());
    return true;
}
