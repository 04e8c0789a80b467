#include "zscreen/png.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::string tempPath(const std::string& name) { return ::testing::TempDir() + name; }

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// --- A minimal PNG writer for files libpng's writer does not make ---------------------------

std::uint32_t crc32(const unsigned char* p, std::size_t n, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void put32(Bytes& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<unsigned char>(v >> s));
}

void chunk(Bytes& png, const char* type, const Bytes& data) {
  put32(png, static_cast<std::uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  put32(png, crc32(body.data(), body.size()));
}

// A zlib stream of stored (uncompressed) deflate blocks.
Bytes zlibStored(const Bytes& raw) {
  Bytes out{0x78, 0x01};
  std::size_t at = 0;
  do {
    const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
    out.push_back(at + n == raw.size() ? 1 : 0);
    out.push_back(static_cast<unsigned char>(n));
    out.push_back(static_cast<unsigned char>(n >> 8));
    out.push_back(static_cast<unsigned char>(~n));
    out.push_back(static_cast<unsigned char>(~n >> 8));
    out.insert(out.end(), raw.begin() + long(at), raw.begin() + long(at + n));
    at += n;
  } while (at < raw.size());
  std::uint32_t a = 1, b = 0;
  for (const unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  put32(out, b << 16 | a);
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
  chunk(png, "IDAT", idat.empty() ? zlibStored(raw) : idat);
  chunk(png, "IEND", {});
  return png;
}

zcPelBuffer<unsigned char> grayRamp(long w, long h) {
  zcPelBuffer<unsigned char> img(w, h);
  for (long y = 0; y < h; ++y)
    for (long x = 0; x < w; ++x) img.set(x, y, static_cast<unsigned char>(x * 7 + y * 31));
  return img;
}

zcPelBuffer<zcPackedRGB32> colorRamp(long w, long h, bool alpha) {
  zcPelBuffer<zcPackedRGB32> img(w, h);
  for (long y = 0; y < h; ++y)
    for (long x = 0; x < w; ++x) {
      const std::uint32_t a = alpha ? std::uint32_t((x * 40 + y) & 0xFF) << 24 : 0;
      img.set(x, y, zcPackedRGB32(a | std::uint32_t(x * 9) << 16 | std::uint32_t(y * 13) << 8 | std::uint32_t(x ^ y)));
    }
  return img;
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

template <class E>
void expectReadFails(const Bytes& bytes, const char* what) {
  EXPECT_THROW(zfReadPngBytes(bytes.data(), bytes.size()), E) << what;
}

}  // namespace

TEST(PngRoundTrip, GrayRGBAndRGBA) {
  const std::string path = tempPath("png_roundtrip.png");
  const zcPelBuffer<unsigned char> gray = grayRamp(17, 5);
  zfWritePngGray(path, gray);
  const zcPngImage g = zfReadPng(path);
  EXPECT_EQ(g.format, zcPngImage::eGray);
  EXPECT_FALSE(g.rgb.isBound());
  expectSamePels<unsigned char>(g.gray, gray);

  const zcPelBuffer<zcPackedRGB32> rgb = colorRamp(9, 11, false);
  zfWritePngRGB(path, rgb);
  const zcPngImage c = zfReadPng(path);
  EXPECT_EQ(c.format, zcPngImage::eRGB);
  EXPECT_EQ(c.width(), 9);
  EXPECT_EQ(c.height(), 11);
  expectSamePels<zcPackedRGB32>(c.rgb, rgb);

  const zcPelBuffer<zcPackedRGB32> rgba = colorRamp(6, 7, true);
  zfWritePngRGBA(path, rgba);
  const zcPngImage a = zfReadPng(path);
  EXPECT_EQ(a.format, zcPngImage::eRGBA);
  expectSamePels<zcPackedRGB32>(a.rgb, rgba);

  // RGB writing drops the top byte; a window writes only its pels.
  zfWritePngRGB(path, rgba.window(2, 3, 3, 2));
  const zcPngImage w = zfReadPng(path);
  ASSERT_EQ(w.width(), 3);
  ASSERT_EQ(w.height(), 2);
  EXPECT_EQ(w.rgb.get(0, 0).value(), rgba.get(2, 3).value() & 0xFFFFFFu);
  EXPECT_EQ(w.rgb.get(2, 1).value(), rgba.get(4, 4).value() & 0xFFFFFFu);
  std::remove(path.c_str());
}

TEST(PngRead, ConvertsOtherFormatsTo8Bits) {
  // 16-bit gray: the high bytes.
  const Bytes gray16 = craftPng(2, 1, 16, 0, {0, 0x12, 0x34, 0xAB, 0xCD});
  const zcPngImage g = zfReadPngBytes(gray16.data(), gray16.size());
  ASSERT_EQ(g.format, zcPngImage::eGray);
  EXPECT_EQ(g.gray.get(0, 0), 0x12);
  EXPECT_EQ(g.gray.get(1, 0), 0xAB);

  // 1-bit gray scales to 0 and 255.
  const Bytes gray1 = craftPng(3, 1, 1, 0, {0, 0b10100000});
  const zcPngImage b = zfReadPngBytes(gray1.data(), gray1.size());
  EXPECT_EQ(b.gray.get(0, 0), 255);
  EXPECT_EQ(b.gray.get(1, 0), 0);
  EXPECT_EQ(b.gray.get(2, 0), 255);

  // A palette image, with and without transparency.
  const Bytes plte{10, 20, 30, 200, 100, 50};
  const Bytes pal = craftPng(2, 1, 8, 3, {0, 1, 0}, plte);
  const zcPngImage p = zfReadPngBytes(pal.data(), pal.size());
  ASSERT_EQ(p.format, zcPngImage::eRGB);
  EXPECT_EQ(p.rgb.get(0, 0).value(), 0xC86432u);
  EXPECT_EQ(p.rgb.get(1, 0).value(), 0x0A141Eu);
  const Bytes palT = craftPng(2, 1, 8, 3, {0, 1, 0}, plte, {0x80});
  const zcPngImage t = zfReadPngBytes(palT.data(), palT.size());
  ASSERT_EQ(t.format, zcPngImage::eRGBA);
  EXPECT_EQ(t.rgb.get(0, 0).value(), 0xFFC86432u);
  EXPECT_EQ(t.rgb.get(1, 0).value(), 0x800A141Eu);

  // Gray with alpha becomes RGBA.
  const Bytes ga = craftPng(1, 1, 8, 4, {0, 90, 30});
  const zcPngImage a = zfReadPngBytes(ga.data(), ga.size());
  ASSERT_EQ(a.format, zcPngImage::eRGBA);
  EXPECT_EQ(a.rgb.get(0, 0).value(), 0x1E5A5A5Au);
}

TEST(PngRead, BadFilesRaiseTheirErrors) {
  EXPECT_THROW(zfReadPng(tempPath("png_no_such_file.png")), zcScreenError::IOError);

  const std::string path = tempPath("png_bad.png");
  zfWritePngRGB(path, colorRamp(40, 30, false));
  const Bytes good = readFile(path);
  ASSERT_GT(good.size(), 100u);
  EXPECT_NO_THROW(zfReadPngBytes(good.data(), good.size()));

  expectReadFails<zcScreenError::PngError>(Bytes(), "empty");
  try {
    zfReadPngBytes(good.data() + 1, good.size() - 1);
    ADD_FAILURE() << "a PNG without its first byte was read";
  } catch (const zcScreenError::Errors& e) {
    EXPECT_EQ(e.errorNumber(), 0x1000A002);
    EXPECT_NE(e.what().find("zcScreenError::PngError"), std::string::npos);
    EXPECT_NE(e.message().find(L"not a PNG"), std::wstring::npos);
  }
  expectReadFails<zcScreenError::PngError>(Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, "not a PNG");
  // Truncated anywhere: in the signature, the header, the data, before the end chunk.
  for (const std::size_t keep : {std::size_t(5), std::size_t(20), std::size_t(40), good.size() / 2, good.size() - 12})
    expectReadFails<zcScreenError::PngError>(Bytes(good.begin(), good.begin() + long(keep)), "truncated");
  // The same from a file.
  writeFile(path, Bytes(good.begin(), good.end() - 30));
  EXPECT_THROW(zfReadPng(path), zcScreenError::PngError);

  // A damaged chunk checksum.
  Bytes crc = good;
  crc[30] ^= 0x40;
  expectReadFails<zcScreenError::PngError>(crc, "checksum");

  // Valid chunks around a damaged zlib stream, and rows too short for the header.
  Bytes raw(1 + 4 * 3, 7);
  expectReadFails<zcScreenError::PngError>(craftPng(4, 1, 8, 2, raw), "row filter 7");
  raw[0] = 0;
  Bytes broken = zlibStored(raw);
  broken[2] = 0x07;  // a reserved deflate block type
  expectReadFails<zcScreenError::PngError>(craftPng(4, 1, 8, 2, raw, {}, {}, broken), "bad deflate data");
  expectReadFails<zcScreenError::PngError>(craftPng(4, 3, 8, 2, raw), "missing rows");
  const Bytes control = craftPng(4, 1, 8, 2, raw);
  EXPECT_EQ(zfReadPngBytes(control.data(), control.size()).rgb.get(3, 0).value(), 0x070707u);
  std::remove(path.c_str());
}

TEST(PngRead, HeadersAskingForHugeImagesAreRefused) {
  // Small files whose header claims more pels than their data can hold.
  expectReadFails<zcScreenError::PngError>(craftPng(60000, 60000, 8, 2, {0, 1, 2, 3}), "beyond the pel limit");
  expectReadFails<zcScreenError::PngError>(craftPng(4000, 4000, 8, 6, {0, 1, 2, 3}), "beyond the data");
  expectReadFails<zcScreenError::PngError>(craftPng(70000, 1, 8, 0, {0, 1}), "beyond the side limit");
  expectReadFails<zcScreenError::PngError>(craftPng(0, 1, 8, 0, {0}), "zero width");
}

TEST(PngWrite, RefusesEmptyBuffersAndUnwritablePaths) {
  const std::string path = tempPath("png_never_written.png");
  std::remove(path.c_str());
  EXPECT_THROW(zfWritePngGray(path, zcPelBuffer<unsigned char>()), zcScreenError::BadParams);
  EXPECT_THROW(zfWritePngRGBA(path, zcPelBuffer<zcPackedRGB32>(0, 3)), zcScreenError::BadParams);
  EXPECT_TRUE(readFile(path).empty());
  EXPECT_THROW(zfWritePngGray(tempPath("no_such_dir/x.png"), grayRamp(2, 2)), zcScreenError::IOError);
}
