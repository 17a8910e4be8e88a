#pragma once
// TPngWriter: pictures as PNG files through Qt's image writer. The alpha
// channel of a picture that has one is written as it is.

#include <QByteArray>
#include <QString>

class QImage;
class QWidget;

class TPngWriter {
public:
    // The PNG bytes of the picture; raises Exception when it can't be encoded.
    static QByteArray Encode(const QImage &picture);
    // Writes the picture to `path`, replacing an existing file only once the
    // new one is complete; raises Exception with the reason on failure.
    static void Save(const QImage &picture, const QString &path);
    // The name a file is saved under as PNG: its name with the extension
    // replaced by ".png" ("grass.raw" -> "grass.png").
    static QString PngFileName(const QString &fileName);
    // Asks for the file to save to, starting from `suggestedName`; empty
    // when cancelled.
    static QString AskFileName(QWidget *parent, const QString &suggestedName);
};
