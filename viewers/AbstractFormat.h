#pragma once
// TAbstractFormat: a viewable file format of the format registry. A format
// claims file names by their extension, gives the file list a type text and a
// picture index for them, and can show such a file in a window of its own.

#include "archive/FileBuffer.h"

#include <QString>
#include <optional>

class QWidget;

// What InternalView hands back: nothing when the file is shown (the format
// has then taken care of the buffer), or the buffer itself, unused, when the
// format declines the file and view dispatch is to try the next viewer.
using TDeclinedBuffer = std::optional<TFileBuffer>;

class TAbstractFormat {
public:
    // Picture index of a plain document in the file list's picture lists.
    static constexpr int DefaultIconIndex = 4;

    TAbstractFormat() = default;
    TAbstractFormat(const TAbstractFormat &) = delete;
    TAbstractFormat &operator=(const TAbstractFormat &) = delete;
    virtual ~TAbstractFormat() = default;

    // Shows the file named fileName (bare entry name) whose bytes are in
    // buffer. mainWindow owns the viewer windows that a format creates.
    virtual TDeclinedBuffer InternalView(const QString &fileName, TFileBuffer buffer,
                                         QWidget *mainWindow) = 0;
    // extension: from the last period of the name to its end, as written in
    // the name (".bmp"), or empty when the name has no period.
    virtual bool CanViewFormat(const QString &extension);
    virtual int IconIndex(const QString &extension);
    virtual QString FormatDescription(const QString &extension);
    // Shows the file inside `parent`, a container of the preview pane, by
    // adding widgets to it; false when the format can't (the default). The
    // buffer stays the caller's.
    virtual bool RenderPreview(const QString &fileName, const TFileBuffer &buffer, QWidget *parent);
};
