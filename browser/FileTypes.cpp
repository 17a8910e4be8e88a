#include "browser/FileTypes.h"

#ifdef VV_HAVE_VIEWERS
#include "viewers/ViewHandler.h"

QString FileTypeDescription(const QString &fileName)
{
    return GetFormatDescription(fileName);
}

int FileTypeIconIndex(const QString &fileName)
{
    return GetFormatIconIndex(fileName);
}
#else
QString FileTypeDescription(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    QString extension = dot < 0 ? QString() : fileName.mid(dot + 1);
    for (QChar &c : extension)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return extension + QLatin1String(" File");
}

int FileTypeIconIndex(const QString &)
{
    return 4;
}
#endif
