// The dispc program run as a user runs it: exit status, standard output and error,
// and the files it writes, in a temporary directory.
#include "zscreen/png.h"

#include "dispc/color.h"
#include "dispc/sketchop.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
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
  const std::string text = readText(p);
  return Bytes(text.begin(), text.end());
}

void writeBytes(const fs::path& p, const Bytes& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One directory for the whole suite, with the demo's files made once.
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
  static Outcome demo_;
};

fs::path Program::dir_;
Outcome Program::demo_;

// A failure as users see it: status 2 and one line naming class and error number.
void expectOneLineError(const Outcome& r, const std::string& klass, const std::string& what) {
  EXPECT_EQ(r.status, 2) << what;
  ASSERT_EQ(r.errLines.size(), 1u) << what;
  EXPECT_TRUE(std::regex_search(r.errLines[0], std::regex("^dispc: zc\\w+::\\w+ \\(error 0x[0-9A-F]{8}\\)")))
      << what << ": " << r.errLines[0];
  if (!klass.empty()) {
    EXPECT_NE(r.errLines[0].find(klass), std::string::npos) << what << ": " << r.errLines[0];
  }
}

zcRGB pelAt(const zcPngImage& img, long x, long y) {
  const zcPackedRGB32 p = *img.rgb.pelPointer(x, y);
  return zcRGB(p.red(), p.green(), p.blue());
}

// --- demo -------------------------------------------------------------------------------

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

// --- dump -------------------------------------------------------------------------------

struct DumpLine {
  long offset = 0;
  long length = 0;
  std::string name, layer, color, rest;
};

TEST_F(Program, DumpListsEveryOperationWithLengthsThatTileTheSketch) {
  const Outcome r = run({"dump", scene().string()});
  ASSERT_EQ(r.status, 0);
  EXPECT_TRUE(r.errLines.empty());
  const std::vector<std::string> lines = linesOf(r.out);
  ASSERT_GE(lines.size(), 3u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines[0], m, std::regex("sketch (.*): (\\d+) bytes")));
  EXPECT_EQ(m[1], scene().string());
  const long size = std::stol(m[2]);

  std::vector<DumpLine> ops;
  for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
    DumpLine d;
    std::istringstream in(lines[i]);
    ASSERT_TRUE(in >> d.offset >> d.length >> d.name >> d.layer) << lines[i];
    std::getline(in, d.rest);
    ops.push_back(d);
  }
  long at = 0;
  for (const DumpLine& d : ops) {
    EXPECT_EQ(d.offset, at) << d.name;
    at += d.length;
  }
  EXPECT_EQ(at, size);
  EXPECT_EQ(lines.back(), std::to_string(ops.size()) + " operations, " + std::to_string(size) + " of " +
                              std::to_string(size) + " bytes: the walk ended exactly at the size");
  // The demo counted the same operations in its own walk.
  EXPECT_NE(demo_.out.find(": " + std::to_string(ops.size()) + " operations, "), std::string::npos);

  // Every kind the tablet records, except the read-only String, the nested Sketch
  // (which archives refuse) and the polygon kinds that come with generalized polygons.
  std::set<std::string> kinds;
  for (const DumpLine& d : ops) kinds.insert(d.name);
  const std::set<std::string> expected = {
      "Point", "PointIcon", "LineSeg", "Line", "Circle", "Ellipse", "EllipseArc", "EllipseAnnSect",
      "EllipseAnnSectArrowheadFlag", "GenRect", "GenAnn", "CoordAxes", "UnicodeString", "PelBuf8", "RleBuf",
      "Set", "SetAll", "SetComp", "Fill", "DrawStart", "DrawTo", "DrawToRelPels", "MoveToRelPels", "Outline3d",
      "Arrow", "AffineRect", "Polygon", "Rect", "GenShape", "Cross", "BezierCurve", "CubicSpline", "Polyline",
      "Ellipse2", "EllipseArc2", "ClipRect"};
  EXPECT_EQ(kinds, expected);
  std::set<std::string> layers;
  for (const DumpLine& d : ops) layers.insert(d.layer);
  EXPECT_EQ(layers, (std::set<std::string>{"image", "overlay"}));

  // Properties are shown exactly where a block precedes the header: a fixed-length
  // kind is 8 bytes of header and its payload, and 22 more with a block.
  const std::map<std::string, long> fixed = {{"Point", 16}, {"LineSeg", 32}, {"Circle", 24}, {"Cross", 32},
                                             {"Rect", 32},  {"ClipRect", 32}, {"DrawTo", 16}, {"Arrow", 36}};
  int checked = 0;
  for (const DumpLine& d : ops) {
    const auto f = fixed.find(d.name);
    if (f == fixed.end()) continue;
    const bool props = d.rest.find(" props {") != std::string::npos;
    EXPECT_EQ(d.length, 8 + f->second + (props ? 22 : 0)) << d.name << " at " << d.offset;
    ++checked;
  }
  EXPECT_GT(checked, 20);

  // The first operation fills the image layer; the summaries carry the values drawn.
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops[0].name, "SetAll");
  EXPECT_EQ(ops[0].layer, "image");
  EXPECT_NE(ops[0].rest.find("#181C24"), std::string::npos);
  EXPECT_NE(r.out.find("\"points\" align 0"), std::string::npos);
  EXPECT_NE(r.out.find("center (35, 175) radius 25"), std::string::npos);
}

// --- render -----------------------------------------------------------------------------

TEST_F(Program, RenderWritesThePngAtTheRequestedSizeScaleAndLayers) {
  const fs::path small = path("small.png");
  Outcome r = run({"render", scene().string(), "-o", small.string(), "--size", "320x200", "--scale", "0.5",
               "--layer", "image"});
  ASSERT_EQ(r.status, 0);
  EXPECT_TRUE(r.errLines.empty());
  zcPngImage png = zfReadPng(small.string());
  EXPECT_EQ(png.width(), 320);
  EXPECT_EQ(png.height(), 200);
  // The filled image-layer disk at (90, 175) radius 22, at half scale.
  EXPECT_EQ(pelAt(png, 45, 87), zcRGB(0, 0, 255));

  // The overlay alone leaves the screen's black image layer there.
  r = run({"render", scene().string(), "-o", small.string(), "--scale", "0.5", "--layer", "overlay"});
  ASSERT_EQ(r.status, 0);
  png = zfReadPng(small.string());
  EXPECT_EQ(png.width(), 640);
  EXPECT_EQ(pelAt(png, 45, 87), zcRGB(0, 0, 0));

  // Without -o the PNG goes beside the sketch, named after it.
  const fs::path copy = path("copy.zfar");
  fs::copy_file(scene(), copy, fs::copy_options::overwrite_existing);
  r = run({"render", copy.string()});
  ASSERT_EQ(r.status, 0);
  png = zfReadPng(path("copy.png").string());
  EXPECT_EQ(png.width(), 640);
  EXPECT_EQ(png.height(), 480);
}

TEST_F(Program, RenderLaysTheOverlayOverABackgroundPng) {
  zcPelBuffer<zcPackedRGB32> green(640, 480, zcPackedRGB32(10, 200, 30));
  const fs::path background = path("background.png"), out = path("over.png");
  zfWritePngRGB(background.string(), green);
  const Outcome r = run({"render", scene().string(), "--background", background.string(), "--layer", "overlay", "-o",
                     out.string()});
  ASSERT_EQ(r.status, 0);
  const zcPngImage png = zfReadPng(out.string());
  EXPECT_EQ(pelAt(png, 535, 415), zcRGB(0, 0, 255));  // the overlay rectangle
  EXPECT_EQ(pelAt(png, 552, 430), zcRGB(10, 200, 30));  // its pass-color hole
  EXPECT_EQ(pelAt(png, 600, 20), zcRGB(10, 200, 30));
}

TEST_F(Program, RenderPaintsWhatWasRecordedForBothLayersOnOneLayerChosen) {
  // The demo's small sketch: a filled red disk at (50, 50) on the overlay and a yellow
  // cross through (70, 70) recorded for both layers.
  const std::string sketch = (dir_ / "demo" / "demo-sketch.zfar").string();
  const fs::path out = path("layers.png");
  const std::map<std::string, zcRGB> disk = {
      {"image", zcRGB(0, 0, 0)}, {"overlay", zcRGB(255, 0, 0)}, {"both", zcRGB(255, 0, 0)}};
  for (const auto& [layer, diskColor] : disk) {
    ASSERT_EQ(run({"render", sketch, "--layer", layer, "-o", out.string()}).status, 0) << layer;
    const zcPngImage png = zfReadPng(out.string());
    EXPECT_EQ(pelAt(png, 50, 50), diskColor) << layer;
    // The cross recorded for both layers paints when one layer is replayed, as the
    // tablet's replay paints it.
    EXPECT_EQ(pelAt(png, 70, 70), layer == "both" ? zcRGB(0, 0, 0) : zcRGB(255, 255, 0)) << layer;
  }
}

// --- bad input --------------------------------------------------------------------------

TEST_F(Program, TruncatedArchivesAreRefusedOnOneLine) {
  const Bytes whole = readBytes(scene());
  ASSERT_GT(whole.size(), 1000u);
  const fs::path cut = path("cut.zfar"), out = path("cut.png");
  for (std::size_t n : {std::size_t(0), std::size_t(5), std::size_t(8), std::size_t(9), std::size_t(40),
                        whole.size() / 2, whole.size() - 1}) {
    writeBytes(cut, Bytes(whole.begin(), whole.begin() + static_cast<long>(n)));
    expectOneLineError(run({"dump", cut.string()}), "", "dump of " + std::to_string(n) + " bytes");
    const Outcome r = run({"render", cut.string(), "-o", out.string()});
    expectOneLineError(r, "", "render of " + std::to_string(n) + " bytes");
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(r.out.empty());
  }
  // More bytes after the sketch are not one sketch archive either.
  Bytes longer = whole;
  longer.push_back(0);
  writeBytes(cut, longer);
  expectOneLineError(run({"dump", cut.string()}), "zcArchive::BadFormat", "a trailing byte");
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

TEST_F(Program, FilesThatAreNotSketchArchivesAreRefusedOnOneLine) {
  const fs::path text = path("notes.txt");
  std::ofstream(text) << "not an archive\n";
  expectOneLineError(run({"dump", text.string()}), "zcArchive::BadFormat", "text file");
  expectOneLineError(run({"render", text.string()}), "zcArchive::BadFormat", "text file");
  // An archive that holds something else than a sketch.
  expectOneLineError(run({"dump", (dir_ / "demo" / "demo.zfar").string()}), "", "archive of colors");

  const std::string missing = path("missing.zfar").string();
  expectOneLineError(run({"dump", missing}), "zcArchive::IOError", "missing sketch");
  expectOneLineError(run({"render", missing}), "zcArchive::IOError", "missing sketch");
}

TEST_F(Program, BadBackgroundPngsAreRefusedOnOneLine) {
  const fs::path out = path("never.png");
  Bytes png = readBytes(dir_ / "demo" / "scene.png");
  ASSERT_GT(png.size(), 200u);
  const fs::path bad = path("bad.png");
  png.resize(png.size() / 2);
  writeBytes(bad, png);
  expectOneLineError(run({"render", scene().string(), "--background", bad.string(), "-o", out.string()}),
                     "zcScreenError::PngError", "truncated PNG");
  png = readBytes(dir_ / "demo" / "scene.png");
  for (std::size_t i = 60; i < 140; ++i) png[i] ^= 0x5A;
  writeBytes(bad, png);
  expectOneLineError(run({"render", scene().string(), "--background", bad.string(), "-o", out.string()}),
                     "zcScreenError::PngError", "damaged PNG");
  expectOneLineError(run({"render", scene().string(), "--background", scene().string(), "-o", out.string()}),
                     "zcScreenError::PngError", "an archive as PNG");
  expectOneLineError(
      run({"render", scene().string(), "--background", path("nothing.png").string(), "-o", out.string()}),
      "zcScreenError::IOError", "missing PNG");
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(Program, ValuesTheLibraryRefusesAreReportedWithTheirClass) {
  expectOneLineError(run({"render", scene().string(), "--size", "40000x10", "-o", path("x.png").string()}),
                     "zcScreenError::BadParams", "huge screen");
  EXPECT_FALSE(fs::exists(path("x.png")));
}

// --- usage ------------------------------------------------------------------------------

TEST_F(Program, EveryCommandHasHelpAndUsageErrorsTakeOneLine) {
  for (const char* command : {"demo", "render", "dump"}) {
    const Outcome r = run({command, "--help"});
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_NE(r.out.find("Usage:"), std::string::npos) << command;
    EXPECT_NE(r.out.find(command), std::string::npos) << command;
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"render", scene().string(), "--size", "640by480"},
        std::vector<std::string>{"render", scene().string(), "--layer", "middle"},
        std::vector<std::string>{"dump"}, std::vector<std::string>{"paint"}}) {
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 2) << args[0];
    ASSERT_EQ(r.errLines.size(), 1u) << args[0];
    EXPECT_EQ(r.errLines[0].rfind("dispc: ", 0), 0u) << r.errLines[0];
  }
}

}  // namespace
