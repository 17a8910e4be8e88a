// A plug-in library for the tests. VVTEST_KIND chooses which exports it has
// and what it answers:
//   1 viewonly  InternalView only
//   2 first     claims ".tst" as "First", picture 11
//   3 second    claims ".tst" as "Second", picture 12
//   4 decline   claims ".dec" and declines every file
//   5 bmp       claims ".bmp" as "Plug-in Bitmap", picture 13
//   6 noview    a library without InternalView
//   7 preview   claims ".pvw" as "Preview Kind" and renders it into the
//               preview pane (the optional fifth export)
// Booleans are answered with junk in the upper bytes, since only the lowest
// byte counts. The Test* exports let the tests see what the plug-in was given.

#include "viewers/PluginContract.h"

#include <cstring>
#include <string>

#ifndef VVTEST_KIND
#error VVTEST_KIND must be set
#endif

namespace {

constexpr int32_t kTrue = 0x7F00'0001;
constexpr int32_t kFalse = int32_t(0xFFFF'FF00);

int g_viewCount = 0;
std::string g_lastFileName;
int32_t g_lastSize = -1;
const unsigned char *g_lastData = nullptr;
std::string g_lastExtension = "<none>";

#if VVTEST_KIND == 2
const char *const kClaim = ".tst";
const char *const kDescription = "First";
constexpr int32_t kIcon = 11;
#elif VVTEST_KIND == 3
const char *const kClaim = ".tst";
const char *const kDescription = "Second";
constexpr int32_t kIcon = 12;
#elif VVTEST_KIND == 4
const char *const kClaim = ".dec";
const char *const kDescription = "Declined";
constexpr int32_t kIcon = 5;
#elif VVTEST_KIND == 5
const char *const kClaim = ".bmp";
const char *const kDescription = "Plug-in Bitmap";
constexpr int32_t kIcon = 13;
#elif VVTEST_KIND == 7
const char *const kClaim = ".pvw";
const char *const kDescription = "Preview Kind";
constexpr int32_t kIcon = 12;
void *g_lastPreviewParent = nullptr;
#endif

} // namespace

extern "C" {

#if VVTEST_KIND != 6
VV_PLUGIN_EXPORT int32_t VV_PLUGIN_CALL InternalView(const char *fileName, const void *data,
                                                     int32_t size)
{
    ++g_viewCount;
    g_lastFileName = fileName;
    g_lastSize = size;
    g_lastData = static_cast<const unsigned char *>(data);
    return VVTEST_KIND == 4 ? kFalse : kTrue;
}
#endif

#if VVTEST_KIND >= 2 && VVTEST_KIND != 6
VV_PLUGIN_EXPORT int32_t VV_PLUGIN_CALL CanViewFormat(const char *extension)
{
    g_lastExtension = extension ? extension : "<null>";
    return std::strcmp(extension, kClaim) == 0 ? kTrue : kFalse;
}

VV_PLUGIN_EXPORT int32_t VV_PLUGIN_CALL IconIndex(const char *)
{
    return kIcon;
}

VV_PLUGIN_EXPORT const char *VV_PLUGIN_CALL FormatDescription(const char *)
{
    return kDescription;
}
#endif

#if VVTEST_KIND == 7
// Renders nothing visible (the library has no Qt): it records the container
// it was given, which the test compares with the pane's.
VV_PLUGIN_EXPORT int32_t VV_PLUGIN_CALL RenderPreview(const char *, const void *, int32_t, void *parentWidget)
{
    g_lastPreviewParent = parentWidget;
    return kTrue;
}

VV_PLUGIN_EXPORT void *TestLastPreviewParent()
{
    return g_lastPreviewParent;
}
#endif

VV_PLUGIN_EXPORT int32_t TestViewCount()
{
    return g_viewCount;
}

VV_PLUGIN_EXPORT const char *TestLastFileName()
{
    return g_lastFileName.c_str();
}

VV_PLUGIN_EXPORT int32_t TestLastSize()
{
    return g_lastSize;
}

// The bytes a shown file had, read again after the view: the program must
// have left them allocated.
VV_PLUGIN_EXPORT const unsigned char *TestLastData()
{
    return g_lastData;
}

VV_PLUGIN_EXPORT const char *TestLastExtension()
{
    return g_lastExtension.c_str();
}

} // extern "C"
