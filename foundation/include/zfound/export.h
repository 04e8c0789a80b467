// Export macro of the foundation library. Everything is hidden by default; public
// classes and functions carry ZFOUND_API so the same sources build a Windows DLL.
#pragma once

#if defined(_WIN32)
#  if defined(ZFOUND_BUILDING)
#    define ZFOUND_API __declspec(dllexport)
#  else
#    define ZFOUND_API __declspec(dllimport)
#  endif
#else
#  define ZFOUND_API __attribute__((visibility("default")))
#endif
