#pragma once
// A stand-in for the archive's entries and the two ends of a drag: a source
// widget that behaves like the main window's file list (press, move, drag)
// and a folder window that takes dropped files by moving them in.

#include "extract/DragStartTracker.h"
#include "extract/DropSource.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

// One item of the list: a file with bytes and a time stamp, or a folder.
struct TFakeEntry {
    QString Name;
    QByteArray Data;
    QDateTime Time;
    QList<TFakeEntry> Children; // a folder when not empty
    bool IsFolder() const { return !Children.isEmpty(); }
};

// Writes entries below folder as the extraction would: files with their
// bytes and time stamp, folders with everything below them.
void WriteEntries(const QString &folder, const QList<TFakeEntry> &entries);

// The drag's render callback: writes the entries into the folder it is
// given, counts its calls and notes the folders.
struct TRenderProbe {
    QString TempFolder;
    QList<TFakeEntry> Entries;
    int Calls = 0;
    QStringList Folders;
    TDropFileSource::TWriter Callback();
};

// Plays the main window's list: remembers the press, starts the drag on a
// large enough move with the selected names.
class TDragSourceWidget : public QWidget {
public:
    TDragSourceWidget(TRenderProbe &probe, QStringList selectedNames);
    std::optional<TDragResult> Result;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    TRenderProbe &m_probe;
    QStringList m_selected;
    TDragStartTracker m_tracker;
};

// A folder window of some other program: accepts file URLs and moves the
// files in on drop. It notes whether the files existed while the pointer
// was only passing over it.
class TFolderDropTarget : public QWidget {
public:
    explicit TFolderDropTarget(QString folder);
    QString Folder;
    int Enters = 0;
    int Drops = 0;
    bool FilesExistedBeforeDrop = false;
    QStringList Moved;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void NoteEarlyFiles(const QMimeData *data);
};

// Every file and folder below folder, relative, sorted ("a", "d", "d/x").
QStringList TreeOf(const QString &folder);
