#pragma once
// TfrmCompare: the comparison window. It opens its own readers of the two
// archives (so closing them in the main window does not affect it), compares
// them and lists every path with its state: filters per state, a tree or a
// flat list, a summary line with counts and bytes. From a row: view either
// side through the view dispatch, or both side by side in hex; extract the
// added and changed files of B with their folder names; save the report as
// text or CSV.

#include "archive/vmVornFile.h"
#include "engines/CompareTypes.h"
#include "engines/ExtractTypes.h"
#include "engines/Job.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeView;
class TCompareModel;

// The window's questions; each defaults to the real dialog.
struct TCompareHooks {
    std::function<QString()> ChooseTargetFolder;           // empty: cancelled
    std::function<QString()> ChooseReportFile;             // empty: cancelled
    std::function<void(const QString &)> ShowError;
    IOverwriteQuestion *Question = nullptr;                 // default: the overwrite dialog
    IExtractReport *Report = nullptr;                       // default: a message box per file
};

class TfrmCompare : public QWidget {
    Q_OBJECT
public:
    // Opens and compares both archives; raises the reader's or the
    // comparison's error, leaving nothing behind. mainWindow: what the
    // viewers are centred over.
    TfrmCompare(const QString &pathA, const QString &pathB, TCompareHooks hooks = {}, QWidget *mainWindow = nullptr);
    ~TfrmCompare() override;

    TCompareModel *Model() const { return m_Model; }
    const TVornFile &ArchiveA() const { return *m_A; }
    const TVornFile &ArchiveB() const { return *m_B; }
    // The item of the current row, or null.
    const TCompareItem *CurrentItem() const;

    // Shows the current file of side A or B in the viewer that suits it.
    void ViewSide(bool sideB);
    // Opens both sides of the current file side by side in hex.
    void ShowHexSideBySide();
    // Writes the files B adds or changes below `target`, each in its folders,
    // showing the job's progress; Cancel stops it between files.
    TExtractResult ExtractPatch(const QString &target);
    // The shown states as text, or as CSV when the name ends in ".csv".
    void SaveReport(const QString &fileName);

    QTreeView *tvwItems = nullptr;
    std::array<QCheckBox *, CompareStateCount> chkStates{};
    QCheckBox *chkTree = nullptr;
    QLabel *lblSummary = nullptr;
    QLabel *lblStatus = nullptr;
    QPushButton *btnViewA = nullptr;
    QPushButton *btnViewB = nullptr;
    QPushButton *btnHex = nullptr;
    QPushButton *btnExtract = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnCancel = nullptr; // stops an extraction between files

protected:
    // Refused while an extraction runs.
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    QWidget *CreateFilterBar();
    QWidget *CreateButtonBar();
    void UpdateButtons();
    void ShowProgress();
    void btnExtractClick();
    void btnSaveClick();
    // Runs a command, showing its error instead of passing it on.
    void Guarded(const std::function<void()> &command);

    std::unique_ptr<TVornFile> m_A;
    std::unique_ptr<TVornFile> m_B;
    std::shared_ptr<const TCompareResult> m_Result;
    TCompareHooks m_Hooks;
    QWidget *m_MainWindow = nullptr;
    TCompareModel *m_Model = nullptr;
    TJob *m_Job = nullptr; // the extraction running, if any
};
