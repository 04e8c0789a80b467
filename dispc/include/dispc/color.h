// Colors. A zcColor is a stock color (one of sixteen named colors with both a palette
// index and an RGB value), an index color (a bare palette index) or an RGB color.
//
//   zcColor a = zcColor::red;          // stock: index 249, RGB (255, 0, 0)
//   zcColor b(249);                    // index color
//   zcColor c(255, 0, 0);              // RGB color
//   a == b && a == c && b != c         // equality compares what both carry
//
// zfColor converts to and from the graphics-list color code.
#pragma once

#include "dispc/export.h"
#include "dispc/uierror.h"

#include "grlist/grlist.h"

#include "zfound/bytes.h"

#include <cstdint>
#include <cstring>
#include <vector>
#include <type_traits>

class zcArchive;

// zgr_color, the graphics-list color code (grlist/grlist.h): (r << 24 | g << 16 |
// b << 8 | 0x80) for an RGB value, 0 to 15 for a stock color.

// A red/green/blue triple; default black.
class DISPC_API zcRGB {
public:
  constexpr zcRGB(unsigned char r = 0, unsigned char g = 0, unsigned char b = 0) : r_(r), g_(g), b_(b) {}

  unsigned char r() const { return r_; }
  unsigned char g() const { return g_; }
  unsigned char b() const { return b_; }
  void r(unsigned char v) { r_ = v; }
  void g(unsigned char v) { g_ = v; }
  void b(unsigned char v) { b_ = v; }
  void rgb(unsigned char r, unsigned char g, unsigned char b) {
    r_ = r;
    g_ = g;
    b_ = b;
  }

  // Packings: 0x00RRGGBB, 0x00BBGGRR, 5-5-5 (top bit 0) and 5-6-5.
  std::uint32_t rgb() const { return std::uint32_t(r_) << 16 | std::uint32_t(g_) << 8 | b_; }
  std::uint32_t bgr() const { return std::uint32_t(b_) << 16 | std::uint32_t(g_) << 8 | r_; }
  std::uint16_t rgb15() const { return static_cast<std::uint16_t>((r_ >> 3) << 10 | (g_ >> 3) << 5 | (b_ >> 3)); }
  std::uint16_t rgb16() const { return static_cast<std::uint16_t>((r_ >> 3) << 11 | (g_ >> 2) << 5 | (b_ >> 3)); }

  bool operator==(const zcRGB& o) const { return r_ == o.r_ && g_ == o.g_ && b_ == o.b_; }
  bool operator!=(const zcRGB& o) const { return !(*this == o); }
  // Brightness order: the integer mean of the channels. Triples of equal mean are
  // neither less nor greater than each other.
  bool operator<(const zcRGB& o) const { return brightness() < o.brightness(); }
  bool operator>(const zcRGB& o) const { return brightness() > o.brightness(); }

private:
  int brightness() const { return (r_ + g_ + b_) / 3; }
  unsigned char r_, g_, b_;
};

class DISPC_API zcColor {
public:
  // Kind flags.
  enum : unsigned char { eStockBit = 1, eRGBBit = 2, eIndexBit = 4 };

  // An index color (default: index 0).
  constexpr zcColor(unsigned char index = 0) : flags_(eIndexBit), index_(index) {}
  // RGB colors.
  constexpr zcColor(unsigned char r, unsigned char g, unsigned char b) : flags_(eRGBBit), index_(0), rgb_(r, g, b) {}
  constexpr zcColor(const zcRGB& rgb) : flags_(eRGBBit), index_(0), rgb_(rgb) {}

  bool isStockColor() const { return flags_ & eStockBit; }
  bool isRGBColor() const { return flags_ & eRGBBit; }
  bool isIndexColor() const { return flags_ & eIndexBit; }
  unsigned char flags() const { return flags_; }

  // Raises zcUIError::NotIndexColor without an index.
  unsigned char index() const;
  // Packings of the triple; each raises zcUIError::NotRGBColor without an RGB value.
  std::uint32_t rgb() const;
  std::uint32_t bgr() const;
  std::uint16_t rgb15() const;
  std::uint16_t rgb16() const;
  // The held triple without a check (0, 0, 0 for an index color).
  const zcRGB& rgbStruct() const { return rgb_; }

  // Equal when both carry an index and the indices agree, or else when both carry an
  // RGB value and the values agree. A stock color thus equals the index color of its
  // index and the RGB color of its triple; an index color never equals an RGB one.
  bool operator==(const zcColor& o) const {
    // The common case first: the same bytes, which are equal when they carry either.
    if (std::memcmp(this, &o, sizeof(zcColor)) == 0) return flags_ & (eIndexBit | eRGBBit);
    if (isIndexColor() && o.isIndexColor() && index_ == o.index_) return true;
    return isRGBColor() && o.isRGBColor() && rgb_ == o.rgb_;
  }
  bool operator!=(const zcColor& o) const { return !(*this == o); }

  // The six bytes a sketch stores: kind flags, index, red, green, blue and a reserved
  // 0 (index 0 for an RGB color). Reading takes the first five as they are.
  static constexpr std::size_t kImageSize = 6;
  void writeImage(zcImageOut<kImageSize> out) const {
    // Two stores: the first four bytes, then blue and the reserved 0.
    zfStoreU32(out.data(), std::uint32_t(flags_) | std::uint32_t(index_) << 8 | std::uint32_t(rgb_.r()) << 16 |
                               std::uint32_t(rgb_.g()) << 24);
    zfStoreU16(out.data() + 4, rgb_.b());
  }
  static zcColor readImage(zcImageIn<kImageSize> in);
  // True when the color reads back from the image as it is (the reserved sixth byte
  // aside): the image's first five bytes are the color's own, in the same order.
  bool hasImage(zcImageIn<kImageSize> in) const { return std::memcmp(this, in.data(), kImageSize - 1) == 0; }

  // The sixteen stock colors, built on first use.
  static const zcColor& blackColor();
  static const zcColor& dkGreyColor();
  static const zcColor& greyColor();
  static const zcColor& ltGreyColor();
  static const zcColor& whiteColor();
  static const zcColor& redColor();
  static const zcColor& dkRedColor();
  static const zcColor& orangeColor();
  static const zcColor& yellowColor();
  static const zcColor& greenColor();
  static const zcColor& dkGreenColor();
  static const zcColor& cyanColor();
  static const zcColor& blueColor();
  static const zcColor& purpleColor();
  static const zcColor& magentaColor();
  static const zcColor& passColor();

  // Copies of the stock colors made when the library is loaded, and three spellings.
  static const zcColor black, dkGrey, grey, ltGrey, white, red, dkRed, orange, yellow, green, dkGreen, cyan,
      blue, purple, magenta, pass;
  static const zcColor& gray;
  static const zcColor& ltGray;
  static const zcColor& dkGray;

private:
  // A stock color: flags 7.
  constexpr zcColor(unsigned char index, unsigned char r, unsigned char g, unsigned char b)
      : flags_(eStockBit | eRGBBit | eIndexBit), index_(index), rgb_(r, g, b) {}
  const zcRGB& checkedRgb() const;
  friend struct zc_StockColors;
  friend DISPC_API zcArchive& operator||(zcArchive&, zcColor&);

  unsigned char flags_;
  unsigned char index_;
  zcRGB rgb_;
};

// hasImage and operator== read a color as its five bytes: kind flags, index, red,
// green, blue.
static_assert(sizeof(zcColor) == zcColor::kImageSize - 1 && sizeof(zcRGB) == 3 && std::is_standard_layout_v<zcColor>);
// Equal bytes are equal values (operator== compares them first).
static_assert(std::has_unique_object_representations_v<zcColor>);

// Archive forms: a signed version byte 0, then the fields (a color's triple carries
// its own version byte). << stores and >> loads; each raises zcArchive::BadFormat on
// an archive of the other direction.
DISPC_API zcArchive& operator||(zcArchive& archive, zcRGB& rgb);
DISPC_API zcArchive& operator<<(zcArchive& archive, const zcRGB& rgb);
DISPC_API zcArchive& operator>>(zcArchive& archive, zcRGB& rgb);
DISPC_API zcArchive& operator||(zcArchive& archive, zcColor& color);
DISPC_API zcArchive& operator<<(zcArchive& archive, const zcColor& color);
DISPC_API zcArchive& operator>>(zcArchive& archive, zcColor& color);

// To the graphics-list color code: a stock color gives the code of the first stock
// color (black, dark grey, ... pass) that it equals, 0 if none; any other color gives
// its triple with 0x80 (an index color: 0x00000080).
DISPC_API zgr_color zfColor(const zcColor& color);
// From the graphics-list color code: bit 7 set gives the RGB color of the top three
// bytes; 1 to 15 give that stock color; 0 and every other value give black.
DISPC_API zcColor zfColor(zgr_color code);

// The sixteen stock colors with their names ("black", "dkGrey", ... "pass"), in
// graphics-list code order (the position is the code).
struct zcNamedColor {
  const char* name;
  const zcColor& color;
};
DISPC_API const std::vector<zcNamedColor>& zfStockColors();
