#pragma once
// "Save as PNG..." of the file list's pop-up menu: one bitmap or texture of
// the archive written as a PNG file the user names.

#include "archive/vmVornFileDef.h"

class QWidget;
class TUiSeam;
class TVornFile;

// Whether the entry is a file the command applies to (a bitmap or texture
// by its name); false for a damaged entry.
bool CanSaveEntryAsPng(const TVornFile &vorn, TEntryOffset entry);

// Decodes the entry, asks for the file through the seam and writes it. Raises
// the reader's or decoder's error, or the writer's; nothing is written when
// the question is cancelled or the entry does not decode.
void SaveEntryAsPng(const TVornFile &vorn, TEntryOffset entry, TUiSeam &seam, QWidget *parent);
