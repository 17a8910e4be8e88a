#include "extract/ExtractCommand.h"

#include "engines/ExtractEngine.h"
#include "engines/MergedExtract.h"
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

// What an engine of a run is given: the questions and reports answered on
// the window's thread, the job, the status text.
struct TRunTools {
    TQuestionsOnWindowThread &Questions;
    TJob &Job;
    TStatusRelay &Status;
    // Gives an engine the job, the status text and the converter.
    template <class TEngine>
    void Equip(TEngine &engine, const IFileConverter *converter) const
    {
        engine.SetJob(Job);
        engine.SetConverter(converter);
        engine.SetStatusCallback([&status = Status](const std::string &text) { status.Show(text); });
    }
};

// One run on a worker thread; `extract` runs there with the tools. The first
// failure shows the "Can't extract: " box (which offers to go on without
// asking); when a run ends with more than one failure, one report lists
// them all.
void Run(QWidget *parent, const TExtractHooks &hooks, const std::function<TExtractResult(TRunTools &)> &extract)
{
    TJob job;
    TJobRunner runner(parent, job, QStringLiteral("Extracting"));
    TGuiExtractFeedback feedback(parent);
    TQuestionsOnWindowThread questions(runner, hooks.Question ? *hooks.Question : feedback,
                                       hooks.Report ? *hooks.Report : feedback);
    TStatusRelay status(runner, hooks);
    TRunTools tools{questions, job, status};
    TExtractResult result;
    runner.Run([&] { result = extract(tools); }, hooks.Events);
    const std::vector<TJobFailure> failures = job.Failures();
    if (failures.size() > 1 && hooks.ShowFailureReport) {
        TfrmFailureReport report(parent);
        report.setWindowTitle(QStringLiteral("Extract"));
        report.SetReport(FailureSummary(failures.size(), result), failures);
        hooks.ShowFailureReport(report);
    }
}

// Where the extraction engine of a run is made.
using TRunStart = std::function<TExtractResult(TRunTools &tools, const std::string &target,
                                               const TExtractOptions &options, const IFileConverter *converter)>;

// The Extract command around a run: the dialog, Busy, the status text and
// the last target.
bool RunWithDialog(QWidget *parent, TfrmExtractDialog &dialog, bool hasSelection, bool showsRoot,
                   const TExtractHooks &hooks, const TRunStart &start)
{
    TBusyFlag own;
    TBusyFlag &busy = hooks.Busy ? *hooks.Busy : own;
    if (busy.Busy())
        return false;
    dialog.SetFolder(hooks.GetExtractDir ? hooks.GetExtractDir() : QString());
    dialog.SetFileSelection(TfrmExtractDialog::Preselection(hasSelection, showsRoot));
    const bool confirmed =
        hooks.ShowDialog ? hooks.ShowDialog(dialog) : dialog.exec() == QDialog::Accepted;
    if (!confirmed || busy.Busy())
        return false;
    // The run keeps its own copy of the path and the options.
    const QString target = dialog.Path();
    const TExtractOptions options = dialog.Options();
    const IFileConverter *converter = dialog.ConvertImagesToPng() ? hooks.PngConversion : nullptr;
    {
        TJobGuard guard(busy);
        QCoreApplication::processEvents();
        Run(parent, hooks, [&](TRunTools &tools) { return start(tools, target.toStdString(), options, converter); });
    }
    ShowStatus(hooks, QString());
    if (hooks.SetLastExtractDir)
        hooks.SetLastExtractDir(target);
    return true;
}

// The extraction of a drop around a run: Busy and the status text.
bool RunForDragOut(QWidget *parent, const QString &target, TOverwriteMode overwrite, const TExtractHooks &hooks,
                   const TRunStart &start)
{
    TBusyFlag own;
    TBusyFlag &busy = hooks.Busy ? *hooks.Busy : own;
    if (busy.Busy())
        return false;
    try {
        TJobGuard guard(busy);
        QCoreApplication::processEvents(hooks.Events);
        const TExtractOptions options{fnRelative, overwrite, esSelected};
        Run(parent, hooks, [&](TRunTools &tools) { return start(tools, target.toStdString(), options, nullptr); });
    } catch (...) {
        ShowStatus(hooks, QString());
        throw;
    }
    ShowStatus(hooks, QString());
    return true;
}

TRunStart ArchiveRun(const TVornFile &vorn, const TExtractSelection &selection)
{
    return [&vorn, selection](TRunTools &tools, const std::string &target, const TExtractOptions &options,
                              const IFileConverter *converter) {
        TExtractEngine engine(vorn, selection, tools.Questions, tools.Questions);
        tools.Equip(engine, converter);
        return engine.ExtractEntries(target, options);
    };
}

// "All" in the dialog is the whole game, the shown folder the listed one.
TRunStart MergedRun(const TMergedView &view, TMergeNodeId currentFolder, const std::vector<TMergeNodeId> &selected)
{
    return [&view, currentFolder, selected](TRunTools &tools, const std::string &target,
                                             const TExtractOptions &options, const IFileConverter *converter) {
        TMergedExtract engine(view, tools.Questions, tools.Questions);
        tools.Equip(engine, converter);
        const std::vector<TMergeNodeId> nodes = options.FileSelection == esAll        ? std::vector{MergeRoot}
                                                : options.FileSelection == esCurrentDir ? std::vector{currentFolder}
                                                                                        : selected;
        return engine.Extract(target, nodes, options);
    };
}

} // namespace

bool RunExtraction(QWidget *parent, TfrmExtractDialog &dialog, const TVornFile &vorn, TEntryOffset currentFolder,
                   const std::vector<TEntryOffset> &selectedEntries, const TExtractHooks &hooks)
{
    const TEntryOffset folder = currentFolder ? currentFolder : vorn.GetRootOffset();
    return RunWithDialog(parent, dialog, !selectedEntries.empty(), vorn.GetParent(folder) == 0, hooks,
                         ArchiveRun(vorn, {folder, selectedEntries}));
}

bool ExtractForDragOut(QWidget *parent, const TVornFile &vorn, TEntryOffset currentFolder,
                       const std::vector<TEntryOffset> &selectedEntries, const QString &target,
                       const TExtractHooks &hooks, TOverwriteMode overwrite)
{
    return RunForDragOut(parent, target, overwrite, hooks, ArchiveRun(vorn, {currentFolder, selectedEntries}));
}

bool RunMergedExtraction(QWidget *parent, TfrmExtractDialog &dialog, const TMergedView &view,
                         TMergeNodeId currentFolder, const std::vector<TMergeNodeId> &selected,
                         const TExtractHooks &hooks)
{
    return RunWithDialog(parent, dialog, !selected.empty(), currentFolder == MergeRoot, hooks,
                         MergedRun(view, currentFolder, selected));
}

bool ExtractMergedForDragOut(QWidget *parent, const TMergedView &view, const std::vector<TMergeNodeId> &nodes,
                             const QString &target, const TExtractHooks &hooks, TOverwriteMode overwrite)
{
    return RunForDragOut(parent, target, overwrite, hooks, MergedRun(view, MergeRoot, nodes));
}
