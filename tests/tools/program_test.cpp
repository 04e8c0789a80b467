// The dispc program run as a user runs it, in a temporary directory: exit status,
// standard output and error, the files it writes and those it leaves whole.
#include "support/files.h"

#include "zscreen/png.h"
#include "zscreen/screen.h"

#include "dispc/sketchop.h"
#include "dispc/uitablet.h"
#include "dispc/wrfm/smdmodel.h"

#include "zfound/archive.h"

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

using zc_test::readBytes;
using zc_test::readText;

using Bytes = std::vector<unsigned char>;

struct Outcome {
  int status = -1;
  std::string out, err;
};

void writeBytes(const fs::path& p, const Bytes& b) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One directory for the whole suite, with the demo's files and the dump of its scene
// made once.
class Program : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("dispc_program_test-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Under the leak checker: fontconfig, which Cairo's text uses, keeps allocations
    // it never frees at exit. Only that library's leaks are let through.
    std::ofstream(dir_ / "lsan.supp") << "leak:libfontconfig.so\n";
    demo_ = run("demo -o demo");
    dump_ = run("dump demo/scene.zfar");
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  // `args` as shell words after the program, run in the suite's directory; `prefix`
  // runs first in the same shell (limits, traps).
  static Outcome run(const std::string& args, const std::string& prefix = "") {
    const std::string lsan =
        std::getenv("LSAN_OPTIONS") ? "" : "LSAN_OPTIONS=print_suppressions=0:suppressions=lsan.supp ";
    const int raw = std::system(("cd '" + dir_.string() + "' && " + prefix + lsan + "exec '" DISPC_PROGRAM "' " +
                                 args + " >stdout.txt 2>stderr.txt")
                                    .c_str());
    return Outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), readText(dir_ / "stdout.txt"),
                   readText(dir_ / "stderr.txt")};
  }

  static fs::path path(const std::string& name) { return dir_ / name; }
  static zcPngImage png(const std::string& name) { return zfReadPng(path(name).string()); }

  static fs::path dir_;
  static Outcome demo_, dump_;
};

fs::path Program::dir_;
Outcome Program::demo_, Program::dump_;

// A failure as users see it: status 2, nothing listed, and one line naming the class
// and error number, holding `text`.
void expectError(const Outcome& r, const std::string& text, const std::string& what) {
  EXPECT_EQ(r.status, 2) << what;
  EXPECT_TRUE(r.out.empty()) << what;
  static const std::regex line(
      "dispc: (zc\\w+(::\\w+)? \\(error 0x[0-9A-F]{8}|CLI::\\w+ \\(error 0x[0-9A-F]+)\\): .+\n");
  EXPECT_TRUE(std::regex_match(r.err, line)) << what << ": " << r.err;
  EXPECT_NE(r.err.find(text), std::string::npos) << what << ": " << r.err;
}

zcRGB pelAt(const zcPngImage& img, long x, long y) {
  const zcPackedRGB32 p = *img.rgb.pelPointer(x, y);
  return zcRGB(p.red(), p.green(), p.blue());
}

TEST_F(Program, DemoWritesTheSceneChecksEveryReplayAndReportsTheStoredSize) {
  ASSERT_EQ(demo_.status, 0) << demo_.out << demo_.err;
  EXPECT_TRUE(demo_.err.empty());
  const std::vector<std::string> lines = linesOf(demo_.out);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), "graphics list drawn as imported: identical");
  EXPECT_EQ(png("demo/scene-glist.png").width(), 640);
  for (const std::string line :
       {"graphic list read back records the same sketch: identical\n", "scene replay: pixels identical\n",
        "synthetic.png: 528x248", "scene drawn directly and replayed: pixels identical\n",
        "nested sketch drawn directly and replayed (identity): pixels identical",
        "nested sketch drawn directly and replayed (scale 0.75): pixels identical",
        "nested sketch drawn directly and replayed (rotation and shear): pixels identical"})
    EXPECT_NE(demo_.out.find(line), std::string::npos) << line;
  // The count and size printed for the file are those dump finds in it.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(demo_.out, m,
                                std::regex("demo/scene.zfar: (\\d+) operations, (\\d+) bytes of sketch in the file")));
  EXPECT_NE(dump_.out.find(": " + m[2].str() + " bytes\n"), std::string::npos) << dump_.out.substr(0, 200);
  EXPECT_NE(dump_.out.find("\n" + m[1].str() + " operations, "), std::string::npos);
  const zcPngImage scene = png("demo/scene.png");
  ASSERT_EQ(scene.format, zcPngImage::eRGB);
  EXPECT_EQ(scene.width(), 640);
  EXPECT_EQ(scene.height(), 480);
  // The image layer's fill, and in the last cell an image-layer disk seen through a
  // pass-color hole of an overlay rectangle that covers it elsewhere. The images
  // cell's gradient rises to white at its last pel instead of wrapping.
  EXPECT_EQ(pelAt(scene, 600, 20), zcRGB(24, 28, 36));
  EXPECT_EQ(pelAt(scene, 552, 430), zcRGB(255, 0, 0));
  EXPECT_EQ(pelAt(scene, 535, 415), zcRGB(0, 0, 255));
  EXPECT_EQ(pelAt(scene, 384 + 8 + 63, 360 + 26 + 47), zcRGB(255, 255, 255));
  EXPECT_EQ(pelAt(scene, 384 + 8, 360 + 26), zcRGB(0, 0, 0));
}

// Export prints a line per record and per graphic left out; import lists what it reads
// back and draws it; a records file cut short is refused whole.
TEST_F(Program, ExportAndImportCarryTheDemoListThroughRecords) {
  const Outcome out = run("export demo/scene.glist -o scene.zgrl");
  ASSERT_EQ(out.status, 0) << out.err;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(out.out, m, std::regex("scene.zgrl: (\\d+) records, (\\d+) bytes")));
  const std::size_t records = std::stoul(m[1]);
  EXPECT_EQ(fs::file_size(path("scene.zgrl")), 24 + std::stoul(m[2]));
  const std::vector<std::string> lines = linesOf(out.out);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l[0] == '#'; }), long(records));
  const Outcome in = run("import scene.zgrl -o imported.png");
  ASSERT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(linesOf(in.out).size(), records + 1);
  EXPECT_EQ(png("imported.png").width(), 640);
  const Bytes whole = readBytes(path("scene.zgrl"));
  writeBytes(path("cut.zgrl"), Bytes(whole.begin(), whole.end() - 1));
  expectError(run("import cut.zgrl -o never.png"), "zcMalformedData", "cut");
  EXPECT_FALSE(fs::exists(path("never.png")));
}

// The lengths tile the sketch; every kind the tablet records shows, except the
// read-only String and the nested Sketch (which archives refuse); a fixed-length kind
// is 8 bytes of header and its payload, and 22 more exactly where properties show.
TEST_F(Program, DumpListsEveryOperationWithItsLengthPropertiesAndValues) {
  ASSERT_EQ(dump_.status, 0);
  EXPECT_TRUE(dump_.err.empty());
  const std::vector<std::string> lines = linesOf(dump_.out);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(lines.at(0), m, std::regex("sketch demo/scene.zfar: (\\d+) bytes")));
  const std::map<std::string, long> fixed = {{"Point", 16}, {"LineSeg", 32}, {"Circle", 24}, {"Cross", 32},
                                             {"Rect", 32},  {"ClipRect", 32}, {"DrawTo", 16}, {"Arrow", 36}};
  // The operation lines sit between the headline and the count: offset, length, kind,
  // layer and the summary.
  std::set<std::string> kinds, layers;
  long at = 0, offset = 0, length = 0;
  int checked = 0;
  std::string name, layer, rest;
  for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
    std::istringstream in(lines[i]);
    in >> offset >> length >> name >> layer;
    std::getline(in, rest);
    EXPECT_EQ(offset, at) << name;
    at += length;
    kinds.insert(name), layers.insert(layer);
    if (!fixed.count(name)) continue;
    const bool props = rest.find(" props {") != std::string::npos;
    EXPECT_EQ(length, 8 + fixed.at(name) + (props ? 22 : 0)) << name << " at " << offset;
    ++checked;
  }
  EXPECT_GT(checked, 20);
  const std::string size = m[1];
  EXPECT_EQ(std::to_string(at), size);
  EXPECT_EQ(lines.back(), std::to_string(lines.size() - 3) + " operations, " + size + " of " + size +
                              " bytes: the walk ended exactly at the size");
  std::set<std::string> expected;
  for (const zcUISketchOpKind& k : zfUISketchOpKinds()) expected.insert(k.name);
  for (const char* absent : {"String", "Sketch"}) expected.erase(absent);
  EXPECT_EQ(kinds, expected);
  EXPECT_EQ(layers, (std::set<std::string>{"image", "overlay"}));
  // The image layer's fill first; summaries carry the values drawn.
  EXPECT_TRUE(std::regex_match(lines.at(2), std::regex(" *0 +\\d+ +SetAll +image .*#181C24.*"))) << lines[2];
  EXPECT_NE(dump_.out.find("\"points\" align 0"), std::string::npos);
  EXPECT_NE(dump_.out.find("center (35, 175) radius 25"), std::string::npos);
  // Standard input by both its names gives the file's listing.
  for (const std::string name : {"-", "/dev/stdin"}) {
    const Outcome r = run("dump " + name + " < demo/scene.zfar");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.find('\n')), dump_.out.substr(dump_.out.find('\n'))) << name;
  }
  EXPECT_EQ(run("--version").out, "dispc " DISPC_VERSION "\n");
}

// The demo scene has a filled blue image-layer disk at (90, 175) radius 22, and an
// overlay rectangle with a pass-color hole over an image-layer red disk at (552, 430).
TEST_F(Program, RenderWritesThePngAtTheRequestedSizeScaleLayerAndBackground) {
  zfWritePngRGB(path("green.png").string(), zcPelBuffer<zcPackedRGB32>(640, 480, zcPackedRGB32(10, 200, 30)));
  fs::copy_file(path("demo/scene.zfar"), path("copy.zfar"), fs::copy_options::overwrite_existing);
  const zcRGB black(0, 0, 0), blue(0, 0, 255), green(10, 200, 30);
  const struct {
    std::string args, png;
    long width, height;
    std::vector<std::tuple<long, long, zcRGB>> pels;
  } rows[] = {
      {"render demo/scene.zfar -o small.png --size 320x200 --scale 0.5 --layer image", "small.png", 320, 200,
       {{45, 87, blue}}},
      {"render demo/scene.zfar -o small.png --scale 0.5 --layer overlay", "small.png", 640, 480, {{45, 87, black}}},
      {"render copy.zfar", "copy.png", 640, 480, {}},  // beside the sketch
      {"render demo/scene.zfar --background green.png --layer overlay -o out.png", "out.png", 640, 480,
       {{535, 415, blue}, {552, 430, green}, {600, 20, green}}},
      {"render demo/scene.zfar --max-megapixels 0.3072 --size 640x480 -o fits.png", "fits.png", 640, 480, {}},
  };
  for (const auto& row : rows) {
    const Outcome r = run(row.args);
    ASSERT_EQ(r.status, 0) << row.args;
    EXPECT_TRUE(r.err.empty()) << row.args;
    const zcPngImage image = png(row.png);
    EXPECT_EQ(image.width(), row.width) << row.args;
    EXPECT_EQ(image.height(), row.height) << row.args;
    for (const auto& [x, y, color] : row.pels)
      EXPECT_EQ(pelAt(image, x, y), color) << row.args << " at " << x << "," << y;
  }
}

// Each layer choice paints what the tablets' replay of that layer paints; a cross
// recorded for both layers paints only when one layer is replayed.
TEST_F(Program, RenderPaintsEachOperationAsTheTabletsReplayDoes) {
  zcUITablet recorder;
  recorder.draw(zcCircle(zcPoint(30, 30), 10), zcColor::red, true, zcUITablet::eImage);
  recorder.draw(zcRect(50, 10, 20, 20), zcColor::blue, true, zcUITablet::eOverlay);
  recorder.drawCross(zcPair<double>(40, 60), zcRadian(0), zcColor::yellow, zcUITablet::eBothLayers);
  {
    zcFileArchive out(path("layers.zfar").string(), zcFileArchive::eStore);
    out || recorder.sketch();
  }
  for (const auto& [name, layers] : {std::pair{"both", zcUITablet::eBothLayers}, std::pair{"image", zcUITablet::eImage},
                                     std::pair{"overlay", zcUITablet::eOverlay}}) {
    zcScreen screen(100, 80);
    zcUITablet tablet(&screen.image(), &screen.overlay());
    tablet.visible(true);
    tablet.draw(recorder.sketch(), zcPoint(0, 0), layers);
    ASSERT_EQ(run(std::string("render layers.zfar --size 100x80 -o layers.png --layer ") + name).status, 0);
    const zcPngImage image = png("layers.png");
    const zcPelBuffer<zcPackedRGB32> expected = screen.composite();
    long differing = 0;
    for (long y = 0; y < 80; ++y)
      for (long x = 0; x < 100; ++x)
        differing += (image.rgb.get(x, y).value() & 0xFFFFFF) != (expected.get(x, y).value() & 0xFFFFFF);
    EXPECT_EQ(differing, 0) << name;
    EXPECT_EQ(image.rgb.get(40, 60).value() & 0xFFFFFF, layers == zcUITablet::eBothLayers ? 0u : 0xFFFF00u) << name;
  }
}

TEST_F(Program, VectorOutputHoldsTheSketchsShapes) {
  zcUITablet recorder;
  recorder.draw(zcCircle(zcPoint(40, 40), 20), zcGraphicProps(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, false),
                zcUITablet::eOverlay);
  recorder.draw(zcLineSeg(zcPoint(5, 70), zcPoint(90, 70)), zcColor::green, zcUITablet::eImage);
  recorder.draw(L"text", zcPoint(10, 80), zcColor::white, zcColor::pass, zcUIFormat(zcUIFormat::eTopLeft),
                zcUITablet::eOverlay);
  {
    zcFileArchive out(path("small.zfar").string(), zcFileArchive::eStore);
    out || recorder.sketch();
  }
  ASSERT_EQ(run("render small.zfar --size 100x100 -o small.svg").status, 0);
  // An SVG document of the screen's size: the circle and the segment as paths, the
  // text as glyphs.
  const std::string svg = readText(path("small.svg"));
  EXPECT_TRUE(std::regex_search(svg, std::regex("^(<\\?xml[^>]*>\\s*)?<svg [^>]*width=\"100")));
  EXPECT_EQ(svg.substr(svg.find_last_not_of(" \n") - 5, 6), "</svg>");
  long paths = 0;
  for (std::size_t at = svg.find("<path "); at != std::string::npos; at = svg.find("<path ", at + 1)) ++paths;
  EXPECT_GE(paths, 3);
  EXPECT_NE(svg.find("glyph"), std::string::npos);

  ASSERT_EQ(run("render small.zfar --size 100x100 -o small.pdf").status, 0);
  EXPECT_EQ(readText(path("small.pdf")).substr(0, 5), "%PDF-");
  if (std::system("command -v pdfinfo >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdfinfo is not installed";
  EXPECT_EQ(std::system(("pdfinfo '" + path("small.pdf").string() + "' >/dev/null 2>&1").c_str()), 0);
}

TEST_F(Program, CorruptedArchivesNeverCrash) {
  const Bytes whole = readBytes(path("demo/scene.zfar"));
  // A class name with a control character in it names no class; the message quotes
  // the name, escaped, so that the report stays one printable line.
  const std::string name = "zc_UISketchOpHeader";
  const auto at = std::search(whole.begin(), whole.end(), name.begin(), name.end());
  ASSERT_NE(at, whole.end());
  Bytes flipped = whole;
  flipped[static_cast<std::size_t>(at - whole.begin()) + 3] ^= 0x40;  // 'U' becomes 0x15
  writeBytes(path("flipped.zfar"), flipped);
  for (const char* args : {"dump flipped.zfar", "render flipped.zfar -o f.png"}) {
    const Outcome r = run(args);
    expectError(r, "zcArchive::UnknownClass", args);
    EXPECT_NE(r.err.find("zc_\\x15ISketchOpHeader"), std::string::npos) << r.err;
    EXPECT_TRUE(std::all_of(r.err.begin(), r.err.end() - 1, [](char c) { return c >= 0x20; }));
  }
  // Elsewhere a flip may still leave a valid sketch; either way the program ends in
  // order, with a listing or with one line.
  for (std::size_t i = 3; i < whole.size(); i += whole.size() / 40) {
    flipped = whole;
    flipped[i] ^= 0xFF;
    writeBytes(path("flipped.zfar"), flipped);
    const Outcome r = run("dump flipped.zfar");
    const std::string what = "byte " + std::to_string(i) + " flipped";
    if (r.status == 0) {
      EXPECT_TRUE(r.err.empty()) << what;
      EXPECT_NE(r.out.find("the walk ended exactly at the size"), std::string::npos) << what;
    } else {
      expectError(r, "", what);
    }
  }
}

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

// Inputs cut short or followed by more bytes, unreadable or refused by their header
// or kind, refused values, screens refused by size and usage errors: each is one
// line with its class and reason, and no file is written.
TEST_F(Program, RefusedInputsValuesAndUsageAreReportedOnOneLineWithTheirClassAndReason) {
  std::ofstream(path("notes.txt")) << "not an archive\n";
  Bytes png = readBytes(path("demo/scene.png"));
  ASSERT_GT(png.size(), 200u);
  writeBytes(path("half.png"), Bytes(png.begin(), png.begin() + static_cast<long>(png.size() / 2)));
  for (std::size_t i = 60; i < 140; ++i) png[i] ^= 0x5A;
  writeBytes(path("damaged.png"), png);
  fs::create_directories(path("folder.png"));
  // 1.5 GB of zeros (sparse), under an address-space limit the file cannot fit in.
  fs::resize_file((std::ofstream(path("zeros.bin")), path("zeros.bin")), 1500LL << 20);
  const std::string limit = sanitized() ? "" : "ulimit -v 400000; ";
  struct Row {
    std::string args, text, prefix = "";
  };
  const std::string render = "render demo/scene.zfar -o never.png ";
  std::vector<Row> rows = {
      {"dump notes.txt", "zcArchive::BadFormat"},
      {"render notes.txt", "zcArchive::BadFormat"},
      {"dump zeros.bin", "zeros.bin is not an archive of this format", limit},
      {"render zeros.bin -o never.png", "zeros.bin is not an archive of this format", limit},
      {"dump demo/demo.zfar", "zcArchive::BadFormat (error 0x10000403): demo/demo.zfar holds no sketch"},
      {"dump missing.zfar", "zcArchive::IOError"},
      {"render missing.zfar", "cannot open missing.zfar: No such file"},
      {"dump folder.png", "zcArchive::IOError (error 0x1000040A): cannot read folder.png: Is a directory"},
      {render + "--background folder.png", "cannot read folder.png: Is a directory"},
      {render + "--background missing.png", "zcScreenError::IOError (error 0x1000A001): cannot open missing.png"},
      {render + "--background half.png", "zcScreenError::PngError"},
      {render + "--background damaged.png", "zcScreenError::PngError"},
      {render + "--background demo/scene.zfar", "zcScreenError::PngError"},
      {render + "--size 40000x10", "zcScreenError::BadParams"},
      {render + "--size 32767x32767", "needs 8589 MB for its two layers"},
      {render + "--max-megapixels 0.3 --size 640x480", "the limit is 0.3 megapixels"},
      {render + "--scale -1", "--scale: '-1' must be positive and finite"},
      {render + "--scale 0", "--scale: '0' must be positive and finite"},
      {render + "--scale nan", "--scale: 'nan' is not a number"},
      {render + "--size 640by480", "CLI::ValidationError"},
      {render + "--layer middle", "--layer: middle not in {image,overlay,both}"},
      {"render - ", "needs -o"},
      {"dump", "CLI::RequiredError"},
      {"frobnicate", "'frobnicate' is not a subcommand"},
      {"export notes.txt", "zcArchive::BadFormat"},
      {"import notes.txt", "zcMalformedData (error 0x10000003): notes.txt is not a graphics-list records file"},
      {"import missing.zgrl", "cannot open missing.zgrl"},
  };
  const Bytes whole = readBytes(path("demo/scene.zfar"));  // cut short, or followed by more bytes
  ASSERT_GT(whole.size(), 1000u);
  for (const std::size_t n : {0ul, 5ul, 8ul, 9ul, 40ul, whole.size() / 2, whole.size() - 1, whole.size() + 1}) {
    const std::string cut = "cut" + std::to_string(n) + ".zfar";
    Bytes bytes(whole.begin(), whole.begin() + static_cast<long>(std::min(n, whole.size())));
    if (n > whole.size()) bytes.push_back(0);
    writeBytes(path(cut), bytes);
    rows.push_back({"dump " + cut, n > whole.size() ? "zcArchive::BadFormat" : ""});
    rows.push_back({"render " + cut + " -o never.png", ""});
  }
  for (const Row& row : rows) expectError(run(row.args, row.prefix), row.text, row.args);
  EXPECT_FALSE(fs::exists(path("never.png")));
  for (const std::string command : {"demo", "render", "dump", "export", "import"}) {
    const Outcome r = run(command + " --help");
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_NE(r.out.find("Usage:"), std::string::npos) << command;
    EXPECT_NE(r.out.find(command), std::string::npos) << command;
  }
}

TEST_F(Program, FailedWritesLeaveTheEarlierFileWhole) {
  // The file size limit makes every write past 4 KiB fail as a full disk would.
  for (const std::string name : {"out.png", "out.svg", "out.pdf"}) {
    const std::string earlier = "the earlier " + name;
    std::ofstream(path(name)) << earlier;
    const auto before = std::distance(fs::directory_iterator(dir_), {});
    expectError(run("render demo/scene.zfar -o " + name, "trap '' XFSZ; ulimit -f 8; "),
                "cannot write " + name + ": File too large", name);
    EXPECT_EQ(readText(path(name)), earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), before) << "a temporary file is left";
  }
  // Without the limit the file is replaced.
  EXPECT_EQ(run("render demo/scene.zfar -o out.png").status, 0);
  EXPECT_EQ(png("out.png").width(), 640);
}

TEST_F(Program, ImportFootprintArchivesAndDrawsTheModelAndNamesTheLineOfBadText) {
  fs::create_directories(path("fp"));
  std::ofstream(path("fp/good.kicad_mod")) << "(footprint \"good\"\n (fp_rect (start 0 0) (end 4 2) (layer \"F.Fab\"))\n"
                                              " (pad \"1\" smd rect (at 1 1) (size 1 1)))\n";
  std::ofstream(path("fp/bad.kicad_mod")) << "(footprint \"bad\"\n\n (fp_curve (layer \"F.Fab\")))\n";
  const Outcome good = run("import-footprint fp/good.kicad_mod -o good.zfar --png good.png --pads");
  ASSERT_EQ(good.status, 0) << good.err;
  EXPECT_EQ(good.out, "good: 2 polys (1 outlines, 1 pads), 0 markings and 0 texts ignored -> good.zfar, good.png\n");
  zcSMDGDModel model;
  zcArchive in(readBytes(path("good.zfar")));
  in || model;
  EXPECT_EQ(model.name(), L"good");
  EXPECT_EQ(model.numPolys(), 2);
  // 4 mm across at 140 pels a millimetre, a margin of 40: the body's inside is the
  // synthetic light grey, the margin the dark grey background, the top edge green.
  const zcPngImage view = png("good.png");
  ASSERT_EQ(view.width(), 640);
  EXPECT_EQ(pelAt(view, 320, 180), zcRGB(150, 150, 150));
  EXPECT_EQ(pelAt(view, 5, 5), zcRGB(50, 50, 50));
  const zcRGB edge = pelAt(view, 500, 40);
  EXPECT_TRUE(edge.g() > 150 && edge.r() < 100 && edge.b() < 100);

  expectError(run("import-footprint fp/bad.kicad_mod -o bad.zfar"), "UnknownItem (error 0x11000391): fp/bad.kicad_mod:3: ",
              "bad");
  EXPECT_FALSE(fs::exists(path("bad.zfar")));
  const Outcome all = run("import-footprint fp -o models");
  EXPECT_EQ(all.status, 1);
  EXPECT_EQ(linesOf(all.out).back(), "1 imported, 1 refused, 1 zcFootprintImport::UnknownItem");
  EXPECT_TRUE(fs::exists(path("models/good.zfar")));
}

}  // namespace
