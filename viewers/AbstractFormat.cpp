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

bool TAbstractFormat::RenderPreview(const QString &, const TFileBuffer &, QWidget *)
{
    return false;
}
