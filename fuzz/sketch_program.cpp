#include "sketch_program.h"

#include "dispc/sketchop.h"
#include "dispc/uitablet.h"

#include "support/logging_scope.h"

#include "zfound/archive.h"
#include "zfound/handle.h"

#include <cstdlib>

namespace {
zcUISketch sketchOf(const std::uint8_t* data, std::size_t size) {
  zcUISketch s;
  if (size > 0) s.append(data, static_cast<long>(size));
  return s;
}

// Walks to the end; the records are written back into a second sketch.
bool walk(const zcUISketch& s, zcUISketch* rewritten) {
  bool nested = false;
  for (zcUISketchCursor walk(s); !walk.atEnd();) {
    const zc_UISketchOpData& record = walk.next();
    if (walk.length() <= 0 || walk.position() > s.size()) std::abort();
    nested = nested || dynamic_cast<const zc_UISketchOpSketch*>(&record) != nullptr;
    if (rewritten) {
      walk.header().populateSketch(*rewritten);
      record.populateSketch(*rewritten);
    }
  }
  return nested;
}
}  // namespace

// Replays a sketch that walked onto a screen tablet and onto a recorder. Drawing may
// refuse values (a shape the foundation cannot map, a generalized polygon that cannot
// be replayed yet), but the tablet must come out as it went in.
namespace {
void replay(const zcUISketch& s) {
  zcLoggingScope image(zcPair<long>(64, 48)), overlay(zcPair<long>(64, 48));
  {
    zcUITablet screen(&image, &overlay);
    screen.visible(true);
    screen.baseMap(zcXform<2>(zcMatrix<2>(2, 0, 0, 2), zcVector<2>(1, 1)));
    const zcXform<2> map = screen.scaledMap();
    for (zcUITabletEnums::Layers layer : {zcUITablet::eImage, zcUITablet::eOverlay, zcUITablet::eBothLayers}) {
      try {
        screen.draw(s, zcPoint(3, 4), layer);
      } catch (const zcException&) {
      }
      if (screen.drawOn().depth() != 1 || screen.recordOn().depth() != 1 || screen.drawOnOverlay().depth() != 1 ||
          !(screen.scaledMap() == map) || image.lockDepth() != 0 || overlay.lockDepth() != 0)
        std::abort();
    }
  }
  zcUITablet recorder;
  recorder.drawOn() = true;
  try {
    recorder.draw(s, zcPoint(), zcUITablet::eImage);
  } catch (const zcException&) {
  }
  if (recorder.recordOn().depth() != 1) std::abort();
}
}  // namespace

void zfWalkSketchBytes(const std::uint8_t* data, std::size_t size) {
  zcUISketch s = sketchOf(data, size);
  zcUISketch rewritten;
  bool nested = false;
  try {
    nested = walk(s, &rewritten);
  } catch (const zcUIError::InvalidUISketch&) {
    return;
  }
  // What the records wrote back must walk as well, replay, and archive.
  walk(rewritten, nullptr);
  replay(s);
  if (nested) return;
  zcArchive out;
  out || s;
  zcArchive in(out.bytes());
  zcUISketch back;
  in || back;
  walk(back, nullptr);
}

void zfReadSketchArchive(const std::uint8_t* data, std::size_t size) {
  zcUISketch s;
  try {
    zcArchive in(data, size);
    in || s;
  } catch (const zcUIError::Errors&) {
    if (!s.isNull()) std::abort();  // a refused archive appends nothing
    return;
  } catch (const zcArchive::Errors&) {
    if (!s.isNull()) std::abort();
    return;
  } catch (const zcBadPointer&) {
    if (!s.isNull()) std::abort();
    return;
  }
  walk(s, nullptr);
}

std::vector<std::uint8_t> zfSampleSketchBytes() {
  zcUISketch s;
  const zcGraphicProps thick(zcColor::red, 3, zcGraphicProps::ePenStyleDefault, true);
  auto op = [&](long opcode, const zc_UISketchOpData& record, bool props) {
    zc_UISketchOpHeader(opcode, zcUITablet::eOverlay, zcColor(10, 20, 30), props ? thick : zcGraphicProps(), props)
        .populateSketch(s);
    record.populateSketch(s);
  };
  op(0, zc_UISketchOpPoint(zcPoint(1, 2)), true);
  op(2, zc_UISketchOpLineSeg(zcLineSeg(zcPoint(1, 2), zcPoint(3, 4))), false);
  op(4, zc_UISketchOpCircle(zcCircle(zcPoint(1, 2), 3)), true);
  op(5, zc_UISketchOpEllipse(zcEllipse(zcPoint(1, 1), 3, 2, zcRadian(0.4))), false);
  op(8, zc_UISketchOpGenRect(zcGenRect(zcVector<2>(1, 2), zcVector<2>(3, 2), zcRadian(0.3), zcVector<2>(1, 0.5))),
     false);
  op(11, zc_UISketchOpString("text", zcPoint(1, 1), zcColor::black, zcUIFormat()), false);
  zcPelBuffer<unsigned char> pels(3, 2, 7);
  op(12, zc_UISketchOpPelBuf8(pels, zcPoint(0, 0), true, 1, false), false);
  op(14, zc_UISketchOpRleBuf(zcRLEBuffer::encode(pels), zcPoint(0, 0), {1, 2}, false, 0, true), false);
  op(16, zc_UISketchOpSet(zcUIRect(1, 2, 3, 4)), false);
  op(19, zc_UISketchOpFill(zcPoint(1, 2), zcColor::blue, 0), false);
  op(25, zc_UISketchOpOutline3d(zcRect(1, 2, 3, 4), zcColor::white, zcColor::black, 2), false);
  op(28, zc_UISketchOpPolygon(zcPolygon({zcPoint(0, 0), zcPoint(4, 0), zcPoint(0, 3)})), true);
  op(33, zc_UISketchOpGenShape(zcColor::green, zcUIRect(0, 0, 4, 4), {1, 2, 3}), false);
  op(35, zc_UISketchOpUnicodeString(L"wide", zcPoint(2, 2), zcColor::white, zcUIFormat()), false);
  op(37, zc_UISketchOpCross(zcCross(zcPoint(1, 1), zcRadian(0.5), 5)), false);
  op(43,
     zc_UISketchOpCubicSpline(zcCubicSpline({zcBezierCurve(zcPoint(0, 0), zcPoint(1, 2), zcPoint(3, 2), zcPoint(4, 0))})),
     false);
  op(44, zc_UISketchOpPolyline(zcPolyline({zcPoint(0, 0), zcPoint(1, 1), zcPoint(2, 0)}, false)), false);
  op(46, zc_UISketchOpEllipseArc2(), false);
  return std::vector<std::uint8_t>(s.bytes().begin(), s.bytes().end());
}

std::vector<std::vector<std::uint8_t>> zfSampleSketchArchives() {
  const std::vector<std::uint8_t> bytes = zfSampleSketchBytes();
  zcUISketch s = sketchOf(bytes.data(), bytes.size());
  zcArchive current;
  current || s;
  zcArchive old;
  signed char version = 0;
  long length = s.size();
  old || version || length;
  old.raw(const_cast<unsigned char*>(s.data()), static_cast<std::size_t>(length));
  return {current.bytes(), old.bytes()};
}
