#include "extract/SameNameFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>

namespace {

QString Prefix()
{
    return QStringLiteral("same-name-%1:").arg(QCoreApplication::applicationPid());
}

// The key under which the file system sees a name as the same file.
QString FileNameKey(const QString &name)
{
#ifdef Q_OS_WIN
    return name.toCaseFolded();
#else
    return name;
#endif
}

QStringList OwnSameNameFolders(const QDir &dir)
{
    return dir.entryList({Prefix() + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

std::vector<int> SameNameRepeats(const QStringList &names)
{
    std::vector<int> repeats;
    repeats.reserve(size_t(names.size()));
    QHash<QString, int> seen;
    seen.reserve(names.size());
    for (const QString &name : names)
        repeats.push_back(seen[FileNameKey(name)]++);
    return repeats;
}

QString SameNameFolder(const QString &folder, int repeat)
{
    QString path = folder;
    if (!path.endsWith(u'/') && !path.endsWith(u'\\'))
        path += u'/';
    if (repeat > 0)
        path += Prefix() + QString::number(repeat) + u'/';
    return path;
}

void RemoveSameNameFolders(const QString &folder)
{
    const QDir dir(folder);
    for (const QString &name : OwnSameNameFolders(dir))
        QDir(dir.filePath(name)).removeRecursively();
}

void RemoveEmptySameNameFolders(const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : OwnSameNameFolders(dir))
        dir.rmdir(name); // fails, as wanted, on a folder that is not empty
}
