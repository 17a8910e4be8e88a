#include "browser/ThumbnailDelegate.h"

#include "browser/EntryListModel.h"
#include "browser/ThumbnailCache.h"
#include "viewers/ImageDecoder.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>

namespace {

constexpr int kMargin = 4;
constexpr int kTypePictureSide = 32;

} // namespace

TThumbnailDelegate::TThumbnailDelegate(TThumbnailCache &cache, QObject *parent)
    : QStyledItemDelegate(parent), m_cache(cache)
{
}

QSize TThumbnailDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int side = m_cache.Side();
    return {side + 2 * kMargin, side + option.fontMetrics.height() + 3 * kMargin};
}

void TThumbnailDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    PaintBackground(painter, option, index);

    const int side = m_cache.Side();
    const QRect pictureArea(option.rect.left() + (option.rect.width() - side) / 2, option.rect.top() + kMargin,
                            side, side);
    const QString name = index.data(Qt::DisplayRole).toString();
    const QImage *thumbnail = nullptr;
    // Each row's picture comes from its own archive: a list may mix archives.
    const auto *list = qobject_cast<const TEntryListModel *>(index.model());
    const bool isFile = list && index.row() < list->rowCount() && !list->IsFolderAt(index.row());
    if (isFile && TImageDecoder::IsImageName(name))
        thumbnail = m_cache.Thumbnail({list->VornAt(index.row()), list->EntryAt(index.row())}, name);
    if (thumbnail && !thumbnail->isNull()) {
        QRect target(QPoint(), thumbnail->size());
        target.moveCenter(pictureArea.center());
        painter->drawImage(target, *thumbnail);
    } else {
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        QRect target(0, 0, kTypePictureSide, kTypePictureSide);
        target.moveCenter(pictureArea.center());
        icon.paint(painter, target);
    }

    const QRect textArea(option.rect.left() + kMargin, pictureArea.bottom() + kMargin,
                         option.rect.width() - 2 * kMargin, option.fontMetrics.height());
    painter->setPen(option.palette.color(ColorGroup(option), selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textArea, Qt::AlignHCenter | Qt::AlignTop,
                      option.fontMetrics.elidedText(name, Qt::ElideMiddle, textArea.width()));
}

void TThumbnailDelegate::PaintBackground(QPainter *painter, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    // A selected item is highlighted whole, picture, name and margins, as a
    // file manager marks it; the style's own panel marks only the text area
    // of an item laid out its way, which here lies between picture and name.
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, option.palette.brush(ColorGroup(option), QPalette::Highlight));
    else
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget); // hover
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(ColorGroup(option), (option.state & QStyle::State_Selected)
                                                                               ? QPalette::Highlight
                                                                               : QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

QPalette::ColorGroup TThumbnailDelegate::ColorGroup(const QStyleOptionViewItem &option)
{
    if (!(option.state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
}
