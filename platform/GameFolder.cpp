#include "platform/GameFolder.h"

#include "platform/WinePrefixes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <optional>
#include <string_view>

namespace {

const QString GameKey = QStringLiteral("Software\\Microsoft\\Microsoft Games\\Velmire\\1.0");
// Where a 64-bit prefix keeps the keys that a 32-bit game writes below Software.
const QString GameKeyWow64 = QStringLiteral("Software\\Wow6432Node\\Microsoft\\Microsoft Games\\Velmire\\1.0");
const QString ExePathValue = QStringLiteral("EXE Path");

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// Reads one escape sequence after a backslash at text[pos]; pos ends after it.
QChar ReadEscape(const QString &text, qsizetype &pos)
{
    if (pos >= text.size())
        return QChar(u'\\');
    const QChar c = text[pos++];
    switch (c.unicode()) {
    case 'a': return QChar(7);
    case 'b': return QChar(8);
    case 'e': return QChar(27);
    case 'f': return QChar(12);
    case 'n': return QChar(10);
    case 'r': return QChar(13);
    case 't': return QChar(9);
    case 'v': return QChar(11);
    case 'x': {
        char16_t value = 0;
        int digits = 0;
        for (; digits < 4 && pos < text.size() && HexDigit(text[pos]) >= 0; ++digits)
            value = char16_t(value * 16 + HexDigit(text[pos++]));
        return digits ? QChar(value) : c;
    }
    default:
        if (c >= u'0' && c <= u'7') {
            char16_t value = char16_t(c.unicode() - '0');
            for (int digits = 1; digits < 3 && pos < text.size() && text[pos] >= u'0' && text[pos] <= u'7'; ++digits)
                value = char16_t(value * 8 + (text[pos++].unicode() - '0'));
            return QChar(value);
        }
        return c;  // "\\", "\"", "\[" and "\]" stand for themselves
    }
}

// Reads escaped text from pos up to the unescaped terminator; pos ends after
// the terminator. Nothing when the terminator is missing.
std::optional<QString> ReadUntil(const QString &text, qsizetype &pos, QChar terminator)
{
    QString result;
    while (pos < text.size()) {
        const QChar c = text[pos++];
        if (c == terminator)
            return result;
        result += c == u'\\' ? ReadEscape(text, pos) : c;
    }
    return std::nullopt;
}

std::optional<QString> KeyOfLine(const QString &line)
{
    if (!line.startsWith(u'['))
        return std::nullopt;
    qsizetype pos = 1;
    return ReadUntil(line, pos, u']');
}

// The string of a line "name"="text" (or name "@"; REG_EXPAND_SZ as str(2):"text")
// when its name matches.
std::optional<QString> StringOfLine(const QString &line, const QString &valueName)
{
    qsizetype pos = 0;
    std::optional<QString> name;
    if (line.startsWith(u'"')) {
        pos = 1;
        name = ReadUntil(line, pos, u'"');
    } else if (line.startsWith(u'@')) {
        pos = 1;
        name = QString();
    }
    if (!name || name->compare(valueName, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    if (pos >= line.size() || line[pos] != u'=')
        return std::nullopt;
    ++pos;
    if (line.mid(pos).startsWith(QLatin1String("str(2):")))
        pos += 7;
    if (pos >= line.size() || line[pos] != u'"')
        return std::nullopt;
    ++pos;
    return ReadUntil(line, pos, u'"');
}

// Whether the registry file names the game at all. Proton prefixes hold
// registries of megabytes each and a Steam library dozens of prefixes, so
// the ones without the game are passed over without parsing them.
bool MentionsTheGame(const QString &regFileName)
{
    QFile file(regFileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return false;
    const uchar *mapped = file.map(0, file.size());
    const QByteArray read = mapped ? QByteArray() : file.readAll();
    const char *begin = mapped ? reinterpret_cast<const char *>(mapped) : read.constData();
    const char *end = begin + (mapped ? file.size() : read.size());
    static constexpr std::string_view name = "velmire";
    const auto fold = [](char c) { return char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); };
    const std::boyer_moore_horspool_searcher searcher(
        name.begin(), name.end(), [fold](char c) { return std::hash<char>()(fold(c)); },
        [fold](char a, char b) { return fold(a) == fold(b); });
    return std::search(begin, end, searcher) != end;
}

}  // namespace

QString ReadWineRegistryString(const QString &regFileName, const QString &keyPath, const QString &valueName)
{
    QFile file(regFileName);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // Wine writes everything outside 7-bit ASCII as "\x" escapes.
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    bool inKey = false;
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (const auto key = KeyOfLine(line)) {
            inKey = key->compare(keyPath, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inKey)
            continue;
        if (const auto value = StringOfLine(line, valueName))
            return *value;
    }
    return QString();
}

QString WinePathToUnix(const QString &winePrefix, const QString &windowsPath)
{
    if (windowsPath.size() < 2 || windowsPath[1] != u':' || !windowsPath[0].isLetter())
        return windowsPath;
    const QString drive = QDir(winePrefix).filePath(QStringLiteral("dosdevices/") + windowsPath.left(2).toLower());
    const QString resolved = QFileInfo(drive).canonicalFilePath();
    QString rest = windowsPath.mid(2);
    rest.replace(u'\\', u'/');
    if (!rest.startsWith(u'/'))
        rest.prepend(u'/');
    return (resolved.isEmpty() ? drive : resolved) + rest;
}

QString GetGameFolderFromPrefix(const QString &winePrefix)
{
    const QString regFile = QDir(winePrefix).filePath(QStringLiteral("system.reg"));
    if (!MentionsTheGame(regFile))
        return QString();
    QString folder = ReadWineRegistryString(regFile, GameKey, ExePathValue);
    if (folder.isEmpty())
        folder = ReadWineRegistryString(regFile, GameKeyWow64, ExePathValue);
    if (folder.isEmpty())
        return folder;
    return WinePathToUnix(winePrefix, folder);
}

TGameInstall FindGameInstall(const QStringList &winePrefixes)
{
    for (const QString &prefix : winePrefixes) {
        const QString folder = GetGameFolderFromPrefix(prefix);
        if (!folder.isEmpty())
            return {folder, prefix};
    }
    return {};
}

TGameInstall FindGameInstall()
{
    return FindGameInstall(WinePrefixCandidates(QDir::homePath(), qEnvironmentVariable("WINEPREFIX")));
}
