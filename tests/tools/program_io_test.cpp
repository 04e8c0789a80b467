// The dispc program's files and errors: writes that fail leave earlier files whole,
// inputs refused by their header or kind with a reason, screens refused by size,
// vector output, the layer rule of render, and the demo's checks.
#include "zscreen/png.h"
#include "zscreen/screen.h"

#include "dispc/uitablet.h"

#include "zfound/archive.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result {
  int status = -1;
  std::string out, err;
};

std::string readText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ProgramIO : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("dispc_program_io_test-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ofstream(dir_ / "lsan.supp") << "leak:libfontconfig.so\n";
    demo_ = run("demo -o demo");
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  // `args` as a shell word list after the program, run in the suite's directory;
  // `prefix` runs first in the same shell (limits, traps).
  static Result run(const std::string& args, const std::string& prefix = "") {
    const std::string command = "cd '" + dir_.string() + "' && " + prefix +
                                " LSAN_OPTIONS=print_suppressions=0:suppressions=lsan.supp exec '" DISPC_PROGRAM "' " +
                                args + " >stdout.txt 2>stderr.txt";
    const int raw = std::system(("sh -c \"" + command + "\"").c_str());
    return Result{WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), readText(dir_ / "stdout.txt"),
               readText(dir_ / "stderr.txt")};
  }

  // A failure as users see it: status 2, one line of the program's form holding `text`.
  static void expectError(const Result& r, const std::string& text, const std::string& what) {
    EXPECT_EQ(r.status, 2) << what;
    EXPECT_TRUE(std::regex_match(r.err, std::regex("dispc: [A-Za-z:]+ \\(error 0x[0-9A-F]+\\): [^\n]*\n"))) << what
                                                                                                             << r.err;
    EXPECT_NE(r.err.find(text), std::string::npos) << what << ": " << r.err;
  }

  static fs::path dir_;
  static Result demo_;
};

fs::path ProgramIO::dir_;
Result ProgramIO::demo_;

bool sanitized() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#endif
#endif
  return false;
}

TEST_F(ProgramIO, FailedWritesLeaveTheEarlierFileWhole) {
  // The file size limit makes every write past 4 KiB fail as a full disk would.
  for (const std::string name : {"out.png", "out.svg", "out.pdf"}) {
    const std::string earlier = "the earlier " + name;
    std::ofstream(dir_ / name) << earlier;
    const auto before = std::distance(fs::directory_iterator(dir_), {});
    const Result r = run("render demo/scene.zfar -o " + name, "trap '' XFSZ; ulimit -f 8;");
    expectError(r, "cannot write " + name + ": File too large", name);
    EXPECT_EQ(readText(dir_ / name), earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), before) << "a temporary file is left";
  }
  // Without the limit the file is replaced.
  EXPECT_EQ(run("render demo/scene.zfar -o out.png").status, 0);
  EXPECT_EQ(zfReadPng((dir_ / "out.png").string()).width(), 640);
}

TEST_F(ProgramIO, InputsAreRecognisedBeforeTheyAreRead) {
  // 1.5 GB of zeros (sparse), under an address-space limit the file cannot fit in.
  fs::resize_file((std::ofstream(dir_ / "zeros.bin"), dir_ / "zeros.bin"), 1500LL << 20);
  const std::string limit = sanitized() ? "" : "ulimit -v 400000;";
  for (const std::string command : {"dump zeros.bin", "render zeros.bin -o zeros.png"})
    expectError(run(command, limit), "zeros.bin is not an archive of this format", command);
  EXPECT_FALSE(fs::exists(dir_ / "zeros.png"));
  expectError(run("render demo/scene.zfar --size 32767x32767"), "needs 8589 MB for its two layers", "32767");
  expectError(run("render demo/scene.zfar --max-megapixels 0.3 --size 640x480 -o big.png"),
              "the limit is 0.3 megapixels", "limit");
  EXPECT_EQ(run("render demo/scene.zfar --max-megapixels 0.3072 --size 640x480 -o fits.png").status, 0);
}

TEST_F(ProgramIO, ErrorsSayWhatIsWrong) {
  fs::create_directories(dir_ / "folder.png");
  const struct {
    const char* args;
    const char* text;
  } rows[] = {
      {"dump folder.png", "cannot read folder.png: Is a directory"},
      {"render demo/scene.zfar --background folder.png -o x.png", "cannot read folder.png: Is a directory"},
      {"render demo/scene.zfar --background missing.png -o x.png", "cannot open missing.png: No such file"},
      {"render demo/scene.zfar --scale -1", "--scale: '-1' must be positive and finite"},
      {"render demo/scene.zfar --scale 0", "--scale: '0' must be positive and finite"},
      {"render demo/scene.zfar --scale nan", "--scale: 'nan' is not a number"},
      {"dump demo/demo.zfar", "demo/demo.zfar holds no sketch"},
      {"frobnicate", "'frobnicate' is not a subcommand"},
      {"render - ", "needs -o"},
  };
  for (const auto& row : rows) expectError(run(row.args), row.text, row.args);
  // Standard input by both its names gives the file's listing.
  const Result file = run("dump demo/scene.zfar");
  ASSERT_EQ(file.status, 0);
  for (const std::string name : {"-", "/dev/stdin"}) {
    const Result r = run("dump " + name + " < demo/scene.zfar");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.find('\n')), file.out.substr(file.out.find('\n'))) << name;
  }
  EXPECT_EQ(run("--version").out, "dispc " DISPC_VERSION "\n");
}

// Tags opened and closed in order; the names of the elements met.
bool wellFormed(const std::string& xml, std::vector<std::string>& names) {
  std::vector<std::string> open;
  for (std::size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
    const std::size_t end = xml.find('>', at);
    if (end == std::string::npos) return false;
    const std::string tag = xml.substr(at + 1, end - at - 1);
    if (tag.empty() || tag[0] == '?' || tag[0] == '!') continue;
    const std::string name = tag.substr(tag[0] == '/', tag.find_first_of(" />\n", 1) - (tag[0] == '/'));
    if (tag[0] == '/') {
      if (open.empty() || open.back() != name) return false;
      open.pop_back();
    } else if (tag.back() != '/') {
      open.push_back(name);
    }
    names.push_back(name);
  }
  return open.empty();
}

TEST_F(ProgramIO, VectorOutputHoldsTheSketchsShapes) {
  zcUITablet recorder;
  recorder.draw(zcCircle(zcPoint(40, 40), 20), zcGraphicProps(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, false),
                zcUITablet::eOverlay);
  recorder.draw(zcLineSeg(zcPoint(5, 70), zcPoint(90, 70)), zcColor::green, zcUITablet::eImage);
  recorder.draw(L"text", zcPoint(10, 80), zcColor::white, zcColor::pass, zcUIFormat(zcUIFormat::eTopLeft),
                zcUITablet::eOverlay);
  {
    zcFileArchive out((dir_ / "small.zfar").string(), zcFileArchive::eStore);
    out || recorder.sketch();
  }
  ASSERT_EQ(run("render small.zfar --size 100x100 -o small.svg").status, 0);
  std::vector<std::string> names;
  const std::string svg = readText(dir_ / "small.svg");
  ASSERT_TRUE(wellFormed(svg, names)) << svg.substr(0, 400);
  EXPECT_EQ(names.front(), "svg");
  EXPECT_NE(svg.find("width=\"100"), std::string::npos);
  // The circle and the segment as paths, the text as glyphs.
  EXPECT_GE(std::count(names.begin(), names.end(), "path"), 3);
  EXPECT_NE(svg.find("glyph"), std::string::npos);

  ASSERT_EQ(run("render small.zfar --size 100x100 -o small.pdf").status, 0);
  const std::string pdf = readText(dir_ / "small.pdf");
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  if (std::system("command -v pdfinfo >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdfinfo is not installed";
  EXPECT_EQ(std::system(("pdfinfo '" + (dir_ / "small.pdf").string() + "' >/dev/null 2>&1").c_str()), 0);
}

TEST_F(ProgramIO, RenderPaintsEachOperationAsTheTabletsReplayDoes) {
  zcUITablet recorder;
  recorder.draw(zcCircle(zcPoint(30, 30), 10), zcColor::red, true, zcUITablet::eImage);
  recorder.draw(zcRect(50, 10, 20, 20), zcColor::blue, true, zcUITablet::eOverlay);
  recorder.drawCross(zcPair<double>(40, 60), zcRadian(0), zcColor::yellow, zcUITablet::eBothLayers);
  {
    zcFileArchive out((dir_ / "layers.zfar").string(), zcFileArchive::eStore);
    out || recorder.sketch();
  }
  for (const auto& [name, layers] : {std::pair{"both", zcUITablet::eBothLayers}, std::pair{"image", zcUITablet::eImage},
                                     std::pair{"overlay", zcUITablet::eOverlay}}) {
    zcScreen screen(100, 80);
    zcUITablet tablet(&screen.image(), &screen.overlay());
    tablet.visible(true);
    tablet.draw(recorder.sketch(), zcPoint(0, 0), layers);
    ASSERT_EQ(run(std::string("render layers.zfar --size 100x80 -o layers.png --layer ") + name).status, 0);
    const zcPngImage png = zfReadPng((dir_ / "layers.png").string());
    const zcPelBuffer<zcPackedRGB32> expected = screen.composite();
    long differing = 0;
    for (long y = 0; y < 80; ++y)
      for (long x = 0; x < 100; ++x)
        differing += (png.rgb.get(x, y).value() & 0xFFFFFF) != (expected.get(x, y).value() & 0xFFFFFF);
    EXPECT_EQ(differing, 0) << name;
    // The cross recorded for both layers paints only when one layer is replayed.
    EXPECT_EQ(png.rgb.get(40, 60).value() & 0xFFFFFF, layers == zcUITablet::eBothLayers ? 0u : 0xFFFF00u) << name;
  }
}

TEST_F(ProgramIO, DemoChecksEveryMapAndReportsTheStoredSize) {
  ASSERT_EQ(demo_.status, 0) << demo_.out << demo_.err;
  for (const char* map : {"identity", "scale 0.75", "rotation and shear"})
    EXPECT_NE(demo_.out.find(std::string("nested sketch drawn directly and replayed (") + map + "): pixels identical"),
              std::string::npos)
        << map;
  // The size printed for the file is the one dump finds in it.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(demo_.out, m, std::regex("scene.zfar: \\d+ operations, (\\d+) bytes of sketch in the file")));
  const Result dump = run("dump demo/scene.zfar");
  EXPECT_NE(dump.out.find(": " + m[1].str() + " bytes\n"), std::string::npos) << dump.out.substr(0, 200);
  // The images cell's gradient rises to white at its last pel instead of wrapping.
  const zcPngImage png = zfReadPng((dir_ / "demo" / "scene.png").string());
  EXPECT_EQ(png.rgb.get(384 + 8 + 63, 360 + 26 + 47).value() & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(png.rgb.get(384 + 8, 360 + 26).value() & 0xFFFFFF, 0u);
}

}  // namespace
