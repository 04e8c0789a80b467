// Files written whole or not at all, PNGs read cropped, and vector screens.
#include "zscreen/file.h"
#include "zscreen/png.h"
#include "zscreen/screen.h"

#include "dispc/uitablet.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TempDir {
  fs::path path = fs::temp_directory_path() / ("zscreen_file_test-" + std::to_string(::getpid()));
  TempDir() { fs::create_directories(path); }
  ~TempDir() { fs::remove_all(path); }
  long entries() const { return long(std::distance(fs::directory_iterator(path), {})); }
};

// Writes past `bytes` fail (EFBIG) while it lives, as a full disk would.
struct FileSizeLimit {
  rlimit saved{};
  void (*savedHandler)(int);
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved);
    savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
  }
};

zcPelBuffer<zcPackedRGB32> noise(long w, long h) {
  zcPelBuffer<zcPackedRGB32> pels(w, h);
  std::uint32_t v = 12345;
  for (long y = 0; y < h; ++y)
    for (long x = 0; x < w; ++x) pels.set(x, y, zcPackedRGB32((v = v * 1103515245u + 12345u) >> 4 | 0xFF000000u));
  return pels;
}

TEST(AtomicWrite, AFailedWriteKeepsTheEarlierFileAndLeavesNoTemporary) {
  const TempDir dir;
  const fs::path target = dir.path / "picture.png";
  std::ofstream(target) << "earlier";
  ::chmod(target.c_str(), 0640);
  {
    const FileSizeLimit limit(4096);
    try {
      zfWritePngRGB(target.string(), noise(200, 200));
      ADD_FAILURE() << "the write past the limit succeeded";
    } catch (const zcScreenError::IOError& e) {
      EXPECT_NE(e.what().find("cannot write " + target.string() + ": File too large"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(readText(target), "earlier");
  EXPECT_EQ(dir.entries(), 1);
  // A write that succeeds replaces the file and keeps its permissions.
  zfWritePngRGB(target.string(), noise(20, 10));
  EXPECT_EQ(zfReadPng(target.string()).width(), 20);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640));
  EXPECT_EQ(dir.entries(), 1);
  EXPECT_THROW(zfWriteFileAtomically(dir.path.string(), "x", 1), zcScreenError::IOError);
  EXPECT_THROW(zfWriteFileAtomically((dir.path / "none" / "x").string(), "x", 1), zcScreenError::IOError);
}

TEST(PngRead, ACroppedReadIsTheWindowOfTheWholeImage) {
  const TempDir dir;
  const zcPelBuffer<zcPackedRGB32> pels = noise(37, 23);
  zcPelBuffer<unsigned char> gray(37, 23);
  for (long y = 0; y < 23; ++y)
    for (long x = 0; x < 37; ++x) gray.set(x, y, static_cast<unsigned char>(x * 7 + y));
  zfWritePngRGBA((dir.path / "rgba.png").string(), pels);
  zfWritePngGray((dir.path / "gray.png").string(), gray);
  for (const auto& [w, h] : {std::pair{10L, 5L}, std::pair{37L, 1L}, std::pair{50L, 40L}}) {
    const zcPngImage rgba = zfReadPng((dir.path / "rgba.png").string(), w, h);
    const zcPngImage g = zfReadPng((dir.path / "gray.png").string(), w, h);
    ASSERT_EQ(rgba.width(), std::min(w, 37L));
    ASSERT_EQ(rgba.height(), std::min(h, 23L));
    ASSERT_EQ(g.width(), rgba.width());
    for (long y = 0; y < rgba.height(); ++y)
      for (long x = 0; x < rgba.width(); ++x) {
        ASSERT_EQ(rgba.rgb.get(x, y).value(), pels.get(x, y).value()) << w << 'x' << h << " at " << x << ',' << y;
        ASSERT_EQ(g.gray.get(x, y), gray.get(x, y));
      }
  }
  EXPECT_THROW(zfReadPng((dir.path / "gray.png").string(), 0, 5), zcScreenError::BadParams);
  EXPECT_THROW(zfReadPng(dir.path.string(), 5, 5), zcScreenError::IOError);
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
  EXPECT_THROW(raster.save((dir.path / "r.svg").string(), zcScreen::eSvg), zcScreenError::BadParams);
  vector.save((dir.path / "v.svg").string(), zcScreen::eSvg);
  vector.save((dir.path / "v.pdf").string(), zcScreen::ePdf);
  const std::string svg = readText(dir.path / "v.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  EXPECT_EQ(readText(dir.path / "v.pdf").substr(0, 5), "%PDF-");
}

}  // namespace

// A pipe or device is written in place: renaming a file over it would replace it.
TEST(AtomicWrite, APipeTargetIsWrittenInPlaceAndStaysAPipe) {
  const TempDir dir;
  const fs::path target = dir.path / "pipe";
  ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0);
  const int reader = ::open(target.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const std::string bytes = "bytes";
  zfWriteFileAtomically(target.string(), bytes.data(), bytes.size());
  char got[8] = {};
  EXPECT_EQ(::read(reader, got, sizeof got), 5);
  ::close(reader);
  EXPECT_EQ(std::string(got), bytes);
  EXPECT_TRUE(fs::is_fifo(target));
}
