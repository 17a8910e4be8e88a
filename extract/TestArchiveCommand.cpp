#include "extract/TestArchiveCommand.h"

#include "extract/FormFailureReport.h"
#include "extract/FormJobProgress.h"
#include "extract/JobRunner.h"

#include <QLocale>

QString TestSummary(const TVerifyResult &result)
{
    const QLocale locale;
    QString text = QStringLiteral("Checked %1 files (%2): %3 damaged.")
                       .arg(locale.toString(qulonglong(result.Checked)), ProgressSize(result.Bytes),
                            locale.toString(qulonglong(result.Damaged.size())));
    if (result.Cancelled)
        text += QStringLiteral(" Cancelled before the end.");
    return text;
}

std::optional<TVerifyResult> RunTestArchive(QWidget *parent, const TVornFile &vorn, TBusyFlag &busy)
{
    if (busy.Busy())
        return std::nullopt;
    TJob job;
    TVerifyResult result;
    {
        TJobGuard guard(busy);
        TJobRunner runner(parent, job, QStringLiteral("Test Archive"));
        runner.Run([&] { result = TVerifyEngine(vorn, job).Run(); });
    }
    return result;
}

void PrepareTestReport(TfrmFailureReport &report, const TVerifyResult &result)
{
    std::vector<TJobFailure> damaged;
    damaged.reserve(result.Damaged.size());
    for (const TDamagedEntry &entry : result.Damaged)
        damaged.push_back({entry.Path, entry.Reason});
    report.setWindowTitle(QStringLiteral("Test Archive"));
    report.SetReport(TestSummary(result), damaged);
}
