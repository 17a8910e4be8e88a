#pragma once
// Windows-1252, the game's 8-bit code page: names handed to plug-ins and text
// files that are not valid UTF-8 use it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Every byte maps to one character; the five unassigned bytes map to the C1
// controls of the same value, as Windows does.
QString DecodeWindows1252(QByteArrayView bytes);

// Characters that Windows-1252 cannot hold become "?".
QByteArray EncodeWindows1252(QStringView text);
