// String conversions. Text is held as std::wstring (32-bit wchar_t on Linux, 16-bit
// on Windows); byte streams and archives carry UTF-16; narrow strings are UTF-8.
#pragma once

#include "zfound/export.h"

#include <string>

// UTF-8 to wide and back. Malformed UTF-8 gives U+FFFD per bad sequence; a wide
// character that is not a Unicode scalar value is written as U+FFFD.
ZFOUND_API std::wstring zfConvertString(const std::string& utf8);
ZFOUND_API std::string zfConvertString(const std::wstring& wide);

// Wide to UTF-16 and back. Unpaired surrogates pass through unchanged both ways, so
// every UTF-16 sequence round-trips; wide characters above U+10FFFF become U+FFFD.
ZFOUND_API std::u16string zfToUtf16(const std::wstring& wide);
ZFOUND_API std::wstring zfFromUtf16(const std::u16string& utf16);
