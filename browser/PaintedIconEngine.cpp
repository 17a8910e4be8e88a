#include "browser/PaintedIconEngine.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

TPaintedIconEngine::TPaintedIconEngine(TPaint normal, TPaint active, TPaint selected)
    : m_Normal(std::move(normal)), m_Active(std::move(active)), m_Selected(std::move(selected))
{
}

QPixmap TPaintedIconEngine::Render(int side, QIcon::Mode mode) const
{
    const TPaint &draw = mode == QIcon::Active && m_Active ? m_Active
                         : mode == QIcon::Selected && m_Selected ? m_Selected
                                                                 : m_Normal;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / 32.0, side / 32.0);
    draw(painter);
    return pixmap;
}

QPixmap TPaintedIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State)
{
    const int side = std::max(1, std::min(size.width(), size.height()));
    const quint64 key = (quint64(side) << 8) | quint64(mode);
    const auto cached = m_Cache.constFind(key);
    if (cached != m_Cache.constEnd())
        return *cached;
    QPixmap pixmap = Render(side, mode == QIcon::Disabled ? QIcon::Normal : mode);
    if (mode == QIcon::Disabled && qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QStyleOption option;
        option.palette = QApplication::palette();
        pixmap = QApplication::style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
    }
    m_Cache.insert(key, pixmap);
    return pixmap;
}

void TPaintedIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap picture = pixmap(rect.size() * ratio, mode, state);
    picture.setDevicePixelRatio(ratio);
    const QSize shown = picture.deviceIndependentSize().toSize();
    painter->drawPixmap(QRect(rect.topLeft() + QPoint((rect.width() - shown.width()) / 2,
                                                      (rect.height() - shown.height()) / 2),
                              shown),
                        picture);
}

QSize TPaintedIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State)
{
    const int side = std::min(size.width(), size.height());
    return QSize(side, side);
}

QList<QSize> TPaintedIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    return {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
}

QIconEngine *TPaintedIconEngine::clone() const
{
    return new TPaintedIconEngine(m_Normal, m_Active, m_Selected);
}

QString TPaintedIconEngine::key() const
{
    return QStringLiteral("TPaintedIconEngine");
}
