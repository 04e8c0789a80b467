// The SMD poly: its model, validation and rollback, archive, and the operations on it.
#include "dispc/wrfm/smdpoly.h"
#include "dispc/wrfm/smdmodel.h"

#include "dispc/uierror.h"

#include "zfound/archive.h"
#include "zfound/lines.h"

#include "support/smdpoly_builders.h"
#include "zfound/checks.h"
#include "wrfm/smdpoly_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <typeinfo>
#include <utility>
#include <vector>

namespace {

using Poly = zcSMDGDPoly;
using Vertex = zcSMDGDPolyVertex;
using Priv = zcSMDGDPolyPrivate;
using Bytes = std::vector<unsigned char>;
using Longs = std::vector<long>;

constexpr double kTol = 1e-9;

using zc_test::arcVx;
using zc_test::build;
using zc_test::square;
using zc_test::tolVx;
using zc_test::vx;

Bytes bytesOf(const Poly& p) { return zc_test::ownBytes(p); }

Poly load(const Bytes& bytes) { return zc_test::loaded(bytes, Poly(L"other")); }

// Runs an edit that must fail with E and leave the poly byte for byte as it was.
template <class E>
void expectRefused(Poly& p, const std::function<void(Poly&)>& edit, const char* what) {
  SCOPED_TRACE(what);
  const Bytes before = bytesOf(p);
  EXPECT_THROW(edit(p), E);
  EXPECT_EQ(bytesOf(p), before);
}

void expectNear(const zcVector<2>& a, const zcVector<2>& b, double tol = kTol) {
  EXPECT_NEAR(a.x(), b.x(), tol);
  EXPECT_NEAR(a.y(), b.y(), tol);
}

// Each value near its own.
void expectValues(const std::vector<double>& got, const std::vector<double>& want, double tol = kTol) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], tol) << "value " << i;
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

// As many points as expected, each near its own.
void expectNear(const std::vector<zcVector<2>>& got, const std::vector<zcPoint>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) expectNear(got[i], want[i]);
}

std::vector<zcPoint> points(const Poly& p) {
  std::vector<zcPoint> out;
  for (const Vertex& v : p.vertices()) out.push_back(v.point());
  return out;
}

// Points from a flat list of coordinates.
std::vector<zcPoint> pts(std::initializer_list<double> xy) {
  std::vector<zcPoint> out;
  for (auto it = xy.begin(); it + 1 < xy.end(); it += 2) out.emplace_back(it[0], it[1]);
  return out;
}

std::vector<std::vector<zcPoint>> points(const std::vector<Poly>& polys) {
  std::vector<std::vector<zcPoint>> out;
  for (const Poly& p : polys) out.push_back(points(p));
  return out;
}

std::vector<double> spans(const Poly& p) {
  std::vector<double> out;
  for (const Vertex& v : p.vertices()) out.push_back(v.segmentAngleSpan().value());
  return out;
}

// Every corner a right angle and every segment straight: rectilinear in some frame.
bool rightAngled(const Poly& p) {
  for (long v = 0; v < p.numVertices(); ++v) {
    const long s = p.previousSegmentIndex_(v);
    if (s != -1 && p.isSegmentArc_(s)) return false;
    if (p.isEndVertex(v)) continue;
    if (std::abs(std::abs(Priv::vertexAngle(p, v).value()) - 90.0) > 1e-9) return false;
  }
  return true;
}

}  // namespace

TEST(SMDPolyIndexing, SegmentsAreNumberedByTheirArrivingVertex) {
  // A new poly is open and empty, named "poly", of weight 1, drawn green, light and dark grey.
  const Poly empty;
  EXPECT_TRUE(empty.isOpen() && empty.numVertices() == 0 && empty.weight() == 1.0 && empty.name() == L"poly");
  EXPECT_TRUE(empty.colors() == zcSMDColors(zcColor::greenColor(), zcColor::ltGreyColor(), zcColor::dkGreyColor()) &&
              empty.positiveArrowColor() == zcColor::greenColor() && empty.negativeArrowColor() == zcColor::greenColor());
  EXPECT_THROW(empty.vertex(0), Poly::invalidIndex);

  // Open: no segment 0, and no segment before vertex 0 or after the last vertex.
  Poly p = build({vx(0, 0), vx(4, 0)}, false);
  EXPECT_EQ((Longs{p.numSegments(), p.firstSegmentIndex_(), p.lastSegmentIndex_(), p.previousVertexIndex_(1),
                   p.nextVertexIndex_(1), p.previousSegmentIndex_(0), p.nextSegmentIndex_(1)}),
            (Longs{1, 1, 1, 0, 1, -1, -1}));
  EXPECT_THROW(p.previousVertexIndex_(0), Poly::invalidIndex);
  EXPECT_THROW(p.nextVertexIndex_(0), Poly::invalidIndex);
  EXPECT_TRUE(p.isEndVertex(0) && p.isEndVertex(1));
  EXPECT_DOUBLE_EQ(p.segmentLength_(1), 4.0);
  p << vx(4, 3, 1.0);  // an end vertex is never rounded, whatever its radius
  EXPECT_FALSE(p.isVertexRounded_(2) || p.isEndVertex(1));
  EXPECT_EQ(p.lastSegmentIndex_(), 2);

  // Closed: the closing segment 0 runs from the last vertex to vertex 0; indices may wrap.
  const Poly sq = square();
  EXPECT_EQ((Longs{sq.numSegments(), sq.previousVertexIndex_(0), sq.nextVertexIndex_(0), sq.previousSegmentIndex_(0),
                   sq.nextSegmentIndex_(3), sq.firstSegmentIndex_(), sq.lastSegmentIndex_(), sq.vertexIndex_(-1, true),
                   sq.vertexIndex_(9, true)}),
            (Longs{4, 3, 0, 0, 0, 1, 0, 3, 1}));
  EXPECT_FALSE(sq.isEndVertex(0));
  EXPECT_THROW(sq.vertexIndex_(4, false), Poly::invalidIndex);
  EXPECT_THROW(sq.vertexIndex_(-1, false), Poly::invalidIndex);
  expectNear({sq.lineSegment_(0).p1(), sq.lineSegment_(0).p2()}, pts({0, 10, 0, 0}));
  EXPECT_DOUBLE_EQ(Priv::vertexAngle(sq, 1).value(), 90.0);  // left turn
}

TEST(SMDPolyRounding, SquareCornerOfRadiusTwo) {
  // The rounding's centre and ends; a sharp corner keeps its point as both ends and no span.
  const Poly p = square(2.0);
  expectNear({Priv::roundPoint(p, 1), Priv::roundPoint(p, 2)}, pts({8, 2, 10, 10}));
  expectNear(p.roundedStartPoints(), pts({0, 0, 8, 0, 10, 10, 0, 10}));
  expectNear(p.roundedEndPoints(), pts({0, 0, 10, 2, 10, 10, 0, 10}));
  expectValues(p.roundedSpans(), {0.0, 90.0, 0.0, 0.0});

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

  // Slid toward its centre (the other way round for a clockwise arc): at radius 0 the arc
  // is degenerate, beyond it the rounding is invalid.
  for (const double span : {90.0, -90.0}) {
    const Poly arc = build({vx(0, 0), arcVx(10, 0, span)}, false);
    const double inward = span > 0 ? -1.0 : 1.0;
    const zc2SegmentArc whole = arc.arcSegment_(1);
    const double radius = whole.center().distance(whole.p1());
    EXPECT_THROW(arc.slideArc_(1, inward * radius), zcShapesError::DegenerateShape);
    EXPECT_THROW(arc.slideArc_(1, inward * (radius + 1.0)), Poly::invalidRounding);
  }
}

TEST(SMDPolyRollback, EveryRefusedEditLeavesTheBytesUnchanged) {
  Poly p = square(2.0);
  p.toggleDirection();
  p.weight(0.25);
  const Vertex far = vx(5, 20);

  expectRefused<Poly::invalidIndex>(p, [&](Poly& q) { q.insertVertex(4, far); }, "insert index");
  expectRefused<Poly::invalidIndex>(p, [&](Poly& q) { q.insertVertex(-2, far); }, "insert index -2");
  expectRefused<Poly::invalidIndex>(p, [&](Poly& q) { q.replaceVertex(-1, far); }, "replace index");
  expectRefused<Poly::invalidIndex>(p, [](Poly& q) { q.deleteVertex(4); }, "delete index");
  expectRefused<zcShapesError::DegenerateShape>(p, [](Poly& q) { q.insertVertex(2, vx(10, 10)); }, "insert twin");
  expectRefused<zcShapesError::DegenerateShape>(p, [](Poly& q) { q.replaceVertex(1, arcVx(10, 0, 450)); },
                                                "span beyond a whole turn");
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
  // Overlapping labels at vertex 1 are found before the twin points of segment 2.
  expectRefused<Poly::crossingSegments>(
      p, [](Poly& q) { q.vertices({Vertex(zcPoint(0, 0), 0.5, 0.8, 5), Vertex(zcPoint(10, 0), 0.8, 0.5, 5), vx(10, 0), vx(0, 10)}); },
      "labels before twin");
  expectRefused<zcShapesError::DegenerateShape>(
      p, [](Poly& q) { q.vertices({vx(0, 0), vx(10, 0), vx(10, 0), vx(0, 10)}); }, "all twin");
  Poly one;
  one << Vertex(zcPoint(0, 0), 0.5, 0.8, 5);
  expectRefused<Poly::crossingSegments>(one, [](Poly& q) { q << Vertex(zcPoint(0, 0), 0.8, 0.5, 5); },
                                        "labels before twin, appended");
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
  const Poly a = square(2.0);
  Poly named(L"other name");
  named.vertices(a.vertices());
  EXPECT_TRUE(named != a);  // open against closed
  named.close();
  EXPECT_TRUE(named == a);
  // Every field counts for ==; zfRealEq allows numbers within its tolerance only.
  const std::pair<std::function<void(Poly&)>, bool> changes[] = {
      {[](Poly& q) { q.weight(1.0 + 1e-14); }, true},
      {[](Poly& q) { q.replaceVertex(2, vx(10, 10 + 1e-10)); }, true},
      {[](Poly& q) { q.toggleDirection(); }, false},
      {[](Poly& q) { q.negativeArrowColor(zcColor::redColor()); }, false}};
  for (const auto& [change, numeric] : changes) {
    Poly b = named;
    change(b);
    EXPECT_TRUE(b != a);
    EXPECT_EQ(zfRealEq(a, b, 1e-9), numeric);
    EXPECT_FALSE(zfRealEq(a, b, 1e-15));
  }
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
  EXPECT_EQ(bytesOf(back), bytes);  // the caches and labels too

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
// along one of their lines or circles, which must be refused unless they double back
// along a line at the end of an open chain (adjacent lines never cross): `refused`.
enum class Kind { eStar, eFarArcs, eDoublingBack };

std::vector<Vertex> randomList(std::mt19937& rng, Kind kind, bool& closed, bool& refused) {
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
  refused = span != 0.0 || closed || k < n - 1;
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
      bool closed = false, refused = false;
      const std::vector<Vertex> list = randomList(rng, kind, closed, refused);
      // The one line a failure prints: the seed and the case, ready to paste.
      const auto where = [&](const char* step) {
        return std::string(names[static_cast<int>(kind)]) + " seed " + std::to_string(seed) + " " + step + ": " +
               zc_test::cppOf(list, closed);
      };
      const auto pair = [](const Poly& start) {
        std::pair<Poly, Poly> p{start, start};
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
      auto whole = pair(closed ? Poly::circle(1, zcPoint(0, 0)) : Poly());
      const std::string a = both(whole, [&](Poly& p) { p.vertices(list); }, "vertices");
      ++outcomes[a == "none" ? 0 : a == crossing ? 1 : 2];
      EXPECT_TRUE(kind != Kind::eDoublingBack || a == (refused ? crossing : "none")) << where("vertices");
      const bool checkable = std::all_of(list.begin(), list.end(), [](const Vertex& v) {
        return v.vertexRadius() == 0.0 && v.subModelLabel() == -1;
      });
      EXPECT_TRUE(a != crossing || !checkable || reallyCrosses(list, closed)) << where("crossing not found");
      if (a != "none" && a != crossing && kind == Kind::eFarArcs) ADD_FAILURE() << where(a.c_str());

      auto appended = pair(Poly());
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

TEST(SMDColors, ComparisonAndArchive) {
  const zcSMDColors d(zcColor::redColor(), zcColor(1, 2, 3), zcColor::blackColor());
  EXPECT_TRUE(d.wireframeDefaultColor() == zcColor::redColor() && d.syntheticDefaultColor() == zcColor(1, 2, 3) &&
              d.syntheticBackgroundColor() == zcColor::blackColor());
  EXPECT_TRUE(zcSMDColors() != d);
  // Colors left out take their defaults.
  EXPECT_TRUE(zcSMDColors(zcColor::redColor()) == zcSMDColors(zcColor::redColor(), zcColor::ltGreyColor(),
                                                               zcColor::dkGreyColor()) &&
              zcSMDColors(zcColor::redColor(), zcColor(1, 2, 3)) ==
                  zcSMDColors(zcColor::redColor(), zcColor(1, 2, 3), zcColor::dkGreyColor()));
  Bytes v2 = zc_test::expectOwnRoundTrip(d);
  // Version 0 carries nothing and leaves the colors alone.
  zcSMDColors kept(d);
  zcArchive old(Bytes{'z', 'f', 'A', 'R', 1, 0, 0, 0, 0});
  old || kept;
  EXPECT_TRUE(kept == d);
  v2[8] = 2;
  zc_test::expectRefused<zcArchive::UnknownVersion>(v2, zcSMDColors());
}

// --- Measures and operations ----------------------------------------------------------------------

TEST(SMDPolyLengths, PerimetersAndSegmentLengthsOfTheRoundedSquare) {
  const Poly p = square(2.0);
  // Pieces up to 5 (the arc, π), then up to 8 (the rounded sides of 8 too), are left
  // out; the open chain has no closing segment.
  expectValues({p.perimeter_(0.0), Priv::perimeter(p, 5.0), p.perimeter_(8.0), p.perimeter_(zcXform<2>::scaling(2, 2)),
                build({vx(0, 0), vx(3, 4), vx(3, 0)}, false).perimeter_(0.0)},
               {40.0 - 4.0 + zkPi, 36.0, 20.0, 2 * (36.0 + zkPi), 9.0});
  std::vector<double> lengths{-1.0};  // appended, not replaced
  Priv::appendSegmentLengths(p, lengths);
  expectValues(lengths, {-1.0, 10.0, 8.0 + zkPi, 8.0, 10.0});
}

TEST(SMDPolyTolerance, OutOfToleranceSkipsSegmentsWithoutLimits) {
  const zcDimTol narrow(-1, 0.5, 0.5, zcDimTol::eOffsets);  // 9.5 … 10.5 about 10
  const zcDimTol wide(-1, 2.0, 2.0, zcDimTol::eOffsets);    // 8 … 12
  const zcDimTol share(-1, 0.05, 0.05, zcDimTol::ePercentages);
  Poly p = build({vx(0, 0), tolVx(10, 0, narrow), tolVx(10, 10, wide), tolVx(0, 10, share), vx(0, 0.5)}, false);
  const zcXform<2> grow = zcXform<2>::scaling(1.1, 1.1), none;
  // Measured 11 against nominal 10: segments 1 and 3 fail, 2 passes, 4 has no limits;
  // against a reference grown alike, nominal and percentage limits follow. Limits are
  // exclusive: 10.5 measured against 9.5 … 10.5 is out.
  const struct {
    zcXform<2> measured, reference;
    std::vector<long> out;
  } rows[] = {{grow, none, {1, 3}}, {grow, grow, {}}, {zcXform<2>::scaling(1.05, 1.0), none, {1, 3}},
              {zcXform<2>::scaling(1.0, 1.05), none, {}}, {none, none, {}}};
  for (const auto& row : rows) EXPECT_EQ(p.segmentsOutOfTolerance(row.measured, row.reference), row.out);
  // A map that collapses a segment; segment 0 of an open chain, which has no dimension.
  EXPECT_THROW(p.segmentsOutOfTolerance(zcXform<2>::scaling(0, 1), none), zcShapesError::DegenerateShape);
  EXPECT_THROW(p.segmentDimension(0), Poly::invalidIndex);
}

// The square of side 10 with the default extensions (half a side at either end).
Poly extendedSquare(double r = 0.0) {
  Poly sq = square(r);
  sq.setDefaultExtensions_();
  return sq;
}

TEST(SMDPolyExtensions, CornersPiecesChecksAndBox) {
  // A corner of 170 degrees is no corner for extensions; right angles are.
  Poly p = build({vx(0, 0), vx(10, 0), vx(20, 1.76), vx(20, 10), vx(0, 10)}, true);
  p.setExtensions_(0.25);
  // Vertex 1 both ways, segment 3 forward, segment 4 (at vertex 3) backward.
  expectValues({p.vertex(1).forwardExtension(), p.vertex(1).backwardExtension(), p.forwardPercExtension_(3),
                p.backwardPercExtension_(4)},
               {0.0, 0.0, 0.25, 0.25}, 0.0);
  EXPECT_THROW(p.forwardPercExtension_(5), Poly::invalidIndex);

  Poly sq = extendedSquare();
  expectNear({sq.overlayLineSegment_(1, true).p1(), sq.overlayLineSegment_(1, true).p2(),
              sq.overlayLineSegment_(1, false).p2()},
             pts({10, 0, 15, 0, -5, 0}));
  const zcRect neg = Priv::boundingBoxNeg(sq, zcXform<2>());
  expectValues({neg.x(), neg.width(), sq.boundingBox().width()}, {-5.0, 20.0, 10.0});

  // Another body 2 to the right: forward extensions along y = 0 and y = 10 stop a
  // margin of 0.5 before its edge at x = 12 (1.5 of 10; segment 3 runs right to left
  // and starts at x = 10).
  const Poly other = build({vx(12, -5), vx(20, -5), vx(20, 15), vx(12, 15)}, true);
  sq.checkExtensions_(other, 1.0, zcDegree(10), 0.5, false);
  expectValues({sq.forwardPercExtension_(1), sq.backwardPercExtension_(3), sq.backwardPercExtension_(1)},
               {0.15, 0.15, 0.5});
  // Against itself nothing is near: the pieces at each corner do not count.
  Poly alone = extendedSquare();
  alone.checkExtensions_(alone, 1.0, zcDegree(10), 0.5, true);
  EXPECT_NEAR(alone.extensionPerimeter_(), 40.0, kTol);
  // An edge running along an extension within the distance removes it.
  Poly railed = extendedSquare();
  railed.checkExtensions_(build({vx(10.5, 0.5), vx(30, 0.5), vx(30, 3), vx(10.5, 3)}, true), 1.0, zcDegree(10), 0.1,
                          false);
  EXPECT_EQ(railed.forwardPercExtension_(1), 0.0);

  // Arc extensions continue the circle.
  Poly arcs = Poly::circle(2, zcPoint(0, 0));
  arcs.forwardPercExtension_(1, 0.5);
  expectNear({arcs.overlayArc_(1, true).p1(), arcs.overlayArc_(1, true).p2()}, pts({2, 0, 0, 2}));
  EXPECT_THROW(arcs.overlayArc_(0, true), zcShapesError::DegenerateShape);
}

TEST(SMDPolyCorner, SubPolysAndCornerPieces) {
  Poly p = build({vx(0, 0), Vertex(zcPoint(10, 0), 1.0, 0.3, 0.8, 4), arcVx(10, 10, 90), vx(0, 10)}, true);
  p.toggleDirection();
  p.weight(0.5);
  const Poly c = Priv::corner(p, 1, false);
  // From 0.3 of segment 1 before the corner to 0.8 of the quarter circle about (5, 5)
  // from (10, 0): at −45 + 72 degrees. The corner vertex keeps its radius, not its
  // label; the poly keeps its direction flag and weight, not its colors.
  const double a = (-45.0 + 72.0) * zkPi / 180;
  const double r = std::sqrt(50.0);
  expectNear(points(c), {zcPoint(7, 0), zcPoint(10, 0), zcPoint(5 + r * std::cos(a), 5 + r * std::sin(a))});
  expectValues({c.vertex(1).vertexRadius(), c.vertex(2).segmentAngleSpan().value(), c.weight()}, {1.0, 72.0, 0.5});
  EXPECT_TRUE(c.isOpen() && c.isDirectionReversed());
  EXPECT_EQ(c.name(), L"poly");
  EXPECT_EQ(c.vertex(1).subModelLabel(), -1);
  EXPECT_TRUE(c.vertex(1).segmentLengthTol() == zcDimTol());
  EXPECT_TRUE(c.colors() == zcSMDColors());
  // Wrapping and the ends of an open poly.
  EXPECT_EQ(Priv::corner(p, 5, true).vertex(1).point(), p.vertex(1).point());
  EXPECT_THROW(Priv::corner(p, 5, false), Poly::invalidIndex);
  const Poly open = build({vx(0, 0), vx(10, 0), vx(10, 10)}, false);
  EXPECT_THROW(Priv::corner(open, 0, false), Poly::invalidIndex);
  const Poly end = Priv::subPoly(open, 0, false);
  ASSERT_EQ(end.numVertices(), 2);
  expectNear(end.vertex(1).point(), zcPoint(5, 0));
}

TEST(SMDPolyMeeting, IntersectionsOfTwoPolys) {
  const Poly a = square(2.0);
  const Poly b = build({vx(5, -5), vx(15, -5), vx(15, 5), vx(5, 5)}, true);
  std::vector<zcVector<2>> hits = a.intersection_(b);
  std::sort(hits.begin(), hits.end(), [](const zcVector<2>& p, const zcVector<2>& q) { return p.x() < q.x(); });
  expectNear(hits, pts({5, 0, 10, 5}));
  EXPECT_EQ(b.intersection_(a).size(), 2u);
  // Its parts: segment 1 of a meets b's left side at (5, 0); the rounding of a's
  // vertex 1 lies inside b and meets nothing; vertex 2 is sharp.
  expectNear(a.intersectionSegment_(1, b), pts({5, 0}));
  EXPECT_TRUE(a.intersectionVertex_(1, b).empty() && a.intersectionVertex_(2, b).empty());
  // A ring about (10, 2) meets the rounding about (8, 2) once (the arc holds only its
  // lower half) and the rounded side x = 10 once, at (10, 3).
  const Poly ring = Poly::circle(1, zcPoint(10, 2));
  EXPECT_EQ(ring.intersectionSegment_(1, a).size() + ring.intersectionSegment_(0, a).size(), 2u);
  expectNear(a.intersectionVertex_(1, ring), {zcPoint(9.75, 2 - std::sqrt(4 - 3.0625))});
  EXPECT_EQ(ring.segmentVertexIntersection_(1, a, 1).size() + ring.segmentVertexIntersection_(0, a, 1).size(), 1u);
  EXPECT_TRUE(a.vertexIntersection_(1, ring, 0).empty());  // the ring has no roundings
  // The same square turned half round about (9, 0.5): the two roundings cross twice.
  const Poly turned = zc2Rigid(zcRadian(zkPi), zcVector<2>(18, 1)) * a;
  EXPECT_EQ(a.vertexIntersection_(1, turned, 1).size(), 2u);
  EXPECT_TRUE(a.vertexIntersection_(1, turned, 2).empty());
  // A scan line through the rounded corner meets the arc, not the sharp corner.
  hits = a.intersection_(build({vx(-1, 1), vx(11, 1)}, false));
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_NEAR(std::max(hits[0].x(), hits[1].x()), 8 + std::sqrt(4.0 - 1.0), kTol);
  // Touching at a shared sharp vertex gives that point once.
  expectNear(a.intersection_(build({vx(10, 10), vx(20, 10), vx(20, 20)}, false)), pts({10, 10}));
  EXPECT_TRUE(a.intersection_(build({vx(30, 30), vx(40, 30)}, false)).empty());
}

TEST(SMDPolyPieces, DeleteSegmentsConnectAndConvert) {
  const Poly sq = square(2.0);
  std::vector<Poly> out{Poly()};
  Priv::deleteSegments(sq, {1, 3}, out);
  ASSERT_EQ(points(out), (std::vector{pts({10, 0, 10, 10}), pts({0, 10, 0, 0})}));
  EXPECT_TRUE(out[0].isOpen());
  Priv::deleteSegments(sq, {0}, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(points(out[0]), points(sq));
  EXPECT_EQ(out[0].vertex(1).vertexRadius(), 2.0);  // inner vertices keep their data
  Priv::deleteSegments(sq, {}, out);
  EXPECT_TRUE(out == std::vector<Poly>{sq});
  Priv::deleteSegments(sq, {0, 1, 2, 3}, out);
  EXPECT_TRUE(out.empty());
  out.assign(1, sq);
  EXPECT_THROW(Priv::deleteSegments(sq, {4}, out), Poly::invalidIndex);
  EXPECT_EQ(out.size(), 1u);  // a refusal leaves the list alone
  const Poly open = build({vx(0, 0), vx(1, 0), vx(2, 0.5), vx(3, 0)}, false);
  EXPECT_THROW(Priv::deleteSegments(open, {0}, out), Poly::invalidIndex);
  Priv::deleteSegments(open, {2}, out);
  EXPECT_EQ(points(out), (std::vector{pts({0, 0, 1, 0}), pts({2, 0.5, 3, 0})}));

  // Joining at the chosen ends: the joining segment is straight.
  const Poly a = build({vx(0, 0), vx(5, 0)}, false);
  const Poly b = build({vx(5, 5), arcVx(0, 5, 60)}, false);
  Poly joined;
  Priv::connectPolys(a, true, b, false, joined);
  EXPECT_EQ(points(joined), pts({0, 0, 5, 0, 5, 5, 0, 5}));
  EXPECT_EQ(spans(joined), (std::vector<double>{0.0, 0.0, 0.0, 60.0}));
  EXPECT_TRUE(joined.vertex(2) == b.vertex(0));  // only the joining span is replaced
  Priv::connectPolys(a, false, b, true, joined);
  EXPECT_EQ(points(joined), pts({5, 0, 0, 0, 0, 5, 5, 5}));
  EXPECT_EQ(spans(joined)[3], -60.0);
  const Poly before = joined;
  EXPECT_THROW(Priv::connectPolys(sq, true, b, false, joined), Poly::invalidVertices);
  EXPECT_THROW(Priv::connectPolys(a, true, sq, false, joined), Poly::invalidVertices);
  EXPECT_TRUE(joined == before);

  const Poly converted = Priv::convert(zcPolygon(pts({0, 0, 4, 0, 4, 3})));
  EXPECT_TRUE(converted.isClosed());
  EXPECT_EQ(points(converted), pts({0, 0, 4, 0, 4, 3}));
  EXPECT_NEAR(converted.perimeter_(0.0), 12.0, kTol);
  EXPECT_THROW(Priv::convert(zcPolygon()), Poly::invalidVertices);
  EXPECT_THROW(Priv::convert(zcPolygon(pts({1, 2}))), zcShapesError::DegenerateShape);
  EXPECT_THROW(Priv::convert(zcPolygon(pts({0, 0, 4, 4, 4, 0, 0, 4}))), Poly::crossingSegments);
}

TEST(SMDPolyCrop, PiecesInsideAndOutsideACutter) {
  const Poly sq = square();
  const Poly cutter = build({vx(5, -5), vx(15, -5), vx(15, 5), vx(5, 5)}, true);
  const std::vector<Poly> inside = Priv::crop(sq, cutter, true).polys(),
                          outside = Priv::crop(sq, cutter, false).polys();
  EXPECT_EQ(points(inside), std::vector<std::vector<zcPoint>>{pts({5, 0, 10, 0, 10, 5})});
  EXPECT_EQ(points(outside), std::vector<std::vector<zcPoint>>{pts({10, 5, 10, 10, 0, 10, 0, 0, 5, 0})});
  // An open chain crossing the cutter twice: in, out, in again.
  const Poly wave = build({vx(0, 1), vx(7, 1), vx(7, 8), vx(12, 8), vx(12, 2)}, false);
  EXPECT_EQ(points(Priv::crop(wave, cutter, true).polys()), (std::vector{pts({5, 1, 7, 1, 7, 5}), pts({12, 5, 12, 2})}));
  // Not meeting: whole or nothing.
  const Poly small = Poly::rectangle(2, 2, zcPoint(10, 0));
  EXPECT_TRUE(Priv::crop(small, cutter, true).polys() == std::vector<Poly>{small});
  EXPECT_EQ(Priv::crop(small, cutter, false).numPolys(), 0);
  EXPECT_THROW(Priv::crop(sq, wave, true), Poly::notClosed);
}

TEST(SMDPolyRectilinear, TestSnapCloseAndReplace) {
  EXPECT_EQ(Priv::dominantAngle(Poly()).value(), 0.0);  // no direction to snap to
  // A chord at exactly 45 degrees to the first is not below sin 45° and is not turned.
  EXPECT_NEAR(Priv::dominantAngle(build({vx(0, 0), vx(1, 0), vx(2, 1)}, false)).value(),
              -std::atan2(1.0, 2.0) * 180.0 / zkPi, 1e-12);
  EXPECT_TRUE(Priv::isRectilinear(Poly::rectangle(4, 2, zcPoint(10, 10))));
  EXPECT_TRUE(Priv::isRectilinear(square(1.0)));  // roundings do not matter
  EXPECT_FALSE(Priv::isRectilinear(Poly::triangle(6, 3, zcPoint(0, 0))));
  EXPECT_FALSE(Priv::isRectilinear(build({vx(0, 0), arcVx(10, 0, 20), vx(10, 10)}, false)));

  // A slightly skewed quadrilateral snaps to a rectangle in its own frame; each corner
  // moves a little.
  const Poly skewBefore = build({vx(0, 0), vx(10, 0.3), vx(10.2, 5), vx(-0.1, 5.2)}, true);
  Poly skew = skewBefore;
  Priv::snapRectilinear(skew);
  EXPECT_TRUE(rightAngled(skew) && skew.isClosed());
  ASSERT_EQ(skew.numVertices(), 4);
  for (long v = 0; v < 4; ++v) EXPECT_LT(skew.vertex(v).point().distance(skewBefore.vertex(v).point()), 1.0);
  // A rectilinear poly is left alone.
  Poly rect = Poly::rectangle(4, 2, zcPoint(0, 0));
  Priv::snapRectilinear(rect);
  EXPECT_TRUE(rect == Poly::rectangle(4, 2, zcPoint(0, 0)));
  // An open staircase with arcs: straight, right-angled, first vertex kept, runs of
  // one direction merged.
  Poly stairs = build({vx(0, 0), vx(5, 0.2), arcVx(5.1, 3, 10), vx(7, 3.1), vx(9, 3.2)}, false);
  Priv::snapRectilinear(stairs);
  EXPECT_TRUE(rightAngled(stairs));
  ASSERT_EQ(stairs.numVertices(), 4);
  expectNear(stairs.vertex(0).point(), zcPoint(0, 0));
  EXPECT_NEAR(stairs.vertex(3).point().x(), 9.0, 0.2);

  // Closing an L needs a corner vertex; closing along an axis needs none, and a straight
  // run through vertex 0 loses it.
  Poly l = build({vx(0, 0), vx(10, 0), vx(10, 4), vx(4, 4), vx(4, 10)}, false);
  Priv::closeRectilinear(l);
  EXPECT_EQ(points(l), pts({0, 0, 10, 0, 10, 4, 4, 4, 4, 10, 0, 10}));
  EXPECT_TRUE(l.isClosed() && Priv::isRectilinear(l));
  Poly u = build({vx(0, 5), vx(0, 0), vx(10, 0), vx(10, 10), vx(0, 10)}, false);
  Priv::closeRectilinear(u);
  EXPECT_EQ(points(u), pts({0, 0, 10, 0, 10, 10, 0, 10}));

  // Moving a corner drags its neighbours along.
  Poly r = Poly::rectangle(4, 2, zcPoint(0, 0));  // (2,1) (−2,1) (−2,−1) (2,−1)
  Priv::replaceVertexRectilinear(r, 0, zcPoint(3, 2));
  EXPECT_EQ(points(r), pts({3, 2, -2, 2, -2, -1, 3, -1}));
  EXPECT_TRUE(Priv::isRectilinear(r));
  const Poly rBefore = r;
  EXPECT_THROW(Priv::replaceVertexRectilinear(r, 0, zcPoint(-2, -1)), zcShapesError::DegenerateShape);
  EXPECT_TRUE(r == rBefore);
}

TEST(SMDPolyShapes, CircleRectangleAndTriangle) {
  const Poly c = Poly::circle(5, zcPoint(0, 0));
  EXPECT_EQ(points(c), pts({-5, 0, 5, 0}));
  EXPECT_EQ(spans(c), (std::vector<double>{180.0, 180.0}));
  EXPECT_EQ(c.vertex(0).subModelLabel(), 0);
  EXPECT_EQ(c.vertex(0).segmentLengthTol().tolType(), zcDimTol::eLimits);
  expectValues({c.perimeter_(0.0), c.boundingBox().height()}, {10 * zkPi, 10.0});
  // Arcs alone: the circle runs counter-clockwise; mirrored it runs clockwise.
  EXPECT_TRUE(c.isDirectionPositive());
  EXPECT_TRUE(build({arcVx(-3, 0, -180), arcVx(3, 0, -180)}, true).isDirectionNegative());

  const Poly r = Poly::rectangle(4, 2, zcPoint(10, 10));
  EXPECT_EQ(points(r), pts({12, 11, 8, 11, 8, 9, 12, 9}));
  for (long v = 0; v < 4; ++v) EXPECT_EQ(r.vertex(v).segmentLengthTol().tolType(), zcDimTol::eOffsets);
  EXPECT_EQ(r.subModelLabels(), (std::vector<std::int32_t>{0, 1, 2, 3}));  // one per vertex, in order
  EXPECT_TRUE(r.isDirectionPositive());

  const Poly t = Poly::triangle(6, 3, zcPoint(0, 0));
  EXPECT_EQ(points(t), pts({0, 2, -3, -1, 3, -1}));
  EXPECT_TRUE(t.inside_(zcPoint(0, 0)));
  // The ray leaves through the middle of the widest gap between range starts (the later
  // gap on a tie), within the window when one is given; 0 without ranges.
  const struct { std::vector<double> starts; double start, span, ray; } kRays[] = {
      {{10, 100, 200}, 0, 360, 285}, {{0, 90, 180, 270}, 0, 360, 315}, {{10, 100}, 0, 90, 50},
      {{10, 100}, 90, -90, 50},      {{}, 30, 90, 0},                  {{}, 0, 360, 0}};
  for (const auto& row : kRays) {
    std::vector<zc2SegmentArc> ranges;
    for (double a : row.starts) ranges.emplace_back(zcPoint(0, 0), 1.0, zcDegree(a), zcDegree(5));
    EXPECT_NEAR(Priv::safestDirection_(ranges, zcDegree(row.start), zcDegree(row.span)).value(), row.ray, 1e-12);
  }
  // Ranges of an arc seen from P: inside its circle one (a whole turn only beyond 360),
  // outside one per stretch between tangent points, φ+ first. Rows: span, P, starts, spans.
  const double tangent = std::asin(1.0 / 3.0) * 180.0 / zkPi;
  const struct { double span; zcPoint p; std::vector<double> starts, spans; } kArcRanges[] = {
      {400, zcPoint(0, 0.5), {-90}, {360}},
      {360, zcPoint(0, 0.5), {-90}, {0}},
      {180, zcPoint(3, 0), {-180 + std::atan(1.0 / 3.0) * 180.0 / zkPi, 180 - tangent, -180 + tangent}, {}}};
  for (const auto& row : kArcRanges) {
    std::vector<zc2SegmentArc> ranges;
    Priv::arcRanges_(zc2SegmentArc(zcPoint(0, 0), 1.0, zcDegree(-90), zcDegree(row.span)), row.p, ranges);
    ASSERT_EQ(ranges.size(), row.starts.size()) << row.span;
    for (std::size_t i = 0; i < ranges.size(); ++i)
      EXPECT_NEAR((ranges[i].startAngle() - zcDegree(row.starts[i])).signedNorm().value(), 0.0, 1e-9);
    for (std::size_t i = 0; i < row.spans.size(); ++i) EXPECT_NEAR(ranges[i].angleSpan().value(), row.spans[i], 1e-9);
  }
  EXPECT_THROW(Poly::rectangle(0, 2, zcPoint(0, 0)), zcShapesError::DegenerateShape);
  // An open poly has neither an inside nor a direction.
  const Poly open = build({vx(0, 0), vx(10, 0), vx(10, 10)}, false);
  EXPECT_THROW(open.inside_(zcPoint(5, 5)), Poly::notClosed);
  EXPECT_THROW(open.isDirectionPositive(), Poly::notClosed);
  expectNear(Priv::closestPoint(build({vx(1, 1)}, false), zcPoint(5, 5)), zcPoint(1, 1));  // one vertex: its point
}
