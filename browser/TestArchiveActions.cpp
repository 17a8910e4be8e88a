#include "browser/TestArchiveActions.h"

#include "browser/BrowserSession.h"
#include "browser/EntryListModel.h"
#include "browser/ListSelection.h"
#include "browser/PictureLists.h"
#include "browser/UiSeam.h"
#include "extract/FormFailureReport.h"
#include "extract/TestArchiveCommand.h"

#include <QAction>
#include <QItemSelectionModel>

TTestArchiveActions::TTestArchiveActions(TBrowserSession &session, TListSelection &list, TUiSeam &ui, QWidget *window)
    : QObject(window), m_Session(session), m_List(list), m_Ui(ui), m_Window(window)
{
    actTestArchive = new QAction(QStringLiteral("Test Archive"), this);
    actTestArchive->setStatusTip(QStringLiteral("Check every file of the active vorn for damage"));
    actTestArchive->setToolTip(actTestArchive->statusTip());
    actTestArchive->setIcon(ToolbarPicture(TToolbarPicture::Test));
    mniSelectDamaged = new QAction(QStringLiteral("Select Damaged"), this);
    mniSelectDamaged->setStatusTip(QStringLiteral("Select the entries Test Archive found damaged"));
    actTestArchive->setEnabled(false);
    mniSelectDamaged->setEnabled(false);
    connect(actTestArchive, &QAction::triggered, this, [this] { RunReporting(m_Ui, m_Window, [this] { TestArchive(); }); });
    connect(mniSelectDamaged, &QAction::triggered, this, &TTestArchiveActions::SelectDamaged);
    connect(&session, &TBrowserSession::activeChanged, this, &TTestArchiveActions::UpdateEnabled);
    connect(&session, &TBrowserSession::damagedChanged, this, &TTestArchiveActions::UpdateEnabled);
}

void TTestArchiveActions::TestArchive()
{
    const TVornFile *vorn = m_Session.ActiveVorn();
    if (!vorn)
        return;
    const std::optional<TVerifyResult> result = RunTestArchive(m_Window, *vorn, m_Session.BusyFlag());
    if (!result)
        return;
    m_Session.SetDamaged(vorn, result->Damaged, !result->Cancelled);
    TfrmFailureReport report(m_Window);
    PrepareTestReport(report, *result);
    m_Ui.execDialog(report);
}

void TTestArchiveActions::SelectDamaged()
{
    // The folder listing or the search results, whichever the list shows.
    const TEntryListModel *model = m_List.Model();
    QItemSelection damaged;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->DamageOf(row))
            damaged.select(model->index(row, 0), model->index(row, model->columnCount() - 1));
    }
    m_List.SelectionModel()->select(damaged, QItemSelectionModel::ClearAndSelect);
}

void TTestArchiveActions::UpdateEnabled()
{
    const TVornFile *vorn = m_Session.ActiveVorn();
    actTestArchive->setEnabled(vorn != nullptr);
    mniSelectDamaged->setEnabled(vorn != nullptr && m_Session.Damaged().Any(vorn));
}
