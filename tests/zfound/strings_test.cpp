#include "zfound/strings.h"

#include <gtest/gtest.h>

TEST(StringConversion, Utf8WideAndUtf16RoundTripAndMalformedUtf8IsReplaced) {
  const std::string utf8 = "a\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, u-umlaut, euro, emoji
  const std::wstring wide = zfConvertString(utf8);
  EXPECT_EQ(wide, L"a\u00fc\u20ac\U0001F600");
  EXPECT_EQ(zfConvertString(wide), utf8);
  EXPECT_EQ(zfConvertString(std::string("\xC3")), L"\uFFFD");             // truncated
  EXPECT_EQ(zfConvertString(std::string("\xC0\xAF")), L"\uFFFD\uFFFD");   // overlong
  EXPECT_EQ(zfConvertString(std::string("\xED\xA0\x80x")), L"\uFFFD\uFFFD\uFFFDx");  // surrogate
  EXPECT_EQ(zfConvertString(std::string("\xFF" "b")), L"\uFFFDb");
  const std::u16string pair = u"x\U0001F600";
  EXPECT_EQ(pair.size(), 3u);
  EXPECT_EQ(zfFromUtf16(pair), L"x\U0001F600");
  EXPECT_EQ(zfToUtf16(L"x\U0001F600"), pair);
  // Unpaired surrogates pass through both ways.
  const std::u16string lone = {0xDC00, u'a', 0xD800};
  EXPECT_EQ(zfToUtf16(zfFromUtf16(lone)), lone);
  EXPECT_EQ(zfToUtf16(std::wstring(1, static_cast<wchar_t>(0x110000))), u"\uFFFD");
}
