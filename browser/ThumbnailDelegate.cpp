#include "browser/ThumbnailDelegate.h"

#include "browser/FileListModel.h"
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
    const auto *model = qobject_cast<const TFileListModel *>(index.model());
    const bool isFile = model && size_t(index.row()) < model->Rows().size()
                        && model->Rows()[size_t(index.row())].ImageIndex > TVornChildItem::FolderImage;
    if (isFile && TImageDecoder::IsImageName(name))
        thumbnail = m_cache.Thumbnail(TEntryOffset(index.data(TFileListModel::EntryRole).toUInt()), name);
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
