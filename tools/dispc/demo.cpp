// The demonstration: the stock color table with its graphics-list codes, an archive
// of colors, pen properties and exceptions, and a sketch archive, each written to a
// file, read back and compared.
#include "commands.h"

#include "dispc/color.h"
#include "dispc/dispprop.h"
#include "dispc/graphic.h"
#include "dispc/sketchop.h"
#include "dispc/uitablet.h"
#include "dispc/uierror.h"

#include "zfound/archive.h"
#include "zfound/geometry.h"
#include "zfound/strings.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

namespace {

struct Named {
  const char* name;
  const zcColor& color;
};

const std::vector<Named>& stockColors() {
  static const std::vector<Named> colors = {
      {"black", zcColor::black},   {"dkGrey", zcColor::dkGrey},   {"grey", zcColor::grey},
      {"ltGrey", zcColor::ltGrey}, {"white", zcColor::white},     {"red", zcColor::red},
      {"dkRed", zcColor::dkRed},   {"orange", zcColor::orange},   {"yellow", zcColor::yellow},
      {"green", zcColor::green},   {"dkGreen", zcColor::dkGreen}, {"cyan", zcColor::cyan},
      {"blue", zcColor::blue},     {"purple", zcColor::purple},   {"magenta", zcColor::magenta},
      {"pass", zcColor::pass}};
  return colors;
}

bool printColorTable() {
  std::printf("%-8s %5s  %-8s %s\n", "color", "index", "rgb", "graphics-list code");
  bool ok = true;
  for (const Named& n : stockColors()) {
    const zgr_color code = zfColor(n.color);
    ok = ok && zfColor(code) == n.color;
    std::printf("%-8s %5u  #%06X  %d\n", n.name, n.color.index(), static_cast<unsigned>(n.color.rgb()), code);
  }
  return ok;
}

// Everything the demo archives; the same function writes and reads it.
struct Scene {
  std::vector<zcColor> colors;
  zcGraphicProps props;
  zcXform<2> placement;
  std::vector<std::unique_ptr<zcException>> failures;

  void serialize(zcArchive& archive) {
    unsigned long count = colors.size();
    archive || count;
    archive.checkCount(count, 4);
    colors.resize(count);
    for (zcColor& c : colors) archive || c;
    archive || props || placement;
    count = failures.size();
    archive || count;
    archive.checkCount(count, 1);
    failures.resize(count);
    for (auto& f : failures) {
      zcException* raw = f.get();
      archive.serializePointer(raw);
      if (archive.isLoading()) f.reset(raw);
    }
  }
};

}  // namespace

// A sketch of a few operations, written to DIR/demo-sketch.zfar, read back and
// listed operation by operation.
bool sketchRoundTrip(const std::string& dir) {
  zcUITablet recorder;
  const zcGraphicProps thin(zcColor::green, 1, zcGraphicProps::ePenStyleDefault, false);
  const zcGraphicProps filled(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, true);
  recorder.draw(zcLineSeg(zcPoint(10, 10), zcPoint(90, 40)), thin, zcUITablet::eOverlay);
  recorder.draw(zcCircle(zcPoint(50, 50), 20), filled, zcUITablet::eOverlay);
  recorder.draw(zcPolygon({zcPoint(0, 0), zcPoint(40, 0), zcPoint(20, 30)}, zcPolygon::eWinding), zcColor::blue,
                zcUITablet::eImage);
  recorder.draw(L"inspection", zcPoint(5, 95), zcColor::white, zcColor::black, zcUIFormat(zcUIFormat::Alignment(6)),
                zcUITablet::eOverlay);
  recorder.drawCross(zcPair<double>(70, 70), zcRadian(0.3), zcColor::yellow, zcUITablet::eBothLayers);
  zcUISketch& sketch = recorder.sketch();

  const std::string path = (std::filesystem::path(dir) / "demo-sketch.zfar").string();
  {
    zcFileArchive out(path, zcFileArchive::eStore);
    out || sketch;
    out.close();
  }
  zcUISketch back;
  zcFileArchive in(path, zcFileArchive::eLoad);
  in || back;

  std::printf("\nsketch %s: %ld bytes\n", path.c_str(), back.size());
  zc_UISketchOpHeader header;
  for (long at = 0; at < back.size();) {
    const long length = zfParseUISketch(back, at, header, nullptr);
    std::printf("  %5ld %4ld  %-14s layer %d%s\n", at, length, zfUISketchOpName(header.opcode()),
                static_cast<int>(header.layer()), header.hasProps() ? ", with properties" : "");
    at += length;
  }
  const bool same = back == sketch;
  std::printf("sketch round trip: %s\n", same ? "identical" : "DIFFERENT");
  return same;
}

int zfRunDemo(const std::string& dir) {
  std::filesystem::create_directories(dir);
  const bool tableOk = printColorTable();

  Scene scene;
  for (const Named& n : stockColors()) scene.colors.push_back(n.color);
  scene.colors.push_back(zcColor(10, 20, 30));
  scene.colors.push_back(zcColor(42));
  scene.props = zcGraphicProps(zcColor::orange, 3, zcGraphicProps::ePenStyleDefault, true);
  scene.props.showVertex(true);
  scene.placement = zcXform<2>(zcMatrix<2>(2.0, 3.0, zcRadian(0.5), zcRadian(0.25)), zcVector<2>(10, -4));
  scene.failures.emplace_back(new zcUIError::BadLayer);
  scene.failures.emplace_back(new zcGraphic::BadParams(L"Item index out of range"));
  scene.failures.emplace_back(new zcGraphicProps::BadParams);
  scene.failures.emplace_back(new zcArchive::UnknownVersion("dispc/color", 120));

  const std::string path = (std::filesystem::path(dir) / "demo.zfar").string();
  {
    zcFileArchive out(path, zcFileArchive::eStore);
    scene.serialize(out);
    out.close();
  }
  Scene back;
  zcFileArchive in(path, zcFileArchive::eLoad);
  back.serialize(in);

  bool same = back.colors == scene.colors && back.props == scene.props && back.placement == scene.placement &&
              back.failures.size() == scene.failures.size();
  std::printf("\narchive %s: %zu bytes, %zu colors, pen properties, a placement, %zu exceptions\n", path.c_str(),
              in.bytes().size(), back.colors.size(), back.failures.size());
  for (std::size_t i = 0; i < back.failures.size() && same; ++i) {
    same = back.failures[i]->what() == scene.failures[i]->what();
    std::printf("  read back: %s\n", back.failures[i]->what().c_str());
  }
  std::printf("color codes round trip: %s\narchive round trip: %s\n", tableOk ? "ok" : "FAILED",
              same ? "identical" : "DIFFERENT");
  const bool sketchOk = sketchRoundTrip(dir);
  return tableOk && same && sketchOk ? 0 : 1;
}
