#pragma once
// Where the program lives and where it keeps its settings file.

#include <QString>

// Folder of the running executable, with a trailing "/".
QString GetAppFolder();

// Name of the settings file.
inline QString SettingsBaseName() { return QStringLiteral("VornViewer.ini"); }

// The settings file: "VornViewer.ini" beside the program when it runs from a
// folder of its own (unpacked or built there) that is writable, otherwise in
// the user's configuration folder for this application. An installed
// program always uses the configuration folder: its folder is shared by
// every program and writable for root.
QString SettingsFileName();

// The rule of SettingsFileName for given folders (both without need of a
// trailing separator).
QString SettingsFileNameFor(const QString &appFolder, const QString &configFolder);

// True when `appFolder` is the "bin" folder of an install prefix: /usr/bin,
// /usr/local/bin, /bin, or any <prefix>/bin beside <prefix>/lib/vornviewer,
// the folder of the installed plug-ins that the install rules create.
bool IsInstalledProgramFolder(const QString &appFolder);

// Tests point the program at a settings file of their own; an empty name
// restores the normal rule.
void SetSettingsFileNameOverride(const QString &fileName);
