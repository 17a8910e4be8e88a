#include "extract/DropSource.h"

#include <QDrag>
#include <QGuiApplication>
#include <QPointer>
#include <QUrl>
#include <QWidget>

namespace {

QString UriListFormat()
{
    return QStringLiteral("text/uri-list");
}

// File names compare as the file system compares them.
constexpr Qt::CaseSensitivity FileNameCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

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

TDropFileSource::TDropFileSource(QStringList files, std::function<void()> onDrop)
    : m_files(std::move(files)), m_onDrop(std::move(onDrop))
{
}

QStringList TDropFileSource::formats() const
{
    if (m_files.isEmpty())
        return {};
    return {UriListFormat()};
}

QVariant TDropFileSource::retrieveData(const QString &mimeType, QMetaType) const
{
    if (m_files.isEmpty() || mimeType != UriListFormat())
        return {};
    if (DropHasHappened())
        RenderOnce();
    // A list of QUrl, as QMimeData::setUrls stores it: QMimeData turns it
    // into the text form when a platform asks for bytes.
    QVariantList urls;
    urls.reserve(m_files.size());
    for (const QString &path : m_files)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

bool TDropFileSource::DropHasHappened() const
{
    // During the modal drag the button is held until the drop; a request
    // outside a running drag (after it, or a paste) is a real one.
    if (!m_dragRunning)
        return true;
    return !(QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::RightButton));
}

void TDropFileSource::RenderOnce() const
{
    if (m_rendered)
        return;
    // Marked first: the extraction lets events run, and a request arriving
    // meanwhile must not start a second one.
    m_rendered = true;
    if (!m_onDrop)
        return;
    try {
        m_onDrop();
    } catch (...) {
        // The callback reports its own failures; nothing may unwind through
        // the platform's drag code that called us.
    }
}

QStringList DragFileList(const QString &tempFolder, const QStringList &selectedNames)
{
    QString folder = tempFolder;
    if (!folder.endsWith(u'/') && !folder.endsWith(u'\\'))
        folder += u'/';
    QStringList files;
    for (const QString &name : selectedNames) {
        if (!IsSingleFileName(name))
            continue;
        const QString path = folder + name;
        if (!files.contains(path, FileNameCase))
            files.append(path);
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
    data->SetDragRunning(true);
    const Qt::DropAction chosen = drag->exec(offered);
    if (data)
        data->SetDragRunning(false);
    return MapDropAction(chosen, offered);
}
