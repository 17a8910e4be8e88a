#include "browser/SaveEntryAsPng.h"

#include "archive/vmVornFile.h"
#include "browser/GenFunctions.h"
#include "browser/UiSeam.h"
#include "viewers/ImageDecoder.h"
#include "viewers/PngWriter.h"

#include <QImage>
#include <exception>

bool CanSaveEntryAsPng(const TVornFile &vorn, TEntryOffset entry)
{
    try {
        return !vorn.IsDirectory(entry) && TImageDecoder::IsImageName(AnsiToQString(vorn.GetName(entry)));
    } catch (const std::exception &) {
        return false; // a damaged entry: the command is not offered
    }
}

void SaveEntryAsPng(const TVornFile &vorn, TEntryOffset entry, TUiSeam &seam, QWidget *parent)
{
    const QString name = AnsiToQString(vorn.GetName(entry));
    // Decoded before the question, so that a damaged file is reported at once.
    const TFileBuffer data = vorn.ReadFile(entry);
    const QImage picture = TImageDecoder::Decode(name, data.data(), data.size());
    const QString path = seam.askSavePngName(parent, TPngWriter::PngFileName(name));
    if (!path.isEmpty())
        TPngWriter::Save(picture, path);
}
