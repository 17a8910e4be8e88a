#include "viewers/PngWriter.h"

#include "archive/Exceptions.h"

#include <QBuffer>
#include <QFileDialog>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

namespace {

void Write(const QImage &picture, QIODevice &device)
{
    QImageWriter writer(&device, "png");
    if (picture.isNull() || !writer.write(picture))
        throw Exception("Can't write the picture as PNG: " + writer.errorString().toStdString());
}

} // namespace

QByteArray TPngWriter::Encode(const QImage &picture)
{
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    Write(picture, device);
    return bytes;
}

void TPngWriter::Save(const QImage &picture, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception("Can't create " + path.toStdString() + ": " + file.errorString().toStdString());
    Write(picture, file);
    if (!file.commit())
        throw Exception("Can't write " + path.toStdString() + ": " + file.errorString().toStdString());
}

QString TPngWriter::PngFileName(const QString &fileName)
{
    const qsizetype period = fileName.lastIndexOf(u'.');
    return (period > 0 ? fileName.left(period) : fileName) + QStringLiteral(".png");
}

QString TPngWriter::AskFileName(QWidget *parent, const QString &suggestedName)
{
    QFileDialog dialog(parent, QStringLiteral("Save as PNG"), QString(), QStringLiteral("PNG images (*.png)"));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
