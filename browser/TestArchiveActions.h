#pragma once
// TTestArchiveActions: the main window's Actions > "Test Archive" (also on
// the toolbar) and "Select Damaged". A test leaves its damaged marks in the
// session, where they stay until the archive is closed.

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

private:
    TfrmMain &m_Window;
};
