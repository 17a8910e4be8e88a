#pragma once
// Drag-out of archive entries as ordinary files. The dragged items are
// offered as file URLs in the temporary folder while nothing exists there
// yet; the files are written (by the OnDrop callback) the first time a drop
// target asks for the URL list after the user has released the button. A
// drag that is cancelled, or released where nothing takes files, writes
// nothing, because no one asks for the data then.

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
    // files: full paths offered (see DragFileList). onDrop writes them; it
    // runs at most once, must not throw, and reports its own failures.
    TDropFileSource(QStringList files, std::function<void()> onDrop);

    const QStringList &Files() const { return m_files; }

    // The effects offered to the target; the drag-out offers move only, so
    // a file manager moves the fresh files out of the temporary folder.
    Qt::DropActions Dragtypes() const { return m_dragtypes; }
    void SetDragtypes(Qt::DropActions actions) { m_dragtypes = actions; }

    // The effect last reported by the target during the drag.
    Qt::DropAction FeedbackEffect() const { return m_feedbackEffect; }
    void SetFeedbackEffect(Qt::DropAction action) { m_feedbackEffect = action; }

    // Set by Execute while the modal drag runs. Requests that arrive then
    // with the left or right button still held come from a target looking at
    // the data while the pointer passes over it: they get the URLs, but the
    // files are not written for them.
    void SetDragRunning(bool running) { m_dragRunning = running; }

    // True once OnDrop has been called.
    bool Rendered() const { return m_rendered; }

    QStringList formats() const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    bool DropHasHappened() const;
    void RenderOnce() const;

    QStringList m_files;
    std::function<void()> m_onDrop;
    Qt::DropActions m_dragtypes = Qt::MoveAction;
    Qt::DropAction m_feedbackEffect = Qt::IgnoreAction;
    bool m_dragRunning = false;
    mutable bool m_rendered = false;
};

// The offered paths: tempFolder + each selected item's name, in list order,
// each path once. Names that can't be a single file name in that folder
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
