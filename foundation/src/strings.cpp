#include "zfound/strings.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isScalar(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

void appendUtf8(std::string& out, char32_t c) {
  if (!isScalar(c)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Overlong forms, surrogates and
// truncated sequences give U+FFFD and consume one byte.
char32_t decodeUtf8(const std::string& s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
  if (extra < 0 || b0 > 0xF4 || i + extra >= s.size()) {
    ++i;
    return kReplacement;
  }
  char32_t c = b0 & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    c = (c << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[extra] || !isScalar(c)) {
    ++i;
    return kReplacement;
  }
  i += extra + 1;
  return c;
}

}  // namespace

std::wstring zfConvertString(const std::string& utf8) {
  std::u32string code;
  for (std::size_t i = 0; i < utf8.size();) code += decodeUtf8(utf8, i);
  if constexpr (sizeof(wchar_t) == 4) {
    return std::wstring(code.begin(), code.end());
  } else {
    std::wstring wide;
    for (char32_t c : code) {
      if (c >= 0x10000) {
        c -= 0x10000;
        wide += static_cast<wchar_t>(0xD800 + (c >> 10));
        wide += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
      } else {
        wide += static_cast<wchar_t>(c);
      }
    }
    return wide;
  }
}

std::string zfConvertString(const std::wstring& wide) {
  std::string out;
  const std::wstring code = zfFromUtf16(zfToUtf16(wide));
  for (wchar_t w : code) appendUtf8(out, static_cast<char32_t>(w));
  return out;
}

std::u16string zfToUtf16(const std::wstring& wide) {
  std::u16string out;
  out.reserve(wide.size());
  for (wchar_t w : wide) {
    auto c = static_cast<char32_t>(w);
    if (c > 0x10FFFF) c = kReplacement;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::wstring zfFromUtf16(const std::u16string& utf16) {
  std::wstring out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    if (sizeof(wchar_t) == 4 && high && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    }
    out += static_cast<wchar_t>(c);
  }
  return out;
}
