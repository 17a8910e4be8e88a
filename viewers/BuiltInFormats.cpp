#include "viewers/BuiltInFormats.h"

#include "viewers/BitmapFormat.h"
#include "viewers/FormatList.h"
#include "viewers/RawFormat.h"

#include <memory>

void RegisterBuiltInFormats()
{
    RegisterFormat(std::make_unique<TBitmapFormat>());
    RegisterFormat(std::make_unique<TRawFormat>());
}
