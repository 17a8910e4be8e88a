#pragma once
// Placing new viewer windows.

class QWidget;

// Moves a top-level window so that it is centred over `over` (the main
// window), or over its screen when `over` is null.
void CentreOver(QWidget *window, const QWidget *over);
