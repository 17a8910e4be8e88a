#include "browser/PreviewDock.h"

#include "archive/vmVornFile.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FormMain.h"
#include "browser/GenFunctions.h"
#include "viewers/PreviewPane.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>

TPreviewDock::TPreviewDock(TfrmMain *window)
    : QDockWidget(QStringLiteral("Preview"), window), m_window(window), m_pane(new TPreviewPane(this))
{
    setObjectName(QStringLiteral("dckPreview"));
    setWidget(m_pane);
    setAllowedAreas(Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    window->addDockWidget(Qt::RightDockWidgetArea, this);
    hide();

    QAction *toggle = toggleViewAction();
    toggle->setText(QStringLiteral("Preview pane"));
    toggle->setObjectName(QStringLiteral("mniPreviewPane"));
    toggle->setShortcut(QKeySequence(Qt::Key_F3));
    toggle->setStatusTip(QStringLiteral("Show / Hide the preview pane"));
    // Beside the other panes of the View menu, before its first separator.
    QAction *before = nullptr;
    for (QAction *action : window->mnuView->actions()) {
        if (action->isSeparator()) {
            before = action;
            break;
        }
    }
    window->mnuView->insertAction(before, toggle);
    window->addAction(toggle); // F3 works while the menu is closed

    TFileListModel *model = window->FileListModel();
    // The list may change its model (search results), and with it the
    // selection model to follow.
    const auto followSelection = [this] {
        connect(m_window->lsvMain->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &TPreviewDock::Refresh, Qt::UniqueConnection);
        Refresh();
    };
    followSelection();
    connect(window->lsvMain, &TFileListView::modelChanged, this, followSelection);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_pane->WaitForLoads();
        m_pane->Clear();
    });
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            Refresh();
        else
            m_pane->Clear();
    });
}

QAction *TPreviewDock::ToggleAction() const
{
    return toggleViewAction();
}

void TPreviewDock::Refresh()
{
    if (isHidden())
        return;
    const TFileListModel *model = m_window->FileListModel();
    const QModelIndexList rows = m_window->lsvMain->selectionModel()->selectedRows();
    const TVornFile *vorn = model->Vorn();
    // Only rows of the listed folder are previewed, not search results.
    if (rows.size() != 1 || !vorn || rows.first().model() != model
        || size_t(rows.first().row()) >= model->Rows().size()) {
        m_pane->Clear();
        return;
    }
    const TVornChildItem &row = model->Rows()[size_t(rows.first().row())];
    if (row.ImageIndex <= TVornChildItem::FolderImage) {
        m_pane->Clear();
        return;
    }
    const TEntryOffset entry = row.Entry;
    m_pane->Preview(AnsiToQString(row.Name), row.Size, [vorn, entry] { return vorn->ReadFile(entry); });
}
