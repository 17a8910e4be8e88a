#pragma once
// TPreviewContent: what the preview pane shows for one file, worked out off
// the window's thread by Decode: the picture (already scaled down for the
// screen), the beginning of a text, or the bytes for the hex view or a
// plug-in. Plug-ins are only ever called on the window's thread, so for them
// Decode just passes the bytes on.

#include "archive/FileBuffer.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

enum class TPreviewKind {
    Empty,  // nothing selected
    Image,  // a bitmap or texture
    Text,   // text, as the text viewer would show it
    Hex,    // anything else
    Plugin, // a plug-in format's file (shown by the plug-in or in hex)
    Error,  // the file could not be read or decoded
    TooBig, // above the size limit, waiting for the button
};

// Which road the file takes, decided on the window's thread from the format
// that claims it: a built-in image format, a plug-in format, or none.
enum class TPreviewRoute { Image, Plugin, Other };

struct TPreviewContent {
    TPreviewKind Kind = TPreviewKind::Empty;
    QString Message;   // Error: what went wrong
    QImage Picture;    // Image: at most DisplaySide pixels each way, alpha not drawn
    QSize PictureSize; // Image: the picture's own size
    QString Text;      // Text: its beginning
    bool TextCut = false;
    std::shared_ptr<TFileBuffer> Data; // Hex, Plugin: the file's bytes

    // The largest side of the picture kept for the pane.
    static constexpr int DisplaySide = 1024;
    // The text shown is cut after this many bytes of the file.
    static constexpr int64_t TextLimit = 256 * 1024;

    using TLoader = std::function<TFileBuffer()>;
    // Runs the loader (which reads the file) and decodes its bytes as the
    // route says. Never raises: failures become an Error content.
    static TPreviewContent Decode(const QString &fileName, TPreviewRoute route, const TLoader &loader);
};
