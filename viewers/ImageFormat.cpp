#include "viewers/ImageFormat.h"

#include "viewers/FormatList.h"
#include "viewers/ImageFormatForm.h"
#include "viewers/WindowPlacement.h"

#include <memory>

void ShowImageWindow(const QImage &picture, const QString &fileName, QWidget *mainWindow)
{
    auto window = std::make_unique<TForm1>(mainWindow);
    window->SetPicture(picture);
    window->SetSourceName(fileName);
    window->setWindowTitle(fileName + QStringLiteral(" - Image Viewer"));
    CentreOver(window.get(), mainWindow);
    window->show();
    window.release(); // from here on the window deletes itself when closed
}
