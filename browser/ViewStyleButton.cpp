#include "browser/ViewStyleButton.h"

#include "browser/PictureLists.h"

#include <QActionGroup>
#include <QMenu>

TViewStyleButton::TViewStyleButton(QWidget *parent) : QToolButton(parent)
{
    setObjectName(QStringLiteral("tbnViewStyle"));
    setText(QStringLiteral("Style"));
    setToolTip(QStringLiteral("Change the style of the listview"));
    setStatusTip(toolTip());
    setIcon(ToolbarPicture(TToolbarPicture::Style));
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setAutoRaise(true);
    setPopupMode(QToolButton::MenuButtonPopup);

    m_Menu = new QMenu(this);
    auto *group = new QActionGroup(m_Menu);
    const QStringList captions = {QStringLiteral("Big Icons"), QStringLiteral("Small Icons"),
                                  QStringLiteral("List"), QStringLiteral("Details"), QStringLiteral("Thumbnails")};
    for (int tag = 0; tag < captions.size(); ++tag) {
        QAction *item = m_Menu->addAction(captions[tag]);
        item->setCheckable(true);
        item->setData(tag);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, tag] { emit styleChosen(tag); });
        m_Items.append(item);
    }
    setMenu(m_Menu);
}
