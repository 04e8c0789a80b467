// Commands of the dispc program, and the pieces they share. A command returns the
// process exit code; failures are exceptions, which main reports on one line.
#pragma once

#include "dispc/uitablet.h"

#include <string>
#include <vector>

class zcColor;
class zcScreen;
class zcUISketch;

// Writes the demo's files into `dir` and reports on standard output.
int zfRunDemo(const std::string& dir);

// Lists the operations of the sketch archive at `path`, one line each.
int zfRunDump(const std::string& path);

// What `dispc render` was asked for.
struct zcRenderRequest {
  std::string sketch;                // the sketch archive
  std::string output;                // the PNG to write; empty: the sketch's path with .png
  long width = 640;
  long height = 480;
  std::string background;            // a PNG loaded into the image layer first; empty: none
  double scale = 1.0;                // the tablet's exact scale factor (both axes)
  zcUITablet::Layers layers = zcUITablet::eBothLayers;
};
int zfRunRender(const zcRenderRequest& request);

// --- Shared by the commands ------------------------------------------------------------

// The sketch stored in the archive file at `path`: the whole file must be the archive
// of one sketch (bytes after it raise zcArchive::BadFormat).
zcUISketch zfReadSketchArchive(const std::string& path);
// Stores the sketch as the archive file at `path`.
void zfWriteSketchArchive(const std::string& path, zcUISketch& sketch);

// Replays the chosen layers of the sketch onto a screen tablet over `screen`, with
// the tablet scaled by `scale` (scaleExact on both axes).
void zfReplayOnScreen(const zcUISketch& sketch, zcScreen& screen, double scale, zcUITablet::Layers layers);

// The sixteen stock colors with their names, in palette order of the stock table.
struct zcNamedColor {
  const char* name;
  const zcColor& color;
};
const std::vector<zcNamedColor>& zfStockColors();
// "red" for a stock color, "index 42" for an index color, "#0A141E" for an RGB color.
std::string zfColorText(const zcColor& color);
