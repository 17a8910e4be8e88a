#pragma once
// Where the game is installed. Linux players run the game under Wine, so the
// machine-wide registry is the text file "system.reg" of a Wine prefix.

#include <QString>
#include <QStringList>

// Where the game was found: its install folder as a Linux path and the Wine
// prefix whose registry named it. Both empty when the game was not found.
struct TGameInstall {
    QString Folder;
    QString Prefix;
};

// The first of the prefixes whose registry holds the game's key.
TGameInstall FindGameInstall(const QStringList &winePrefixes);

// The game in the user's Wine prefixes (see WinePrefixCandidates).
TGameInstall FindGameInstall();

// The same for a given Wine prefix folder.
QString GetGameFolderFromPrefix(const QString &winePrefix);

// A string value of a key in a Wine registry file (system.reg, user.reg);
// key and value names are compared without regard to case, the key path is
// relative to the file's root and uses "\" as separator. Empty when the file,
// the key or the value is missing or the value is no string.
QString ReadWineRegistryString(const QString &regFileName, const QString &keyPath, const QString &valueName);

// A Windows path "X:\..." as the path it has inside the Wine prefix
// (drive links in "dosdevices" are resolved when they exist); other texts
// are returned unchanged.
QString WinePathToUnix(const QString &winePrefix, const QString &windowsPath);
