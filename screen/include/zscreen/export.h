// Export macro of the screen component (see dispc/export.h).
#pragma once

#if defined(_WIN32)
#  if defined(ZSCREEN_BUILDING)
#    define ZSCREEN_API __declspec(dllexport)
#  else
#    define ZSCREEN_API __declspec(dllimport)
#  endif
#else
#  define ZSCREEN_API __attribute__((visibility("default")))
#endif
