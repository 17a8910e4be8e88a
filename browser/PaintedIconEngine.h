#pragma once
// An icon drawn by a function at whatever size and device pixel ratio it is
// asked for, so pictures stay sharp on high-DPI screens. Pixmaps are cached
// per size and mode.

#include <QHash>
#include <QIconEngine>
#include <QPixmap>

#include <functional>

class TPaintedIconEngine : public QIconEngine {
public:
    // Draws the picture on a 32 x 32 grid; the engine scales the painter.
    using TPaint = std::function<void(QPainter &)>;

    // normal is drawn for every mode that has no painter of its own; the
    // disabled look is made from it by the style.
    explicit TPaintedIconEngine(TPaint normal, TPaint active = {}, TPaint selected = {});

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;

private:
    QPixmap Render(int side, QIcon::Mode mode) const;

    TPaint m_Normal;
    TPaint m_Active;
    TPaint m_Selected;
    QHash<quint64, QPixmap> m_Cache;
};
