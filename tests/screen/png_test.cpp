// PNG files written and read back, converted, cropped and refused; files written whole
// or not at all; vector screens.
#include "support/files.h"

#include "zscreen/file.h"
#include "zscreen/png.h"
#include "zscreen/screen.h"

#include "dispc/uitablet.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using zc_test::readBytes;
using zc_test::readText;

using Bytes = std::vector<unsigned char>;

// A directory of its own for each test, removed with it.
struct TempDir {
  fs::path path = fs::temp_directory_path() / ("zscreen_png_test-" + std::to_string(::getpid()));
  TempDir() { fs::create_directories(path); }
  ~TempDir() { fs::remove_all(path); }
  std::string operator/(const char* name) const { return (path / name).string(); }
  long entries() const { return long(std::distance(fs::directory_iterator(path), {})); }
};

// --- PNG files that libpng's writer does not make, chunk by chunk ----------------------------

void put32(Bytes& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<unsigned char>(v >> s));
}

void chunk(Bytes& png, const char* type, const Bytes& data) {
  put32(png, static_cast<std::uint32_t>(data.size()));
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  put32(png, static_cast<std::uint32_t>(::crc32(0, &*(png.end() - long(data.size()) - 4), uInt(data.size() + 4))));
}

Bytes deflated(const Bytes& raw) {
  uLongf n = compressBound(uLong(raw.size()));
  Bytes out(n);
  EXPECT_EQ(compress(out.data(), &n, raw.data(), uLong(raw.size())), Z_OK);
  out.resize(n);
  return out;
}

// A PNG of the given header fields whose rows (filter byte included) are `raw`, or
// whose data chunk is `idat` when given.
Bytes craftPng(std::uint32_t w, std::uint32_t h, int depth, int colorType, const Bytes& raw, const Bytes& plte = {},
               const Bytes& trns = {}, const Bytes& idat = {}) {
  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  put32(ihdr, w);
  put32(ihdr, h);
  ihdr.insert(ihdr.end(), {static_cast<unsigned char>(depth), static_cast<unsigned char>(colorType), 0, 0, 0});
  chunk(png, "IHDR", ihdr);
  if (!plte.empty()) chunk(png, "PLTE", plte);
  if (!trns.empty()) chunk(png, "tRNS", trns);
  chunk(png, "IDAT", idat.empty() ? deflated(raw) : idat);
  chunk(png, "IEND", {});
  return png;
}

zcPelBuffer<unsigned char> grayRamp(long w, long h) {
  zcPelBuffer<unsigned char> img(w, h);
  for (long y = 0; y < h; ++y)
    for (long x = 0; x < w; ++x) img.set(x, y, static_cast<unsigned char>(x * 7 + y * 31));
  return img;
}

// Pels that do not compress, with a top byte of 0 or of varied alpha.
zcPelBuffer<zcPackedRGB32> noise(long w, long h, bool alpha) {
  zcPelBuffer<zcPackedRGB32> pels(w, h);
  std::uint32_t v = 12345;
  for (long y = 0; y < h; ++y)
    for (long x = 0; x < w; ++x) {
      v = v * 1103515245u + 12345u;
      pels.set(x, y, zcPackedRGB32((v >> 8) | (alpha ? v << 24 : 0u)));
    }
  return pels;
}

template <class T>
void expectSamePels(const zcPelBuffer_const<T>& a, const zcPelBuffer_const<T>& b) {
  ASSERT_EQ(a.width(), b.width());
  ASSERT_EQ(a.height(), b.height());
  for (long y = 0; y < a.height(); ++y)
    for (long x = 0; x < a.width(); ++x)
      ASSERT_EQ(a.get(a.offset().x() + x, a.offset().y() + y), b.get(b.offset().x() + x, b.offset().y() + y))
          << x << "," << y;
}

}  // namespace

TEST(PngRoundTrip, GrayRGBAndRGBAWholeAndCropped) {
  const TempDir dir;
  const zcPelBuffer<unsigned char> gray = grayRamp(37, 23);
  const zcPelBuffer<zcPackedRGB32> rgb = noise(9, 11, false), rgba = noise(37, 23, true);
  zfWritePngGray(dir / "gray.png", gray);
  zfWritePngRGB(dir / "rgb.png", rgb);
  zfWritePngRGBA(dir / "rgba.png", rgba);
  const zcPngImage g = zfReadPng(dir / "gray.png"), c = zfReadPng(dir / "rgb.png"), a = zfReadPng(dir / "rgba.png");
  EXPECT_EQ(g.format, zcPngImage::eGray);
  EXPECT_FALSE(g.rgb.isBound());
  expectSamePels<unsigned char>(g.gray, gray);
  EXPECT_EQ(c.format, zcPngImage::eRGB);
  expectSamePels<zcPackedRGB32>(c.rgb, rgb);
  EXPECT_EQ(a.format, zcPngImage::eRGBA);
  expectSamePels<zcPackedRGB32>(a.rgb, rgba);

  // A cropped read is the window of the whole image.
  for (const auto& [w, h] : {std::pair{10L, 5L}, std::pair{37L, 1L}, std::pair{50L, 40L}}) {
    const zcPngImage cropped = zfReadPng(dir / "rgba.png", w, h), croppedGray = zfReadPng(dir / "gray.png", w, h);
    expectSamePels<zcPackedRGB32>(cropped.rgb, rgba.window(0, 0, std::min(w, 37L), std::min(h, 23L)));
    expectSamePels<unsigned char>(croppedGray.gray, gray.window(0, 0, std::min(w, 37L), std::min(h, 23L)));
  }
  EXPECT_THROW(zfReadPng(dir / "gray.png", 0, 5), zcScreenError::BadParams);
  EXPECT_THROW(zfReadPng(dir.path.string(), 5, 5), zcScreenError::IOError);

  // RGB writing drops the top byte; a window writes only its pels.
  zfWritePngRGB(dir / "window.png", rgba.window(2, 3, 3, 2));
  const zcPngImage w = zfReadPng(dir / "window.png");
  ASSERT_EQ(w.width(), 3);
  ASSERT_EQ(w.height(), 2);
  EXPECT_EQ(w.rgb.get(0, 0).value(), rgba.get(2, 3).value() & 0xFFFFFFu);
  EXPECT_EQ(w.rgb.get(2, 1).value(), rgba.get(4, 4).value() & 0xFFFFFFu);
}

// 16-bit gray gives its high bytes, 1-bit gray 0 and 255; a palette image gives RGB,
// or RGBA with transparency; gray with alpha gives RGBA.
TEST(PngRead, ConvertsOtherFormatsTo8BitsAndBadFilesRaiseTheirErrors) {
  const Bytes plte{10, 20, 30, 200, 100, 50};
  const struct {
    Bytes png;
    zcPngImage::zeFormat format;
    std::vector<std::uint32_t> row;
  } rows[] = {
      {craftPng(2, 1, 16, 0, {0, 0x12, 0x34, 0xAB, 0xCD}), zcPngImage::eGray, {0x12, 0xAB}},
      {craftPng(3, 1, 1, 0, {0, 0b10100000}), zcPngImage::eGray, {255, 0, 255}},
      {craftPng(2, 1, 8, 3, {0, 1, 0}, plte), zcPngImage::eRGB, {0xC86432u, 0x0A141Eu}},
      {craftPng(2, 1, 8, 3, {0, 1, 0}, plte, {0x80}), zcPngImage::eRGBA, {0xFFC86432u, 0x800A141Eu}},
      {craftPng(1, 1, 8, 4, {0, 90, 30}), zcPngImage::eRGBA, {0x1E5A5A5Au}},
  };
  for (const auto& r : rows) {
    const zcPngImage img = zfReadPngBytes(r.png.data(), r.png.size());
    ASSERT_EQ(img.format, r.format) << &r - rows;
    ASSERT_EQ(img.width(), long(r.row.size())) << &r - rows;
    for (long x = 0; x < img.width(); ++x)
      EXPECT_EQ(r.format == zcPngImage::eGray ? img.gray.get(x, 0) : img.rgb.get(x, 0).value(), r.row[std::size_t(x)])
          << &r - rows << " at " << x;
  }
  const TempDir dir;
  EXPECT_THROW(zfReadPng(dir / "no_such_file.png"), zcScreenError::IOError);
  zfWritePngRGB(dir / "bad.png", noise(40, 30, false));
  const Bytes good = readBytes(dir / "bad.png");
  ASSERT_GT(good.size(), 100u);
  EXPECT_NO_THROW(zfReadPngBytes(good.data(), good.size()));

  try {
    zfReadPngBytes(good.data() + 1, good.size() - 1);
    ADD_FAILURE() << "a PNG without its first byte was read";
  } catch (const zcScreenError::Errors& e) {
    EXPECT_EQ(e.errorNumber(), 0x1000A002);
    EXPECT_NE(e.what().find("zcScreenError::PngError"), std::string::npos);
    EXPECT_NE(e.message().find(L"not a PNG"), std::wstring::npos);
  }
  // The same from a file.
  std::ofstream(dir / "bad.png", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(good.data()), std::streamsize(good.size() - 30));
  EXPECT_THROW(zfReadPng(dir / "bad.png"), zcScreenError::PngError);

  Bytes crc = good;
  crc[30] ^= 0x40;
  // Valid chunks around a damaged zlib stream, and rows too short for the header.
  Bytes raw(1 + 4 * 3, 7);
  const Bytes filter7 = craftPng(4, 1, 8, 2, raw);
  raw[0] = 0;
  Bytes broken = deflated(raw);
  broken[2] = 0x07;  // a reserved deflate block type
  std::vector<std::pair<Bytes, std::string>> bad = {
      {Bytes(), "empty"},
      {Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, "not a PNG"},
      {crc, "a damaged chunk checksum"},
      {filter7, "row filter 7"},
      {craftPng(4, 1, 8, 2, raw, {}, {}, broken), "bad deflate data"},
      {craftPng(4, 3, 8, 2, raw), "missing rows"},
      // Small files whose header claims more pels than their data can hold.
      {craftPng(60000, 60000, 8, 2, {0, 1, 2, 3}), "beyond the pel limit"},
      {craftPng(4000, 4000, 8, 6, {0, 1, 2, 3}), "beyond the data"},
      {craftPng(70000, 1, 8, 0, {0, 1}), "beyond the side limit"},
      {craftPng(0, 1, 8, 0, {0}), "zero width"}};
  // Truncated anywhere: in the signature, the header, the data, before the end chunk.
  for (const std::size_t keep : {std::size_t(5), std::size_t(20), std::size_t(40), good.size() / 2, good.size() - 12})
    bad.emplace_back(Bytes(good.begin(), good.begin() + long(keep)), "truncated to " + std::to_string(keep));
  for (const auto& [bytes, what] : bad)
    EXPECT_THROW(zfReadPngBytes(bytes.data(), bytes.size()), zcScreenError::PngError) << what;
  const Bytes control = craftPng(4, 1, 8, 2, raw);
  EXPECT_EQ(zfReadPngBytes(control.data(), control.size()).rgb.get(3, 0).value(), 0x070707u);
}

TEST(AtomicWrite, FailedWritesKeepTheEarlierFileAndLeaveNoTemporaryAndPipesAreWrittenInPlace) {
  const TempDir dir;
  const fs::path target = dir.path / "picture.png";
  std::ofstream(target) << "earlier";
  ::chmod(target.c_str(), 0640);
  // Writes past 4 KiB fail (EFBIG) under the limit, as on a full disk.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const rlimit limit{4096, saved.rlim_max};
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limit);
  try {
    zfWritePngRGB(target.string(), noise(200, 200, false));
    ADD_FAILURE() << "the write past the limit succeeded";
  } catch (const zcScreenError::IOError& e) {
    EXPECT_NE(e.what().find("cannot write " + target.string() + ": File too large"), std::string::npos) << e.what();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
  EXPECT_EQ(readText(target), "earlier");
  EXPECT_EQ(dir.entries(), 1);
  // A write that succeeds replaces the file and keeps its permissions.
  zfWritePngRGB(target.string(), noise(20, 10, false));
  EXPECT_EQ(zfReadPng(target.string()).width(), 20);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640));
  EXPECT_EQ(dir.entries(), 1);
  EXPECT_THROW(zfWriteFileAtomically(dir.path.string(), "x", 1), zcScreenError::IOError);
  EXPECT_THROW(zfWriteFileAtomically((dir.path / "none" / "x").string(), "x", 1), zcScreenError::IOError);
  // Empty buffers are refused before anything is written.
  EXPECT_THROW(zfWritePngGray(dir / "never.png", zcPelBuffer<unsigned char>()), zcScreenError::BadParams);
  EXPECT_THROW(zfWritePngRGBA(dir / "never.png", zcPelBuffer<zcPackedRGB32>(0, 3)), zcScreenError::BadParams);
  EXPECT_THROW(zfWritePngGray(dir / "none/x.png", grayRamp(2, 2)), zcScreenError::IOError);
  EXPECT_EQ(dir.entries(), 1);

  // A pipe or device is written in place: renaming a file over it would replace it.
  const fs::path pipe = dir.path / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const std::string bytes = "bytes";
  zfWriteFileAtomically(pipe.string(), bytes.data(), bytes.size());
  char got[8] = {};
  EXPECT_EQ(::read(reader, got, sizeof got), 5);
  ::close(reader);
  EXPECT_EQ(std::string(got), bytes);
  EXPECT_TRUE(fs::is_fifo(pipe));
}

TEST(VectorScreen, PaintsThePelsOfARasterScreenAndSavesThem) {
  const TempDir dir;
  zcScreen raster(120, 90), vector(120, 90, zcRGB(0, 0, 0), zcScreen::eVector);
  for (zcScreen* s : {&raster, &vector}) {
    zcUITablet t(&s->image(), &s->overlay());
    t.visible(true);
    t.draw(zcCircle(zcPoint(40, 40), 25), zcGraphicProps(zcColor::red, 3, zcGraphicProps::ePenStyleDefault, true),
           zcUITablet::eImage);
    t.draw(zcRect(60, 10, 30, 30), zcColor::blue, true, zcUITablet::eOverlay);
    t.draw(zcRect(65, 15, 10, 10), zcColor::pass, true, zcUITablet::eOverlay);
    t.fill(zcPoint(5, 85), zcColor::green, zcColor::red, zcUITablet::eFillType0, zcUITablet::eImage);
  }
  const zcPelBuffer<zcPackedRGB32> a = raster.composite(), b = vector.composite();
  for (long y = 0; y < 90; ++y)
    for (long x = 0; x < 120; ++x) ASSERT_EQ(a.get(x, y).value(), b.get(x, y).value()) << x << ',' << y;
  EXPECT_FALSE(raster.isVector());
  EXPECT_THROW(raster.save(dir / "r.svg", zcScreen::eSvg), zcScreenError::BadParams);
  vector.save(dir / "v.svg", zcScreen::eSvg);
  vector.save(dir / "v.pdf", zcScreen::ePdf);
  const std::string svg = readText(dir.path / "v.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  EXPECT_EQ(readText(dir.path / "v.pdf").substr(0, 5), "%PDF-");
}
