#pragma once
// The type text and picture index of a file row, from the format registry
// when it is built in, else the registry's rule for unclaimed files.

#include <QString>

QString FileTypeDescription(const QString &fileName);
int FileTypeIconIndex(const QString &fileName);
