// `dispc import-footprint`: a footprint file (or every one of a `.pretty` directory)
// imported as an SMD model, archived, and optionally drawn: the synthetic image on the
// synthetic background, the wireframe and the direction arrows over it.
#include "commands.h"

#include "dispc/wrfm/colors.h"
#include "dispc/wrfm/fpimport.h"
#include "dispc/wrfm/smdmodel.h"

#include "zscreen/screen.h"

#include "zfound/archive.h"
#include "zfound/strings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

// The drawing is at most this many pels across, with a margin around the body.
constexpr double kViewPels = 560;
constexpr double kMarginPels = 40;

void writePng(const zcSMDGDModel& model, const std::string& path) {
  const zcRect box = model.boundingBox();
  const double scale = kViewPels / std::max({box.width(), box.height(), 1e-3});
  const long width = std::lround(box.width() * scale + 2 * kMarginPels);
  const long height = std::lround(box.height() * scale + 2 * kMarginPels);
  // File coordinates have y down, as the image: no mirror.
  const zcXform<2> view = zcXform<2>::translation(zcVector<2>(kMarginPels, kMarginPels)) *
                          zcXform<2>::scaling(scale, scale) * zcXform<2>::translation(-box.corner());
  const zcSMDColors& colors = model.poly(0).colors();
  zcPelBuffer<unsigned char> gray(width, height, zcSMDColors::colorToGrayScale(colors.syntheticBackgroundColor()));
  model.drawSynthetic(view, gray);
  zcPelBuffer<zcPackedRGB32> rgb(width, height);
  for (long y = 0; y < height; ++y)
    for (long x = 0; x < width; ++x) {
      const unsigned char g = *gray.pelPointer(x, y);
      rgb.set(x, y, zcPackedRGB32(g, g, g));
    }
  zcScreen screen(width, height);
  zcUITablet tablet(&screen.image(), &screen.overlay());
  tablet.visible(true);
  tablet.draw(rgb, zcPoint(0, 0), false, zcPackedRGB32(), zcUITablet::eImage);
  model.drawWireframe(view, tablet);
  // The arrows are sized in pels: their frame is the image's, turned but not scaled.
  model.drawDirectionArrows(view, tablet, 8.0);
  screen.save(path);
}

// Imports one file; prints its line and writes its files.
void importOne(const std::string& file, const std::string& output, const std::string& png, bool pads) {
  zcSMDGDModel model;
  const zcFootprintImport::Counts counts = zcFootprintImport::readFile(file, model, pads);
  zcArchive out;
  out || model;
  zfWriteArchiveFile(output, out);
  if (!png.empty()) writePng(model, png);
  std::printf("%s: %ld polys (%ld outlines, %ld pads), %ld markings and %ld texts ignored", zfConvertString(model.name()).c_str(),
              model.numPolys(), counts.loops, counts.pads, counts.markings, counts.texts);
  if (counts.padsSkipped) std::printf(", %ld pads skipped", counts.padsSkipped);
  std::printf(" -> %s%s%s\n", output.c_str(), png.empty() ? "" : ", ", png.c_str());
}

}  // namespace

int zfRunImportFootprint(const zcImportRequest& request) {
  if (!fs::is_directory(request.footprint)) {
    importOne(request.footprint, request.output, request.png, request.pads);
    return 0;
  }
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(request.footprint))
    if (entry.path().extension() == ".kicad_mod") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  fs::create_directories(request.output);
  if (!request.png.empty()) fs::create_directories(request.png);
  std::map<std::string, long> refused;
  long imported = 0;
  for (const fs::path& file : files) {
    const std::string stem = file.stem().string();
    try {
      importOne(file.string(), (fs::path(request.output) / (stem + ".zfar")).string(),
                request.png.empty() ? "" : (fs::path(request.png) / (stem + ".png")).string(), request.pads);
      ++imported;
    } catch (const zcFootprintImport::Errors& e) {
      const std::string what = e.what();
      ++refused[what.substr(0, what.find(' '))];
      std::printf("%s: refused: %s\n", stem.c_str(), zfConvertString(e.messageString()).c_str());
    }
  }
  std::printf("%ld imported, %ld refused", imported, static_cast<long>(files.size()) - imported);
  for (const auto& [reason, count] : refused) std::printf(", %ld %s", count, reason.c_str());
  std::printf("\n");
  return refused.empty() ? 0 : 1;
}
