#pragma once
// TTestArchiveActions: Actions > "Test Archive" (also on the toolbar) and
// "Select Damaged". A test of the session's active archive leaves its
// damaged marks in the session, where they stay until the archive is closed;
// "Select Damaged" selects the marked rows of whatever list is shown.

#include <QObject>

class QAction;
class QWidget;
class TBrowserSession;
class TListSelection;
class TUiSeam;

class TTestArchiveActions : public QObject {
    Q_OBJECT
public:
    // `window` parents the progress window and the report.
    TTestArchiveActions(TBrowserSession &session, TListSelection &list, TUiSeam &ui, QWidget *window);

    QAction *actTestArchive = nullptr;
    QAction *mniSelectDamaged = nullptr;

    // Checks the active archive, marks its damaged entries and shows the report.
    void TestArchive();
    // Selects the damaged entries the list shows, and nothing else.
    void SelectDamaged();
    // Enabled states after the active archive, Busy or the marks changed.
    void UpdateEnabled();

private:
    TBrowserSession &m_Session;
    TListSelection &m_List;
    TUiSeam &m_Ui;
    QWidget *m_Window;
};
