#pragma once
// Where the game is installed. Linux players run the game under Wine, so the
// machine-wide registry is the text file "system.reg" of a Wine prefix.

#include <QString>

// The game's install folder from the default Wine prefix (~/.wine), as a
// Linux path; empty when the game or the prefix is not there.
QString GetGameFolder();

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
