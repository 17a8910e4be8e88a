#pragma once
// Registration of the program as the opener of the game's archive and save
// files and of its own collection files.

#include <QString>

#include <array>

class TClassesRoot;

struct TFileTypeRow {
    QString Extension;    // ".vmres"
    QString TypeName;     // "vorn_res"
    QString Description;  // "Velmire Resource"
};

// The file types the program registers, in the order they are written.
const std::array<TFileTypeRow, 7> &VornFileTypes();

// Writes one file type below the classes root: the extension key naming the
// type, the type's description, its icon, the "&Open" verb and its command
// "ExePath" "%1". With notify set the desktop is then told once that file
// associations have changed. Throws Exception when a key can't be written;
// what was written before stays.
void RegisterFileType(TClassesRoot &root, const QString &extension, const QString &typeName,
                      const QString &description, const QString &exePath, int iconIndex, bool notify);

// All rows of VornFileTypes for the executable, notifying once after the last.
void RegisterVornFileTypes(TClassesRoot &root, const QString &exePath);
