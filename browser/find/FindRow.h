#pragma once
// TFindRow: the toolbar row below the main toolbar (tbrFind) that holds the
// find bar. Beside the toolbar's buttons the field and its count would not
// fit the window's starting width, and the toolbar would hide them in its
// overflow menu.

#include <QToolBar>

class TFindBar;

class TFindRow : public QToolBar {
    Q_OBJECT

public:
    TFindRow(TFindBar *bar, QWidget *parent = nullptr);
};
