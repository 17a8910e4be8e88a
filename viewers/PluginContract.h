/* The four exports of a VornViewer format plug-in library. Plain C, so that a
 * plug-in can be written in any language that builds a shared library.
 *
 *   InternalView       required  show a file; nonzero = shown
 *   CanViewFormat      optional  claim an extension; nonzero = claimed
 *   IconIndex          optional  picture index of the file list for an extension
 *   FormatDescription  optional  type text for an extension
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

#ifdef __cplusplus
}
#endif

#endif
