#include "browser/ThumbnailView.h"

#include "browser/EntryListModel.h"
#include "browser/ThumbnailCache.h"
#include "browser/ThumbnailDelegate.h"

TThumbnailView::TThumbnailView(QWidget *parent)
    : QListView(parent), m_cache(new TThumbnailCache(this))
{
    setObjectName(QStringLiteral("lsvMainThumbnails"));
    setItemDelegate(new TThumbnailDelegate(*m_cache, this));
    setViewMode(QListView::IconMode);
    setUniformItemSizes(true);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWrapping(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(2000);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QSize item = itemDelegate()->sizeHint(option, QModelIndex());
    setGridSize(item + QSize(4, 4));
    connect(m_cache, &TThumbnailCache::ready, viewport(), qOverload<>(&QWidget::update));
}

void TThumbnailView::setModel(QAbstractItemModel *model)
{
    if (QAbstractItemModel *previous = this->model())
        disconnect(previous, nullptr, m_cache, nullptr);
    QListView::setModel(model);
    // The decodes read the listed archives: they end before an archive can
    // go away, and go on with the archives listed next.
    if (model) {
        connect(model, &QAbstractItemModel::modelAboutToBeReset, m_cache, &TThumbnailCache::WaitForDecodes);
        connect(model, &QAbstractItemModel::modelReset, m_cache, [this] { FollowArchives(); });
    }
    FollowArchives();
}

void TThumbnailView::FollowArchives()
{
    const auto *list = qobject_cast<const TEntryListModel *>(model());
    m_cache->SetArchives(list ? list->Archives() : std::vector<const TVornFile *>());
}

QSet<TThumbnailKey> TThumbnailView::VisibleItems() const
{
    QSet<TThumbnailKey> visible;
    const auto *list = qobject_cast<const TEntryListModel *>(model());
    const QSize grid = gridSize();
    const QRect area = viewport()->rect();
    if (!list || grid.isEmpty())
        return visible;
    // Items sit on the grid: probing every half cell, and the edges, finds
    // the items cut off at the edges too.
    const auto probes = [](int first, int last, int step) {
        QList<int> points;
        for (int at = first; at < last; at += std::max(1, step / 2))
            points.append(at);
        points.append(last);
        return points;
    };
    for (const int y : probes(area.top(), area.bottom(), grid.height())) {
        for (const int x : probes(area.left(), area.right(), grid.width())) {
            const QModelIndex index = indexAt(QPoint(x, y));
            if (index.isValid())
                visible.insert({list->VornAt(index.row()), list->EntryAt(index.row())});
        }
    }
    return visible;
}

void TThumbnailView::paintEvent(QPaintEvent *event)
{
    m_cache->KeepOnly(VisibleItems());
    QListView::paintEvent(event);
}
