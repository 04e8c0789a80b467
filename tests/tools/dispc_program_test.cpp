// The dispc program run as a user runs it: exit status, standard output and error,
// and the files it writes, in a temporary directory.
#include "zscreen/png.h"

#include "dispc/color.h"
#include "dispc/sketchop.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

struct Outcome {
  int status = -1;
  std::string out;
  std::vector<std::string> errLines;
};

std::string quoted(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string readText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

Bytes readBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& p, const Bytes& b) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One operation line of a dump: offset, length, kind, layer and the summary.
struct DumpLine {
  long offset = 0, length = 0;
  std::string name, layer, rest;
};

// One directory for the whole suite, with the demo's files and the dump of its scene
// made once; the dump's operation lines sit between the headline and the count.
class Program : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("dispc_program_test-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Under the leak checker: fontconfig, which Cairo's text uses, keeps allocations
    // it never frees at exit. Only that library's leaks are let through.
    std::ofstream(dir_ / "lsan.supp") << "leak:libfontconfig.so\n";
    demo_ = run({"demo", "-o", (dir_ / "demo").string()});
    dump_ = run({"dump", scene().string()});
    const std::vector<std::string> lines = linesOf(dump_.out);
    for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
      std::istringstream in(lines[i]);
      DumpLine& d = ops_.emplace_back();
      in >> d.offset >> d.length >> d.name >> d.layer;
      std::getline(in, d.rest);
    }
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  static Outcome run(const std::vector<std::string>& args) {
    std::string command;
    if (!std::getenv("LSAN_OPTIONS"))
      command = "LSAN_OPTIONS=print_suppressions=0:suppressions=" + quoted((dir_ / "lsan.supp").string()) + " ";
    command += quoted(DISPC_PROGRAM);
    for (const std::string& a : args) command += " " + quoted(a);
    const fs::path out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
    const int raw = std::system((command + " >" + quoted(out.string()) + " 2>" + quoted(err.string())).c_str());
    Outcome r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    r.out = readText(out);
    r.errLines = linesOf(readText(err));
    return r;
  }

  static fs::path scene() { return dir_ / "demo" / "scene.zfar"; }
  static fs::path path(const std::string& name) { return dir_ / name; }

  static fs::path dir_;
  static Outcome demo_, dump_;
  static std::vector<DumpLine> ops_;
};

fs::path Program::dir_;
Outcome Program::demo_, Program::dump_;
std::vector<DumpLine> Program::ops_;

// A failure as users see it: status 2 and one line naming class and error number.
void expectOneLineError(const Outcome& r, const std::string& klass, const std::string& what) {
  EXPECT_EQ(r.status, 2) << what;
  ASSERT_EQ(r.errLines.size(), 1u) << what;
  EXPECT_TRUE(std::regex_search(r.errLines[0], std::regex("^dispc: zc\\w+::\\w+ \\(error 0x[0-9A-F]{8}\\)")))
      << what << ": " << r.errLines[0];
  EXPECT_TRUE(klass.empty() || r.errLines[0].find(klass) != std::string::npos) << what << ": " << r.errLines[0];
}

zcRGB pelAt(const zcPngImage& img, long x, long y) {
  const zcPackedRGB32 p = *img.rgb.pelPointer(x, y);
  return zcRGB(p.red(), p.green(), p.blue());
}

TEST_F(Program, DemoWritesTheSceneAndFindsItsReplaysIdentical) {
  ASSERT_EQ(demo_.status, 0) << demo_.out;
  EXPECT_TRUE(demo_.errLines.empty());
  const std::vector<std::string> lines = linesOf(demo_.out);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), "scene replay: pixels identical");
  EXPECT_NE(demo_.out.find("scene drawn directly and replayed: pixels identical\n"), std::string::npos);
  EXPECT_NE(demo_.out.find(scene().string() + ":"), std::string::npos);
  const zcPngImage png = zfReadPng((dir_ / "demo" / "scene.png").string());
  ASSERT_EQ(png.format, zcPngImage::eRGB);
  EXPECT_EQ(png.width(), 640);
  EXPECT_EQ(png.height(), 480);
  // The image layer's fill, and in the last cell an image-layer disk seen through a
  // pass-color hole of an overlay rectangle that covers it elsewhere.
  EXPECT_EQ(pelAt(png, 600, 20), zcRGB(24, 28, 36));
  EXPECT_EQ(pelAt(png, 552, 430), zcRGB(255, 0, 0));
  EXPECT_EQ(pelAt(png, 535, 415), zcRGB(0, 0, 255));
}

TEST_F(Program, DumpLengthsTileTheSketchAndTheCountMatchesTheDemo) {
  ASSERT_EQ(dump_.status, 0);
  EXPECT_TRUE(dump_.errLines.empty());
  const std::vector<std::string> lines = linesOf(dump_.out);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines.at(0), m, std::regex("sketch (.*): (\\d+) bytes")));
  EXPECT_EQ(m[1], scene().string());
  long at = 0;
  for (const DumpLine& d : ops_) {
    EXPECT_EQ(d.offset, at) << d.name;
    at += d.length;
  }
  const std::string n = std::to_string(ops_.size()), size = m[2];
  EXPECT_EQ(std::to_string(at), size);
  EXPECT_EQ(lines.back(), n + " operations, " + size + " of " + size + " bytes: the walk ended exactly at the size");
  EXPECT_NE(demo_.out.find(": " + n + " operations, "), std::string::npos);  // the demo's own walk
}

// Every kind the tablet records, except the read-only String and the nested Sketch
// (which archives refuse).
TEST_F(Program, DumpListsEveryRecordedKindOnBothLayers) {
  std::set<std::string> kinds, layers;
  for (const DumpLine& d : ops_) kinds.insert(d.name), layers.insert(d.layer);
  std::set<std::string> expected;
  for (const zcUISketchOpKind& k : zfUISketchOpKinds()) expected.insert(k.name);
  for (const char* absent : {"String", "Sketch"}) expected.erase(absent);
  EXPECT_EQ(kinds, expected);
  EXPECT_EQ(layers, (std::set<std::string>{"image", "overlay"}));
}

// A fixed-length kind is 8 bytes of header and its payload, and 22 more exactly where
// the dump shows properties.
TEST_F(Program, DumpShowsPropertiesExactlyWhereABlockPrecedesTheHeader) {
  const std::map<std::string, long> fixed = {{"Point", 16}, {"LineSeg", 32}, {"Circle", 24}, {"Cross", 32},
                                             {"Rect", 32},  {"ClipRect", 32}, {"DrawTo", 16}, {"Arrow", 36}};
  int checked = 0;
  for (const DumpLine& d : ops_) {
    if (!fixed.count(d.name)) continue;
    const bool props = d.rest.find(" props {") != std::string::npos;
    EXPECT_EQ(d.length, 8 + fixed.at(d.name) + (props ? 22 : 0)) << d.name << " at " << d.offset;
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

TEST_F(Program, DumpSummariesCarryTheValuesDrawn) {
  ASSERT_FALSE(ops_.empty());
  EXPECT_EQ(ops_[0].name + " " + ops_[0].layer, "SetAll image");  // the image layer's fill first
  EXPECT_NE(ops_[0].rest.find("#181C24"), std::string::npos);
  EXPECT_NE(dump_.out.find("\"points\" align 0"), std::string::npos);
  EXPECT_NE(dump_.out.find("center (35, 175) radius 25"), std::string::npos);
}

// The demo scene has a filled blue image-layer disk at (90, 175) radius 22, and an
// overlay rectangle with a pass-color hole over an image-layer red disk at (552, 430).
// The demo's small sketch has a filled red disk at (50, 50) on the overlay and a yellow
// cross through (70, 70) recorded for both layers, which a replay of one layer paints.
TEST_F(Program, RenderWritesThePngAtTheRequestedSizeScaleLayersAndBackground) {
  zfWritePngRGB(path("green.png").string(), zcPelBuffer<zcPackedRGB32>(640, 480, zcPackedRGB32(10, 200, 30)));
  fs::copy_file(scene(), path("copy.zfar"), fs::copy_options::overwrite_existing);
  const std::string sc = scene().string(), small = path("small.png").string(), out = path("out.png").string();
  const std::string sketch = (dir_ / "demo" / "demo-sketch.zfar").string();
  const zcRGB black(0, 0, 0), blue(0, 0, 255), red(255, 0, 0), yellow(255, 255, 0), green(10, 200, 30);
  const struct {
    std::vector<std::string> args;
    std::string png;
    long width, height;
    std::vector<std::tuple<long, long, zcRGB>> pels;
  } rows[] = {
      {{"render", sc, "-o", small, "--size", "320x200", "--scale", "0.5", "--layer", "image"}, small, 320, 200,
       {{45, 87, blue}}},
      {{"render", sc, "-o", small, "--scale", "0.5", "--layer", "overlay"}, small, 640, 480, {{45, 87, black}}},
      {{"render", path("copy.zfar").string()}, path("copy.png").string(), 640, 480, {}},  // beside the sketch
      {{"render", sc, "--background", path("green.png").string(), "--layer", "overlay", "-o", out}, out, 640, 480,
       {{535, 415, blue}, {552, 430, green}, {600, 20, green}}},
      {{"render", sketch, "--layer", "image", "-o", out}, out, 640, 480, {{50, 50, black}, {70, 70, yellow}}},
      {{"render", sketch, "--layer", "overlay", "-o", out}, out, 640, 480, {{50, 50, red}, {70, 70, yellow}}},
      {{"render", sketch, "--layer", "both", "-o", out}, out, 640, 480, {{50, 50, red}, {70, 70, black}}},
  };
  for (const auto& row : rows) {
    const std::string what = ::testing::PrintToString(row.args);
    const Outcome r = run(row.args);
    ASSERT_EQ(r.status, 0) << what;
    EXPECT_TRUE(r.errLines.empty()) << what;
    const zcPngImage png = zfReadPng(row.png);
    EXPECT_EQ(png.width(), row.width) << what;
    EXPECT_EQ(png.height(), row.height) << what;
    for (const auto& [x, y, color] : row.pels) EXPECT_EQ(pelAt(png, x, y), color) << what << " at " << x << "," << y;
  }
}

TEST_F(Program, CorruptedArchivesNeverCrash) {
  const Bytes whole = readBytes(scene());
  const fs::path bad = path("flipped.zfar");
  // A class name with a control character in it names no class; the message quotes
  // the name, escaped, so that the report stays one printable line.
  const std::string name = "zc_UISketchOpHeader";
  const auto at = std::search(whole.begin(), whole.end(), name.begin(), name.end());
  ASSERT_NE(at, whole.end());
  Bytes flipped = whole;
  flipped[static_cast<std::size_t>(at - whole.begin()) + 3] ^= 0x40;  // 'U' becomes 0x15
  writeBytes(bad, flipped);
  for (const Outcome& r : {run({"dump", bad.string()}), run({"render", bad.string(), "-o", path("f.png").string()})}) {
    expectOneLineError(r, "zcArchive::UnknownClass", "flipped class name");
    ASSERT_EQ(r.errLines.size(), 1u);
    EXPECT_NE(r.errLines[0].find("zc_\\x15ISketchOpHeader"), std::string::npos) << r.errLines[0];
    EXPECT_TRUE(std::all_of(r.errLines[0].begin(), r.errLines[0].end(), [](char c) { return c >= 0x20; }));
  }
  // Elsewhere a flip may still leave a valid sketch; either way the program ends in
  // order, with a listing or with one line.
  for (std::size_t i = 3; i < whole.size(); i += whole.size() / 40) {
    flipped = whole;
    flipped[i] ^= 0xFF;
    writeBytes(bad, flipped);
    const Outcome r = run({"dump", bad.string()});
    const std::string what = "byte " + std::to_string(i) + " flipped";
    if (r.status == 0) {
      EXPECT_TRUE(r.errLines.empty()) << what;
      EXPECT_NE(r.out.find("the walk ended exactly at the size"), std::string::npos) << what;
    } else {
      expectOneLineError(r, "", what);
      EXPECT_TRUE(r.out.empty()) << what;
    }
  }
}

TEST_F(Program, CutUnreadableInputsAndRefusedValuesAreReportedOnOneLineWithTheirClass) {
  std::ofstream(path("notes.txt")) << "not an archive\n";
  Bytes png = readBytes(dir_ / "demo" / "scene.png");
  ASSERT_GT(png.size(), 200u);
  writeBytes(path("half.png"), Bytes(png.begin(), png.begin() + static_cast<long>(png.size() / 2)));
  for (std::size_t i = 60; i < 140; ++i) png[i] ^= 0x5A;
  writeBytes(path("damaged.png"), png);
  const std::string sc = scene().string(), out = path("never.png").string(), missing = path("missing.zfar").string();
  struct Row {
    std::vector<std::string> args;
    const char* klass;
  };
  const Row rows[] = {
      {{"dump", path("notes.txt").string()}, "zcArchive::BadFormat"},
      {{"render", path("notes.txt").string()}, "zcArchive::BadFormat"},
      {{"dump", (dir_ / "demo" / "demo.zfar").string()}, ""},  // an archive of colors, not of a sketch
      {{"dump", missing}, "zcArchive::IOError"},
      {{"render", missing}, "zcArchive::IOError"},
      {{"render", sc, "--background", path("half.png").string(), "-o", out}, "zcScreenError::PngError"},
      {{"render", sc, "--background", path("damaged.png").string(), "-o", out}, "zcScreenError::PngError"},
      {{"render", sc, "--background", sc, "-o", out}, "zcScreenError::PngError"},
      {{"render", sc, "--background", path("nothing.png").string(), "-o", out}, "zcScreenError::IOError"},
      {{"render", sc, "--size", "40000x10", "-o", out}, "zcScreenError::BadParams"},
  };
  std::vector<Row> all(std::begin(rows), std::end(rows));
  const Bytes whole = readBytes(scene());  // cut short, or followed by more bytes
  ASSERT_GT(whole.size(), 1000u);
  for (const std::size_t n : {0ul, 5ul, 8ul, 9ul, 40ul, whole.size() / 2, whole.size() - 1, whole.size() + 1}) {
    const std::string cut = path("cut" + std::to_string(n) + ".zfar").string();
    Bytes bytes(whole.begin(), whole.begin() + static_cast<long>(std::min(n, whole.size())));
    if (n > whole.size()) bytes.push_back(0);
    writeBytes(cut, bytes);
    all.push_back({{"dump", cut}, n > whole.size() ? "zcArchive::BadFormat" : ""});
    all.push_back({{"render", cut, "-o", out}, ""});
  }
  for (const Row& row : all) {
    const Outcome r = run(row.args);
    expectOneLineError(r, row.klass, ::testing::PrintToString(row.args));
    EXPECT_TRUE(r.out.empty()) << ::testing::PrintToString(row.args);
  }
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(Program, EveryCommandHasHelpAndUsageErrorsTakeOneLine) {
  for (const char* command : {"demo", "render", "dump"}) {
    const Outcome r = run({command, "--help"});
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_NE(r.out.find("Usage:"), std::string::npos) << command;
    EXPECT_NE(r.out.find(command), std::string::npos) << command;
  }
  using Args = std::vector<std::string>;
  for (const Args& args : {Args{"render", scene().string(), "--size", "640by480"},
                           Args{"render", scene().string(), "--layer", "middle"}, Args{"dump"}, Args{"paint"}}) {
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 2) << args[0];
    ASSERT_EQ(r.errLines.size(), 1u) << args[0];
    EXPECT_EQ(r.errLines[0].rfind("dispc: ", 0), 0u) << r.errLines[0];
  }
}

}  // namespace
