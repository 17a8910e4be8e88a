#pragma once
// libvorn: reading the vorn archives of the game Velmire.

#include "vorn/Archive.h"
#include "vorn/Compare.h"
#include "vorn/Entry.h"
#include "vorn/Error.h"
#include "vorn/Extract.h"
#include "vorn/FileStream.h"
#include "vorn/Find.h"
#include "vorn/Merged.h"
#include "vorn/Progress.h"
#include "vorn/Texture.h"

namespace vorn {

// The library's version, "major.minor.patch".
VORN_API const char *version();

} // namespace vorn
