#include "browser/TestArchiveActions.h"

#include "browser/BrowserSession.h"
#include "browser/FileListView.h"
#include "browser/FormMain.h"
#include "browser/EntryListModel.h"
#include "browser/PictureLists.h"
#include "browser/UiSeam.h"
#include "extract/FormFailureReport.h"
#include "extract/TestArchiveCommand.h"

#include <QAction>
#include <QItemSelectionModel>

TTestArchiveActions::TTestArchiveActions(TfrmMain &window) : QObject(&window), m_Window(window)
{
    actTestArchive = new QAction(QStringLiteral("Test Archive"), this);
    actTestArchive->setStatusTip(QStringLiteral("Check every file of the active vorn for damage"));
    actTestArchive->setToolTip(actTestArchive->statusTip());
    actTestArchive->setIcon(ToolbarPicture(TToolbarPicture::Test));
    mniSelectDamaged = new QAction(QStringLiteral("Select Damaged"), this);
    mniSelectDamaged->setStatusTip(QStringLiteral("Select the entries Test Archive found damaged"));
    actTestArchive->setEnabled(false);
    mniSelectDamaged->setEnabled(false);
}

void TTestArchiveActions::TestArchive()
{
    TBrowserSession &session = m_Window.Session();
    const TVornFile *vorn = session.ActiveVorn();
    if (!vorn)
        return;
    const std::optional<TVerifyResult> result = RunTestArchive(&m_Window, *vorn, session.BusyFlag());
    if (!result)
        return;
    session.SetDamaged(vorn, result->Damaged, !result->Cancelled);
    UpdateEnabled();
    TfrmFailureReport report(&m_Window);
    PrepareTestReport(report, *result);
    m_Window.Ui().execDialog(report);
}

void TTestArchiveActions::SelectDamaged()
{
    // The folder listing or the search results, whichever the list shows.
    QItemSelectionModel *selection = m_Window.lsvMain->selectionModel();
    const auto *model = qobject_cast<const TEntryListModel *>(selection->model());
    if (!model)
        return;
    QItemSelection damaged;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->DamageOf(row))
            damaged.select(model->index(row, 0), model->index(row, model->columnCount() - 1));
    }
    selection->select(damaged, QItemSelectionModel::ClearAndSelect);
}

void TTestArchiveActions::UpdateEnabled()
{
    const TBrowserSession &session = m_Window.Session();
    const TVornFile *vorn = session.ActiveVorn();
    actTestArchive->setEnabled(vorn != nullptr);
    mniSelectDamaged->setEnabled(vorn != nullptr && session.Damaged().Any(vorn));
}
