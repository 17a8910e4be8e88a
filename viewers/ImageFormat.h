#pragma once
// The built-in image formats (TBitmapFormat for ".bmp", TRawFormat for the
// game's ".raw" textures) and what they share.

#include <QString>

class QImage;
class QWidget;

// Opens an image viewer window owned by mainWindow on the picture, titled
// after the file and centred over mainWindow.
void ShowImageWindow(const QImage &picture, const QString &fileName, QWidget *mainWindow);

// Picture index of the built-in image formats in the file list (a landscape).
constexpr int ImageFormatIconIndex = 8;
