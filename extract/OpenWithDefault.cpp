#include "extract/OpenWithDefault.h"

#include "archive/Exceptions.h"
#include "extract/DropSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

TOpenWithDefault::TOpenWithDefault(const QString &tempFolder, TLauncher launcher)
    : m_tempFolder(tempFolder),
      m_prefix(QStringLiteral("open-%1-").arg(QCoreApplication::applicationPid())),
      m_launcher(std::move(launcher))
{
}

TOpenWithDefault::~TOpenWithDefault()
{
    QDir temp(m_tempFolder);
    for (const QString &name : temp.entryList({m_prefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot))
        QDir(temp.filePath(name)).removeRecursively();
}

QString TOpenWithDefault::NextFolder() const
{
    return QDir(m_tempFolder).filePath(m_prefix + QString::number(m_count + 1));
}

QString TOpenWithDefault::Open(const QString &name, const TWriter &writer)
{
    const QString folder = NextFolder();
    ++m_count;
    // A name that can't be a file name still goes to the writer, which
    // reports it as it reports any entry it can't write.
    const QStringList files = DragFileList(folder, {name});
    if (!QDir().mkpath(folder))
        throw Exception("Can't create the folder \"" + folder.toStdString() + '"');
    if (!writer(folder) || files.isEmpty() || !QFileInfo(files.front()).isFile()) {
        QDir(folder).removeRecursively();
        return {};
    }
    const QString file = files.front();
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    if (!m_launcher(QUrl::fromLocalFile(file))) {
        QDir(folder).removeRecursively();
        throw Exception("Can't open \"" + file.toStdString() + "\" with the default application");
    }
    return file;
}
