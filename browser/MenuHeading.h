#pragma once
// TMenuHeading: a pop-up menu heading drawn by the window: white bold caption
// on the application-workspace colour with a black outline, as wide as the
// widest caption-plus-shortcut of its menu plus 20 pixels. It looks the same
// whether highlighted or not and does nothing when clicked.

#include <QWidget>
#include <QWidgetAction>

class QMenu;

class TMenuHeading : public QWidget {
    Q_OBJECT

public:
    TMenuHeading(const QString &caption, QMenu *menu);

    QSize sizeHint() const override;
    QString caption() const { return m_Caption; }
    // The width rule: widest caption + shortcut text of the menu + 20.
    int MeasureWidth() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_Caption;
    QMenu *m_Menu;
};

// The heading as a menu item.
class TMenuHeadingAction : public QWidgetAction {
    Q_OBJECT

public:
    TMenuHeadingAction(const QString &caption, QMenu *menu);

protected:
    QWidget *createWidget(QWidget *parent) override;

private:
    QMenu *m_Menu;
};
