#include "browser/PreviewDock.h"

#include "archive/vmVornFile.h"
#include "browser/EntryListModel.h"
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
    connect(&list, &TListSelection::modelChanged, this, &TPreviewDock::FollowShownList);
    FollowShownList();
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

void TPreviewDock::FollowShownList()
{
    // A list's reset may be the last moment before its archive goes away.
    connect(m_list.Model(), &QAbstractItemModel::modelAboutToBeReset, this, &TPreviewDock::StopLoading,
            Qt::UniqueConnection);
    Refresh();
}

void TPreviewDock::StopLoading()
{
    m_pane->WaitForLoads();
    m_pane->Clear();
}

void TPreviewDock::Refresh()
{
    if (isHidden())
        return;
    const std::optional<TListSelection::TRow> row =
        m_list.Model()->Previewed() ? m_list.SingleFile() : std::optional<TListSelection::TRow>();
    if (!row) {
        m_pane->Clear();
        return;
    }
    const TVornFile *vorn = row->Vorn;
    const TEntryOffset entry = row->Entry;
    uint64_t size = 0;
    try {
        size = vorn->GetSize(entry);
    } catch (const std::exception &) {
        m_pane->Clear(); // a damaged record: nothing to read
        return;
    }
    m_pane->Preview(row->Name, size, [vorn, entry] { return vorn->ReadFile(entry); });
}
