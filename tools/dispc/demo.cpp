// The demonstration: the stock color table with its graphics-list codes, an archive
// of colors, pen properties and exceptions, and a sketch archive, each written to a
// file, read back and compared; then a scene of every drawing call of the tablet,
// drawn onto a screen while recorded, archived, rendered to PNG from the sketch, read
// back and replayed, with the pixels of the three screens compared.
#include "commands.h"

#include "dispc/color.h"
#include "dispc/dispprop.h"
#include "dispc/glist.h"
#include "dispc/sketchop.h"
#include "dispc/uibitmap.h"
#include "dispc/uitablet.h"
#include "dispc/uierror.h"
#include "dispc/wrfm/wirefrm.h"

#include "zscreen/screen.h"

#include "zfound/archive.h"
#include "zfound/curves.h"
#include "zfound/geometry.h"
#include "zfound/strings.h"
#include "zfound/trees.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

bool printColorTable() {
  std::printf("%-8s %5s  %-8s %s\n", "color", "index", "rgb", "graphics-list code");
  bool ok = true;
  for (const zcNamedColor& n : zfStockColors()) {
    const zgr_color code = zfColor(n.color);
    ok = ok && zfColor(code) == n.color;
    std::printf("%-8s %5u  #%06X  %d\n", n.name, n.color.index(), static_cast<unsigned>(n.color.rgb()), code);
  }
  return ok;
}

// Everything the demo archives; the same function writes and reads it.
struct Archived {
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
  zfWriteSketchArchive(path, sketch);
  const zcUISketch back = zfReadSketchArchive(path);

  std::printf("\nsketch %s: %ld bytes\n", path.c_str(), back.size());
  // The header keeps its properties flag from the last block: the byte tells.
  zc_UISketchOpHeader header;
  for (long at = 0; at < back.size();) {
    const long length = zfParseUISketch(const_cast<zcUISketch&>(back), at, header, nullptr);
    std::printf("  %5ld %4ld  %-14s layer %d%s\n", at, length, zfUISketchOpName(header.opcode()),
                static_cast<int>(header.layer()),
                back.data()[at] == zcUISketch::kPropsOpcode ? ", with properties" : "");
    at += length;
  }
  const bool same = back == sketch;
  std::printf("sketch round trip: %s\n", same ? "identical" : "DIFFERENT");
  return same;
}

// --- The scene ----------------------------------------------------------------------
//
// A 640 × 480 screen cut into a grid of 5 × 4 labelled cells of 128 × 120 pixels, one
// family of drawing calls per cell. Client coordinates are screen pixels at scale 1.

constexpr long kSceneWidth = 640;
constexpr long kSceneHeight = 480;
constexpr double kCellWidth = 128;
constexpr double kCellHeight = 120;

using Tablet = zcUITablet;

zcGraphicProps pen(const zcColor& color, long width, int style = 0, bool fill = false) {
  return zcGraphicProps(color, width, zcGraphicProps::zePenStyle(style), fill);
}

// One cell: its label on the overlay, and points relative to its top-left corner.
struct Cell {
  Cell(zcUITablet& t, int column, int row, const wchar_t* label)
      : x(column * kCellWidth), y(row * kCellHeight) {
    t.draw(label, at(4, 3), zcColor::white, zcColor::pass, zcUIFormat(zcUIFormat::eTopLeft), Tablet::eOverlay);
  }
  zcPoint at(double dx, double dy) const { return zcPoint(x + dx, y + dy); }
  zcPair<double> pair(double dx, double dy) const { return zcPair<double>(x + dx, y + dy); }
  zcRect rect(double dx, double dy, double w, double h) const { return zcRect(x + dx, y + dy, w, h); }
  zcUIRect pixels(long dx, long dy, long w, long h) const {
    return zcUIRect(static_cast<long>(x) + dx, static_cast<long>(y) + dy, w, h);
  }
  double x, y;
};

zcRadian deg(double d) { return zcRadian(zcDegree(d)); }

void drawPointsAndLines(zcUITablet& t) {
  {
    Cell c(t, 0, 0, L"points");
    t.draw(c.at(20, 35), pen(zcColor::red, 3), Tablet::eOverlay);
    t.draw(zc2Point(c.at(35, 35)), pen(zcColor::green, 4), Tablet::eOverlay);
    t.draw(c.at(50, 35), zcColor::yellow, Tablet::eOverlay);
    t.drawPixel(c.pair(60, 35), zcColor::white, Tablet::eImage);
    // A set of two or more points draws the circle through its first two points too.
    // Point sets keep width 1: their points paint with width 1 but record the pen.
    t.draw(zcPointSet({c.at(64, 80), c.at(90, 80), c.at(64, 100), c.at(50, 70)}), zcColor::cyan, Tablet::eImage);
    t.draw(zcPointSet({c.at(110, 35)}), pen(zcColor::magenta, 1), Tablet::eOverlay);
  }
  {
    Cell c(t, 1, 0, L"segments");
    t.draw(zcLineSeg(c.at(10, 30), c.at(118, 30)), pen(zcColor::orange, 3), Tablet::eImage);
    t.draw(zcLineSeg(c.at(10, 42), c.at(118, 42)), zcColor::blue, Tablet::eOverlay);
    t.drawLineSeg(c.pair(10, 52), c.pair(118, 52), zcColor::green, Tablet::eOverlay);
    t.draw(zcLineSeg(c.at(10, 62), c.at(118, 62)), pen(zcColor::yellow, 1, 1), Tablet::eOverlay);
    t.draw(zcLineSeg(c.at(10, 72), c.at(118, 72)), pen(zcColor::white, 2, 2), Tablet::eOverlay);
    t.draw(zcLineSegSet({zcLineSeg(c.at(30, 82), c.at(98, 112)), zcLineSeg(c.at(30, 112), c.at(98, 82)),
                         zcLineSeg(c.at(64, 80), c.at(64, 114))}),
           pen(zcColor::ltGrey, 1), Tablet::eOverlay);
  }
  {
    // Infinite lines reach across the layer: the clip rectangle keeps them in the cell.
    Cell c(t, 2, 0, L"lines, clip");
    t.drawClipRect(c.rect(2, 20, 124, 98), Tablet::eOverlay);
    t.draw(zcLine(c.at(64, 70), deg(20)), pen(zcColor::red, 2), Tablet::eOverlay);
    t.draw(zcLine(c.at(64, 70), deg(-60)), zcColor::green, Tablet::eOverlay);
    t.drawLine(c.pair(40, 70), deg(90), zcColor::cyan, Tablet::eOverlay);
    t.drawClipRect(zcRect(0, 0, kSceneWidth, kSceneHeight), Tablet::eOverlay);
  }
  {
    Cell c(t, 3, 0, L"polygons");
    t.draw(zcPolygon({c.at(34, 30), c.at(46, 60), c.at(14, 42), c.at(54, 42), c.at(22, 60)}, zcPolygon::eAlternate),
           pen(zcColor::blue, 1, 0, true), Tablet::eImage);
    t.draw(zcPolygon({c.at(70, 30), c.at(118, 40), c.at(80, 65)}, zcPolygon::eWinding), zcColor::red, Tablet::eOverlay);
    t.drawPolygon({c.at(8, 75), c.at(34, 110), c.at(60, 75), c.at(34, 90)}, zcPolygon::eWinding, zcColor::yellow,
                  Tablet::eOverlay);
    // A generalized polygon (rounded corners, an arc, direction arrows with polarity
    // marks) and a wireframe with toleranced sides and a rounded corner.
    zcGenPoly outline;
    outline.insertVertex(c.at(68, 76), 0, deg(0));
    outline.insertVertex(c.at(92, 76), 5, deg(0));
    outline.insertVertex(c.at(92, 112), 0, deg(0));
    outline.insertVertex(c.at(68, 112), -4, deg(-50));
    outline.close();
    t.draw(outline, zcColor::orange, false, Tablet::eImage);
    zc2Wireframe frame(zcGenPoly(c.rect(98, 76, 24, 36)), zcDimTol(-1, 0.5, 0.5, zcDimTol::eOffsets));
    frame.vertexRoundingSize(0, 6);
    t.draw(frame, pen(zcColor::green, 1), Tablet::eOverlay);
  }
  {
    Cell c(t, 4, 0, L"curves");
    t.draw(zcPolyline({c.at(10, 40), c.at(30, 25), c.at(50, 40), c.at(70, 25), c.at(90, 40)}),
           pen(zcColor::green, 2), Tablet::eOverlay);
    t.draw(zcPolyline({c.at(95, 25), c.at(120, 25), c.at(108, 45)}, true), pen(zcColor::purple, 1, 0, true),
           Tablet::eImage);
    t.draw(zcBezierCurve(c.at(10, 110), c.at(30, 50), c.at(90, 120), c.at(118, 60)), pen(zcColor::orange, 2),
           Tablet::eOverlay);
    t.draw(zcInterpSpline({c.at(10, 80), c.at(40, 60), c.at(70, 85), c.at(118, 70)}), pen(zcColor::cyan, 1),
           Tablet::eOverlay);
  }
}

void drawConics(zcUITablet& t) {
  {
    Cell c(t, 0, 1, L"circles");
    t.draw(zcCircle(c.at(35, 55), 25), pen(zcColor::red, 2), Tablet::eOverlay);
    t.draw(zcCircle(c.at(90, 55), 22), zcColor::blue, true, Tablet::eImage);
    t.drawCircle(c.pair(64, 95), 16, zcColor::green, Tablet::eOverlay);
    t.drawCircle(c.pair(105, 100), 10, zcColor::yellow, Tablet::eImage, true);
  }
  {
    Cell c(t, 1, 1, L"ellipses");
    t.draw(zcEllipse(c.at(40, 50), 30, 15, deg(30)), pen(zcColor::yellow, 1), Tablet::eOverlay);
    t.draw(zcEllipse(c.at(95, 50), 20, 10, deg(-45)), zcColor::purple, true, Tablet::eImage);
    t.drawEllipse(c.pair(40, 95), zcPair<double>(28, 12), deg(0),
                  zcColor::green, Tablet::eOverlay);
    t.draw(zcEllipse2(zcVector<2>(18, 8), deg(70), c.at(100, 95)), pen(zcColor::orange, 2), Tablet::eOverlay);
  }
  {
    Cell c(t, 2, 1, L"arcs");
    t.draw(zcEllipseArc(zcEllipse(c.at(40, 60), 30, 20, deg(0)), deg(0), deg(240)), pen(zcColor::red, 2),
           Tablet::eOverlay);
    t.draw(zcEllipseArc(zcEllipse(c.at(95, 55), 20, 20, deg(0)), deg(90), deg(-180)), zcColor::cyan, Tablet::eOverlay);
    t.drawEllipseArc(c.pair(40, 95), zcPair<double>(25, 12), deg(15), deg(180), deg(180), zcColor::green,
                     Tablet::eImage);
    t.draw(zcEllipseArc2(zcEllipse2(zcVector<2>(20, 10), deg(-20), c.at(95, 100)), deg(45), deg(270)),
           pen(zcColor::magenta, 1), Tablet::eOverlay);
  }
  {
    Cell c(t, 3, 1, L"annuli");
    t.draw(zcAnnulus(c.at(32, 55), 12, 25), pen(zcColor::green, 1), Tablet::eOverlay);
    t.draw(zcAnnulus(c.at(95, 55), 8, 18), zcColor::orange, Tablet::eImage);
    const zcGenRect outer(c.at(40, 98), zcVector<2>(30, 16), deg(10), zcVector<2>(6, 6));
    const zcGenRect inner(c.at(40, 98), zcVector<2>(18, 8), deg(10), zcVector<2>(0, 0));
    t.draw(zcGenAnnulus(inner, outer), pen(zcColor::yellow, 1), Tablet::eOverlay);
    const zcGenRect outer2(c.at(100, 98), zcVector<2>(18, 14), deg(0), zcVector<2>(18, 14));
    const zcGenRect inner2(c.at(100, 98), zcVector<2>(9, 7), deg(0), zcVector<2>(9, 7));
    t.draw(zcGenAnnulus(inner2, outer2), zcColor::cyan, Tablet::eOverlay);
  }
  {
    // Default properties carry both arrow-head flags (EllipseAnnSect); others record
    // the flags with the section.
    Cell c(t, 4, 1, L"sections");
    const zcEllipseAnnulus ring(zcEllipse(c.at(40, 30), 30, 24, deg(0)), 0.5);
    t.draw(zcEllipseAnnulusSection(ring, deg(20), deg(160)), pen(zcColor::green, 1), Tablet::eOverlay);
    zcGraphicProps noArrow = pen(zcColor::red, 1);
    noArrow.arrowHead(false);
    const zcEllipseAnnulus small(zcEllipse(c.at(100, 62), 20, 20, deg(0)), 0.4);
    t.draw(zcEllipseAnnulusSection(small, deg(200), deg(340)), noArrow, Tablet::eOverlay);
    const zcEllipseAnnulus low(zcEllipse(c.at(60, 112), 45, 30, deg(0)), 0.6);
    t.draw(zcEllipseAnnulusSection(low, deg(200), deg(330)), zcColor::yellow, true, false, Tablet::eImage);
  }
}

void drawRectanglesAndMarkers(zcUITablet& t) {
  {
    // Sharp, rounded and elliptical corners.
    Cell c(t, 0, 2, L"gen rects");
    t.draw(zcGenRect(c.at(35, 45), zcVector<2>(25, 14), deg(15), zcVector<2>(0, 0)), pen(zcColor::green, 1),
           Tablet::eOverlay);
    t.draw(zcGenRect(c.at(95, 45), zcVector<2>(22, 14), deg(0), zcVector<2>(8, 6)), zcColor::blue, true,
           Tablet::eImage);
    t.drawGenRect(c.pair(35, 95), zcPair<double>(25, 12), deg(-20),
                  zcPair<double>(25, 12), zcColor::orange, Tablet::eOverlay);
    t.drawGenRect(c.pair(95, 95), zcPair<double>(20, 15), deg(30), zcPair<double>(5, 5), zcColor::red, Tablet::eImage,
                  true);
  }
  {
    Cell c(t, 1, 2, L"rects");
    t.draw(c.rect(10, 25, 40, 25), pen(zcColor::red, 1), Tablet::eOverlay);
    t.draw(c.rect(60, 25, 25, 25), zcColor::green, true, Tablet::eImage);
    t.drawRect(c.pair(95, 25), zcPair<double>(25, 25), zcColor::yellow, Tablet::eOverlay);
    t.draw(zcAffineRectangle(c.at(10, 70), c.at(45, 60), c.at(20, 110)), pen(zcColor::cyan, 1, 0, true),
           Tablet::eImage);
    t.draw(zcAffineRectangle(c.at(55, 65), c.at(85, 65), c.at(65, 110)), zcColor::magenta, Tablet::eOverlay);
    t.drawAffineRect(c.pair(95, 70), c.pair(120, 80), c.pair(90, 110), zcColor::white, Tablet::eOverlay);
  }
  {
    Cell c(t, 2, 2, L"markers");
    t.draw(zcCross(c.at(20, 40), deg(0), 8), pen(zcColor::red, 1), Tablet::eOverlay);
    t.draw(zcCross(c.at(45, 40), deg(30), 8), zcColor::green, Tablet::eOverlay);
    t.drawCross(zcPair<double>(c.x + 70, c.y + 40), deg(45), zcColor::yellow, Tablet::eImage);
    t.drawPointIcon(c.at(100, 40), pen(zcColor::cyan, 1), Tablet::eOverlay);
    t.drawPointIcon(c.at(100, 65), zcColor::orange, Tablet::eImage);
    t.draw(zcCoordAxes(c.at(15, 105), c.at(60, 105), c.at(15, 65)), pen(zcColor::white, 1), Tablet::eOverlay);
    t.draw(zcCoordAxes(c.at(70, 105), c.at(95, 90), c.at(55, 80)), zcColor::magenta, Tablet::eOverlay);
    t.arrowHead(c.at(118, 100), zcVector<2>(1, 0), 10, pen(zcColor::red, 1), Tablet::eOverlay);
  }
  {
    Cell c(t, 3, 2, L"shapes");
    t.draw(zcGenShape(zcCircle(c.at(30, 50), 18)), zcColor::green, Tablet::eOverlay);
    const zcShapeTree tree({zcShapePtr(new zcLineSeg(c.at(60, 30), c.at(118, 70))),
                            zcShapePtr(new zcEllipse(c.at(90, 50), 20, 10, deg(0))),
                            zcShapePtr(new zcCross(c.at(90, 50), deg(0), 5))});
    t.draw(static_cast<const zcShape&>(tree), pen(zcColor::orange, 1), Tablet::eOverlay);
    const zcDeBoorSpline spline({c.at(10, 110), c.at(30, 75), c.at(60, 115), c.at(90, 75), c.at(118, 110)});
    t.draw(static_cast<const zcShape&>(spline), pen(zcColor::yellow, 2), Tablet::eOverlay);
  }
  {
    // Text around anchor crosses: top left, middle centre, bottom right, and bold.
    Cell c(t, 4, 2, L"text");
    const zcPoint a = c.at(10, 30), b = c.at(64, 64), d = c.at(118, 100);
    for (const zcPoint& p : {a, b, d})
      t.drawCross(zcPair<double>(p.x(), p.y()), deg(0), zcColor::red, Tablet::eOverlay);
    t.draw(L"top left", a, zcColor::white, zcColor::dkGrey, zcUIFormat(zcUIFormat::eTopLeft), Tablet::eOverlay);
    t.draw(L"centred", b, zcColor::black, zcColor::yellow, zcUIFormat(zcUIFormat::eMiddleCenter), Tablet::eOverlay);
    const zcUIFormat bottomRight(zcUIFormat::eBottomRight);
    t.draw(L"bottom right", d, zcColor::cyan, zcColor::pass, bottomRight, Tablet::eOverlay);
    // The screen measures the text; its box is framed in pixels.
    zcUIRect box;
    t.textRect(L"bottom right", d, bottomRight, box, Tablet::eOverlay);
    if (!box.isNull()) t.outline(box, zcColor::dkGrey, 1, Tablet::eOverlay);
    t.draw(L"bold 11", c.at(118, 30), zcColor::green, zcColor::pass, zcUIFormat(11 + 256, zcUIFormat::eTopRight),
           Tablet::eImage);
  }
}

void drawAreasAndImages(zcUITablet& t, bool nested) {
  {
    // From the drawing point: absolute and pixel-relative strokes and moves.
    Cell c(t, 0, 3, L"strokes");
    t.drawStart(c.at(10, 30), Tablet::eOverlay);
    t.drawTo(c.at(50, 30), pen(zcColor::red, 1), Tablet::eOverlay);
    t.drawTo(c.at(50, 60), zcColor::green, Tablet::eOverlay);
    t.drawToRelPels(-40, 0, pen(zcColor::yellow, 2), Tablet::eOverlay);
    t.drawToRelPels(0, -30, zcColor::cyan, Tablet::eOverlay);
    t.moveToRelPels(60, 0, Tablet::eOverlay);
    t.drawToRelPels(zcVector<2>(1, 1), 40, pen(zcColor::orange, 1), Tablet::eOverlay);
    t.drawToRelPels(zcVector<2>(1, -1), 30, zcColor::magenta, Tablet::eOverlay);
    t.moveToRelPels(zcVector<2>(-1, 0), 100, Tablet::eOverlay);
    t.drawToRelPels(zcVector<2>(3, 1), 80, zcColor::white, Tablet::eOverlay);
  }
  {
    // Set and its complement (kept inside the cell by the clip rectangle), bevels.
    Cell c(t, 1, 3, L"areas");
    t.set(c.pixels(8, 24, 30, 20), zcColor::dkRed, Tablet::eImage);
    t.set(c.rect(44, 24, 30, 20), zcColor(40, 90, 160), Tablet::eImage);
    t.drawClipRect(c.rect(80, 22, 44, 28), Tablet::eImage);
    t.setComplement(c.pixels(88, 28, 28, 16), zcColor::dkGreen, Tablet::eImage);
    t.drawClipRect(c.rect(8, 52, 50, 30), Tablet::eImage);
    t.setComplement(c.rect(14, 58, 38, 18), zcColor::purple, Tablet::eImage);
    t.drawClipRect(zcRect(0, 0, kSceneWidth, kSceneHeight), Tablet::eImage);
    t.outline3D(c.pixels(66, 54, 54, 28), zcColor::white, zcColor::dkGrey, 3, Tablet::eImage);
    t.outline3D(c.rect(8, 88, 50, 26), zcColor::ltGrey, zcColor::black, 2, Tablet::eImage);
    t.outline(c.pixels(66, 88, 24, 26), zcColor::yellow, 1, Tablet::eOverlay);
    t.outline(c.rect(96, 88, 24, 26), zcColor::orange, 2, Tablet::eOverlay);
  }
  {
    // Fill type 0 runs up to the boundary color; type 1 takes the start pixel's area.
    Cell c(t, 2, 3, L"flood fill");
    t.draw(c.rect(10, 30, 50, 40), pen(zcColor::white, 2), Tablet::eImage);
    t.draw(zcLineSeg(c.at(10, 30), c.at(60, 70)), pen(zcColor::white, 2), Tablet::eImage);
    t.fill(c.at(45, 40), zcColor::red, zcColor::white, Tablet::eFillType0, Tablet::eImage);
    t.set(c.pixels(70, 30, 45, 40), zcColor::grey, Tablet::eImage);
    t.fill(zcPair<long>(static_cast<long>(c.x) + 80, static_cast<long>(c.y) + 40), zcColor::blue, zcColor::black,
           Tablet::eFillType1, Tablet::eImage);
    t.draw(zcPolygon({c.at(20, 80), c.at(110, 85), c.at(60, 115)}), pen(zcColor::yellow, 2), Tablet::eImage);
    t.fill(c.at(62, 95), zcColor::dkGreen, zcColor::yellow, Tablet::eFillType0, Tablet::eImage);
  }
  {
    // An 8-bit gradient from 0 to 255 shown as gray levels, and a run-length icon through a color map.
    Cell c(t, 3, 3, L"images");
    zcPelBuffer<unsigned char> ramp(64, 48);
    for (long y = 0; y < ramp.height(); ++y)
      for (long x = 0; x < ramp.width(); ++x) ramp.set(x, y, static_cast<unsigned char>(x * 160 / 63 + y * 95 / 47));
    t.draw(ramp, c.at(8, 26), false, 0, true, Tablet::eImage);
    const zcUIBitmap icon(zcUITablet::makeIcon(L"|..1111..|.122221.|12233221|12333321|12333321|12233221|"
                                               L".122221.|..1111..|",
                                               {}),
                          {0, zcColor::red.index(), zcColor::yellow.index(), zcColor::white.index()}, true,
                          zcColor::pass.index());
    t.draw(icon, c.at(84, 30), icon.colorMap(), icon.passThrough(), icon.passColor(), false, Tablet::eOverlay);
    t.draw(zcUITablet::pointIcon(), c.at(84, 60), {zcColor::green.index()}, true, zcColor::pass.index(), false,
           Tablet::eImage);
    zcPelBuffer<unsigned char> bars(40, 30, zcColor::pass.index());
    for (long y = 0; y < bars.height(); ++y)
      for (long x = 0; x < bars.width(); x += 8) bars.set(x, y, zcColor::cyan.index());
    t.draw(zcRLEBuffer::encode(bars), c.at(80, 82), {}, true, zcColor::pass.index(), false, Tablet::eOverlay);
  }
  {
    // Disks on the image layer under overlay shapes; the pass color makes a hole in
    // the overlay.
    Cell c(t, 4, 3, L"layers");
    t.draw(zcCircle(c.at(40, 70), 30), zcColor::red, true, Tablet::eImage);
    t.draw(zcRect(c.x + 20, c.y + 50, 40, 40), zcColor::blue, true, Tablet::eOverlay);
    t.draw(zcRect(c.x + 30, c.y + 60, 20, 20), zcColor::pass, true, Tablet::eOverlay);
    t.draw(zcCircle(c.at(95, 70), 22), zcColor::green, true, Tablet::eImage);
    t.draw(zcEllipse(c.at(95, 70), 12, 24, deg(0)), zcColor::yellow, false, Tablet::eOverlay);
    // A sketch within the sketch: replayed at an offset, recorded as one operation
    // (which an archive cannot hold: only the scenes that stay in memory have it).
    if (!nested) return;
    zcUITablet recorder;
    recorder.draw(zcLineSeg(zcPoint(0, 0), zcPoint(20, 12)), pen(zcColor::white, 1), Tablet::eOverlay);
    recorder.drawCross(zcPair<double>(20, 12), deg(0), zcColor::red, Tablet::eOverlay);
    t.draw(recorder.sketch(), c.at(96, 100), Tablet::eOverlay);
  }
}

// The whole scene; the first call fills the image layer and so starts the sketch.
// `nested` adds a sketch drawn within it.
void drawScene(zcUITablet& t, bool nested) {
  t.set(zcColor(24, 28, 36), Tablet::eImage);
  std::vector<zcLineSeg> grid;
  for (int i = 1; i < 5; ++i)
    grid.emplace_back(zcPoint(i * kCellWidth, 0), zcPoint(i * kCellWidth, kSceneHeight));
  for (int i = 1; i < 4; ++i)
    grid.emplace_back(zcPoint(0, i * kCellHeight), zcPoint(kSceneWidth, i * kCellHeight));
  t.draw(zcLineSegSet(grid), pen(zcColor::dkGrey, 1), Tablet::eImage);
  drawPointsAndLines(t);
  drawConics(t);
  drawRectanglesAndMarkers(t);
  drawAreasAndImages(t, nested);
}

// Pixels in which two screens differ.
long differingPixels(const zcScreen& a, const zcScreen& b) {
  const zcPelBuffer<zcPackedRGB32> pa = a.composite(), pb = b.composite();
  long count = 0;
  for (long y = 0; y < pa.height(); ++y) {
    const zcPackedRGB32* ra = pa.rowPointer(y);
    const zcPackedRGB32* rb = pb.rowPointer(y);
    for (long x = 0; x < pa.width(); ++x) count += ra[x] == rb[x] ? 0 : 1;
  }
  return count;
}

std::string verdict(long differing) {
  return differing == 0 ? "pixels identical" : std::to_string(differing) + " pixels DIFFERENT";
}

// The maps the scene is drawn under: identity, a reduction (images through the
// reducing slots), and a rotation with shear placed to keep most of it on the screen.
const std::vector<zcTabletMap>& sceneMaps() {
  static const std::vector<zcTabletMap> maps = {
      {"identity", zcXform<2>(), 1.0},
      {"scale 0.75", zcXform<2>(), 0.75},
      {"rotation and shear", zcXform<2>(zcMatrix<2>(0.8, 0.7, zcRadian(0.2), zcRadian(0.35)), zcVector<2>(110, -20)),
       1.0}};
  return maps;
}

// The scene drawn directly under the map onto `direct`, recorded meanwhile.
zcUISketch drawAndRecord(zcScreen& direct, const zcTabletMap& map, bool nested) {
  zcUITablet tablet(&direct.image(), &direct.overlay());
  zfMapTablet(tablet, map);
  tablet.recordOn() = true;
  drawScene(tablet, nested);
  return tablet.sketch();
}

// Draws the scene onto a screen while recording it, archives the sketch, renders the
// sketch to PNG, reads the archive back and replays it onto a fresh screen. The bytes
// read back need not equal those recorded (properties blocks that only changed the
// pen color are dropped, decompositions may move a last bit); the pixels must. Then
// the scene with a nested sketch under every map: drawn directly and replayed under
// the same map.
bool sceneRoundTrip(const std::string& dir) {
  zcScreen direct(kSceneWidth, kSceneHeight);
  const zcUISketch sketch = drawAndRecord(direct, sceneMaps().front(), false);
  const std::filesystem::path base(dir);
  const std::string archivePath = (base / "scene.zfar").string();
  const std::string pngPath = (base / "scene.png").string();
  zcUISketch stored = sketch;
  zfWriteSketchArchive(archivePath, stored);

  zcScreen rendered(kSceneWidth, kSceneHeight);
  zfReplayOnScreen(sketch, rendered, sceneMaps().front(), zcUITablet::eBothLayers);
  rendered.save(pngPath);

  const zcUISketch back = zfReadSketchArchive(archivePath);
  zcScreen replayed(kSceneWidth, kSceneHeight);
  zfReplayOnScreen(back, replayed, sceneMaps().front(), zcUITablet::eBothLayers);

  long operations = 0;
  {
    zcUISketch walked = back;
    zc_UISketchOpHeader header;
    for (long at = 0; at < walked.size(); ++operations) at += zfParseUISketch(walked, at, header, nullptr);
  }
  const long replayDiff = differingPixels(rendered, replayed);
  const long directDiff = differingPixels(direct, rendered);
  std::printf("\nscene %s: %ld operations, %ld bytes of sketch in the file (%ld recorded; the file omits "
              "properties blocks that only change the pen color)\n",
              archivePath.c_str(), operations, back.size(), sketch.size());
  std::printf("scene %s: %ldx%ld\n", pngPath.c_str(), rendered.width(), rendered.height());
  bool same = replayDiff == 0 && directDiff == 0;
  for (const zcTabletMap& map : sceneMaps()) {
    zcScreen drawn(kSceneWidth, kSceneHeight), again(kSceneWidth, kSceneHeight);
    const zcUISketch recorded = drawAndRecord(drawn, map, true);
    zfReplayOnScreen(recorded, again, map, zcUITablet::eBothLayers);
    const long diff = differingPixels(drawn, again);
    std::printf("scene with a nested sketch drawn directly and replayed (%s): %s\n", map.name,
                verdict(diff).c_str());
    same = same && diff == 0;
  }
  std::printf("scene drawn directly and replayed: %s\n", verdict(directDiff).c_str());
  std::printf("scene replay: %s\n", verdict(replayDiff).c_str());
  return same;
}

}  // namespace

int zfRunDemo(const std::string& dir) {
  std::filesystem::create_directories(dir);
  const bool tableOk = printColorTable();

  Archived scene;
  for (const zcNamedColor& n : zfStockColors()) scene.colors.push_back(n.color);
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
    zcArchive out;
    scene.serialize(out);
    zfWriteArchiveFile(path, out);
  }
  Archived back;
  zcArchive in(zfReadArchiveFile(path));
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
  const bool syntheticOk = zfDemoSynthetic(dir);
  const bool sceneOk = sceneRoundTrip(dir);
  const bool listOk = zfGraphicListDemo(dir) && zfGraphicsListDemo(dir);
  return tableOk && same && sketchOk && sceneOk && syntheticOk && listOk ? 0 : 1;
}
