#include "browser/find/FindRow.h"

#include "browser/find/FindBar.h"

#include <QAction>

TFindRow::TFindRow(TFindBar *bar, QWidget *parent) : QToolBar(QStringLiteral("Find"), parent)
{
    setObjectName(QStringLiteral("tbrFind"));
    setMovable(false);
    setFloatable(false);
    toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::PreventContextMenu);
    addWidget(bar);
}
