// `dispc render`: a sketch archive replayed onto a screen and written as PNG, SVG or
// PDF; and the replay helpers that the other commands share.
#include "commands.h"

#include "zscreen/screen.h"

#include "zfound/archive.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

void zfMapTablet(zcUITablet& tablet, const zcTabletMap& map) {
  tablet.baseMap(map.base);
  if (map.scale != 1.0) tablet.scaleExact(zcPair<double>(map.scale, map.scale));
  tablet.visible(true);
}

void zfReplayOnScreen(const zcUISketch& sketch, zcScreen& screen, const zcTabletMap& map, zcUITablet::Layers layers) {
  zcUITablet tablet(&screen.image(), &screen.overlay());
  zfMapTablet(tablet, map);
  tablet.draw(sketch, zcPoint(0, 0), layers);
}

namespace {

// The output's kind from its extension (any case): .svg, .pdf, else PNG.
enum class Output { png, svg, pdf };
Output outputKind(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext == ".svg" ? Output::svg : ext == ".pdf" ? Output::pdf : Output::png;
}

// Refuses, before anything is allocated, a screen of more pels per layer than allowed.
void checkScreenSize(const zcRenderRequest& request) {
  const double pels = double(request.width) * double(request.height);
  if (pels <= request.maxMegapixels * 1e6) return;
  char text[256];
  std::snprintf(text, sizeof text,
                "a %ldx%ld screen has %.1f megapixels per layer and needs %.0f MB for its two layers; the limit is "
                "%g megapixels (--max-megapixels)",
                request.width, request.height, pels / 1e6, pels * double(zcScreen::bytesPerPel) / 1e6,
                request.maxMegapixels);
  throw zcScreenError::BadParams(std::wstring(text, text + std::char_traits<char>::length(text)));
}

}  // namespace

int zfRunRender(const zcRenderRequest& request) {
  if (request.output.empty() && zfIsStandardInput(request.sketch))
    throw zcScreenError::BadParams(L"a sketch read from standard input needs -o for the file to write");
  const std::string output = request.output.empty()
                                 ? std::filesystem::path(request.sketch).replace_extension(".png").string()
                                 : request.output;
  checkScreenSize(request);
  const zcUISketch sketch = zfReadSketchArchive(request.sketch);
  const Output kind = outputKind(output);
  zcScreen screen(request.width, request.height, zcRGB(0, 0, 0),
                  kind == Output::png ? zcScreen::eRaster : zcScreen::eVector);
  if (!request.background.empty()) screen.loadBackground(request.background);
  zcTabletMap map;
  map.scale = request.scale;
  zfReplayOnScreen(sketch, screen, map, request.layers);
  if (kind == Output::png)
    screen.save(output);
  else
    screen.save(output, kind == Output::svg ? zcScreen::eSvg : zcScreen::ePdf);
  std::printf("%s: %ldx%ld, %ld bytes of sketch replayed\n", output.c_str(), screen.width(), screen.height(),
              sketch.size());
  return 0;
}
