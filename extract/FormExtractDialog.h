#pragma once
// The target dialog of the Extract command: the folder to extract to (a
// folder tree and an editable path), which entries, whether the archive's
// folder names are rebuilt and whether images are converted to PNG. Made once at program start and reused, so the
// path and the check box keep what the user left in them.

#include "engines/ExtractTypes.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTreeView;

class TfrmExtractDialog : public QDialog {
    Q_OBJECT

public:
    explicit TfrmExtractDialog(QWidget *parent = nullptr);

    // Points the folder tree at `folder` (its nearest existing ancestor when
    // it doesn't exist); the path box then shows `folder` itself.
    void SetFolder(const QString &folder);
    // The tree's selected folder; empty when none.
    QString TreePath() const;
    // The radio button the command preselects: "Selected" when list items
    // are selected, "All" when the root is shown, else the current folder.
    static TFileSelection Preselection(bool hasSelectedItems, bool showsRoot);
    void SetFileSelection(TFileSelection selection);

    // Valid after the dialog ended with OK.
    const QString &Path() const { return m_Path; }
    const TExtractOptions &Options() const { return m_Options; }
    bool ConvertImagesToPng() const { return m_ConvertImagesToPng; }

    QTreeView *ShellTree = nullptr;
    QFileSystemModel *ShellModel = nullptr;
    QComboBox *cbxPath = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QRadioButton *rbnExtractAll = nullptr;
    QRadioButton *rbnCurrentDir = nullptr;
    QRadioButton *rbnExtractSelected = nullptr;
    QCheckBox *chkUseFolderNames = nullptr;
    QCheckBox *chkConvertToPng = nullptr; // unchecked at creation
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    // Key preview: the dialog sees the Enter key before its controls do.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    void CreateShellTree();
    void SelectTreeFolder(const QString &folder);
    void ShellTreeChange();
    void Button1Click();

    QString m_Path;
    QString m_RequestedFolder;
    TExtractOptions m_Options;
    bool m_ConvertImagesToPng = false;
};
