// `dispc render`: a sketch archive replayed onto a screen and written as PNG; and the
// sketch-file and replay helpers that the other commands share.
#include "commands.h"

#include "zscreen/screen.h"

#include "zfound/archive.h"

#include <cstdio>
#include <filesystem>
#include <string>

zcUISketch zfReadSketchArchive(const std::string& path) {
  zcFileArchive in(path, zcFileArchive::eLoad);
  zcUISketch sketch;
  in || sketch;
  // A file with more in it than one sketch is not what this program writes.
  if (in.remaining() != 0)
    throw zcArchive::BadFormat(std::to_wstring(in.remaining()) + L" bytes follow the sketch in the archive");
  return sketch;
}

void zfWriteSketchArchive(const std::string& path, zcUISketch& sketch) {
  zcFileArchive out(path, zcFileArchive::eStore);
  out || sketch;
  out.close();
}

void zfReplayOnScreen(const zcUISketch& sketch, zcScreen& screen, double scale, zcUITablet::Layers layers) {
  zcUITablet tablet(&screen.image(), &screen.overlay());
  if (scale != 1.0) tablet.scaleExact(zcPair<double>(scale, scale));
  tablet.visible(true);
  // A replay for both layers at once paints nothing that was recorded for both
  // layers; one pass per layer paints such operations on each of them.
  if (layers == zcUITablet::eImage || layers == zcUITablet::eBothLayers)
    tablet.draw(sketch, zcPoint(0, 0), zcUITablet::eImage);
  if (layers == zcUITablet::eOverlay || layers == zcUITablet::eBothLayers)
    tablet.draw(sketch, zcPoint(0, 0), zcUITablet::eOverlay);
}

int zfRunRender(const zcRenderRequest& request) {
  const zcUISketch sketch = zfReadSketchArchive(request.sketch);
  zcScreen screen(request.width, request.height);
  if (!request.background.empty()) screen.loadBackground(request.background);
  zfReplayOnScreen(sketch, screen, request.scale, request.layers);
  const std::string output = request.output.empty()
                                 ? std::filesystem::path(request.sketch).replace_extension(".png").string()
                                 : request.output;
  screen.save(output);
  std::printf("%s: %ldx%ld, %ld bytes of sketch replayed\n", output.c_str(), screen.width(), screen.height(),
              sketch.size());
  return 0;
}
