#include "dispc/color.h"

#include "zfound/archive.h"

#include <array>

// The stock colors in graphics-list code order (the code is the position).
struct zc_StockColors {
  static const std::array<zcColor, 16>& table() {
    static const std::array<zcColor, 16> colors = {
        zcColor(0, 0, 0, 0),         // black
        zcColor(248, 128, 128, 128), // dkGrey
        zcColor(247, 160, 160, 164), // grey: blue 164, not 160
        zcColor(7, 192, 192, 192),   // ltGrey
        zcColor(255, 255, 255, 255), // white
        zcColor(249, 255, 0, 0),     // red
        zcColor(1, 128, 0, 0),       // dkRed
        zcColor(245, 250, 125, 50),  // orange
        zcColor(251, 255, 255, 0),   // yellow
        zcColor(250, 0, 255, 0),     // green
        zcColor(2, 0, 128, 0),       // dkGreen
        zcColor(254, 0, 255, 255),   // cyan
        zcColor(252, 0, 0, 255),     // blue
        zcColor(244, 160, 20, 200),  // purple
        zcColor(253, 255, 0, 255),   // magenta
        zcColor(243, 243, 243, 243), // pass
    };
    return colors;
  }
};

namespace {
enum StockCode { eBlack, eDkGrey, eGrey, eLtGrey, eWhite, eRed, eDkRed, eOrange, eYellow, eGreen, eDkGreen,
                 eCyan, eBlue, ePurple, eMagenta, ePass, eStockCount };

const zcColor& stock(StockCode code) { return zc_StockColors::table()[code]; }
}  // namespace

const std::vector<zcNamedColor>& zfStockColors() {
  static const char* const names[eStockCount] = {"black",  "dkGrey", "grey",    "ltGrey", "white", "red",
                                                 "dkRed",  "orange", "yellow",  "green",  "dkGreen", "cyan",
                                                 "blue",   "purple", "magenta", "pass"};
  static const std::vector<zcNamedColor> colors = [] {
    std::vector<zcNamedColor> out;
    for (int code = 0; code < eStockCount; ++code) out.push_back({names[code], stock(StockCode(code))});
    return out;
  }();
  return colors;
}

const zcColor& zcColor::blackColor() { return stock(eBlack); }
const zcColor& zcColor::dkGreyColor() { return stock(eDkGrey); }
const zcColor& zcColor::greyColor() { return stock(eGrey); }
const zcColor& zcColor::ltGreyColor() { return stock(eLtGrey); }
const zcColor& zcColor::whiteColor() { return stock(eWhite); }
const zcColor& zcColor::redColor() { return stock(eRed); }
const zcColor& zcColor::dkRedColor() { return stock(eDkRed); }
const zcColor& zcColor::orangeColor() { return stock(eOrange); }
const zcColor& zcColor::yellowColor() { return stock(eYellow); }
const zcColor& zcColor::greenColor() { return stock(eGreen); }
const zcColor& zcColor::dkGreenColor() { return stock(eDkGreen); }
const zcColor& zcColor::cyanColor() { return stock(eCyan); }
const zcColor& zcColor::blueColor() { return stock(eBlue); }
const zcColor& zcColor::purpleColor() { return stock(ePurple); }
const zcColor& zcColor::magentaColor() { return stock(eMagenta); }
const zcColor& zcColor::passColor() { return stock(ePass); }

const zcColor zcColor::black = blackColor();
const zcColor zcColor::dkGrey = dkGreyColor();
const zcColor zcColor::grey = greyColor();
const zcColor zcColor::ltGrey = ltGreyColor();
const zcColor zcColor::white = whiteColor();
const zcColor zcColor::red = redColor();
const zcColor zcColor::dkRed = dkRedColor();
const zcColor zcColor::orange = orangeColor();
const zcColor zcColor::yellow = yellowColor();
const zcColor zcColor::green = greenColor();
const zcColor zcColor::dkGreen = dkGreenColor();
const zcColor zcColor::cyan = cyanColor();
const zcColor zcColor::blue = blueColor();
const zcColor zcColor::purple = purpleColor();
const zcColor zcColor::magenta = magentaColor();
const zcColor zcColor::pass = passColor();
const zcColor& zcColor::gray = zcColor::grey;
const zcColor& zcColor::ltGray = zcColor::ltGrey;
const zcColor& zcColor::dkGray = zcColor::dkGrey;

unsigned char zcColor::index() const {
  if (!isIndexColor()) throw zcUIError::NotIndexColor();
  return index_;
}

const zcRGB& zcColor::checkedRgb() const {
  if (!isRGBColor()) throw zcUIError::NotRGBColor();
  return rgb_;
}

std::uint32_t zcColor::rgb() const { return checkedRgb().rgb(); }
std::uint32_t zcColor::bgr() const { return checkedRgb().bgr(); }
std::uint16_t zcColor::rgb15() const { return checkedRgb().rgb15(); }
std::uint16_t zcColor::rgb16() const { return checkedRgb().rgb16(); }

// --- Archive forms ---------------------------------------------------------------

namespace {
void checkVersion(signed char version, long line) {
  if (version != 0) throw zcArchive::UnknownVersion("dispc/color", line);
}

void requireDirection(const zcArchive& archive, bool storing) {
  if (archive.isStoring() != storing)
    throw zcArchive::BadFormat(storing ? L"<< needs a storing archive" : L">> needs a loading archive");
}
}  // namespace

zcArchive& operator||(zcArchive& archive, zcRGB& rgb) {
  signed char version = 0;
  archive || version;
  checkVersion(version, __LINE__);
  unsigned char r = rgb.r(), g = rgb.g(), b = rgb.b();
  archive || r || g || b;
  rgb.rgb(r, g, b);
  return archive;
}

zcColor zcColor::readImage(zcImageIn<kImageSize> in) {
  zcColor color;
  color.flags_ = in[0];
  color.index_ = in[1];
  color.rgb_ = zcRGB(in[2], in[3], in[4]);
  return color;
}

zcArchive& operator||(zcArchive& archive, zcColor& color) {
  signed char version = 0;
  archive || version;
  checkVersion(version, __LINE__);
  archive || color.flags_ || color.index_ || color.rgb_;
  return archive;
}

zcArchive& operator<<(zcArchive& archive, const zcRGB& rgb) {
  requireDirection(archive, true);
  zcRGB copy = rgb;
  return archive || copy;
}

zcArchive& operator>>(zcArchive& archive, zcRGB& rgb) {
  requireDirection(archive, false);
  return archive || rgb;
}

zcArchive& operator<<(zcArchive& archive, const zcColor& color) {
  requireDirection(archive, true);
  zcColor copy = color;
  return archive || copy;
}

zcArchive& operator>>(zcArchive& archive, zcColor& color) {
  requireDirection(archive, false);
  return archive || color;
}

// --- Graphics-list codes -------------------------------------------------------------

zgr_color zfColor(const zcColor& color) {
  if (color.isStockColor()) {
    const auto& table = zc_StockColors::table();
    for (int code = 0; code < eStockCount; ++code)
      if (color == table[code]) return code;
    return 0;
  }
  const zcRGB& c = color.rgbStruct();
  return static_cast<zgr_color>(std::uint32_t(c.r()) << 24 | std::uint32_t(c.g()) << 16 |
                                std::uint32_t(c.b()) << 8 | 0x80u);
}

zcColor zfColor(zgr_color code) {
  const auto bits = static_cast<std::uint32_t>(code);
  if (bits & 0x80u)
    return zcColor(static_cast<unsigned char>(bits >> 24), static_cast<unsigned char>(bits >> 16),
                   static_cast<unsigned char>(bits >> 8));
  if (bits >= 1 && bits < eStockCount) return zc_StockColors::table()[bits];
  return zcColor::blackColor();
}
