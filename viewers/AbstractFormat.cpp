#include "viewers/AbstractFormat.h"

bool TAbstractFormat::CanViewFormat(const QString &)
{
    return false;
}

int TAbstractFormat::IconIndex(const QString &)
{
    return DefaultIconIndex;
}

QString TAbstractFormat::FormatDescription(const QString &)
{
    return QStringLiteral("Unknown");
}
