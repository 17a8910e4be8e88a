#pragma once
// Drag-out of archive entries as ordinary files. The dragged items are
// offered two ways:
// - as file URLs in the temporary folder while nothing exists there yet; the
//   files are written (by the OnDrop callback) the first time a drop target
//   asks for the URL list after the user has released the button. A target
//   that looks at the list while the pointer only passes over it gets the
//   URLs and nothing is written.
//   On Wayland the compositor tells when it has dropped (TWaylandDropWatch).
// - on X11 by direct save (XdndDirectSave0): after the drop the target names
//   the folder it shows, and the entries are written straight into it.
//   Targets choose: pcmanfm-qt takes direct save, Thunar and pcmanfm take
//   the URL list whenever it is offered too.
// A drag that is cancelled, or released where nothing takes files, writes
// nothing, because no one asks for the data then; files written at the
// release for a target that then did not get the drop are removed again.

#include <QEventLoop>
#include <QMimeData>
#include <QStringList>
#include <Qt>

#include <functional>
#include <memory>

class QWidget;

// How a drag ended, seen from the source.
enum class TDragResult { DropCopy, DropMove, DropLink, Cancelled };

class TDropFileSource : public QMimeData {
    Q_OBJECT
public:
    // Writes the dragged entries into a folder, running pending events of
    // the given kinds meanwhile; returns false when nothing was written.
    // Must not throw; reports its own failures.
    using TWriter = std::function<bool(const QString &folder, QEventLoop::ProcessEventsFlags events)>;

    // files: full paths offered (see DragFileList), the first in the folder
    // they are offered in and repeats of a name in its subfolders. onDrop
    // writes into that folder for the URL list; it runs at most once there.
    TDropFileSource(QStringList files, TWriter onDrop);
    ~TDropFileSource() override;

    const QStringList &Files() const { return m_files; }

    // The effects offered to the target; the drag-out offers move only, so
    // a file manager moves the fresh files out of the temporary folder.
    Qt::DropActions Dragtypes() const { return m_dragtypes; }

    // The effect last reported by the target during the drag.
    Qt::DropAction FeedbackEffect() const { return m_feedbackEffect; }
    void SetFeedbackEffect(Qt::DropAction action) { m_feedbackEffect = action; }

    // Set by Execute while the modal drag runs. Requests that arrive then
    // before the button came up come from a target looking at the data while
    // the pointer passes over it: they get the URLs, but the files are not
    // written for them.
    void SetDragRunning(bool running) { m_dragRunning = running; }
    // On X11 the drag loop keeps no button state, so the release is watched
    // in the raw input (TDragReleaseWatch) and reported here; on Wayland the
    // state shows the button held until the end, and the compositor's drop
    // is reported instead (TWaylandDropWatch).
    void SetReleaseWatched(bool watched) { m_releaseWatched = watched; }
    // The button came up (or our own window takes the drop). A target that
    // read the URL list during the hover may use it at the drop without
    // asking again (pcmanfm does): when it accepts the drop, the files are
    // written now, before the drop reaches it.
    void NoteButtonReleased();
    // On Wayland: the compositor has handed the drop to the target, so a
    // request for the URL list from now on is the target reading it for the
    // drop. Unlike the release above this writes nothing itself: the target
    // hears of the drop at the same moment, so files written now could be
    // taken while only half of them exist. A target that read the list
    // during the hover and does not ask again gets no files (and finds none
    // of them; nothing is left behind).
    void NoteDropDelivered() { m_releaseSeen = true; }

    // Direct save on X11: offered (in formats) from the start of the drag;
    // the window is the one that owns the drag's selection, where the target
    // reads the proposed name and writes the folder it chose.
    void OfferDirectSave() { m_directSave = true; }
    // For the clipboard: also offered as GNOME's list of copied files. A
    // paste that comes while the files are still being written for an
    // earlier one (a clipboard manager may read at once) gets an empty
    // answer rather than the names of files not yet complete.
    void OfferAsCopiedFiles() { m_copiedFiles = true; }
    void SetDirectSaveWindow(quint32 window) { m_directSaveWindow = window; }

    // True once OnDrop has been called for the URL list.
    bool Rendered() const { return m_state->Rendered; }

    // Removes the files written at the release (see NoteButtonReleased)
    // when the drag then ends without a drop: the target had not accepted
    // in time after all, so no one takes them. Taken before the drag runs,
    // since the platform may delete this object by the time it returns.
    std::function<void()> UndoWriteAtRelease() const;

    QStringList formats() const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    // What the writing needs; shared so that it outlives this object when
    // the platform deletes the drag while the files are being written.
    struct TRenderState {
        TWriter Writer;
        bool Rendered = false;
        bool Writing = false;
        bool WrittenAtRelease = false;
    };

    bool DropHasHappened() const;
    void WriteForUrlList(QEventLoop::ProcessEventsFlags events) const;
    QVariant UrlList() const;
    QVariant DirectSaveAnswer() const;

    QStringList m_files;
    std::shared_ptr<TRenderState> m_state;
    Qt::DropActions m_dragtypes = Qt::MoveAction;
    Qt::DropAction m_feedbackEffect = Qt::IgnoreAction;
    bool m_dragRunning = false;
    bool m_releaseWatched = false;
    bool m_releaseSeen = false;
    mutable bool m_urlsReadDuringHover = false;
    bool m_directSave = false;
    bool m_copiedFiles = false;
    quint32 m_directSaveWindow = 0;
};

// The offered paths, one per selected item in list order: tempFolder + its
// name, or for a name that came before, the name in the repeat's own
// subfolder (SameNameFolder), so that no file hides another. Names that can't be a single file name in that folder
// (empty, ".", "..", or holding "/", "\", ":" or NUL) are left out, so the
// list never points at the temporary folder itself, its parent or a file
// the extraction would not write.
QStringList DragFileList(const QString &tempFolder, const QStringList &selectedNames);

// What a drop action chosen by the target means for a source that offered
// `offered`: the first of copy, move, link that both share, else cancelled.
TDragResult MapDropAction(Qt::DropAction chosen, Qt::DropActions offered);

// Runs the modal drag with dfs as the dragged data and its Dragtypes as the
// allowed effects. The drag takes ownership of dfs: the platform may still
// ask it for data after this returns (an X11 target fetches the URLs after
// the drop), and Qt deletes it with the drag once that is over. With no
// files to offer nothing starts and the result is Cancelled.
TDragResult Execute(QWidget *source, std::unique_ptr<TDropFileSource> dfs);
