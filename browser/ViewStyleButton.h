#pragma once
// TViewStyleButton: the toolbar's "Style" button (tbnViewStyle). A click on
// it asks for the next style; its arrow opens its menu (mnuViewStyle), the
// list's five styles from "Big Icons" to "Thumbnails" as one checkable
// group, whose items the View menu offers too.

#include <QList>
#include <QToolButton>

class QAction;
class QMenu;

class TViewStyleButton : public QToolButton {
    Q_OBJECT

public:
    explicit TViewStyleButton(QWidget *parent = nullptr);

    QMenu *StyleMenu() const { return m_Menu; }
    // The styles' items; each item's data is its tag (0 to 4).
    const QList<QAction *> &StyleItems() const { return m_Items; }

signals:
    void styleChosen(int tag);

private:
    QMenu *m_Menu = nullptr;
    QList<QAction *> m_Items;
};
