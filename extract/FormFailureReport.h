#pragma once
// TfrmFailureReport: one window at the end of a job listing every entry that
// failed with its reason, a summary line above, "Copy" (the report as text
// to the clipboard) and "Save..." (the same text into a file).

#include "engines/Job.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

class TfrmFailureReport : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFailureReport(QWidget *parent);

    void SetReport(const QString &summary, const std::vector<TJobFailure> &failures);
    // The summary, then one "path: reason" line per failure.
    QString ReportText() const;

    // The file "Save..." writes; the default asks with the save dialog.
    std::function<QString()> AskSaveFileName;
    // Writes the report as UTF-8; false (after a message) when that fails.
    bool SaveTo(const QString &fileName);

    QLabel *lblSummary = nullptr;
    QTreeWidget *lsvFailures = nullptr;
    QPushButton *btnCopy = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnClose = nullptr;

private:
    void CopyClick();
    void SaveClick();

    QString m_Summary;
    std::vector<TJobFailure> m_Failures;
};
