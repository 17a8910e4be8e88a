#pragma once
// The format registry's look-ups and view dispatch: which format or viewer
// shows a file, and who frees its buffer on each path.

#include "archive/FileBuffer.h"

#include <QString>
#include <cstdint>

class QWidget;
class TAbstractFormat;

// The part of fileName from its last period to the end, period included;
// empty when there is no period. Case is kept.
QString ExtractExtension(const QString &fileName);

// The format that claims the extension, or null. See TFormatList.
TAbstractFormat *FindClaimingFormat(const QString &extension);

// The type text of a file for the file list: the claiming format's
// description, else the upper-cased extension without its period followed by
// " File". Never raises: any error gives "Unknown".
QString GetFormatDescription(const QString &fileName);

// The picture index of a file: the claiming format's, else 4. A format's error
// is passed on.
int GetFormatIconIndex(const QString &fileName);

// Whether the first 1024 bytes look like text: tab, line feed, carriage return
// and every byte from 32 up pass. An empty buffer is not text.
bool IsTextData(const uint8_t *data, int64_t size);

// Which viewer ViewFile used.
enum class TViewer {
    None,   // the claiming format failed with an error: nothing is shown
    Format, // the claiming format (built-in or plug-in) shows the file
    Text,   // the text viewer
    Hex,    // the hex viewer
};

// Shows the file in the viewer that suits it: the format claiming its
// extension, else the text viewer for text, else the hex viewer. The buffer
// belongs to the viewer chain from here on; a format that fails with an error
// ends the dispatch silently and the buffer is freed. mainWindow owns the text
// and image viewers and is what new windows are centred over; it may be null.
TViewer ViewFile(TFileBuffer buffer, const QString &fileName, QWidget *mainWindow = nullptr);
