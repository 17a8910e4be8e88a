#pragma once
// The Wine prefixes the game may be installed in. Players run it under plain
// Wine, Steam's Proton, Lutris or Bottles; each keeps its prefixes elsewhere.

#include <QString>
#include <QStringList>

// Every prefix folder worth looking in, in this order: $WINEPREFIX (when
// set), ~/.wine, the Proton prefixes (steamapps/compatdata/*/pfx) of every
// Steam library of the native and the Flatpak Steam, the prefixes of the
// Lutris games, the Bottles bottles (native and Flatpak). Only folders that
// exist are listed, each once.
QStringList WinePrefixCandidates(const QString &homeFolder, const QString &winePrefixVariable);

// The library folders a Steam "libraryfolders.vdf" lists ("path" values, and
// the numbered values of the older format). Empty when the file is missing.
QStringList SteamLibraryFolders(const QString &vdfFileName);

// The "prefix:" of a Lutris game file (YAML) as written, unquoted ("~/"
// stays); empty when there is none.
QString LutrisGamePrefix(const QString &gameFileName);
