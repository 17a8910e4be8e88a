#pragma once
// "Test Archive": every file of an archive checked on worker threads with the
// job's progress window and "Cancel"; the summary and the list of damaged
// entries go into the failure report. The verdicts and messages are those of
// `vorntool test`: both use the verify engine.

#include "engines/VerifyEngine.h"

#include <QString>

#include <optional>

class QWidget;
class TBusyFlag;
class TfrmFailureReport;

// Runs the check, Busy meanwhile; nothing when `busy` is set already (another
// job is running). An error that stops the check as a whole (a damaged
// folder structure) is raised.
std::optional<TVerifyResult> RunTestArchive(QWidget *parent, const TVornFile &vorn, TBusyFlag &busy);

// The report window's summary and damaged entries.
void PrepareTestReport(TfrmFailureReport &report, const TVerifyResult &result);

// "Checked 12 files (3.4 MB): 2 damaged." and the like.
QString TestSummary(const TVerifyResult &result);
