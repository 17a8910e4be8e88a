#include "extract/DropSource.h"

#include "extract/DirectSave.h"
#include "extract/DragReleaseWatch.h"
#include "extract/SameNameFolders.h"
#include "extract/WaylandDropWatch.h"

#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <optional>

namespace {

QString UriListFormat()
{
    return QStringLiteral("text/uri-list");
}

QString CopiedFilesFormat()
{
    return QStringLiteral("x-special/gnome-copied-files");
}

bool IsSingleFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c == QChar(0))
            return false;
    }
    return true;
}

} // namespace

TDropFileSource::TDropFileSource(QStringList files, TWriter onDrop)
    : m_files(std::move(files)), m_state(std::make_shared<TRenderState>())
{
    m_state->Writer = std::move(onDrop);
}

TDropFileSource::~TDropFileSource()
{
    TDirectSave::Withdraw(m_directSaveWindow);
}

QStringList TDropFileSource::formats() const
{
    if (m_files.isEmpty())
        return {};
    if (m_directSave)
        return {TDirectSave::Format(), UriListFormat()};
    if (m_copiedFiles)
        return {UriListFormat(), CopiedFilesFormat()};
    return {UriListFormat()};
}

QVariant TDropFileSource::retrieveData(const QString &mimeType, QMetaType) const
{
    if (m_files.isEmpty())
        return {};
    if (mimeType == UriListFormat())
        return UrlList();
    if (mimeType == CopiedFilesFormat() && m_copiedFiles) {
        // "copy", then one URL a line.
        const QVariant urls = UrlList();
        if (!urls.isValid())
            return {};
        QByteArray text = "copy";
        for (const QVariant &url : urls.toList())
            text += '\n' + url.toUrl().toEncoded();
        return text;
    }
    if (mimeType == TDirectSave::Format() && m_directSave)
        return DirectSaveAnswer();
    return {};
}

QVariant TDropFileSource::UrlList() const
{
    // A list of QUrl, as QMimeData::setUrls stores it: QMimeData turns it
    // into the text form when a platform asks for bytes. Built before the
    // writing: the platform may delete this object while the files are
    // written (events run meanwhile), and nothing of it is touched after.
    if (m_copiedFiles && m_state->Writing)
        return {};
    QVariantList urls;
    urls.reserve(m_files.size());
    for (const QString &path : m_files)
        urls.append(QUrl::fromLocalFile(path));
    if (DropHasHappened())
        WriteForUrlList(QEventLoop::AllEvents);
    else
        m_urlsReadDuringHover = true;
    return urls;
}

void TDropFileSource::WriteForUrlList(QEventLoop::ProcessEventsFlags events) const
{
    // The state is held here: the platform may delete this object while
    // the files are written.
    const std::shared_ptr<TRenderState> state = m_state;
    if (state->Rendered)
        return;
    // Marked first: a request arriving while the files are written must
    // not start a second writing.
    state->Rendered = true;
    if (!state->Writer)
        return;
    state->Writing = true;
    state->Writer(QFileInfo(m_files.front()).path(), events);
    state->Writing = false;
}

void TDropFileSource::NoteButtonReleased()
{
    m_releaseSeen = true;
    // The release is still queued (Qt hears it once for each of its
    // windows): input waits while the files are written, or the drag would
    // drop before they exist. The window still repaints.
    if (m_urlsReadDuringHover && m_feedbackEffect != Qt::IgnoreAction && !m_files.isEmpty() &&
        !m_state->Rendered) {
        m_state->WrittenAtRelease = true;
        WriteForUrlList(QEventLoop::ExcludeUserInputEvents);
    }
}

std::function<void()> TDropFileSource::UndoWriteAtRelease() const
{
    return [files = m_files, state = m_state] {
        if (!state->WrittenAtRelease)
            return;
        state->WrittenAtRelease = false;
        // Only the offered names: each is a file or a folder written whole.
        for (const QString &path : files) {
            const QFileInfo offered(path);
            if (offered.isDir() && !offered.isSymLink())
                QDir(path).removeRecursively();
            else
                QFile::remove(path);
        }
    };
}

QVariant TDropFileSource::DirectSaveAnswer() const
{
    // "S": saved; "E": an error the target may report. Asked only after the
    // drop, once the target has written its folder into the property.
    if (!DropHasHappened())
        return QByteArray("E");
    const QString folder = TDirectSave::ChosenFolder(m_directSaveWindow);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QByteArray("E");
    const std::shared_ptr<TRenderState> state = m_state;
    const bool written = state->Writer && state->Writer(folder, QEventLoop::AllEvents);
    return QByteArray(written ? "S" : "E");
}

bool TDropFileSource::DropHasHappened() const
{
    // A request outside a running drag (after it, or a paste) is a real one.
    if (!m_dragRunning || m_releaseSeen)
        return true;
    // Where the release is watched, only it counts; elsewhere the platform's
    // button state tells whether the button is still held.
    if (m_releaseWatched)
        return false;
    return !(QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::RightButton));
}

QStringList DragFileList(const QString &tempFolder, const QStringList &selectedNames)
{
    const std::vector<int> repeats = SameNameRepeats(selectedNames);
    QStringList files;
    files.reserve(selectedNames.size());
    for (qsizetype i = 0; i < selectedNames.size(); ++i) {
        if (IsSingleFileName(selectedNames[i]))
            files.append(SameNameFolder(tempFolder, repeats[size_t(i)]) + selectedNames[i]);
    }
    return files;
}

TDragResult MapDropAction(Qt::DropAction chosen, Qt::DropActions offered)
{
    const Qt::DropActions shared = offered & chosen;
    if (shared & Qt::CopyAction)
        return TDragResult::DropCopy;
    if (shared & Qt::MoveAction)
        return TDragResult::DropMove;
    if (shared & Qt::LinkAction)
        return TDragResult::DropLink;
    return TDragResult::Cancelled;
}

TDragResult Execute(QWidget *source, std::unique_ptr<TDropFileSource> dfs)
{
    if (!dfs || dfs->Files().isEmpty())
        return TDragResult::Cancelled;
    const Qt::DropActions offered = dfs->Dragtypes();
    // Qt deletes the drag (and with it the data) when the platform is done
    // with it, which may be after exec() returns.
    auto *drag = new QDrag(source);
    QPointer<TDropFileSource> data = dfs.release();
    drag->setMimeData(data);
    QObject::connect(drag, &QDrag::actionChanged, data,
                     [data](Qt::DropAction action) { data->SetFeedbackEffect(action); });
    TDragReleaseWatch releaseWatch(data, [data] { data->NoteButtonReleased(); });
    QCoreApplication::instance()->installEventFilter(&releaseWatch);
    const bool x11 = TDirectSave::Available();
    if (x11) {
        data->SetReleaseWatched(true);
        data->OfferDirectSave();
        QCoreApplication::instance()->installNativeEventFilter(&releaseWatch);
        // The drag's window exists once the drag loop runs: the direct-save
        // name goes there before the pointer can reach a target.
        QTimer::singleShot(0, data, [data] {
            const quint32 window = TDirectSave::DragWindow();
            TDirectSave::Offer(window, QFileInfo(data->Files().front()).fileName());
            data->SetDirectSaveWindow(window);
        });
    }
    // Under Wayland the button stays held for Qt until the target has read
    // the data; the compositor's report of the drop is watched instead.
    std::optional<TWaylandDropWatch> dropWatch;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        data->SetReleaseWatched(true);
        dropWatch.emplace(data, [data] { data->NoteDropDelivered(); });
    }
    const std::function<void()> undoWriteAtRelease = data->UndoWriteAtRelease();
    data->SetDragRunning(true);
    const Qt::DropAction chosen = drag->exec(offered);
    // No action chosen: no drop went out (X11 sends none unless the target
    // accepted), so nothing written for it will be taken.
    if (chosen == Qt::IgnoreAction)
        undoWriteAtRelease();
    dropWatch.reset();
    QCoreApplication::instance()->removeEventFilter(&releaseWatch);
    if (x11)
        QCoreApplication::instance()->removeNativeEventFilter(&releaseWatch);
    if (data)
        data->SetDragRunning(false);
    return MapDropAction(chosen, offered);
}
