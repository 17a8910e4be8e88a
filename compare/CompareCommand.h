#pragma once
// The Compare command of the main window: asks for two archives and opens
// the comparison window on them.

#include <QStringList>

#include <functional>

class QDialog;
class QWidget;
class TfrmCompare;

// `openArchives`: the paths of the open archives; `first`: the archive to
// offer as A (empty: the first open one). `execDialog` runs the chooser and
// tells whether it was accepted. Returns the new window, shown, or null when
// the choice was cancelled; an archive that can't be opened or compared
// raises its error.
TfrmCompare *RunCompareCommand(QWidget *mainWindow, const QStringList &openArchives, const QString &first,
                               const std::function<bool(QDialog &)> &execDialog);
