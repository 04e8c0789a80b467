// Commands of the dispc program, and the pieces they share. A command returns the
// process exit code; failures are exceptions, which main reports on one line.
#pragma once

#include "dispc/uitablet.h"

#include <cstddef>
#include <string>
#include <vector>

class zcArchive;
class zcColor;
class zcScreen;
class zcUISketch;

// Writes the demo's files into `dir` and reports on standard output.
int zfRunDemo(const std::string& dir);

// The demo's graphic list: archived into `dir`, read back, drawn to PNG; true when the
// list read back records the same sketch.
bool zfGraphicListDemo(const std::string& dir);

// Exports the demo's graphic list (scene.glist in `dir`) to graphics-list records,
// imports them and draws them into grlist.png; true when exporting the import again
// gives the same records and drawing the records records what the import draws.
bool zfGraphicsListDemo(const std::string& dir);

// Prints the graphics-list records of the graphic list archived at `path`, one line
// each, then each graphic left out by class; writes the records to `output` when given
// (the records file, tools/dispc/grlist.cpp).
int zfRunExport(const std::string& path, const std::string& output);
// Lists the graphics of the records file at `path` as imported, one line each; draws
// the records into the PNG `output` (640 × 480) when given.
int zfRunImport(const std::string& path, const std::string& output);

// Writes synthetic.png into `dir`: SMD bodies rendered in both coverage modes and under
// a perspective map.
bool zfDemoSynthetic(const std::string& dir);

// Lists the operations of the sketch archive at `path`, one line each.
int zfRunDump(const std::string& path);

// What `dispc render` was asked for.
struct zcRenderRequest {
  std::string sketch;                // the sketch archive; "-" for standard input
  std::string output;                // the file to write; empty: the sketch's path with .png
  long width = 640;
  long height = 480;
  std::string background;            // a PNG loaded into the image layer first; empty: none
  double scale = 1.0;                // the tablet's exact scale factor (both axes)
  double maxMegapixels = 256;        // the largest screen made, in millions of pels per layer
  zcUITablet::Layers layers = zcUITablet::eBothLayers;
};
int zfRunRender(const zcRenderRequest& request);

// What `dispc import-footprint` was asked for.
struct zcImportRequest {
  std::string footprint;  // a footprint file, or a directory of them
  std::string output;     // the model archive; for a directory, the directory to fill
  std::string png;        // the drawing to write (for a directory, a directory); empty: none
  bool pads = false;      // SMD pads become polys too
};
// One line per footprint; 0 when every footprint was imported, 1 when a footprint of a
// directory was refused (a single file's refusal is an exception).
int zfRunImportFootprint(const zcImportRequest& request);

// --- Shared by the commands ------------------------------------------------------------

// The largest archive file read (1 GiB).
inline constexpr std::size_t zkMaxArchiveFile = std::size_t(1) << 30;

// True for the names of standard input: "-" and "/dev/stdin".
bool zfIsStandardInput(const std::string& path);
// The bytes of the archive file at `path` (standard input for its names). A directory,
// a file that cannot be read (zcArchive::IOError with the system's reason), a file
// whose first 8 bytes are no archive header, or one larger than zkMaxArchiveFile
// (zcArchive::BadFormat) is refused before the rest is read.
std::vector<unsigned char> zfReadArchiveFile(const std::string& path);
// The sketch stored in the archive file at `path`: the whole file must be the archive
// of one sketch (zcArchive::BadFormat when it holds something else, or more).
zcUISketch zfReadSketchArchive(const std::string& path);
// Stores the archive's bytes, or the sketch's archive, as the file at `path`, whole
// or not at all (zfWriteFileAtomically).
void zfWriteArchiveFile(const std::string& path, const zcArchive& archive);
void zfWriteSketchArchive(const std::string& path, zcUISketch& sketch);

// How a tablet maps client coordinates: its base map, then an exact scale on both axes.
struct zcTabletMap {
  const char* name = "identity";
  zcXform<2> base;
  double scale = 1.0;
};
// A tablet over both layers of the screen, visible, with the map.
void zfMapTablet(zcUITablet& tablet, const zcTabletMap& map);
// Replays the sketch onto a tablet over `screen` as the tablet replays a sketch: each
// operation once on the layer it was recorded for. With eBothLayers, operations
// recorded for both layers paint nothing; with eImage or eOverlay, only that layer's
// operations and those recorded for both layers paint, on that layer.
void zfReplayOnScreen(const zcUISketch& sketch, zcScreen& screen, const zcTabletMap& map, zcUITablet::Layers layers);

// "red" for a stock color, "index 42" for an index color, "#0A141E" for an RGB color.
std::string zfColorText(const zcColor& color);
