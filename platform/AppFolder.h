#pragma once
// Where the program lives and where it keeps its settings file.

#include <QString>

// Folder of the running executable, with a trailing "/".
QString GetAppFolder();

// Name of the settings file.
inline QString SettingsBaseName() { return QStringLiteral("VornViewer.ini"); }

// The settings file: "VornViewer.ini" in the program folder when that folder
// is writable (a portable install keeps its settings beside it), otherwise in
// the user's configuration folder for this application.
QString SettingsFileName();

// The rule of SettingsFileName for given folders (both without need of a
// trailing separator).
QString SettingsFileNameFor(const QString &appFolder, const QString &configFolder);

// Tests point the program at a settings file of their own; an empty name
// restores the normal rule.
void SetSettingsFileNameOverride(const QString &fileName);
