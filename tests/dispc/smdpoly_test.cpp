#include "dispc/wrfm/smdpoly.h"

#include "dispc/uierror.h"

#include "zfound/archive.h"

#include "support/archive_bytes.h"
#include "support/smdpoly_builders.h"
#include "zfound/checks.h"
#include "wrfm/smdpoly_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

namespace {

using Poly = zcSMDGDPoly;
using Vertex = zcSMDGDPolyVertex;
using Priv = zcSMDGDPolyPrivate;
using Bytes = std::vector<unsigned char>;

constexpr double kTol = 1e-9;

using zc_test::arcVx;
using zc_test::build;
using zc_test::square;
using zc_test::tolVx;
using zc_test::vx;

Bytes bytesOf(const Poly& p) { return zc_test::ownBytes(p); }

Poly load(const Bytes& bytes) {
  Poly p(L"other");
  zcArchive in(bytes);
  in || p;
  EXPECT_EQ(in.remaining(), 0u);
  return p;
}

// Runs an edit that must fail with E and leave the poly byte for byte as it was.
template <class E>
void expectRefused(Poly& p, const std::function<void(Poly&)>& edit, const char* what) {
  SCOPED_TRACE(what);
  const Bytes before = bytesOf(p);
  EXPECT_THROW(edit(p), E);
  EXPECT_EQ(bytesOf(p), before);
}

void expectNear(const zcVector<2>& a, const zcVector<2>& b) {
  EXPECT_NEAR(a.x(), b.x(), kTol);
  EXPECT_NEAR(a.y(), b.y(), kTol);
}

// The exception class name of what `f` throws, "none" when it returns.
std::string outcomeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const zcException& e) {
    return typeid(e).name();
  }
  return "none";
}

}  // namespace

TEST(SMDPolyModel, NewPolyIsOpenEmptyAndNamedPoly) {
  const Poly p;
  EXPECT_TRUE(p.isOpen());
  EXPECT_FALSE(p.isClosed());
  EXPECT_EQ(p.numVertices(), 0);
  EXPECT_EQ(p.numSegments(), 0);
  EXPECT_EQ(p.weight(), 1.0);
  EXPECT_EQ(p.name(), L"poly");
  EXPECT_FALSE(p.isDirectionReversed());
  EXPECT_TRUE(p.colors().wireframeDefaultColor() == zcColor::greenColor());
  EXPECT_TRUE(p.colors().syntheticDefaultColor() == zcColor::ltGreyColor());
  EXPECT_TRUE(p.colors().syntheticBackgroundColor() == zcColor::dkGreyColor());
  EXPECT_TRUE(p.positiveArrowColor() == zcColor::greenColor());
  EXPECT_TRUE(p.negativeArrowColor() == zcColor::greenColor());
  EXPECT_THROW(p.vertex(0), Poly::invalidIndex);
  EXPECT_THROW(p.vertexIndex_(0, true), Poly::invalidIndex);
  EXPECT_THROW(p.firstSegmentIndex_(), Poly::invalidIndex);
  EXPECT_TRUE(p.boundingBox().isEmpty());
}

TEST(SMDPolyIndexing, OpenPolyNumbersSegmentsByTheirArrivingVertex) {
  Poly p = build({vx(0, 0), vx(4, 0)}, false);
  EXPECT_EQ(p.numSegments(), 1);
  EXPECT_EQ(p.firstSegmentIndex_(), 1);
  EXPECT_EQ(p.lastSegmentIndex_(), 1);
  EXPECT_EQ(p.previousVertexIndex_(1), 0);
  EXPECT_EQ(p.nextVertexIndex_(1), 1);
  EXPECT_THROW(p.previousVertexIndex_(0), Poly::invalidIndex);  // no segment 0 when open
  EXPECT_THROW(p.nextVertexIndex_(0), Poly::invalidIndex);
  EXPECT_EQ(p.previousSegmentIndex_(0), -1);
  EXPECT_EQ(p.nextSegmentIndex_(1), -1);
  EXPECT_TRUE(p.isEndVertex_(0));
  EXPECT_TRUE(p.isEndVertex_(1));
  EXPECT_DOUBLE_EQ(p.segmentLength_(1), 4.0);

  p << vx(4, 3, 1.0);  // an end vertex is never rounded, whatever its radius
  EXPECT_FALSE(p.isVertexRounded_(2));
  EXPECT_EQ(p.lastSegmentIndex_(), 2);
  EXPECT_FALSE(p.isEndVertex_(1));
}

TEST(SMDPolyIndexing, ClosedSquareHasClosingSegmentZero) {
  const Poly p = square();
  EXPECT_EQ(p.numSegments(), 4);
  EXPECT_EQ(p.previousVertexIndex_(0), 3);
  EXPECT_EQ(p.nextVertexIndex_(0), 0);
  EXPECT_EQ(p.previousSegmentIndex_(0), 0);
  EXPECT_EQ(p.nextSegmentIndex_(3), 0);
  EXPECT_EQ(p.firstSegmentIndex_(), 1);
  EXPECT_EQ(p.lastSegmentIndex_(), 0);
  EXPECT_FALSE(p.isEndVertex_(0));
  EXPECT_EQ(p.vertexIndex_(-1, true), 3);
  EXPECT_EQ(p.vertexIndex_(9, true), 1);
  EXPECT_THROW(p.vertexIndex_(4, false), Poly::invalidIndex);
  EXPECT_THROW(p.vertexIndex_(-1, false), Poly::invalidIndex);
  const zc2SegmentLine closing = p.lineSegment_(0);
  expectNear(closing.p1(), zcPoint(0, 10));
  expectNear(closing.p2(), zcPoint(0, 0));
  EXPECT_DOUBLE_EQ(Priv::vertexAngle(p, 1).value(), 90.0);  // left turn
}

TEST(SMDPolyRounding, SquareCornerOfRadiusTwo) {
  const Poly p = square(2.0);
  expectNear(p.roundPoint_(1), zcPoint(8, 2));
  expectNear(Priv::roundPoint(p, 1), zcPoint(8, 2));
  expectNear(Priv::roundPoint(p, 2), zcPoint(10, 10));  // sharp: the vertex itself
  expectNear(p.roundedStartPoints()[1], zcPoint(8, 0));
  expectNear(p.roundedEndPoints()[1], zcPoint(10, 2));
  EXPECT_NEAR(p.roundedSpans()[1], 90.0, kTol);
  // Sharp corners keep their point and no span.
  for (long v : {0L, 2L, 3L}) {
    EXPECT_EQ(p.roundedStartPoints()[v], p.vertex(v).point());
    EXPECT_EQ(p.roundedEndPoints()[v], p.vertex(v).point());
    EXPECT_EQ(p.roundedSpans()[v], 0.0);
  }
  const zc2SegmentArc arc = p.roundedArcVertex_(1);
  expectNear(arc.center(), zcPoint(8, 2));
  EXPECT_NEAR(arc.length(), zkPi, kTol);
  EXPECT_NEAR(p.roundedSegmentLength_(1), 8.0, kTol);
  EXPECT_NEAR(p.roundedSegmentLength_(2), 8.0, kTol);
  EXPECT_NEAR(p.segmentLength_(1), 10.0, kTol);

  // A negative radius is an uncertain rounding of the same size.
  const Poly uncertain = square(-2.0);
  EXPECT_TRUE(uncertain.isRoundingUncertain_(1));
  EXPECT_DOUBLE_EQ(uncertain.vertexRadius_(1), 2.0);
  EXPECT_EQ(uncertain.roundedStartPoints(), p.roundedStartPoints());
  EXPECT_EQ(uncertain.roundedEndPoints(), p.roundedEndPoints());

  // A clockwise square turns right at each corner and rounds to the other side.
  const Poly cw = build({vx(0, 0), vx(0, 10), vx(10, 10, 2.0), vx(10, 0)}, true);
  EXPECT_DOUBLE_EQ(Priv::vertexAngle(cw, 2).value(), -90.0);
  expectNear(cw.roundPoint_(2), zcPoint(8, 8));
  EXPECT_NEAR(cw.roundedSpans()[2], -90.0, kTol);
}

TEST(SMDPolyRounding, CornerUsesHalfAnInnerSegmentAndAllOfAnEndSegment) {
  // Radius 6 needs 6 of each adjacent side: more than half of the square's sides.
  Poly p = square();
  expectRefused<Poly::invalidRounding>(p, [](Poly& q) { q.replaceVertex(1, vx(10, 0, 6.0)); }, "inner halves");
  p.replaceVertex(1, vx(10, 0, 5.0));  // exactly half fits
  expectNear(p.roundPoint_(1), zcPoint(5, 5));

  // In an open chain the first and the last segment lend all of their length.
  Poly open = build({vx(0, 0), vx(10, 0, 6.0), vx(10, 10)}, false);
  expectNear(open.roundPoint_(1), zcPoint(4, 6));
  // The same corner with a further vertex: segment 2 is inner now, so 6 > 5 fails.
  expectRefused<Poly::invalidRounding>(open, [](Poly& q) { q << vx(20, 10); }, "inner now");
  // An end vertex keeps its radius unused; once inner on a straight line it fails.
  Poly straight = build({vx(0, 0), vx(10, 0), vx(10, 10, 1.0)}, false);
  expectRefused<Poly::invalidRounding>(straight, [](Poly& q) { q << vx(10, 20); }, "straight");
}

TEST(SMDPolyRounding, RoundingBetweenLineAndArcIsTangentToBoth) {
  // A line along y = 0 into a corner at (10, 0), then a quarter circle up to (10, 10)
  // around (5, 5), bulging to the right: the outline turns left by 45 degrees there.
  const double r = 1.5;
  const double big = std::sqrt(50.0);
  const Poly p = build({vx(0, 0), vx(10, 0, r), arcVx(10, 10, 90), vx(0, 10)}, true);
  const zc2SegmentArc seg = p.arcSegment_(2);
  expectNear(seg.center(), zcPoint(5, 5));
  EXPECT_NEAR(Priv::vertexAngle(p, 1).value(), 135.0, kTol);
  const zcVector<2> c = p.roundPoint_(1);
  // Tangent to the line from above and to the circle from inside.
  EXPECT_NEAR(c.y(), r, kTol);
  EXPECT_NEAR(c.distance(seg.center()), big - r, kTol);
  const zcVector<2> start = p.roundedStartPoints()[1];
  const zcVector<2> end = p.roundedEndPoints()[1];
  expectNear(start, zcPoint(c.x(), 0));
  EXPECT_NEAR(end.distance(seg.center()), big, kTol);
  EXPECT_NEAR(end.distance(c), r, kTol);
  EXPECT_GT(p.roundedSpans()[1], 0.0);
  // The rounded arc segment starts where the rounding ends and keeps its circle.
  const zc2SegmentArc trimmed = p.roundedArcSegment_(2);
  expectNear(trimmed.p1(), end);
  expectNear(trimmed.p2(), zcPoint(10, 10));
  expectNear(trimmed.center(), seg.center());
  EXPECT_LT(trimmed.length(), seg.length());
  EXPECT_NEAR(p.segmentLength_(2), big * zkPi / 2, kTol);
  EXPECT_NEAR(p.segmentStartDirection_(2).value(), 45.0, kTol);
  EXPECT_NEAR(p.segmentEndDirection_(2).value(), 135.0, kTol);
}

TEST(SMDPolyEditing, InsertReplaceDeleteMaintainCachesAndLabels) {
  Poly p;
  p.insertVertex(-1, vx(10, 0, 0, 7));
  p.insertVertex(-1, vx(0, 0, 0, 3));  // in front
  p.insertVertex(1, vx(10, 10, 0, 7));
  p.insertVertex(2, vx(0, 10, 0, -1));
  ASSERT_EQ(p.numVertices(), 4);
  expectNear(p.vertex(0).point(), zcPoint(0, 0));
  expectNear(p.vertex(2).point(), zcPoint(10, 10));
  EXPECT_EQ(p.subModelLabels(), (std::vector<std::int32_t>{7, 3}));  // order of insertion
  EXPECT_EQ(p.roundedStartPoints().size(), 4u);
  EXPECT_THROW(p.insertVertex(4, vx(5, 5)), Poly::invalidIndex);
  EXPECT_THROW(p.insertVertex(-2, vx(5, 5)), Poly::invalidIndex);

  p.close();
  p.replaceVertex(1, vx(10, 0, 2.0, 4));  // rebuilt in vertex order
  EXPECT_EQ(p.subModelLabels(), (std::vector<std::int32_t>{3, 4, 7}));
  expectNear(p.roundedStartPoints()[1], zcPoint(8, 0));

  p.deleteVertex(2);  // the triangle (0,0) (10,0) (0,10): the rounding follows
  EXPECT_EQ(p.numVertices(), 3);
  EXPECT_EQ(p.subModelLabels(), (std::vector<std::int32_t>{3, 4}));
  const double half = 0.5 * std::sqrt(2.0);
  // A corner of 45 degrees: the arc starts 2 / tan(22.5) before it.
  EXPECT_NEAR(Priv::vertexAngle(p, 1).value(), 45.0, kTol);
  const double back = 2.0 / std::tan(22.5 * zkPi / 180.0);
  expectNear(p.roundedStartPoints()[1], zcPoint(10 - back, 0));
  expectNear(p.roundedEndPoints()[1], zcPoint(10 - back * half, back * half));

  p.vertices({vx(0, 0), vx(4, 0), vx(4, 4)});
  EXPECT_TRUE(p.isClosed());
  EXPECT_EQ(p.numVertices(), 3);
  EXPECT_TRUE(p.subModelLabels().empty());
  p.vertices(p.vertices());  // its own list
  EXPECT_EQ(p.numVertices(), 3);
}

// Refusals of every kind of edit are in SMDPolyRollback; these are the rules' limits.
TEST(SMDPolyValidation, RoundingReachLabelSharesAndTwoVertexPolys) {
  // A rounding whose arc reaches into another segment: the notch at x = 9 passes
  // within 1 of the corner (10, 0) but outside the sharp corner's rounding of 0.5.
  Poly notch = build({vx(0, 0), vx(10, 0), vx(10, 10), vx(9.2, 10), vx(9.2, 1.5), vx(0, 1.5)}, false);
  expectRefused<Poly::crossingSegments>(notch, [](Poly& q) { q.replaceVertex(1, vx(10, 0, 4.0)); }, "reach");
  notch.replaceVertex(1, vx(10, 0, 0.5));
  // Two neighbours of one sub-model may claim all of their segment (0.6 + 0.4); −1 and
  // different labels claim nothing.
  build({Vertex(zcPoint(0, 0), 0.0, 0.5, 0.6, 5), Vertex(zcPoint(10, 0), 0.0, 0.4, 0.5, 5)}, false);
  build({Vertex(zcPoint(0, 0), 0.0, 0.5, 0.9, -1), Vertex(zcPoint(10, 0), 0.0, 0.9, 0.5, -1)}, false);
  EXPECT_EQ(build({Vertex(zcPoint(0, 0), 0.0, 0.5, 0.9, 1), Vertex(zcPoint(10, 0), 0.0, 0.9, 0.5, 2)}, false)
                .numVertices(),
            2);
  // Coincident points and a length outside its tolerance when appended one by one.
  EXPECT_THROW(Poly().vertices({vx(1, 1), vx(1, 1)}), zcShapesError::DegenerateShape);
  const zcDimTol tight(4.0, 3.0, 4.5, zcDimTol::eLimits);
  EXPECT_THROW(build({vx(0, 0), tolVx(4.2, 0, tight), tolVx(4.2, 5, tight)}, false),
               zcSMDGDPolyVertex::invalidSegmentLength);
  // A closed poly needs two vertices.
  EXPECT_THROW(build({vx(0, 0)}, true), zcShapesError::DegenerateShape);
  Poly closedPair = build({arcVx(0, 0, 180), arcVx(4, 0, 180)}, true);
  expectRefused<Poly::invalidVertices>(closedPair, [](Poly& q) { q.deleteVertex(0); }, "delete to one");
}

TEST(SMDPolyRollback, EveryRefusedEditLeavesTheBytesUnchanged) {
  Poly p = square(2.0);
  p.toggleDirection();
  p.weight(0.25);
  const Vertex far = vx(5, 20);

  expectRefused<Poly::invalidIndex>(p, [&](Poly& q) { q.insertVertex(4, far); }, "insert index");
  expectRefused<Poly::invalidIndex>(p, [&](Poly& q) { q.replaceVertex(-1, far); }, "replace index");
  expectRefused<Poly::invalidIndex>(p, [](Poly& q) { q.deleteVertex(4); }, "delete index");
  expectRefused<zcShapesError::DegenerateShape>(p, [](Poly& q) { q.insertVertex(2, vx(10, 10)); }, "insert twin");
  expectRefused<Poly::crossingSegments>(p, [](Poly& q) { q.insertVertex(3, vx(20, 5)); }, "insert crossing");
  expectRefused<Poly::crossingSegments>(p, [](Poly& q) { q.insertVertex(-1, vx(5, -5)); }, "insert first crossing");
  expectRefused<Poly::invalidRounding>(p, [](Poly& q) { q.insertVertex(-1, vx(0, 0.5, 3.0)); }, "insert rounding");
  expectRefused<Poly::invalidRounding>(p, [](Poly& q) { q.replaceVertex(1, vx(10, 0, 7.0)); }, "replace rounding");
  expectRefused<Poly::crossingSegments>(p, [](Poly& q) { q.replaceVertex(3, vx(12, 5)); }, "replace crossing");
  expectRefused<zcSMDGDPolyVertex::invalidSegmentLength>(
      p, [](Poly& q) { q.replaceVertex(2, Vertex(zcPoint(10, 10), 0.0, zcDegree(0), 0.5, 0.5, -1, zcDimTol(9, 8, 9.5))); },
      "replace tolerance");
  Poly labelled = p;
  labelled.replaceVertex(0, Vertex(zcPoint(0, 0), 0.0, 0.5, 0.6, 9));
  expectRefused<Poly::crossingSegments>(
      labelled, [](Poly& q) { q.replaceVertex(1, Vertex(zcPoint(10, 0), 2.0, 0.5, 0.5, 9)); }, "labels");
  expectRefused<Poly::crossingSegments>(p, [](Poly& q) { q.vertices({vx(0, 0), vx(10, 10), vx(10, 0), vx(0, 10)}); },
                                        "all crossing");
  expectRefused<Poly::invalidVertices>(p, [](Poly& q) { q.deleteAllVertices(); }, "delete all of closed");
  expectRefused<Poly::invalidVertices>(p, [](Poly& q) { q.vertices({vx(1, 1)}); }, "one vertex closed");

  // Deleting a vertex that held two segments apart.
  Poly hook = build({vx(0, 0), vx(10, 0), vx(10, 10), vx(2, 10), vx(2, 3), vx(8, 3), vx(8, 7)}, false);
  expectRefused<Poly::crossingSegments>(hook, [](Poly& q) { q.deleteVertex(2); }, "delete crossing");
  // Closing refused: a closing segment across the chain, or no vertices at all.
  expectRefused<Poly::crossingSegments>(hook, [](Poly& q) { q.close(); }, "close crossing");
  Poly empty;
  expectRefused<Poly::invalidVertices>(empty, [](Poly& q) { q.close(); }, "close empty");
  // The same refusals through operator<<.
  expectRefused<Poly::crossingSegments>(hook, [](Poly& q) { q << vx(5, 12); }, "append crossing");
  expectRefused<zcShapesError::DegenerateShape>(hook, [](Poly& q) { q << vx(8, 7); }, "append twin");
}

TEST(SMDPolyRollback, OpenStaysOpenWhenItsCheckFails) {
  // Vertex 0 is rounded; a tongue of the outline reaches into the sharp corner that the
  // rounding cuts off. Opened, vertex 0 turns sharp and segment 1 runs into the tongue.
  Poly p = build({vx(0, 0, 3.0), vx(10, 0), vx(10, 10), vx(-5, 10), vx(-5, -5), vx(0, 8)}, true);
  p.insertVertex(4, vx(-1, 8));
  p.insertVertex(4, vx(-1, 2));
  p.insertVertex(4, vx(0.5, 0.5));
  p.insertVertex(4, vx(0.5, -5));
  ASSERT_EQ(p.numVertices(), 10);
  EXPECT_THROW(p.open(), Poly::crossingSegments);
  EXPECT_TRUE(p.isOpen());
  // A later valid edit checks the whole chain again and refuses to go on from there.
  EXPECT_THROW(p.vertices(p.vertices()), Poly::crossingSegments);
}

TEST(SMDPolyCompare, EqualityIgnoresNameLabelsAndCaches) {
  Poly a = square(2.0);
  Poly b(L"other name");
  b.vertices(a.vertices());
  EXPECT_TRUE(b != a);  // open against closed
  b.close();
  EXPECT_TRUE(b == a);
  b.weight(1.0 + 1e-14);
  EXPECT_TRUE(b != a);
  EXPECT_TRUE(zfRealEq(a, b, 1e-13));
  b.weight(1.0);
  b.toggleDirection();
  EXPECT_TRUE(b != a);
  b.toggleDirection();
  b.negativeArrowColor(zcColor::redColor());
  EXPECT_TRUE(b != a);
  b.negativeArrowColor(zcColor::greenColor());
  b.replaceVertex(2, vx(10, 10 + 1e-10));
  EXPECT_TRUE(b != a);
  EXPECT_TRUE(zfRealEq(a, b, 1e-9));
  EXPECT_FALSE(zfRealEq(a, b, 1e-11));
}

TEST(SMDPolyTransform, ScalingAndRigidMapsRecomputeTheCaches) {
  const Poly p = square(2.0);
  const Poly doubled = 2.0 * p;
  ASSERT_EQ(doubled.numVertices(), 4);
  for (long v = 0; v < 4; ++v) expectNear(doubled.vertex(v).point(), p.vertex(v).point() * 2.0);
  EXPECT_DOUBLE_EQ(doubled.vertex(1).vertexRadius(), 4.0);
  expectNear(doubled.roundedStartPoints()[1], zcPoint(16, 0));
  expectNear(doubled.roundedEndPoints()[1], zcPoint(20, 4));
  EXPECT_TRUE(doubled.isClosed());

  const zc2Rigid turn(zcRadian(zkPi / 2), zcVector<2>(1, 0));
  const Poly turned = turn * p;
  expectNear(turned.roundPoint_(1), turn.mapPoint(zcPoint(8, 2)));
  expectNear(turned.roundedStartPoints()[1], turn.mapPoint(zcPoint(8, 0)));
  EXPECT_NEAR(turned.roundedSpans()[1], 90.0, kTol);
  // A negative factor turns the outline half round; the radii become uncertain ones of
  // the same size.
  const Poly flipped = -1.0 * p;
  EXPECT_TRUE(flipped.isRoundingUncertain_(1));
  expectNear(flipped.roundPoint_(1), zcPoint(-8, -2));
}

TEST(SMDPolyDimension, SegmentDimensionTakesThePresentLength) {
  const zcDimTol offsets(-1, 0.5, 1.0, zcDimTol::eOffsets);
  Poly p = build({vx(0, 0), Vertex(zcPoint(3, 4), 0.0, zcDegree(0), 0.5, 0.5, -1, offsets)}, false);
  const zcSMDDimension d = p.segmentDimension(1);
  EXPECT_DOUBLE_EQ(d.nomDim(), 5.0);
  EXPECT_DOUBLE_EQ(d.minDim(), 4.5);
  EXPECT_DOUBLE_EQ(d.maxDim(), 6.0);
  EXPECT_EQ(d.scaleType(), zcSMDDimension::eScaleNominal);
  EXPECT_THROW(p.segmentDimension(0), Poly::invalidIndex);
  const zcSMDDimension unset = build({vx(0, 0), vx(1, 0)}, false).segmentDimension(1);
  EXPECT_EQ(unset.nomDim(), 1.0);
  EXPECT_EQ(unset.minDim(), -1.0);
  EXPECT_EQ(unset.maxDim(), -1.0);
}

TEST(SMDPolyArchive, RoundTripOldVersionAndRefusals) {
  Poly p(L"body");
  p.vertices({Vertex(zcPoint(0, 0), 0.0, 0.5, 0.5, 2), vx(10, 0, 2.0), arcVx(10, 10, -30), vx(0, 10, -1.0)});
  p.close();
  p.toggleDirection();
  p.weight(0.75);
  p.positiveArrowColor(zcColor::redColor());
  zcSMDColors colors;
  colors.syntheticDefaultColor(zcColor(10, 20, 30));
  p.colors(colors);

  const Bytes bytes = bytesOf(p);
  const Poly back = load(bytes);
  EXPECT_TRUE(back == p);
  EXPECT_EQ(back.name(), L"body");
  EXPECT_EQ(back.subModelLabels(), p.subModelLabels());
  EXPECT_EQ(back.roundedStartPoints(), p.roundedStartPoints());
  EXPECT_EQ(back.roundedEndPoints(), p.roundedEndPoints());
  EXPECT_EQ(back.roundedSpans(), p.roundedSpans());
  EXPECT_EQ(bytesOf(back), bytes);
  // A loaded poly edits like any other.
  Poly edited = back;
  edited.replaceVertex(2, arcVx(10, 10, -20));
  EXPECT_NEAR(edited.segmentAngleSpan_(2).value(), -20.0, kTol);

  // Version 0 has no weight.
  Bytes v0 = bytes;
  ASSERT_EQ(v0[8], 1);
  v0[8] = 0;
  v0.resize(v0.size() - 8);
  EXPECT_EQ(load(v0).weight(), 1.0);

  // Refusals leave the target as it was.
  const Poly target = square(1.0);
  const Bytes targetBytes = bytesOf(target);
  const auto refuse = [&](const Bytes& input, const char* what) {
    SCOPED_TRACE(what);
    Poly t = target;
    zcArchive in(input);
    EXPECT_THROW(in || t, zcArchive::Errors);
    EXPECT_EQ(bytesOf(t), targetBytes);
    EXPECT_EQ(t.name(), L"poly");
  };
  Bytes v2 = bytes;
  v2[8] = 2;
  refuse(v2, "version 2");
  zcArchive in(v2);
  Poly t;
  zc_test::expectUnknownVersion([&] { in || t; }, "dispc/wrfm/smdpoly");
  for (std::size_t cut : {9ul, 20ul, bytes.size() / 2, bytes.size() - 1}) {
    refuse(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)), "truncated");
  }
  // The vertex list's count claims more vertices than bytes follow.
  Poly one(L"");
  one.vertices({vx(1, 2)});
  Bytes counted = bytesOf(one);
  // header 8, poly version 1, base version 1 + persistent 0 + name count 4 (empty):
  // the vertex list's version byte at 14, its count at 15.
  ASSERT_EQ(counted[14], 0);
  ASSERT_EQ(counted[15], 1);
  counted[15] = 0xff;
  counted[16] = 0xff;
  refuse(counted, "count");
  // The caches must have one entry per vertex: a span list of 0 entries for 1 vertex.
  // An empty poly has five empty lists of 5 bytes each after 14 bytes; what follows
  // them (flags, colors, weight) is the same tail in both.
  const std::size_t tail = bytesOf(Poly(L"")).size() - 14 - 25;
  Bytes noSpans = bytesOf(one);
  const std::size_t spanList = noSpans.size() - tail - 13;
  ASSERT_EQ(noSpans[spanList + 1], 1);
  noSpans[spanList + 1] = 0;
  noSpans.erase(noSpans.begin() + static_cast<long>(spanList + 5), noSpans.begin() + static_cast<long>(spanList + 13));
  refuse(noSpans, "cache count");
}

// --- Random polys: the pruned and indexed validations against the plain loops -------------

// A segment of a list without roundings, with formulas of its own: a line from a to b,
// or the arc from a to b turning through `span` degrees around c.
struct Seg {
  zcVector<2> a, b, c;
  double r = 0.0, span = 0.0;
  zcVector<2> at(double t) const {
    if (span == 0.0) return a + (b - a) * t;
    const double start = std::atan2(a.y() - c.y(), a.x() - c.x()) + span * zkPi / 180.0 * t;
    return c + zcVector<2>(std::cos(start), std::sin(start)) * r;
  }
  double distance(const zcVector<2>& p) const {
    double best = std::min(p.distance(a), p.distance(b));
    if (span == 0.0) {
      const double t = (p - a).dot(b - a) / (b - a).lengthSq();
      return t > 0.0 && t < 1.0 ? std::min(best, p.distance(a + (b - a) * t)) : best;
    }
    const double from = std::atan2(a.y() - c.y(), a.x() - c.x());
    double turn = (std::atan2(p.y() - c.y(), p.x() - c.x()) - from) * (span > 0.0 ? 1.0 : -1.0);
    turn = std::fmod(turn + 4 * zkPi, 2 * zkPi);
    if (turn <= std::abs(span) * zkPi / 180.0) best = std::min(best, std::abs(p.distance(c) - r));
    return best;
  }
};

// Whether the segments of a list without roundings really meet (other than where
// neighbours share their vertex): polylines of 64 points per segment cross, or a point
// of one lies on the other.
bool reallyCrosses(const std::vector<Vertex>& list, bool closed) {
  const long n = static_cast<long>(list.size());
  std::vector<Seg> segs;
  for (long s = closed ? 0 : 1; s < n; ++s) {
    Seg g;
    g.a = list[(s - 1 + n) % n].point();
    g.b = list[s].point();
    g.span = list[s].segmentAngleSpan().signedNorm().value() == 0.0 ? 0.0 : list[s].segmentAngleSpan().value();
    if (g.span != 0.0) {
      const zcVector<2> d = g.b - g.a;
      g.c = (g.a + g.b) * 0.5 + zcVector<2>(-d.y(), d.x()) / (2.0 * std::tan(g.span * zkPi / 360.0));
      g.r = g.c.distance(g.a);
    }
    segs.push_back(g);
  }
  const int k = 64;
  std::vector<std::vector<zcVector<2>>> pts(segs.size());
  std::vector<zcRect> boxes;
  for (std::size_t i = 0; i < segs.size(); ++i) {
    // Denser towards the ends, where neighbours may meet again close to their vertex.
    for (int u = 0; u < k; ++u) pts[i].push_back(segs[i].at(0.5 - 0.5 * std::cos(zkPi * u / (k - 1))));
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const zcVector<2>& p : pts[i]) {
      x0 = std::min(x0, p.x()), y0 = std::min(y0, p.y()), x1 = std::max(x1, p.x()), y1 = std::max(y1, p.y());
    }
    boxes.emplace_back(x0 - 1e-3, y0 - 1e-3, x1 - x0 + 2e-3, y1 - y0 + 2e-3);
  }
  const auto cross = [](zcVector<2> o, zcVector<2> p, zcVector<2> q) { return (p - o).cross(q - o); };
  for (std::size_t i = 0; i < segs.size(); ++i)
    for (std::size_t j = i + 1; j < segs.size(); ++j) {
      if (!boxes[i].intersects(boxes[j])) continue;
      const Seg &g = segs[i], &h = segs[j];
      std::vector<zcVector<2>> shared;
      if (g.b == h.a || g.a == h.b) shared.push_back(g.b == h.a ? g.b : g.a);
      if (g.b == h.a && g.a == h.b) shared.push_back(g.a);
      const double size = std::max(g.a.distance(g.b), h.a.distance(h.b));
      const auto away = [&](const zcVector<2>& p) {
        for (const zcVector<2>& q : shared)
          if (p.distance(q) < 1e-4 * size) return false;
        return true;
      };
      for (int u = 0; u < k; ++u) {
        const zcVector<2> &p = pts[i][u], &q = pts[j][u];
        if ((away(p) && h.distance(p) < 1e-9 * (1 + size)) || (away(q) && g.distance(q) < 1e-9 * (1 + size)))
          return true;
        if (u + 1 == k || !away(p) || !away(pts[i][u + 1])) continue;
        for (int w = 0; w + 1 < k; ++w) {
          const zcVector<2> &p2 = pts[i][u + 1], &q1 = pts[j][w], &q2 = pts[j][w + 1];
          if (away(q1) && away(q2) && cross(p, p2, q1) * cross(p, p2, q2) < 0 && cross(q1, q2, p) * cross(q1, q2, p2) < 0)
            return true;
        }
      }
    }
  return false;
}

// Three kinds of random lists: stars around the origin with every kind of fault; short
// chains far from the origin with arcs of ±6 and ±20 degrees; and stars that double back
// along one of their lines or circles, which must be refused.
enum class Kind { eStar, eFarArcs, eDoublingBack };

std::vector<Vertex> randomList(std::mt19937& rng, Kind kind, bool& closed) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const bool big = unit(rng) < 0.06;
  const int n = big ? 64 + static_cast<int>(unit(rng) * 30) : 3 + static_cast<int>(unit(rng) * 25);
  closed = unit(rng) < 0.7;
  std::vector<Vertex> list;
  if (kind == Kind::eFarArcs) {
    // Along a circle of radius 1000, steps of 0.63, some vertices moved by up to 0.3.
    const double a0 = unit(rng) * 2 * zkPi, spans[] = {0.0, 6.0, -6.0, 20.0, -20.0};
    for (int i = 0; i < n; ++i) {
      const double a = a0 + 0.00063 * i, r = 1000.0 - (unit(rng) < 0.3 ? 1.5 : 0.0);
      zcPoint p(r * std::cos(a), r * std::sin(a));
      if (unit(rng) < 0.3) p = p + zcVector<2>(unit(rng) - 0.5, unit(rng) - 0.5) * 0.6;
      list.emplace_back(p, 0.0, zcDegree(spans[static_cast<int>(unit(rng) * 5)]), 0.5, 0.5, -1, zcDimTol());
    }
    return list;
  }
  const bool plainStar = kind == Kind::eDoublingBack;
  std::vector<double> angles(n);
  for (double& a : angles) a = unit(rng) * 2 * zkPi;
  std::sort(angles.begin(), angles.end());
  for (int i = 0; i < n; ++i) {
    const double rad = 5 + 10 * unit(rng);
    zcPoint p(rad * std::cos(angles[i]), rad * std::sin(angles[i]));
    if (!plainStar && unit(rng) < 0.06) p = zcPoint(unit(rng) * 20 - 10, unit(rng) * 20 - 10);  // may cross
    const double radius = !plainStar && unit(rng) < 0.3 ? unit(rng) * (unit(rng) < 0.05 ? 8.0 : 0.25) : 0.0;
    const double span = unit(rng) < 0.15 ? (unit(rng) - 0.5) * 60 : 0.0;
    const std::int32_t label = !plainStar && unit(rng) < 0.1 ? 1 : -1;
    zcDimTol tol;
    if (!plainStar && unit(rng) < 0.01) tol = zcDimTol(-1, 0.1, 0.2, zcDimTol::eLimits);  // no length fits
    list.emplace_back(p, radius, zcDegree(span), unit(rng) < 0.1 && !plainStar ? 0.8 : 0.5, 0.5, label, tol);
    if (!plainStar && unit(rng) < 0.005) list.push_back(list.back());  // coincident points
  }
  if (!plainStar) return list;
  // Back from vertex k along the segment that arrived at it, by the fraction f.
  const int k = 1 + static_cast<int>(unit(rng) * (n - 1));
  const double f = 0.1 + 0.8 * unit(rng), span = list[k].segmentAngleSpan().value();
  const zcVector<2> a = list[k - 1].point(), b = list[k].point(), d = b - a;
  zcVector<2> back = b + (a - b) * f;
  if (span != 0.0) {
    const zcVector<2> c = (a + b) * 0.5 + zcVector<2>(-d.y(), d.x()) / (2.0 * std::tan(span * zkPi / 360.0));
    const double t = std::atan2(b.y() - c.y(), b.x() - c.x()) - span * f * zkPi / 180.0;
    back = c + zcVector<2>(std::cos(t), std::sin(t)) * c.distance(a);
  }
  list.insert(list.begin() + k + 1, Vertex(back, 0.0, zcDegree(-span * f), 0.5, 0.5, -1, zcDimTol()));
  return list;
}

TEST(SMDPolyPruning, EveryFormAgreesWithThePlainLoopsOnRandomPolys) {
  const unsigned kSeeds = 200;
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const char* names[] = {"star", "far arcs", "doubling back"};
  const std::string crossing = typeid(Poly::crossingSegments).name();
  for (Kind kind : {Kind::eStar, Kind::eFarArcs, Kind::eDoublingBack}) {
    int outcomes[3] = {0, 0, 0};  // accepted, crossing, other refusals
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
      std::mt19937 rng(seed * 3 + static_cast<unsigned>(kind));
      bool closed = false;
      const std::vector<Vertex> list = randomList(rng, kind, closed);
      // The one line a failure prints: the seed and the case, ready to paste.
      const auto where = [&](const char* step) {
        return std::string(names[static_cast<int>(kind)]) + " seed " + std::to_string(seed) + " " + step + ": " +
               zc_test::cppOf(list, closed);
      };
      const auto pair = [&] {
        std::pair<Poly, Poly> p{closed ? Poly::circle(1, zcPoint(0, 0)) : Poly(), Poly()};
        p.second = p.first;
        Priv::Index::usePlainChecks(p.second, true);
        return p;
      };
      // The same edit on both polys: the same outcome and, when accepted, the same bytes.
      const auto both = [&](std::pair<Poly, Poly>& p, const std::function<void(Poly&)>& edit, const char* step) {
        const std::string a = outcomeOf([&] { edit(p.first); }), b = outcomeOf([&] { edit(p.second); });
        EXPECT_EQ(a, b) << where(step);
        EXPECT_TRUE(bytesOf(p.first) == bytesOf(p.second)) << where(step);
        return a;
      };
      auto whole = pair();
      const std::string a = both(whole, [&](Poly& p) { p.vertices(list); }, "vertices");
      ++outcomes[a == "none" ? 0 : a == crossing ? 1 : 2];
      EXPECT_TRUE(kind != Kind::eDoublingBack || a == crossing) << where("vertices");
      const bool checkable = std::all_of(list.begin(), list.end(), [](const Vertex& v) {
        return v.vertexRadius() == 0.0 && v.subModelLabel() == -1;
      });
      EXPECT_TRUE(a != crossing || !checkable || reallyCrosses(list, closed)) << where("crossing not found");
      if (a != "none" && a != crossing && kind == Kind::eFarArcs) ADD_FAILURE() << where(a.c_str());

      auto appended = pair();
      appended.first = appended.second = Poly();
      Priv::Index::usePlainChecks(appended.second, true);
      for (const Vertex& v : list) both(appended, [&](Poly& p) { p << v; }, "append");
      if (closed && !list.empty()) both(appended, [](Poly& p) { p.close(); }, "close");
      if (a != "none") continue;
      // Edits of the valid poly, also starting from a loaded copy that knows nothing of
      // its pieces.
      const long n = static_cast<long>(list.size());
      const long v = static_cast<long>(unit(rng) * n);
      const double rad = 4 + 12 * unit(rng), ang = unit(rng) * 2 * zkPi;
      const Vertex moved(zcPoint(rad * std::cos(ang), rad * std::sin(ang)), unit(rng) < 0.5 ? unit(rng) : 0.0,
                         zcDegree(unit(rng) < 0.2 ? 40.0 : 0.0), 0.5, 0.5, -1, zcDimTol());
      std::pair<Poly, Poly> loaded{load(bytesOf(whole.first)), load(bytesOf(whole.first))};
      Priv::Index::usePlainChecks(loaded.second, true);
      both(loaded, [&](Poly& p) { p.replaceVertex(v, moved); }, "replace loaded");
      both(whole, [&](Poly& p) { p.replaceVertex(v, moved); }, "replace");
      both(whole, [&](Poly& p) { p.insertVertex(v - 1, moved); }, "insert");
      both(whole, [&](Poly& p) { p.deleteVertex((v + n / 2) % p.numVertices()); }, "delete");
    }
    // The random polys must exercise every outcome, or the comparison proves little.
    EXPECT_GT(outcomes[0], kind == Kind::eDoublingBack ? -1 : 40) << names[static_cast<int>(kind)];
    EXPECT_GT(outcomes[1], 20) << names[static_cast<int>(kind)];
    EXPECT_GT(outcomes[2], kind == Kind::eStar ? 20 : -1);
  }
}

// Large gears with arcs of ±6 and ±20 degrees, in one call and vertex by vertex; the
// same gear with vertex 6 pulled past the next tooth's flank is refused both ways.
TEST(SMDPolyPruning, LargeGearsWithArcsAreAcceptedAndACrossedOneRefused) {
  for (double span : {6.0, 20.0}) {
    std::vector<Vertex> list = zc_test::gear(10000, span);
    Poly whole;
    whole.vertices(list);
    whole.close();
    EXPECT_TRUE(whole.isClosed());
    EXPECT_TRUE(bytesOf(whole) == bytesOf(build(list, true))) << span;

    const double a = 2.0 * zkPi * 8.5 / 10000;
    list[6] = Vertex(zcPoint(999.5 * std::cos(a), 999.5 * std::sin(a)), 0.0, 0.5, 0.5, -1);
    EXPECT_THROW(Poly().vertices(list), Poly::crossingSegments) << span;
    EXPECT_THROW(build(list, true), Poly::crossingSegments) << span;
  }
}

TEST(SMDColors, ComparisonAndArchive) {
  const zcSMDColors d(zcColor::redColor(), zcColor(1, 2, 3), zcColor::blackColor());
  EXPECT_TRUE(zcSMDColors() != d);
  Bytes v2 = zc_test::expectOwnRoundTrip(d);
  // Version 0 carries nothing and leaves the colors alone.
  zcSMDColors kept(d);
  zcArchive old(Bytes{'z', 'f', 'A', 'R', 1, 0, 0, 0, 0});
  old || kept;
  EXPECT_TRUE(kept == d);
  v2[8] = 2;
  zc_test::expectRefused<zcArchive::UnknownVersion>(v2, zcSMDColors());
}
