#pragma once
// Marks what libvorn exports; everything else in the library stays hidden.

#if defined(_WIN32)
#  if defined(VORN_BUILDING_LIBRARY)
#    define VORN_API __declspec(dllexport)
#  else
#    define VORN_API __declspec(dllimport)
#  endif
#else
#  define VORN_API __attribute__((visibility("default")))
#endif
