// Wireframes: segment-length tolerances through edits, polarity, maps, archives, and
// the SMD poly made from a wireframe.
#include "dispc/wrfm/wirefrm.h"

#include "zfound/archive.h"

#include "support/logging_scope.h"
#include "support/sketch_stream.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const zc2Wireframe& value) { return zc_test::ownBytes(value); }

const zcDimTol kWide(-1, 0.05, 0.05, zcDimTol::eOffsets);
const zcDimTol kNarrow(-1, 0.1, 0.2, zcDimTol::eOffsets);

// (10,0) (10,4) (0,4) (0,0), closed, every segment toleranced ±0.05.
zc2Wireframe box() { return zc2Wireframe(zcGenPoly(zcRect(0, 0, 10, 4)), kWide); }

bool untoleranced(const zcDimTol& t) { return t.minTol() == -1.0 && t.maxTol() == -1.0; }

// The tolerance of a segment as a dimension: the nominal is its length.
void expectTol(const zcDimTol& t, double length, const zcDimTol& given) {
  EXPECT_NEAR(t.nomDim(), length, 1e-12);
  EXPECT_EQ(t.tolType(), given.tolType());
  EXPECT_NEAR(t.minTol(), given.minTol(), 1e-12);
  EXPECT_NEAR(t.maxTol(), given.maxTol(), 1e-12);
}

class Counted : public zc2Wireframe {
public:
  using zc2Wireframe::zc2Wireframe;
  std::vector<bool> told;

protected:
  void polarityChanged_(bool reversed) override { told.push_back(reversed); }
};

}  // namespace

TEST(WireframeTolerances, InsertionSplitsASegmentsToleranceAndClosingSetsOne) {
  zc2Wireframe w = box();
  for (long s = 0; s < 4; ++s) expectTol(w.segmentLengthTol(s), s % 2 ? 10 : 4, kWide);
  // Splitting segment 0 at (10, 1): the first part takes the new tolerance, the second
  // part (arriving at the old end vertex) none.
  w.insertVertex(0, zcPoint(10, 1), 0.0, zcRadian(0), kNarrow);
  expectTol(w.segmentLengthTol(0), 1, kNarrow);
  EXPECT_TRUE(untoleranced(w.segmentLengthTol(1)));
  expectTol(w.segmentLengthTol(2), 10, kWide);
  // In front: no tolerance set; the closing segment now ends at the new vertex.
  w.insertVertex(-1, zcPoint(5, -1), 0.0, zcRadian(0), kNarrow);
  EXPECT_TRUE(untoleranced(w.segmentLengthTol(5)));
  expectTol(w.segmentLengthTol(0), std::hypot(5, 1), kWide);
  // Appending to an open wireframe tolerances the new last segment; closing sets
  // the closing one.
  zc2Wireframe open;
  open.insertVertex(zcPoint(0, 0), 0, zcRadian(0), kNarrow);
  open.insertVertex(zcPoint(6, 0), 0, zcRadian(0), kNarrow);
  open.insertVertex(zcPoint(6, 8), 0, zcRadian(0), kWide);
  expectTol(open.segmentLengthTol(0), 6, kNarrow);
  expectTol(open.segmentLengthTol(1), 8, kWide);
  open.close(zcRadian(0), kNarrow);
  expectTol(open.segmentLengthTol(2), 10, kNarrow);
  EXPECT_FALSE(open.isOpen());
  // A closed wireframe is left exactly as it is, editable or not.
  for (const zc2Wireframe& closed : {open, open.map(zcXform<2>::scaling(2, 1))}) {
    zc2Wireframe copy = closed;
    copy.close(zcRadian(1.0), kWide);
    EXPECT_EQ(bytesOf(copy), bytesOf(closed));
  }
  // The single-segment setter.
  w.segmentLengthTol(3, kNarrow);
  expectTol(w.segmentLengthTol(3), 10, kNarrow);  // (10,4) to (0,4)
}

TEST(WireframeTolerances, RefusedEditsChangeNothing) {
  const zcDimTol tooLong(-1, 50, 60, zcDimTol::eLimits);  // no side is that long
  using Edit = std::function<void(zc2Wireframe&)>;
  struct Row {
    std::string what;
    Edit edit;
    bool mapped;
  };
  const std::vector<Row> badGeom = {
      {"setter, length outside", [&](zc2Wireframe& w) { w.segmentLengthTol(0, tooLong); }, false},
      {"insert, length outside", [&](zc2Wireframe& w) { w.insertVertex(1, zcPoint(5, 5), 0, zcRadian(0), tooLong); },
       false},
      {"insert, crossing", [&](zc2Wireframe& w) { w.insertVertex(1, zcPoint(5, -5), 0, zcRadian(0), kWide); }, false},
      {"setter, not editable", [&](zc2Wireframe& w) { w.segmentLengthTol(0, kWide); }, true},
      {"insert, not editable", [&](zc2Wireframe& w) { w.insertVertex(1, zcPoint(5, 5), 0, zcRadian(0), kWide); }, true},
  };
  for (const Row& row : badGeom) {
    zc2Wireframe w = row.mapped ? box().map(zcXform<2>::scaling(1, 2)) : box();
    const Bytes before = bytesOf(w);
    EXPECT_THROW(row.edit(w), zcShapesError::BadGeom) << row.what;
    EXPECT_EQ(bytesOf(w), before) << row.what;
  }
  zc2Wireframe w = box();
  const Bytes before = bytesOf(w);
  EXPECT_THROW(w.segmentLengthTol(4, kWide), zcShapesError::BadCoef);
  EXPECT_THROW(w.segmentLengthTol(-1), zcShapesError::BadCoef);
  EXPECT_THROW(w.insertVertex(4, zcPoint(1, 1), 0, zcRadian(0), kWide), zcShapesError::BadCoef);
  EXPECT_EQ(bytesOf(w), before);
  // An open wireframe closed with a closing segment outside its tolerance.
  zc2Wireframe open;
  open.insertVertex(zcPoint(0, 0), 0, zcRadian(0), kWide);
  open.insertVertex(zcPoint(3, 0), 0, zcRadian(0), kWide);
  open.insertVertex(zcPoint(3, 4), 0, zcRadian(0), kWide);
  const Bytes openBytes = bytesOf(open);
  EXPECT_THROW(open.close(zcRadian(0), tooLong), zcShapesError::BadGeom);
  EXPECT_EQ(bytesOf(open), openBytes);
  EXPECT_THROW(zc2Wireframe(zcGenPoly(zcRect(0, 0, 10, 4)), tooLong), zcShapesError::BadGeom);
}

TEST(WireframePolarity, FlagsHookAndMirrors) {
  Counted w(zcGenPoly(zcRect(0, 0, 10, 4)));
  EXPECT_FALSE(w.isPolarityReversed());
  EXPECT_TRUE(w.isInsidePositive());  // counter-clockwise
  w.polarity(true);
  w.polarity(true);
  EXPECT_TRUE(w.isPolarityReversed());
  EXPECT_EQ(w.told, std::vector<bool>{true});
  EXPECT_FALSE(w.isInsidePositive());
  w.polarity(false);
  EXPECT_EQ(w.told, (std::vector<bool>{true, false}));
  // A mirror flips the answer; insidePolarity then sets it, without the hook.
  const std::vector<zcXform<2>> maps = {zcXform<2>::scaling(1, -1), zcXform<2>::scaling(-3, 1),
                                        zcXform<2>(zcMatrix<2>(0, 1, 1, 0), zcVector<2>())};
  for (const zcXform<2>& m : maps) {
    zc2Wireframe mirrored = w.map(m);
    EXPECT_FALSE(mirrored.isInsidePositive());
    for (const bool x : {true, false, true}) {
      mirrored.insidePolarity(x);
      EXPECT_EQ(mirrored.isInsidePositive(), x);
    }
  }
  w.insidePolarity(false);
  EXPECT_TRUE(w.isPolarityReversed());
  EXPECT_EQ(w.told.size(), 2u);
  zc2Wireframe open;
  open.insertVertex(zcPoint(0, 0), 0, zcRadian(0));
  open.insertVertex(zcPoint(1, 0), 0, zcRadian(0));
  EXPECT_THROW(open.isInsidePositive(), zcShapesError::BadGeom);
  // Polarity is part of the poly: equality sees it, and the arrows turn round.
  zc2Wireframe a = box(), b = box();
  b.polarity(true);
  EXPECT_FALSE(a == b);
  zcLoggingScope scopeA, scopeB;
  a.drawToScope(zcGraphicProps(), scopeA);
  b.drawToScope(zcGraphicProps(), scopeB);
  ASSERT_EQ(scopeA.calls().size(), scopeB.calls().size());
  EXPECT_NE(scopeA.calls(), scopeB.calls());
  // The first arrow's first arm: from the same tip, the other way round.
  const std::vector<double> armA = zc_test::numbersIn(scopeA.callsOf("drawLineSeg")[4]);
  const std::vector<double> armB = zc_test::numbersIn(scopeB.callsOf("drawLineSeg")[4]);
  EXPECT_EQ(armA[0], armB[0]);
  EXPECT_EQ(armA[1], armB[1]);
  EXPECT_NEAR(armA[2] - armA[0], -(armB[2] - armB[0]), 1e-12);
  EXPECT_NEAR(armA[3] - armA[1], -(armB[3] - armB[1]), 1e-12);
  EXPECT_NE(armA[2], armA[0]);
}

TEST(WireframeShape, MapsComparisonAndThePolyItHolds) {
  const zc2Wireframe w = box();
  const zc2Wireframe mapped = w.map(zcXform<2>::rotation(zcRadian(0.4)));
  EXPECT_FALSE(mapped.isEditable());
  EXPECT_TRUE(w.map(zc2Rigid(zcRadian(0.4), zcVector<2>(1, 1)), 2.0).isEditable());
  EXPECT_EQ(typeid(*w.clone()), typeid(zc2Wireframe));
  // A wireframe and its polygon are different shapes, equal as polygons.
  const zcGenPoly polygon(w);
  EXPECT_TRUE(static_cast<const zcGenPoly&>(w) == polygon);
  EXPECT_FALSE(static_cast<const zcShape&>(w) == static_cast<const zcShape&>(polygon));
  EXPECT_TRUE(static_cast<const zcShape&>(w) == static_cast<const zcShape&>(box()));
  // The SMD poly of a wireframe: the held poly with its name, whatever the transform.
  const zcSMDGDPoly held(mapped, L"other");
  EXPECT_EQ(held.name(), L"poly");
  EXPECT_TRUE(held == zcSMDGDPolyPrivate::poly(w));
  EXPECT_TRUE(zcSMDGDPolyPrivate::wireframeXform(mapped) == mapped.xform());
}

TEST(WireframeArchive, RoundTripsVersionsAndSimpleForm) {
  zc2Wireframe w = box();
  w.polarity(true);
  for (const zc2Wireframe& x : {w, w.map(zcXform<2>::scaling(2, 3))}) {
    const Bytes bytes = bytesOf(x);
    zcArchive in(bytes);
    zc2Wireframe back;
    in || back;
    EXPECT_TRUE(back == x);
    EXPECT_TRUE(back.isPolarityReversed());
    EXPECT_EQ(bytesOf(back), bytes);
    zc_test::expectShapeRoundTrip(x);  // as a shape pointer: the class comes back
  }
  // The wireframe's version byte comes first, the polygon's second.
  const struct {
    std::size_t at;
    std::string where;
    long line;
  } versions[] = {{8, "dispc/wrfm/wirefrm", 148}, {9, "dispc/wrfm/genpoly", 751}};
  for (const auto& v : versions) {
    Bytes bad = bytesOf(w);
    bad[v.at] = 1;
    zcArchive in(bad);
    zc2Wireframe target = box();
    try {
      in || target;
      ADD_FAILURE() << "version accepted at " << v.at;
    } catch (const zcArchive::UnknownVersion& e) {
      EXPECT_EQ(e.where(), v.where);
      EXPECT_EQ(e.line(), v.line);
    }
    EXPECT_TRUE(target == box());
  }
  // The simple form: shape part, the wireframe's signed version, the polygon's.
  for (signed char version : {0, 3}) {
    zcArchive out;
    unsigned char shapeVersion = 0;
    signed char polyVersion = 0;
    zcSMDGDPoly poly = zcSMDGDPolyPrivate::poly(w);
    zcXform<2> x;
    bool editable = true;
    out || shapeVersion || version || polyVersion || poly || x || editable;
    zcArchive in(out.bytes());
    zc2Wireframe loaded;
    if (version == 0) {
      loaded.loadSimple(in);
      EXPECT_TRUE(loaded == w);
      continue;
    }
    try {
      loaded.loadSimple(in);
      ADD_FAILURE() << "version 3 accepted";
    } catch (const zcArchive::UnknownVersion& e) {
      EXPECT_EQ(e.where(), "dispc/wrfm/wirefrm");
      EXPECT_EQ(e.line(), 131);
    }
  }
}
