#pragma once
// Collection files (".vvc"): 8-bit text naming one archive path per line.
// The writer ends every line with CR LF; the reader ends a line at LF, drops
// every CR and stops at the character 26.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Whether the path's extension (from the last "." of its file name) is
// ".vvc" in any letter case.
bool IsCollectionPath(const QString &path);

// The file's content for these archive paths, in this order.
QByteArray CollectionBytes(const QStringList &paths);
// The lines of a collection file's content, empty lines included.
QStringList ParseCollection(const QByteArray &bytes);

// Replaces the file with the collection of these paths. The new content is
// written beside it and renamed over it, so a failure leaves an existing file
// as it was. Throws Exception on failure.
void WriteCollection(const QString &fileName, const QStringList &paths);
// The lines of the file; throws Exception when it can't be read.
QStringList ReadCollection(const QString &fileName);

// What opening a collection needs from the main window.
struct TCollectionHandlers {
    // True when an archive of this path is open; it is then made the active
    // archive and its root folder listed.
    std::function<bool(const QString &path)> selectIfOpen;
    // Opens a new archive (tree, list, caption) and adds it to the recent
    // files; throws on failure, leaving nothing opened.
    std::function<void(const QString &path)> openArchive;
    // Adds a path to the recent files.
    std::function<void(const QString &path)> addToHistory;
};

// The collection branch of opening a path: opens every archive the file
// names, in file order. An already open archive is reselected instead; a line
// naming another collection opens that one at this point. Lines naming no
// existing file and lines that fail to open are skipped silently. Afterwards
// the collection's own path is added to the recent files, so it ends up above
// its archives. A collection that is already being read further out (one that
// names itself, directly or through others) is skipped. Throws Exception,
// changing nothing, when the collection file itself can't be read.
void OpenCollection(const QString &path, const TCollectionHandlers &handlers);
