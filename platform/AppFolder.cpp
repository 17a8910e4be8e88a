#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

QString &SettingsOverride()
{
    static QString fileName;
    return fileName;
}

bool IsWritableFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    // access() also sees read-only mounts, which permission bits don't show.
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
#else
    return QFileInfo(folder).isWritable();
#endif
}

QString WithTrailingSlash(QString folder)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

}  // namespace

QString GetAppFolder()
{
    return WithTrailingSlash(QCoreApplication::applicationDirPath());
}

bool IsInstalledProgramFolder(const QString &appFolder)
{
    const QDir folder(QDir::cleanPath(appFolder));
    if (folder.dirName() != QStringLiteral("bin"))
        return false;
    const QString prefix = QDir::cleanPath(folder.absoluteFilePath(QStringLiteral("..")));
    for (const char *systemPrefix : {"/", "/usr", "/usr/local"})
        if (prefix == QLatin1String(systemPrefix))
            return true;
    return QFileInfo(prefix + QStringLiteral("/lib/vornviewer")).isDir();
}

QString SettingsFileNameFor(const QString &appFolder, const QString &configFolder)
{
    if (!IsInstalledProgramFolder(appFolder) && IsWritableFolder(appFolder))
        return WithTrailingSlash(appFolder) + SettingsBaseName();
    return WithTrailingSlash(configFolder) + SettingsBaseName();
}

QString SettingsFileName()
{
    if (!SettingsOverride().isEmpty())
        return SettingsOverride();
    return SettingsFileNameFor(GetAppFolder(), QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

void SetSettingsFileNameOverride(const QString &fileName)
{
    SettingsOverride() = fileName;
}
