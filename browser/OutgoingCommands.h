#pragma once
// TOutgoingCommands: the selected list rows handed out as files -- dragged
// out of the list, copied to the clipboard, opened with the desktop's
// default application. The files are written by the extraction when they are
// asked for (the drop, the paste; Open with at once), from what was selected
// when the command began and from the archives still open at that moment:
// into the temporary folder, or into the folder a file manager named.

#include "browser/OutgoingFiles.h"
#include "extract/DragStartTracker.h"

#include <QEventLoop>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;
class TBrowserSession;
class TClipboardCopy;
class TListSelection;
class TOpenWithDefault;
class TUiSeam;
struct TExtractHooks;

class TOutgoingCommands {
public:
    // `extractHooks` gives what an extraction run needs from the window.
    TOutgoingCommands(TBrowserSession &session, TListSelection &list, TUiSeam &ui, QWidget *window,
                      std::function<TExtractHooks()> extractHooks);
    ~TOutgoingCommands();

    // This process's own folder below the system's temporary folder, with a
    // trailing "/".
    const QString &TempFolder() const { return m_TempFolder; }

    // A mouse button went down in the list (viewport position).
    void MousePressed(const QPoint &position) { m_DragStart.MouseDown(position); }
    // A mouse move over the list: drags the selected rows out of `source`
    // once a button has moved far enough; true when a drag ran.
    bool MouseMoved(QWidget *source, const QPoint &position, Qt::MouseButtons buttons);
    void Copy();
    // The one selected file, written into a folder of its own below the
    // temporary folder and handed to its default application.
    void OpenWith();
    // Writes the entries into target: the temporary folder (replacing what
    // is there) or a folder a file manager named (asking before replacing).
    // False when nothing was written.
    bool Drop(const std::vector<TEntryGroup> &groups, const QString &target,
              QEventLoop::ProcessEventsFlags events = QEventLoop::AllEvents);

private:
    TBrowserSession &m_Session;
    TListSelection &m_List;
    TUiSeam &m_Ui;
    QWidget *m_Window;
    std::function<TExtractHooks()> m_ExtractHooks;
    QString m_TempFolder;
    TDragStartTracker m_DragStart;
    std::unique_ptr<TClipboardCopy> m_ClipboardCopy;
    std::unique_ptr<TOpenWithDefault> m_OpenWith;
};
