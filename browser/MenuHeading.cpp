#include "browser/MenuHeading.h"

#include "platform/ThemeColors.h"

#include <QMenu>
#include <QPainter>

TMenuHeading::TMenuHeading(const QString &caption, QMenu *menu) : QWidget(menu), m_Caption(caption), m_Menu(menu)
{
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
}

int TMenuHeading::MeasureWidth() const
{
    const QFontMetrics metrics(m_Menu->font());
    int widest = 0;
    for (QAction *action : m_Menu->actions()) {
        QString text = action->text();
        text.remove(u'&');
        text += action->shortcut().toString(QKeySequence::NativeText);
        widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    return widest + 20;
}

QSize TMenuHeading::sizeHint() const
{
    const QFontMetrics metrics(m_Menu->font());
    return QSize(MeasureWidth(), metrics.height() + 8);
}

void TMenuHeading::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), AppWorkspaceColor(palette()));
    painter.setPen(Qt::black);
    painter.drawRect(area);
    QFont bold = m_Menu->font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::white);
    const QFontMetrics metrics(bold);
    const int top = (height() - metrics.height()) / 2; // the height of "W" is the line height
    const int left = (width() - metrics.horizontalAdvance(m_Caption)) / 2;
    painter.drawText(left, top + metrics.ascent(), m_Caption);
}

TMenuHeadingAction::TMenuHeadingAction(const QString &caption, QMenu *menu) : QWidgetAction(menu), m_Menu(menu)
{
    setText(caption);
}

QWidget *TMenuHeadingAction::createWidget(QWidget *parent)
{
    auto *heading = new TMenuHeading(text(), m_Menu);
    heading->setParent(parent);
    return heading;
}
