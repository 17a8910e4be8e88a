#pragma once
// TTestArchiveActions: the main window's Actions > "Test Archive" (also on
// the toolbar) and "Select Damaged", and the damaged marks a test leaves in
// the file list until the archive is closed.

#include "browser/DamagedEntries.h"

#include <QObject>

class QAction;
class TfrmMain;

class TTestArchiveActions : public QObject {
    Q_OBJECT
public:
    explicit TTestArchiveActions(TfrmMain &window);

    QAction *actTestArchive = nullptr;
    QAction *mniSelectDamaged = nullptr;

    // Checks the active archive, marks its damaged entries and shows the report.
    void TestArchive();
    // Selects the damaged entries the list shows, and nothing else.
    void SelectDamaged();
    // Enabled states after the active archive or Busy changed.
    void UpdateEnabled();
    // An archive is closing: its marks go (nullptr: every archive's).
    void Forget(const TVornFile *vorn);

    const TDamagedEntries &Damaged() const { return m_Damaged; }

private:
    TfrmMain &m_Window;
    TDamagedEntries m_Damaged;
};
