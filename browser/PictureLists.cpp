#include "browser/PictureLists.h"

#include "browser/PaintedIconEngine.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVector>

#include <functional>

namespace {

// Every picture is drawn on a 32 x 32 grid; the icon engine scales it to the
// size and pixel ratio it is shown at.
using TPainterFn = std::function<void(QPainter &)>;

void Folder(QPainter &p, const QColor &color, bool open)
{
    p.setPen(QPen(color.darker(170), 1.2));
    p.setBrush(color.darker(115));
    QPainterPath back;
    back.moveTo(2, 8);
    back.lineTo(11, 8);
    back.lineTo(14, 11);
    back.lineTo(29, 11);
    back.lineTo(29, 27);
    back.lineTo(2, 27);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(color);
    if (open) {
        p.drawPolygon(QPolygonF({QPointF(6, 15), QPointF(31, 15), QPointF(27, 27), QPointF(2, 27)}));
    } else {
        p.drawRect(QRectF(2, 13, 27, 14));
    }
}

void Document(QPainter &p)
{
    p.setPen(QPen(QColor(90, 90, 90), 1.2));
    p.setBrush(Qt::white);
    QPainterPath page;
    page.moveTo(6, 2);
    page.lineTo(20, 2);
    page.lineTo(27, 9);
    page.lineTo(27, 30);
    page.lineTo(6, 30);
    page.closeSubpath();
    p.drawPath(page);
    p.setBrush(QColor(220, 220, 220));
    p.drawPolygon(QPolygonF({QPointF(20, 2), QPointF(20, 9), QPointF(27, 9)}));
}

void LetterA(QPainter &p)
{
    Document(p);
    QFont font(QStringLiteral("Sans"));
    font.setBold(true);
    font.setPixelSize(16);
    p.setFont(font);
    p.setPen(QColor(200, 20, 20));
    p.drawText(QRectF(6, 10, 21, 19), Qt::AlignCenter, QStringLiteral("A"));
}

void Landscape(QPainter &p)
{
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(QColor(120, 180, 240));
    p.drawRect(QRectF(2, 5, 28, 22));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 220, 60));
    p.drawEllipse(QPointF(22, 11), 3, 3);
    p.setBrush(QColor(60, 150, 60));
    p.drawPolygon(QPolygonF({QPointF(2.6, 26.4), QPointF(11, 13), QPointF(17, 21), QPointF(21, 17),
                             QPointF(29.4, 26.4)}));
}

void MapShape(QPainter &p)
{
    p.setPen(QPen(QColor(30, 100, 30), 1.2));
    p.setBrush(QColor(80, 180, 80));
    p.drawPolygon(QPolygonF({QPointF(2, 7), QPointF(11, 4), QPointF(21, 8), QPointF(30, 5),
                             QPointF(30, 25), QPointF(21, 28), QPointF(11, 24), QPointF(2, 27)}));
    p.setPen(QPen(QColor(30, 100, 30), 1));
    p.drawLine(QPointF(11, 4), QPointF(11, 24));
    p.drawLine(QPointF(21, 8), QPointF(21, 28));
}

void Loudspeaker(QPainter &p)
{
    Document(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawPolygon(QPolygonF({QPointF(9, 15), QPointF(13, 15), QPointF(18, 11), QPointF(18, 26),
                             QPointF(13, 22), QPointF(9, 22)}));
    p.setPen(QPen(QColor(40, 40, 40), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(16, 13, 7, 11), -60 * 16, 120 * 16);
}

void Block(QPainter &p)
{
    p.setPen(QPen(QColor(20, 40, 120), 1.2));
    p.setBrush(QColor(50, 90, 210));
    p.drawPolygon(QPolygonF({QPointF(4, 10), QPointF(14, 4), QPointF(28, 8), QPointF(28, 24),
                             QPointF(18, 29), QPointF(4, 24)}));
    p.setBrush(QColor(90, 140, 240));
    p.drawPolygon(QPolygonF({QPointF(4, 10), QPointF(14, 4), QPointF(28, 8), QPointF(18, 13)}));
    p.drawLine(QPointF(18, 13), QPointF(18, 29));
}

void TreeFolder(QPainter &p)
{
    Folder(p, QColor(240, 200, 80), false);
    p.setPen(QPen(QColor(20, 100, 20), 1.6));
    p.drawLine(QPointF(10, 16), QPointF(10, 25));
    p.drawLine(QPointF(10, 18), QPointF(16, 18));
    p.drawLine(QPointF(10, 23), QPointF(16, 23));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 120, 20));
    p.drawRect(QRectF(16, 16.5, 5, 3));
    p.drawRect(QRectF(16, 21.5, 5, 3));
}

TPainterFn ListPainter(int index)
{
    switch (index) {
    case 0: return TreeFolder;
    case 1: return [](QPainter &p) { Folder(p, QColor(240, 200, 80), false); };
    case 2: return [](QPainter &p) { Folder(p, QColor(250, 215, 110), true); };
    case 3: return [](QPainter &p) { Folder(p, QColor(210, 50, 40), false); };
    case 5: case 6: case 7: return LetterA;
    case 8: case 11: return Landscape;
    case 9: return MapShape;
    case 10: case 14: return Loudspeaker;
    case 12: case 13: return Block;
    default: return Document;
    }
}

void Arrow(QPainter &p, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(QPolygonF({QPointF(13, 3), QPointF(19, 3), QPointF(19, 13), QPointF(24, 13),
                             QPointF(16, 21), QPointF(8, 13), QPointF(13, 13)}));
}

TPainterFn ToolbarPainter(TToolbarPicture picture, bool hot)
{
    const auto tint = [hot](const QColor &c) { return hot ? c : QColor(145, 145, 145); };
    switch (picture) {
    case TToolbarPicture::Open:
        return [=](QPainter &p) { Folder(p, tint(QColor(240, 200, 80)), true); };
    case TToolbarPicture::Close:
        return [=](QPainter &p) {
            Folder(p, tint(QColor(240, 200, 80)), false);
            p.setPen(QPen(tint(QColor(200, 20, 20)), 3.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(17, 15), QPointF(27, 25));
            p.drawLine(QPointF(27, 15), QPointF(17, 25));
        };
    case TToolbarPicture::Extract:
        return [=](QPainter &p) {
            p.setPen(QPen(tint(QColor(110, 80, 40)), 1.2));
            p.setBrush(tint(QColor(200, 160, 100)));
            p.drawRect(QRectF(4, 18, 24, 11));
            Arrow(p, tint(QColor(30, 130, 40)));
        };
    case TToolbarPicture::View:
        return [=](QPainter &p) {
            p.setPen(QPen(tint(QColor(60, 60, 60)), 3));
            p.setBrush(tint(QColor(200, 225, 250)));
            p.drawEllipse(QPointF(13, 13), 8.5, 8.5);
            p.setPen(QPen(tint(QColor(120, 70, 30)), 5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(20, 20), QPointF(28, 28));
        };
    case TToolbarPicture::Test:
        // The archive box of Extract with a check mark over it.
        return [=](QPainter &p) {
            p.setPen(QPen(tint(QColor(110, 80, 40)), 1.2));
            p.setBrush(tint(QColor(200, 160, 100)));
            p.drawRect(QRectF(4, 18, 24, 11));
            p.setPen(QPen(tint(QColor(30, 130, 40)), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF({QPointF(8, 8), QPointF(14, 14), QPointF(25, 3)}));
        };
    case TToolbarPicture::Style:
        return [=](QPainter &p) {
            p.setPen(QPen(tint(QColor(40, 70, 140)), 1));
            p.setBrush(tint(QColor(90, 140, 220)));
            for (int row = 0; row < 3; ++row)
                for (int col = 0; col < 3; ++col)
                    p.drawRect(QRectF(3 + col * 9.5, 3 + row * 9.5, 7, 7));
        };
    }
    return Document;
}

} // namespace

QIcon ListPicture(int index)
{
    static QVector<QIcon> pictures;
    if (pictures.isEmpty())
        for (int i = 0; i < Pictures::Count; ++i)
            pictures.append(QIcon(new TPaintedIconEngine(ListPainter(i))));
    return pictures.value(index, pictures[Pictures::Document]);
}

QIcon ToolbarPicture(TToolbarPicture picture)
{
    return QIcon(new TPaintedIconEngine(ToolbarPainter(picture, false), ToolbarPainter(picture, true)));
}

QIcon FolderNodeIcon()
{
    return QIcon(new TPaintedIconEngine(ListPainter(Pictures::ClosedFolder), {}, ListPainter(Pictures::OpenFolder)));
}
