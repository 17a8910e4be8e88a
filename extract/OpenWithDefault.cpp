#include "extract/OpenWithDefault.h"

#include "archive/Exceptions.h"
#include "extract/DropSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TOpenWithDefault::TOpenWithDefault(const QString &tempFolder, TLauncher launcher)
    : m_folders(tempFolder, QStringLiteral("open")), m_launcher(std::move(launcher))
{
}

TOpenWithDefault::~TOpenWithDefault() = default;

QString TOpenWithDefault::NextFolder() const
{
    return m_folders.Next();
}

QString TOpenWithDefault::Open(const QString &name, const TWriter &writer)
{
    const QString folder = m_folders.Take();
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
