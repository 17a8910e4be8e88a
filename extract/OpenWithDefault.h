#pragma once
// Opens one archive entry with the desktop's default application for its
// type. The entry is written into a fresh folder of its own below the
// temporary folder, so entries of the same name from different folders or
// archives never meet and the file keeps its name (the application shows
// it). The copy is made read-only: it goes when this program ends, so an
// editor should not invite the user to save changes into it. The folders of
// this program's opens are removed when it ends.

#include "extract/ProcessFolders.h"

#include <QString>
#include <QUrl>

#include <functional>

class TOpenWithDefault {
public:
    // Writes the entry into the folder it is given; false when nothing ran.
    using TWriter = std::function<bool(const QString &folder)>;
    // Hands a file to the desktop; false when that could not be done.
    using TLauncher = std::function<bool(const QUrl &file)>;

    TOpenWithDefault(const QString &tempFolder, TLauncher launcher);
    ~TOpenWithDefault();
    TOpenWithDefault(const TOpenWithDefault &) = delete;
    TOpenWithDefault &operator=(const TOpenWithDefault &) = delete;

    // Writes the entry called name and opens it; returns the file handed to
    // the desktop, or empty when the writing produced no file (the writer
    // reports its own failures). Throws Exception when the desktop can't
    // open the file.
    QString Open(const QString &name, const TWriter &writer);

    // The folder the next open uses.
    QString NextFolder() const;

private:
    TProcessFolders m_folders;
    TLauncher m_launcher;
};
