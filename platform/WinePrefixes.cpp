#include "platform/WinePrefixes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The quoted strings of a Valve KeyValues text in order; braces are tokens
// of their own. Backslash escapes the next character.
QStringList VdfTokens(const QString &text)
{
    QStringList tokens;
    for (qsizetype pos = 0; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (c == u'{' || c == u'}') {
            tokens << QString(c);
        } else if (c == u'"') {
            QString token;
            for (++pos; pos < text.size() && text[pos] != u'"'; ++pos) {
                if (text[pos] == u'\\' && pos + 1 < text.size())
                    ++pos;
                token += text[pos];
            }
            tokens << token;
        }
    }
    return tokens;
}

bool IsNumber(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    return digits.match(text).hasMatch();
}

QFileInfoList SubfoldersOf(const QString &folder)
{
    return QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// The Steam installations: the native one (found through either of its usual
// names) and the Flatpak one, whose files live in the sandbox's home.
QStringList SteamRoots(const QDir &home)
{
    return {home.filePath(QStringLiteral(".steam/steam")), home.filePath(QStringLiteral(".local/share/Steam")),
            home.filePath(QStringLiteral(".var/app/com.valvesoftware.Steam/.local/share/Steam")),
            home.filePath(QStringLiteral(".var/app/com.valvesoftware.Steam/data/Steam"))};
}

void AddProtonPrefixes(const QDir &home, QStringList &prefixes)
{
    for (const QString &root : SteamRoots(home)) {
        QStringList libraries{root};
        libraries << SteamLibraryFolders(QDir(root).filePath(QStringLiteral("steamapps/libraryfolders.vdf")));
        for (const QString &library : libraries)
            for (const QFileInfo &game : SubfoldersOf(QDir(library).filePath(QStringLiteral("steamapps/compatdata"))))
                prefixes << QDir(game.filePath()).filePath(QStringLiteral("pfx"));
    }
}

void AddLutrisPrefixes(const QDir &home, QStringList &prefixes)
{
    for (const QString &folder : {QStringLiteral(".config/lutris/games"), QStringLiteral(".local/share/lutris/games"),
                                 QStringLiteral(".var/app/net.lutris.Lutris/config/lutris/games")}) {
        const QFileInfoList games = QDir(home.filePath(folder)).entryInfoList({QStringLiteral("*.yml")}, QDir::Files, QDir::Name);
        for (const QFileInfo &game : games) {
            QString prefix = LutrisGamePrefix(game.filePath());
            if (prefix.startsWith(QLatin1String("~/")))
                prefix = home.filePath(prefix.mid(2));
            if (!prefix.isEmpty())
                prefixes << prefix;
        }
    }
}

void AddBottles(const QDir &home, QStringList &prefixes)
{
    for (const QString &folder : {QStringLiteral(".local/share/bottles/bottles"),
                                 QStringLiteral(".var/app/com.usebottles.bottles/data/bottles/bottles")})
        for (const QFileInfo &bottle : SubfoldersOf(home.filePath(folder)))
            prefixes << bottle.filePath();
}

// Keeps the folders that exist, dropping later names of a folder already listed.
QStringList ExistingOnce(const QStringList &folders)
{
    QStringList kept;
    QStringList seen;
    for (const QString &folder : folders) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty() || !QFileInfo(canonical).isDir() || seen.contains(canonical))
            continue;
        seen << canonical;
        kept << folder;
    }
    return kept;
}

}  // namespace

QStringList SteamLibraryFolders(const QString &vdfFileName)
{
    QFile file(vdfFileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList tokens = VdfTokens(QString::fromUtf8(file.readAll()));
    QStringList folders;
    int depth = 0;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QString &key = tokens[i];
        if (key == u'{' || key == u'}') {
            depth += key == u'{' ? 1 : -1;
            continue;
        }
        if (i + 1 >= tokens.size())
            break;
        const QString &value = tokens[i + 1];
        if (value == u'{' || value == u'}')
            continue;
        ++i;  // a key's value is never the next key
        // The older format lists the libraries as numbered values of the root.
        const bool isLibrary = key.compare(u"path", Qt::CaseInsensitive) == 0 || (depth == 1 && IsNumber(key));
        if (isLibrary && !value.isEmpty())
            folders << value;
    }
    return folders;
}

QString LutrisGamePrefix(const QString &gameFileName)
{
    QFile file(gameFileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    static const QRegularExpression prefixLine(QStringLiteral("^\\s+prefix:\\s*(.*?)\\s*$"));
    while (!file.atEnd()) {
        const QRegularExpressionMatch match = prefixLine.match(QString::fromUtf8(file.readLine()));
        if (!match.hasMatch())
            continue;
        QString value = match.captured(1);
        if (value.size() >= 2 && (value.front() == u'\'' || value.front() == u'"') && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

QStringList WinePrefixCandidates(const QString &homeFolder, const QString &winePrefixVariable)
{
    const QDir home(homeFolder);
    QStringList prefixes;
    if (!winePrefixVariable.isEmpty())
        prefixes << winePrefixVariable;
    prefixes << home.filePath(QStringLiteral(".wine"));
    AddProtonPrefixes(home, prefixes);
    AddLutrisPrefixes(home, prefixes);
    AddBottles(home, prefixes);
    return ExistingOnce(prefixes);
}
