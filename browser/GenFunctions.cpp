#include "browser/GenFunctions.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

QString LongFileName(const QString &path)
{
    if (path.contains(QLatin1String("\\\\")) || path.contains(u'*') || path.contains(u'?'))
        return path;
    if (path.isEmpty())
        return QString();
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (full.isEmpty())
        return QString();
#ifdef Q_OS_WIN
    // Look up each component's stored name below the drive.
    QString rest = full;
    QString suffix;
    while (rest.size() > 3) {
        const QFileInfo info(rest);
        const QStringList found = info.dir().entryList(QStringList{info.fileName()},
                                                       QDir::AllEntries | QDir::Hidden | QDir::System);
        if (found.isEmpty())
            return QString();
        suffix.prepend(u'/' + found.first());
        rest = info.path();
    }
    return QDir::cleanPath(rest + suffix);
#else
    // Linux file systems store names exactly as they are given: each
    // component only has to exist.
    if (!QFileInfo::exists(full))
        return QString();
    return full;
#endif
}

bool SameTextAsciiCase(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'a' && x <= u'z')
            x -= 32;
        if (y >= u'a' && y <= u'z')
            y -= 32;
        if (x != y)
            return false;
    }
    return true;
}

bool SamePath(const QString &a, const QString &b)
{
#ifdef Q_OS_WIN
    return SameTextAsciiCase(a, b);
#else
    return a == b;
#endif
}

QString FileNamePart(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1);
}

QString FolderPart(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    if (slash < 0)
        return QString();
    return slash == 0 ? path.left(1) : path.left(slash);
}

QString WithTrailingSeparator(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(u'\\'))
        return folder;
    return folder + u'/';
}

QString ErrorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}

QString AnsiToQString(const std::string &ansi)
{
    bool plain = true;
    for (unsigned char c : ansi)
        plain = plain && c < 0x80;
    if (plain)
        return QString::fromLatin1(ansi.data(), qsizetype(ansi.size()));
    return QString::fromStdString(AnsiToUtf8(ansi));
}

std::string PathToLocal(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

QString PathFromLocal(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

namespace {

// The locale's long time format without its time-zone field: archive times
// carry no zone, like the long time of the Windows locale.
QString LongTimeFormat(const QLocale &locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            result += c;
    }
    return result.simplified();
}

QString DateTimeText(const QDate &date, const QTime &time)
{
    const QLocale locale = QLocale::system();
    QString text = locale.toString(date, QLocale::ShortFormat);
    if (time != QTime(0, 0))
        text += u' ' + locale.toString(time, LongTimeFormat(locale));
    return text;
}

std::string LocaleFormatter(const TDosDateTime &dos)
{
    return DateTimeText(QDate(dos.year, dos.month, dos.day),
                        QTime(dos.hour, dos.minute, dos.second)).toStdString();
}

#ifndef Q_OS_WIN
// A folder (not a link to one) that belongs to this user.
bool IsOwnRealFolder(const QString &path)
{
    struct stat info {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == getuid();
}
#endif

} // namespace

QString DateTimeToText(TDateTime value)
{
    const double days = std::floor(value);
    const int seconds = int(std::lround((value - days) * 86400.0));
    const QDate date = QDate(1899, 12, 30).addDays(qint64(days) + seconds / 86400);
    return DateTimeText(date, QTime(0, 0).addSecs(seconds % 86400));
}

void InstallDateTimeFormatter()
{
    SetDateTimeFormatter(LocaleFormatter);
}

QString PrivateTempFolder()
{
    const QString user = qEnvironmentVariable("USER", QStringLiteral("user"));
    const QString folder = QDir::tempPath() + QStringLiteral("/vornviewer-") + user;
    QDir().mkpath(folder);
#ifndef Q_OS_WIN
    // The temporary folder is shared: anyone may have made this name first,
    // as a folder of their own or a link. Then a fresh folder of ours.
    if (!IsOwnRealFolder(folder)) {
        QByteArray fresh = QFile::encodeName(folder + QStringLiteral("-XXXXXX"));
        if (!mkdtemp(fresh.data()))
            fresh += "-unmade"; // writing there fails with a clear error
        return QFile::decodeName(fresh) + u'/';
    }
#endif
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder + u'/';
}
