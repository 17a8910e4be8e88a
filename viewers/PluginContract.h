/* The four exports of a VornViewer format plug-in library. Plain C, so that a
 * plug-in can be written in any language that builds a shared library.
 *
 *   InternalView       required  show a file; nonzero = shown
 *   CanViewFormat      optional  claim an extension; nonzero = claimed
 *   IconIndex          optional  picture index of the file list for an extension
 *   FormatDescription  optional  type text for an extension
 *
 * and one optional export for the main window's preview pane:
 *
 *   RenderPreview      optional  show a file inside the pane; nonzero = shown
 *
 * RenderPreview gets the file's name, bytes and size like InternalView, and
 * the pane's empty container widget (a QWidget *, passed as void *): the
 * plug-in adds its own child widgets (and a layout, if it likes) to it. The
 * container is deleted, with everything in it, when the pane shows something
 * else. The bytes are valid only during the call: copy what you keep. Zero
 * makes the pane show the format's description and the bytes in hex, as it
 * does for plug-ins without this export.
 *
 * Only the lowest byte of a Boolean result is tested. Strings are
 * zero-terminated Windows-1252; those the program passes are valid only during
 * the call, the one FormatDescription returns is copied at once and never
 * freed. An extension runs from the last period of the name, period included,
 * case as written (".gas"); a name without a period gives "", never a null
 * pointer. After InternalView returns nonzero the program never frees the data,
 * and the plug-in may go on reading it; after it returns zero the program shows
 * the data itself, and the plug-in must not touch it any more. Every call comes
 * from the user-interface thread, one at a time.
 */
#ifndef VORNVIEWER_PLUGIN_CONTRACT_H
#define VORNVIEWER_PLUGIN_CONTRACT_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define VV_PLUGIN_CALL __stdcall
#else
#define VV_PLUGIN_CALL
#endif

#if defined(_WIN32)
#define VV_PLUGIN_EXPORT __declspec(dllexport)
#else
#define VV_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t(VV_PLUGIN_CALL *TPluginInternalView)(const char *fileName, const void *data,
                                                     int32_t size);
typedef int32_t(VV_PLUGIN_CALL *TPluginCanViewFormat)(const char *extension);
typedef int32_t(VV_PLUGIN_CALL *TPluginIconIndex)(const char *extension);
typedef const char *(VV_PLUGIN_CALL *TPluginFormatDescription)(const char *extension);
typedef int32_t(VV_PLUGIN_CALL *TPluginRenderPreview)(const char *fileName, const void *data, int32_t size,
                                                      void *parentWidget);

#ifdef __cplusplus
}
#endif

#endif
