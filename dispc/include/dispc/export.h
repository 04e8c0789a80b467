// Export macro of the display core. Everything is hidden by default; public classes
// and functions carry DISPC_API so the same sources build a Windows DLL.
#pragma once

#if defined(_WIN32)
#  if defined(DISPC_BUILDING)
#    define DISPC_API __declspec(dllexport)
#  else
#    define DISPC_API __declspec(dllimport)
#  endif
#else
#  define DISPC_API __attribute__((visibility("default")))
#endif
