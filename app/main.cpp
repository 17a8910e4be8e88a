// VornViewer: start-up in a fixed order. The built-in image formats are
// registered while the program initialises, then the main window is created
// (it loads the plug-ins and opens the files named on the command line), then
// the long-lived dialogs, then the message loop runs until the window closes.

#include "browser/Constants.h"
#include "browser/FormMain.h"
#include "browser/GenFunctions.h"

#include "app/OrderlyQuit.h"
#include "archive/OpenFileLimit.h"
#include "extract/StaleFolders.h"
#include "platform/TerminationSignals.h"
#include "viewers/BuiltInFormats.h"
#include "viewers/ImageFormat.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    RaiseOpenFileLimit(); // every open archive holds a file
    QApplication application(argc, argv);
    QApplication::setApplicationName(AppTitle);
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3").arg(VV_VERSION_MAJOR).arg(VV_VERSION_MINOR).arg(VV_VERSION_PATCH));
    // The installed desktop entry and icon: lets the desktop match the
    // windows to the entry and show the program's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("vornviewer"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vornviewer")));
    InstallDateTimeFormatter();
    RegisterBuiltInFormats();
    // Ended by the system (shutdown, logout, Ctrl+C in a terminal), the
    // program closes as if its user did, and what it leaves in the
    // temporary folder goes; at start, what killed runs left there goes.
    TTerminationSignals termination;
    QObject::connect(&termination, &TTerminationSignals::received, &application, [] { QuitInOrder(); });
    RemoveFoldersOfEndedProcesses(PrivateTempFolder());

    TfrmMain frmMain(QApplication::arguments().mid(1));
    frmMain.CreateLongLivedDialogs();
    frmMain.show();
    return application.exec();
}
