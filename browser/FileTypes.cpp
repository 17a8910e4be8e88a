#include "browser/FileTypes.h"

#include "viewers/ViewHandler.h"

QString FileTypeDescription(const QString &fileName)
{
    return GetFormatDescription(fileName);
}

int FileTypeIconIndex(const QString &fileName)
{
    return GetFormatIconIndex(fileName);
}
