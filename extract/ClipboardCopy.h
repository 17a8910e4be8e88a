#pragma once
// Copy of list entries as files, for pasting in a file manager: the
// clipboard offers the file URLs (text/uri-list and GNOME's
// x-special/gnome-copied-files) of a fresh folder below the temporary
// folder, and the files are written there only when a program pastes. The
// folders of this program's copies are removed when it ends.

#include "extract/DropSource.h"
#include "extract/ProcessFolders.h"

#include <QString>
#include <QStringList>

class TClipboardCopy {
public:
    explicit TClipboardCopy(const QString &tempFolder);
    ~TClipboardCopy();
    TClipboardCopy(const TClipboardCopy &) = delete;
    TClipboardCopy &operator=(const TClipboardCopy &) = delete;

    // Puts the named entries on the clipboard; writer writes them into the
    // folder it is given at the first paste.
    void Copy(const QStringList &names, TDropFileSource::TWriter writer);

    // The folder the next copy uses.
    QString NextFolder() const;

private:
    TProcessFolders m_folders;
};
