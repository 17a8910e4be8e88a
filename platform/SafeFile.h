#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file's content with bytes: writes a temporary file beside it
// and renames it over the old one, so a failure never leaves a half-written
// or lost file. Creates missing parent folders. Throws Exception
// "Unable to write to <file>" on failure.
void WriteFileAtomically(const QString &fileName, const QByteArray &bytes);
