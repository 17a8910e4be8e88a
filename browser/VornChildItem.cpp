#include "browser/VornChildItem.h"

#include <cstring>

QString TVornChildItem::FormatText() const
{
    return QString::fromLatin1(Format, qsizetype(strnlen(Format, sizeof Format)));
}
