#include "dispc/color.h"

#include "zfound/archive.h"

#include "support/archive_bytes.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

namespace {

const zc_test::Bytes& kHeader = zc_test::kArchiveHeader;

std::vector<unsigned char> stored(const zcColor& color) {
  zcArchive out;
  out << color;
  return out.bytes();
}

// A color exactly as an archive holds it: version, flags, index, rgb version, r, g, b.
zcColor colorFromBytes(unsigned char flags, unsigned char index, unsigned char r, unsigned char g, unsigned char b) {
  std::vector<unsigned char> bytes = kHeader;
  bytes.insert(bytes.end(), {0, flags, index, 0, r, g, b});
  zcArchive in(bytes);
  zcColor color;
  in >> color;
  return color;
}

void expectRGB(const zcRGB& rgb, int r, int g, int b) {
  EXPECT_EQ(rgb.r(), r);
  EXPECT_EQ(rgb.g(), g);
  EXPECT_EQ(rgb.b(), b);
}

}  // namespace

TEST(ColorRGB, PackingsPlaceEveryChannel) {
  const zcRGB c(0x12, 0x34, 0x56);
  EXPECT_EQ(c.rgb(), 0x123456u);
  EXPECT_EQ(c.bgr(), 0x563412u);
  // 0x12 >> 3 = 2, 0x34 >> 3 = 6, 0x34 >> 2 = 13, 0x56 >> 3 = 10.
  EXPECT_EQ(c.rgb15(), (2 << 10) | (6 << 5) | 10);
  EXPECT_EQ(c.rgb16(), (2 << 11) | (13 << 5) | 10);

  EXPECT_EQ(zcRGB(255, 255, 255).rgb15(), 0x7FFF);
  EXPECT_EQ(zcRGB(255, 255, 255).rgb16(), 0xFFFF);
  EXPECT_EQ(zcRGB(8, 4, 8).rgb16(), 0x0821);
  EXPECT_EQ(zcRGB(255, 0, 0).rgb16(), 0xF800);
  EXPECT_EQ(zcRGB(0, 255, 0).rgb15(), 0x03E0);
  EXPECT_EQ(zcRGB(7, 3, 7).rgb16(), 0);  // bits below each channel's width are dropped

  zcRGB d;
  expectRGB(d, 0, 0, 0);
  d.rgb(1, 2, 3);
  d.g(200);
  EXPECT_EQ(d.rgb(), 0x01C803u);
}

TEST(ColorRGB, EqualityIsPerChannelAndOrderIsByIntegerMean) {
  EXPECT_TRUE(zcRGB(1, 2, 3) == zcRGB(1, 2, 3));
  EXPECT_TRUE(zcRGB(1, 2, 3) != zcRGB(3, 2, 1));
  EXPECT_FALSE(zcRGB(1, 2, 3) == zcRGB(1, 2, 4));

  // Both means are 1: neither is less nor greater, though they differ.
  EXPECT_FALSE(zcRGB(3, 0, 0) < zcRGB(0, 0, 5));
  EXPECT_FALSE(zcRGB(3, 0, 0) > zcRGB(0, 0, 5));
  EXPECT_FALSE(zcRGB(0, 0, 5) < zcRGB(3, 0, 0));
  EXPECT_TRUE(zcRGB(3, 0, 0) != zcRGB(0, 0, 5));

  EXPECT_TRUE(zcRGB(3, 0, 0) < zcRGB(0, 0, 6));
  EXPECT_TRUE(zcRGB(0, 0, 6) > zcRGB(3, 0, 0));
  // 765 / 3 = 255 against 764 / 3 = 254: the sum must not overflow a byte.
  EXPECT_TRUE(zcRGB(255, 255, 255) > zcRGB(255, 255, 254));
  EXPECT_TRUE(zcRGB(200, 0, 0) < zcRGB(100, 100, 100));
}

TEST(ColorKinds, ConstructorsSetFlagsAndAccessorsRefuseMissingParts) {
  const zcColor def;
  EXPECT_EQ(def.flags(), 4);
  EXPECT_EQ(def.index(), 0);
  expectRGB(def.rgbStruct(), 0, 0, 0);

  const zcColor index(5);
  EXPECT_TRUE(index.isIndexColor());
  EXPECT_FALSE(index.isRGBColor());
  EXPECT_FALSE(index.isStockColor());
  EXPECT_EQ(index.index(), 5);
  expectRGB(index.rgbStruct(), 0, 0, 0);
  EXPECT_THROW(index.rgb(), zcUIError::NotRGBColor);
  EXPECT_THROW(index.bgr(), zcUIError::NotRGBColor);
  EXPECT_THROW(index.rgb15(), zcUIError::NotRGBColor);
  EXPECT_THROW(index.rgb16(), zcUIError::NotRGBColor);

  const zcColor rgb(1, 2, 3);
  EXPECT_EQ(rgb.flags(), 2);
  EXPECT_THROW(rgb.index(), zcUIError::NotIndexColor);
  EXPECT_EQ(rgb.rgb(), 0x010203u);
  EXPECT_EQ(rgb.bgr(), 0x030201u);
  EXPECT_EQ(zcColor(zcRGB(9, 8, 7)).flags(), 2);
  EXPECT_EQ(zcColor(zcRGB(9, 8, 7)).rgb(), 0x090807u);

  // A stock color answers to all three kinds.
  const zcColor& red = zcColor::red;
  EXPECT_EQ(red.flags(), 7);
  EXPECT_TRUE(red.isStockColor() && red.isRGBColor() && red.isIndexColor());
  EXPECT_EQ(red.index(), 249);
  EXPECT_EQ(red.rgb(), 0xFF0000u);
  EXPECT_EQ(red.bgr(), 0x0000FFu);
  EXPECT_EQ(red.rgb15(), 0x7C00);
  EXPECT_EQ(red.rgb16(), 0xF800);
}

TEST(ColorEquality, ComparesWhatBothColorsCarry) {
  // Both orders, both operators. An index color never equals an RGB one, not even the
  // black of its empty triple; of two stock colors the indices decide, even when a
  // triple matches.
  const std::tuple<zcColor, zcColor, bool> rows[] = {
      {zcColor(249), zcColor::red, true},          {zcColor(255, 0, 0), zcColor::red, true},
      {zcColor(249), zcColor(255, 0, 0), false},   {zcColor(0), zcColor(0, 0, 0), false},
      {zcColor(7), zcColor(7), true},              {zcColor(7), zcColor(8), false},
      {zcColor(1, 2, 3), zcColor(zcRGB(1, 2, 3)), true}, {zcColor(1, 2, 3), zcColor(1, 2, 4), false},
      {zcColor::red, zcColor::magenta, false},     {zcColor::black, zcColor(0), true},
      {zcColor::black, zcColor(0, 0, 1), false},   {colorFromBytes(7, 100, 255, 0, 0), zcColor::red, false},
      {colorFromBytes(7, 249, 1, 2, 3), zcColor::red, true}};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const auto& [a, b, equal] = rows[i];
    EXPECT_EQ(a == b, equal) << "row " << i;
    EXPECT_EQ(b == a, equal) << "row " << i;
    EXPECT_EQ(a != b, !equal) << "row " << i;
  }
}

TEST(ColorStock, TableOfSixteenColors) {
  struct Row {
    const zcColor* member;
    const zcColor& (*accessor)();
    int index, r, g, b;
    zgr_color code;
  };
  const Row rows[] = {
      {&zcColor::black, &zcColor::blackColor, 0, 0, 0, 0, 0},
      {&zcColor::dkGrey, &zcColor::dkGreyColor, 248, 128, 128, 128, 1},
      {&zcColor::grey, &zcColor::greyColor, 247, 160, 160, 164, 2},
      {&zcColor::ltGrey, &zcColor::ltGreyColor, 7, 192, 192, 192, 3},
      {&zcColor::white, &zcColor::whiteColor, 255, 255, 255, 255, 4},
      {&zcColor::red, &zcColor::redColor, 249, 255, 0, 0, 5},
      {&zcColor::dkRed, &zcColor::dkRedColor, 1, 128, 0, 0, 6},
      {&zcColor::orange, &zcColor::orangeColor, 245, 250, 125, 50, 7},
      {&zcColor::yellow, &zcColor::yellowColor, 251, 255, 255, 0, 8},
      {&zcColor::green, &zcColor::greenColor, 250, 0, 255, 0, 9},
      {&zcColor::dkGreen, &zcColor::dkGreenColor, 2, 0, 128, 0, 10},
      {&zcColor::cyan, &zcColor::cyanColor, 254, 0, 255, 255, 11},
      {&zcColor::blue, &zcColor::blueColor, 252, 0, 0, 255, 12},
      {&zcColor::purple, &zcColor::purpleColor, 244, 160, 20, 200, 13},
      {&zcColor::magenta, &zcColor::magentaColor, 253, 255, 0, 255, 14},
      {&zcColor::pass, &zcColor::passColor, 243, 243, 243, 243, 15},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    for (const zcColor* c : {row.member, &row.accessor()}) {
      EXPECT_EQ(c->flags(), 7);
      EXPECT_EQ(c->index(), row.index);
      expectRGB(c->rgbStruct(), row.r, row.g, row.b);
      EXPECT_EQ(zfColor(*c), row.code);
      // The code leads back to the same stock color, flags included.
      const zcColor back = zfColor(row.code);
      EXPECT_EQ(back.flags(), 7);
      EXPECT_EQ(stored(back), stored(*c));
    }
    // The accessor hands out one object, built once.
    EXPECT_EQ(&row.accessor(), &row.accessor());
  }

  EXPECT_EQ(&zcColor::gray, &zcColor::grey);
  EXPECT_EQ(&zcColor::ltGray, &zcColor::ltGrey);
  EXPECT_EQ(&zcColor::dkGray, &zcColor::dkGrey);
}

TEST(ColorCodes, ToTheGraphicsListCode) {
  EXPECT_EQ(zfColor(zcColor::orange), 7);
  EXPECT_EQ(zfColor(zcColor(10, 20, 30)), 0x0A141E80);
  EXPECT_EQ(zfColor(zcColor(7)), 0x00000080);
  EXPECT_EQ(zfColor(zcColor(0, 0, 0)), 0x00000080);
  EXPECT_EQ(static_cast<std::uint32_t>(zfColor(zcColor(255, 254, 253))), 0xFFFEFD80u);
  // An RGB color with a stock triple keeps its RGB code.
  EXPECT_EQ(zfColor(zcColor(255, 0, 0)), static_cast<zgr_color>(0xFF000080));

  // Stock colors read from an archive: the first stock color they equal, else 0.
  EXPECT_EQ(zfColor(colorFromBytes(7, 249, 1, 2, 3)), 5);
  EXPECT_EQ(zfColor(colorFromBytes(7, 100, 255, 0, 0)), 0);
}

TEST(ColorCodes, FromTheGraphicsListCode) {
  const zcColor rgb = zfColor(0x0A141E80);
  EXPECT_EQ(rgb.flags(), 2);
  expectRGB(rgb.rgbStruct(), 10, 20, 30);

  const zcColor white = zfColor(static_cast<zgr_color>(0xFFFFFF80));
  EXPECT_EQ(white.flags(), 2);
  expectRGB(white.rgbStruct(), 255, 255, 255);
  // Bit 7 alone is black as an RGB color; the low seven bits do not matter.
  const zcColor low = zfColor(0x112233FF);
  EXPECT_EQ(low.flags(), 2);
  expectRGB(low.rgbStruct(), 0x11, 0x22, 0x33);

  const zcColor pass = zfColor(15);
  EXPECT_EQ(pass.flags(), 7);
  EXPECT_EQ(pass.index(), 243);

  for (zgr_color code : {0, 16, 127, 0x100, 0x7FFFFF00, static_cast<zgr_color>(0x80000000), -1 & ~0x80}) {
    SCOPED_TRACE(code);
    const zcColor c = zfColor(code);
    EXPECT_EQ(c.flags(), 7);
    EXPECT_EQ(c.index(), 0);
    expectRGB(c.rgbStruct(), 0, 0, 0);
  }
}

TEST(ColorArchive, RoundTripKeepsEveryField) {
  const zcColor colors[] = {zcColor::grey, zcColor(200), zcColor(10, 20, 30), zcColor()};
  zcArchive out;
  for (const zcColor& c : colors) out << c;
  out << zcRGB(7, 8, 9);

  zcArchive in(out.bytes());
  for (const zcColor& c : colors) {
    zcColor r(3, 3, 3);
    in >> r;
    EXPECT_EQ(r.flags(), c.flags());
    // Storing again gives the same bytes: index and triple came back exactly.
    EXPECT_EQ(stored(r), stored(c));
  }
  zcRGB rgb;
  in >> rgb;
  expectRGB(rgb, 7, 8, 9);
  EXPECT_EQ(in.remaining(), 0u);
}

TEST(ColorArchive, ByteForm) {
  std::vector<unsigned char> expected = kHeader;
  // Version, flags, index, then the triple: version, r, g, b.
  expected.insert(expected.end(), {0, 7, 245, 0, 250, 125, 50});
  EXPECT_EQ(stored(zcColor::orange), expected);

  expected.resize(8);
  expected.insert(expected.end(), {0, 2, 0, 0, 10, 20, 30});
  EXPECT_EQ(stored(zcColor(10, 20, 30)), expected);

  expected.resize(8);
  expected.insert(expected.end(), {0, 4, 99, 0, 0, 0, 0});
  EXPECT_EQ(stored(zcColor(99)), expected);

  zcArchive out;
  out << zcRGB(1, 2, 3);
  expected.resize(8);
  expected.insert(expected.end(), {0, 1, 2, 3});
  EXPECT_EQ(out.bytes(), expected);

  // The flag byte comes back as it was read, without validation.
  const zcColor odd = colorFromBytes(2, 99, 1, 2, 3);
  EXPECT_EQ(odd.flags(), 2);
  EXPECT_THROW(odd.index(), zcUIError::NotIndexColor);
}

TEST(ColorArchive, MalformedInputRaisesArchiveErrors) {
  const std::vector<unsigned char> good = stored(zcColor::orange);
  // The color's own version byte and its triple's.
  for (std::size_t at : {std::size_t(8), std::size_t(11)}) {
    SCOPED_TRACE(at);
    std::vector<unsigned char> bytes = good;
    bytes[at] = 1;
    zcArchive in(bytes);
    zcColor c;
    zc_test::expectUnknownVersion([&] { in >> c; }, "dispc/color");
  }
  {
    std::vector<unsigned char> bytes = kHeader;
    bytes.insert(bytes.end(), {0xFF, 1, 2, 3});  // version -1 of a triple
    zcArchive in(bytes);
    zcRGB rgb;
    EXPECT_THROW(in >> rgb, zcArchive::UnknownVersion);
  }

  for (std::size_t size = kHeader.size(); size < good.size(); ++size) {
    SCOPED_TRACE(size);
    zcArchive in(std::vector<unsigned char>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)));
    zcColor c;
    EXPECT_THROW(in >> c, zcArchive::UnexpectedEnd);
  }

  zcArchive storing;
  zcColor c;
  zcRGB rgb;
  EXPECT_THROW(storing >> c, zcArchive::BadFormat);
  EXPECT_THROW(storing >> rgb, zcArchive::BadFormat);
  EXPECT_EQ(storing.bytes(), kHeader);
  zcArchive loading(good);
  EXPECT_THROW(loading << zcColor::red, zcArchive::BadFormat);
  EXPECT_THROW(loading << zcRGB(), zcArchive::BadFormat);
  // Nothing was consumed by the refused calls.
  EXPECT_EQ(loading.remaining(), 7u);
}
