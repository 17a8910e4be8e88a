#include "browser/Collection.h"

#include "archive/Exceptions.h"
#include "browser/GenFunctions.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char EndOfFileChar = 26;

// Collections being read right now, outermost first, as the file system
// names them; a collection found here again is part of a cycle.
QStringList &CollectionsInProgress()
{
    static QStringList inProgress;
    return inProgress;
}

QString IdentityOf(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

bool IsInProgress(const QString &identity)
{
    for (const QString &other : CollectionsInProgress())
        if (SamePath(other, identity))
            return true;
    return false;
}

// Marks a collection as being read for the lifetime of the object.
class TReadingMark {
public:
    explicit TReadingMark(const QString &identity) { CollectionsInProgress().append(identity); }
    ~TReadingMark() { CollectionsInProgress().removeLast(); }
    TReadingMark(const TReadingMark &) = delete;
    TReadingMark &operator=(const TReadingMark &) = delete;
};

bool FileExists(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && !info.isDir();
}

void OpenLine(const QString &line, const TCollectionHandlers &handlers)
{
    if (IsCollectionPath(line))
        OpenCollection(line, handlers);
    else if (!handlers.selectIfOpen(line))
        handlers.openArchive(line);
}

} // namespace

bool IsCollectionPath(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && name.mid(dot).compare(QLatin1String(".vvc"), Qt::CaseInsensitive) == 0;
}

QByteArray CollectionBytes(const QStringList &paths)
{
    QByteArray bytes;
    for (const QString &path : paths)
        bytes += QFile::encodeName(path) + "\r\n";
    return bytes;
}

QStringList ParseCollection(const QByteArray &bytes)
{
    QByteArray text = bytes;
    const qsizetype end = text.indexOf(EndOfFileChar);
    if (end >= 0)
        text.truncate(end);
    text.replace("\r", "");
    QList<QByteArray> lines = text.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast(); // after the last line's LF, or an empty file
    QStringList paths;
    for (const QByteArray &line : lines)
        paths.append(QFile::decodeName(line));
    return paths;
}

void WriteCollection(const QString &fileName, const QStringList &paths)
{
    WriteFileAtomically(fileName, CollectionBytes(paths));
}

QStringList ReadCollection(const QString &fileName)
{
    // Only a regular file is read: a FIFO would wait for a writer, a device
    // such as /dev/zero would never end. Opening without blocking and then
    // asking what was opened leaves no gap between the check and the read.
    QFile file;
    const int handle = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info;
    if (handle < 0 || ::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)
        || !file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (handle >= 0)
            ::close(handle);
        throw Exception(QStringLiteral("Cannot open file %1").arg(fileName).toStdString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("Read error in %1: %2").arg(fileName, file.errorString()).toStdString());
    return ParseCollection(bytes);
}

void OpenCollection(const QString &path, const TCollectionHandlers &handlers)
{
    const QString identity = IdentityOf(path);
    if (IsInProgress(identity))
        return;
    const TReadingMark mark(identity);
    // The whole file is read first, so no handle stays open while nested
    // collections are read.
    for (const QString &line : ReadCollection(path)) {
        if (!FileExists(line))
            continue;
        try {
            OpenLine(line, handlers);
        } catch (const std::exception &) {
            // A line that fails to open is skipped without a message.
        }
    }
    handlers.addToHistory(path);
}
