#pragma once
// TThumbnailDelegate: draws one item of the "Thumbnails" view style: the
// picture of a bitmap or texture, decoded from the row's own archive (its
// type picture until the thumbnail is ready), or the type picture of any
// other row, with the name below. A selected item is highlighted whole.

#include <QStyledItemDelegate>

class TThumbnailCache;

class TThumbnailDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TThumbnailDelegate(TThumbnailCache &cache, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // The selection (the whole item), hover and the focus frame.
    void PaintBackground(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    static QPalette::ColorGroup ColorGroup(const QStyleOptionViewItem &option);

    TThumbnailCache &m_cache;
};
