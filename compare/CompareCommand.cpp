#include "compare/CompareCommand.h"

#include "compare/FormCompare.h"
#include "compare/FormCompareChoose.h"
#include "viewers/WindowPlacement.h"

TfrmCompare *RunCompareCommand(QWidget *mainWindow, const QStringList &openArchives, const QString &first,
                               const std::function<bool(QDialog &)> &execDialog)
{
    TfrmCompareChoose chooser(openArchives, first, mainWindow);
    if (!execDialog(chooser))
        return nullptr;
    auto *window = new TfrmCompare(chooser.PathA(), chooser.PathB(), {}, mainWindow);
    CentreOver(window, mainWindow);
    window->show();
    return window;
}
