#include "extract/StaleFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The process id in a folder name of TProcessFolders ("copy", "open") or of
// SameNameFolders; 0 for any other name.
qint64 OwnerOf(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^(?:(?:copy|open)-(\\d+)-|same-name-(\\d+):)\\d+$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return 0;
    return (match.hasCaptured(1) ? match.captured(1) : match.captured(2)).toLongLong();
}

// The file name of the program a process runs; empty when it can't be read
// (the process has ended, is a zombie, or belongs to another user).
QByteArray ProgramName(const QByteArray &process)
{
    char target[4096];
    const ssize_t length = ::readlink(("/proc/" + process + "/exe").constData(), target, sizeof target - 1);
    if (length <= 0)
        return {};
    QByteArray path(target, length);
    const QByteArray replaced = " (deleted)"; // the program was updated while it runs
    if (path.endsWith(replaced))
        path.chop(replaced.size());
    return path.mid(path.lastIndexOf('/') + 1);
}

bool RunsThisProgram(qint64 pid)
{
    if (pid == QCoreApplication::applicationPid())
        return false;
    const QByteArray name = ProgramName(QByteArray::number(pid));
    return !name.isEmpty() && name == ProgramName("self");
}

bool IsOwnRealFolder(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
           && info.st_uid == ::getuid();
}

} // namespace

void RemoveFoldersOfEndedProcesses(const QString &tempFolder)
{
    const QDir dir(tempFolder);
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        const qint64 owner = OwnerOf(name);
        const QString path = dir.filePath(name);
        if (owner > 0 && !RunsThisProgram(owner) && IsOwnRealFolder(path))
            QDir(path).removeRecursively();
    }
}
