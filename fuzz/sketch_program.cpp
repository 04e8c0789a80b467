#include "programs.h"

#include "dispc/sketchop.h"
#include "dispc/uitablet.h"
#include "dispc/wrfm/wirefrm.h"

#include "support/logging_scope.h"

#include "zscreen/screen.h"

#include "zfound/archive.h"
#include "zfound/exception.h"
#include "zfound/handle.h"

#include <algorithm>
#include <cstdlib>
#include <typeinfo>

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

// Replays a sketch that walked onto tablets over logging scopes, over a small Cairo
// screen and onto a recorder. Replay may refuse what the sketch holds only with the
// classes it documents (an invalid sketch, a kind of shape a tablet does not draw, a
// value the geometry cannot map); anything else escapes. The tablet must come out as
// it went in, with no compound left open on its scopes.
template <class F>
void documented(F&& f) {
  try {
    f();
  } catch (const zcUIError::InvalidUISketch&) {
  } catch (const zcUIError::NotImplemented&) {
  } catch (const zcShapesError::Errors&) {
  }
}

template <class Scope>
void replayOnto(zcUITablet& tablet, const zcUISketch& s, const Scope& image, const Scope& overlay) {
  tablet.visible(true);
  tablet.baseMap(zcXform<2>(zcMatrix<2>(2, 0, 0, 2), zcVector<2>(1, 1)));
  const zcXform<2> map = tablet.scaledMap();
  for (zcUITabletEnums::Layers layer : {zcUITablet::eImage, zcUITablet::eOverlay, zcUITablet::eBothLayers}) {
    documented([&] { tablet.draw(s, zcPoint(3, 4), layer); });
    if (tablet.drawOn().depth() != 1 || tablet.recordOn().depth() != 1 || tablet.drawOnOverlay().depth() != 1 ||
        !(tablet.scaledMap() == map) || image.lockDepth() != 0 || overlay.lockDepth() != 0)
      std::abort();
  }
}

void replay(const zcUISketch& s) {
  {
    zcLoggingScope image(zcPair<long>(64, 48)), overlay(zcPair<long>(64, 48));
    zcUITablet tablet(&image, &overlay);
    replayOnto(tablet, s, image, overlay);
  }
  {
    zcScreen screen(24, 16);
    zcUITablet tablet(&screen.image(), &screen.overlay());
    replayOnto(tablet, s, screen.image(), screen.overlay());
  }
  zcUITablet recorder;
  recorder.drawOn() = true;
  documented([&] { recorder.draw(s, zcPoint(), zcUITablet::eImage); });
  if (recorder.recordOn().depth() != 1) std::abort();
}

bool sameBytes(const zcUISketch& a, const zcUISketch& b) { return std::ranges::equal(a.bytes(), b.bytes()); }

std::vector<unsigned char> archived(zcUISketch& s) {
  zcArchive out;
  out || s;
  return out.bytes();
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
  bool refused = false;
  try {
    zcArchive in(data, size);
    in || s;
  } catch (const zcUIError::Errors&) {
    refused = true;
  } catch (const zcArchive::Errors&) {
    refused = true;
  } catch (const zcBadPointer&) {
    refused = true;
  }
  if (refused && !s.isNull()) std::abort();  // a refused archive appends nothing
  if (refused) return;
  zcUISketch rewritten;
  if (walk(s, &rewritten)) return;  // a nested sketch cannot be archived
  // A stream without redundant properties blocks (the records write it back as it
  // is) reads back from its own archive byte for byte, and archives the same again.
  if (!sameBytes(rewritten, s)) return;
  const std::vector<unsigned char> first = archived(s);
  zcArchive in(first);
  zcUISketch back;
  in || back;
  if (!sameBytes(back, s) || archived(back) != first) std::abort();
}

std::vector<std::uint8_t> zfSampleSketchBytes() {
  zcUISketch s;
  const zcGraphicProps thick(zcColor::red, 3, zcGraphicProps::ePenStyleDefault, true);
  auto write = [&](long opcode, const zc_UISketchOpData& record, bool props) {
    zc_UISketchOpHeader(opcode, zcUITablet::eOverlay, zcColor(10, 20, 30), props ? thick : zcGraphicProps(), props)
        .populateSketch(s);
    record.populateSketch(s);
  };
  // Every kind of the table with its default record, then values of many kinds under
  // the opcode of their record class.
  for (const zcUISketchOpKind& kind : zfUISketchOpKinds()) {
    const zcPtrHandle<zc_UISketchOpData> record(zfCreateUISketchOpData(kind.opcode));
    // The samples are archived too, which a nested sketch cannot be.
    if (dynamic_cast<const zc_UISketchOpSketch*>(&*record)) continue;
    write(kind.opcode, *record, kind.opcode % 2 == 0);
  }
  auto op = [&](const zc_UISketchOpData& record, bool props) {
    for (const zcUISketchOpKind& kind : zfUISketchOpKinds()) {
      const zcPtrHandle<zc_UISketchOpData> made(zfCreateUISketchOpData(kind.opcode));
      const zc_UISketchOpData& sample = *made;
      if (typeid(sample) == typeid(record)) return write(kind.opcode, record, props);
    }
  };
  op(zc_UISketchOpPoint(zcPoint(1, 2)), true);
  op(zc_UISketchOpLineSeg(zcLineSeg(zcPoint(1, 2), zcPoint(3, 4))), false);
  op(zc_UISketchOpCircle(zcCircle(zcPoint(1, 2), 3)), true);
  op(zc_UISketchOpEllipse(zcEllipse(zcPoint(1, 1), 3, 2, zcRadian(0.4))), false);
  op(zc_UISketchOpGenRect(zcGenRect(zcVector<2>(1, 2), zcVector<2>(3, 2), zcRadian(0.3), zcVector<2>(1, 0.5))),
     false);
  op(zc_UISketchOpString("text", zcPoint(1, 1), zcColor::black, zcUIFormat()), false);
  zcPelBuffer<unsigned char> pels(3, 2, 7);
  op(zc_UISketchOpPelBuf8(pels, zcPoint(0, 0), true, 1, false), false);
  op(zc_UISketchOpRleBuf(zcRLEBuffer::encode(pels), zcPoint(0, 0), {1, 2}, false, 0, true), false);
  op(zc_UISketchOpSet(zcUIRect(1, 2, 3, 4)), false);
  op(zc_UISketchOpFill(zcPoint(1, 2), zcColor::blue, 0), false);
  op(zc_UISketchOpOutline3d(zcRect(1, 2, 3, 4), zcColor::white, zcColor::black, 2), false);
  op(zc_UISketchOpPolygon(zcPolygon({zcPoint(0, 0), zcPoint(4, 0), zcPoint(0, 3)})), true);
  op(zc_UISketchOpGenShape(zcColor::green, zcUIRect(0, 0, 4, 4), {1, 2, 3}), false);
  op(zc_UISketchOpUnicodeString(L"wide", zcPoint(2, 2), zcColor::white, zcUIFormat()), false);
  op(zc_UISketchOpCross(zcCross(zcPoint(1, 1), zcRadian(0.5), 5)), false);
  op(zc_UISketchOpCubicSpline(zcCubicSpline({zcBezierCurve(zcPoint(0, 0), zcPoint(1, 2), zcPoint(3, 2), zcPoint(4, 0))})),
     false);
  op(zc_UISketchOpPolyline(zcPolyline({zcPoint(0, 0), zcPoint(1, 1), zcPoint(2, 0)}, false)), false);
  op(zc_UISketchOpEllipseArc2(), false);
  // A generalized polygon (an arc, outward and inward roundings) and a wireframe, as
  // a tablet records them.
  zcGenPoly polygon;
  polygon.insertVertex(zcPoint(0, 0), 0, zcRadian(0));
  polygon.insertVertex(zcPoint(8, 0), 2, zcRadian(0));
  polygon.insertVertex(zcPoint(8, 6), -1, zcRadian(0.5));
  polygon.close();
  zcUITablet recorder;
  recorder.draw(polygon, thick, zcUITablet::eOverlay);
  recorder.draw(zc2Wireframe(polygon, zcDimTol(-1, 0.5, 0.5, zcDimTol::eOffsets)), zcGraphicProps(),
                zcUITablet::eImage);
  s.append(recorder.sketch().data(), recorder.sketch().size());
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
