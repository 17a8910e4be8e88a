#include "browser/MountedFolders.h"

#include "archive/Exceptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace {

// A mount of a big archive reads its whole index first.
constexpr int MountTimeoutMs = 60000;
constexpr int UnmountTimeoutMs = 10000;
constexpr int UnmountAttempts = 10;

QString DefaultBase()
{
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    return runtime + QStringLiteral("/vornviewer");
}

std::string Text(const QString &text)
{
    return text.toStdString();
}

} // namespace

TMountedFolders::TMountedFolders(QString tool, QString base, QObject *parent)
    : QObject(parent), m_Tool(tool.isEmpty() ? DefaultTool() : tool), m_Base(base.isEmpty() ? DefaultBase() : base)
{
}

TMountedFolders::~TMountedFolders()
{
    UnmountAll();
}

QString TMountedFolders::DefaultTool()
{
    const QString folder = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {folder + QStringLiteral("/vorntool"), folder + QStringLiteral("/../vorntool/vorntool")})
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).absoluteFilePath();
    return QStandardPaths::findExecutable(QStringLiteral("vorntool"));
}

// "<base>/<name>", numbered when that folder is taken.
QString TMountedFolders::NewMountPoint(const QString &name) const
{
    QString candidate = m_Base + QLatin1Char('/') + name;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = m_Base + QStringLiteral("/%1 (%2)").arg(name).arg(n);
    return candidate;
}

const TMountedFolder &TMountedFolders::Mount(const QString &archive)
{
    return Start({archive, {}, {}, {}}, QFileInfo(archive).fileName(), {archive});
}

const TMountedFolder &TMountedFolders::MountMerged(const QStringList &archives, const QString &caption)
{
    return Start({caption, archives, {}, {}}, QStringLiteral("Game"), QStringList{QStringLiteral("--merged")} + archives);
}

const TMountedFolder &TMountedFolders::Start(TMountedFolder mount, const QString &folderName,
                                             const QStringList &arguments)
{
    if (m_Tool.isEmpty())
        throw Exception("vorntool, which mounts archives, is not installed");
    if (!QDir().mkpath(m_Base))
        throw Exception(Text(QStringLiteral("Cannot create the folder %1").arg(m_Base)));
    mount.mountPoint = NewMountPoint(folderName);
    if (!QDir().mkdir(mount.mountPoint))
        throw Exception(Text(QStringLiteral("Cannot create the folder %1").arg(mount.mountPoint)));
    QProcess tool;
    tool.start(m_Tool, QStringList{QStringLiteral("mount"), QStringLiteral("-b")} + arguments + QStringList{mount.mountPoint});
    // With -b, vorntool returns once the folder is mounted, or with the reason it can't be.
    const bool finished = tool.waitForFinished(MountTimeoutMs);
    const QString output = QString::fromUtf8(tool.readAllStandardError()).trimmed();
    if (!finished || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        tool.kill();
        tool.waitForFinished();
        QDir().rmdir(mount.mountPoint);
        // A game view names why each archive was left out before it gives up.
        const QString reason = output.isEmpty()            ? tool.errorString()
                               : !mount.members.isEmpty() ? output
                                                          : output.split(QLatin1Char('\n')).last();
        throw Exception(Text(QStringLiteral("Cannot mount %1: %2").arg(mount.archive, reason)));
    }
    mount.warnings = output;
    m_Mounts.push_back(std::move(mount));
    emit changed();
    return m_Mounts.back();
}

QString TMountedFolders::RunFusermount(const QStringList &arguments, int &exitCode)
{
    QProcess fusermount;
    fusermount.start(QStringLiteral("fusermount3"), arguments);
    if (!fusermount.waitForFinished(UnmountTimeoutMs) || fusermount.exitStatus() != QProcess::NormalExit) {
        fusermount.kill();
        fusermount.waitForFinished();
        exitCode = -1;
        return fusermount.errorString();
    }
    exitCode = fusermount.exitCode();
    return QString::fromUtf8(fusermount.readAllStandardError()).trimmed();
}

void TMountedFolders::Unmount(const QString &mountPoint)
{
    const auto found = std::find_if(m_Mounts.begin(), m_Mounts.end(),
                                    [&](const TMountedFolder &m) { return m.mountPoint == mountPoint; });
    if (found == m_Mounts.end())
        return;
    // The desktop's volume monitors look into a new mount for a moment: a
    // busy mount is tried again briefly before the user hears about it.
    int exitCode = 0;
    QString message;
    for (int attempt = 0; attempt < UnmountAttempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(100);
        message = RunFusermount({QStringLiteral("-u"), mountPoint}, exitCode);
        if (exitCode == 0)
            break;
    }
    if (exitCode != 0)
        throw Exception(Text(QStringLiteral("Cannot unmount %1: %2").arg(mountPoint, message)));
    QDir().rmdir(mountPoint);
    m_Mounts.erase(found);
    emit changed();
}

void TMountedFolders::UnmountAll()
{
    if (m_Mounts.empty())
        return;
    for (const TMountedFolder &mount : m_Mounts) {
        int exitCode = 0;
        // Lazily: a program that still holds a file keeps it until it lets go.
        RunFusermount({QStringLiteral("-uz"), mount.mountPoint}, exitCode);
        QDir().rmdir(mount.mountPoint);
    }
    m_Mounts.clear();
    emit changed();
}
