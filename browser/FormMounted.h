#pragma once
// TfrmMounted: the "Mounted" list: every archive the window has mounted as a
// folder, with its folder; "Open" shows the folder in the file manager,
// "Unmount" ends the mount. Follows the mounts as they come and go.

#include <QDialog>

class QListWidget;
class QPushButton;
class TMountedFolders;
class TUiSeam;

class TfrmMounted : public QDialog {
    Q_OBJECT
public:
    TfrmMounted(TMountedFolders &folders, TUiSeam &ui, QWidget *parent = nullptr);

    QListWidget *lstMounted = nullptr;
    QPushButton *btnOpen = nullptr;
    QPushButton *btnUnmount = nullptr;

    void btnOpenClick();
    void btnUnmountClick();

private:
    void Refill();
    void UpdateButtons();
    QString SelectedMountPoint() const;

    TMountedFolders &m_Folders;
    TUiSeam &m_Ui;
};
