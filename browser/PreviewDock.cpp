#include "browser/PreviewDock.h"

#include "archive/vmVornFile.h"
#include "browser/FileListModel.h"
#include "browser/GenFunctions.h"
#include "browser/ListSelection.h"
#include "viewers/PreviewPane.h"

#include <QAction>

TPreviewDock::TPreviewDock(TListSelection &list, QWidget *parent)
    : QDockWidget(QStringLiteral("Preview"), parent), m_list(list), m_pane(new TPreviewPane(this))
{
    setObjectName(QStringLiteral("dckPreview"));
    setWidget(m_pane);
    setAllowedAreas(Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    hide();

    QAction *toggle = toggleViewAction();
    toggle->setText(QStringLiteral("Preview pane"));
    toggle->setObjectName(QStringLiteral("mniPreviewPane"));
    toggle->setShortcut(QKeySequence(Qt::Key_F3));
    toggle->setStatusTip(QStringLiteral("Show / Hide the preview pane"));

    connect(&list, &TListSelection::selectionChanged, this, &TPreviewDock::Refresh);
    connect(&list, &TListSelection::modelChanged, this, &TPreviewDock::Refresh);
    connect(&list.Listing(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
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
    // Only rows of the listed folder are previewed, not search results.
    const TFileListModel &listing = m_list.Listing();
    const std::vector<int> rows = m_list.ShowsListing() ? m_list.SelectedRowNumbers() : std::vector<int>();
    const TVornFile *vorn = listing.Vorn();
    if (rows.size() != 1 || !vorn || size_t(rows.front()) >= listing.Rows().size()) {
        m_pane->Clear();
        return;
    }
    const TVornChildItem &row = listing.Rows()[size_t(rows.front())];
    if (row.ImageIndex <= TVornChildItem::FolderImage) {
        m_pane->Clear();
        return;
    }
    const TEntryOffset entry = row.Entry;
    m_pane->Preview(AnsiToQString(row.Name), row.Size, [vorn, entry] { return vorn->ReadFile(entry); });
}
