#include "browser/OutgoingCommands.h"

#include "archive/vmVornFile.h"
#include "browser/BrowserSession.h"
#include "browser/GenFunctions.h"
#include "browser/ListSelection.h"
#include "browser/UiSeam.h"
#include "extract/ClipboardCopy.h"
#include "extract/DropSource.h"
#include "extract/ExtractCommand.h"
#include "browser/GroupExtraction.h"
#include "extract/OpenWithDefault.h"
#include "extract/SameNameFolders.h"

#include <QDir>

TOutgoingCommands::TOutgoingCommands(TBrowserSession &session, TListSelection &list, TUiSeam &ui, QWidget *window,
                                     std::function<TExtractHooks()> extractHooks)
    : m_Session(session), m_List(list), m_Ui(ui), m_Window(window), m_ExtractHooks(std::move(extractHooks)),
      m_TempFolder(PrivateTempFolder())
{
    m_ClipboardCopy = std::make_unique<TClipboardCopy>(m_TempFolder);
    m_OpenWith = std::make_unique<TOpenWithDefault>(m_TempFolder,
                                                    [this](const QUrl &file) { return m_Ui.openWithDefault(file); });
}

TOutgoingCommands::~TOutgoingCommands()
{
    RemoveSameNameFolders(m_TempFolder);
}

void TOutgoingCommands::Copy()
{
    const TOutgoingFiles files = m_List.Files();
    if (files.Names.isEmpty())
        return;
    // Pasted maybe much later: written from what was copied, from the
    // archives still open then.
    m_ClipboardCopy->Copy(files.Names, [this, groups = files.Groups](const QString &target,
                                                                     QEventLoop::ProcessEventsFlags events) {
        return Drop(groups, target, events);
    });
}

void TOutgoingCommands::OpenWith()
{
    const std::optional<TListSelection::TRow> row = m_List.SingleFile();
    if (!row)
        return;
    const TVornFile *vorn = row->Vorn;
    const TEntryOffset entry = row->Entry;
    const QString name = QString::fromStdString(AnsiToUtf8(vorn->GetName(entry)));
    // Written relative to its own folder: the file lands as just its name.
    m_OpenWith->Open(name, [this, vorn, entry](const QString &folder) {
        return Drop({TEntryGroup{vorn, vorn->GetParent(entry), {entry}}}, folder, QEventLoop::AllEvents);
    });
}

bool TOutgoingCommands::MouseMoved(QWidget *source, const QPoint &position, Qt::MouseButtons buttons)
{
    if (!m_DragStart.ShouldStartDrag(buttons, position, m_List.Count() > 0 && !m_Session.Busy()))
        return false;
    // Repeat subfolders of earlier drags whose files were moved out.
    RemoveEmptySameNameFolders(m_TempFolder);
    const TOutgoingFiles files = m_List.Files();
    // The drop may be rendered after the drag has returned (an X11 target
    // fetches the data later), so it works on what was dragged, not on the
    // selection or archive of that later moment.
    auto dropSource = std::make_unique<TDropFileSource>(
        DragFileList(m_TempFolder, files.Names),
        [this, groups = files.Groups](const QString &target, QEventLoop::ProcessEventsFlags events) {
            return Drop(groups, target, events);
        });
    Execute(source, std::move(dropSource));
    return true;
}

bool TOutgoingCommands::Drop(const std::vector<TEntryGroup> &groups, const QString &target,
                             QEventLoop::ProcessEventsFlags events)
{
    // Into the temporary folder the files go where the offered names point,
    // repeats of a name into their subfolders; a folder a file manager chose
    // by direct save gets them all, with the overwrite question.
    const bool intoTemp = QDir::cleanPath(target).startsWith(QDir::cleanPath(m_TempFolder));
    bool written = false;
    TExtractHooks hooks = m_ExtractHooks();
    hooks.Events = events;
    for (const TEntryGroup &group : groups) {
        const QString into = intoTemp ? SameNameFolder(target, group.Repeat) : target;
        RunReporting(m_Ui, m_Window, [&] {
            written = ExtractGroupForDragOut(m_Window, m_Session, group, into, hooks, intoTemp ? owReplaceAll : owAsk)
                      || written;
        });
    }
    if (hooks.ShowStatus)
        hooks.ShowStatus(QString());
    return written;
}
