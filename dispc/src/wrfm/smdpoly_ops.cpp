// SMD poly operations: lengths and perimeters, the tolerance check, containment and
// traversal direction, the dominant angle, segment extensions, corner pieces, meeting
// points, nearest points and boxes, and the builders of new polys.
#include "dispc/wrfm/smdmodel.h"
#include "dispc/wrfm/smdpoly.h"

#include "wrfm/smdcommon.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kZeroTol = 1e-15;
using zc_smd::kSin45;

zcDegree directionOf(const zcVector<2>& v) { return zcDegree(v.angle()); }

// The pieces of a rounded outline in drawing order: for each vertex its rounding arc
// (when rounded), then the segment leaving it.
struct OutlinePiece {
  bool isArc;
  zc2SegmentLine line;
  zc2SegmentArc arc;
  long segment;  // −1 for a rounding arc
  long vertex;   // the vertex of a rounding arc, the end vertex of a segment
};

std::vector<OutlinePiece> outline(const zcSMDGDPoly& poly) {
  std::vector<OutlinePiece> out;
  const long n = poly.numVertices();
  if (n < 2) return out;
  for (long v = 0; v < n; ++v) {
    if (poly.isVertexRounded_(v)) out.push_back({true, {}, poly.roundedArcVertex_(v), -1, v});
    const long s = poly.nextSegmentIndex_(v);
    if (s == -1) continue;
    if (poly.isSegmentArc_(s)) out.push_back({true, {}, poly.roundedArcSegment_(s), s, s});
    else out.push_back({false, poly.roundedLineSegment_(s), {}, s, s});
  }
  return out;
}

std::vector<zcVector<2>> meetingPoints(const OutlinePiece& a, const OutlinePiece& b) {
  if (!a.isArc && !b.isArc) return a.line.intersection(b.line, false);
  if (a.isArc && !b.isArc) return a.arc.intersection(b.line, false);
  if (!a.isArc) return b.arc.intersection(a.line, false);
  return a.arc.intersection(b.arc, false);
}

zcRect pieceBox(const OutlinePiece& p) {
  if (!p.isArc) return p.line.boundingBox();
  // The circle's box: cheaper than the arc's and enough to skip far pieces.
  const zcVector<2> c = p.arc.center();
  const double r = c.distance(p.arc.p1());
  return zcRect::fromCorners(c - zcVector<2>(r, r), c + zcVector<2>(r, r));
}

bool onPiece(const OutlinePiece& p, const zcVector<2>& q) {
  return p.isArc ? p.arc.validPoint(q) : p.line.validPoint(q);
}

// The segments of a poly in vertex order (segment s arrives at vertex s).
template <class F>
void forEachSegment(const zcSMDGDPoly& poly, F f) {
  const long n = poly.numVertices();
  if (n < 2) return;
  for (long v = 0; v < n; ++v)
    if (poly.previousSegmentIndex_(v) != -1) f(v);
}

}  // namespace

// --- Lengths ------------------------------------------------------------------------------

double zcSMDGDPoly::perimeter_(double minPiece) const {
  double sum = 0.0;
  const long n = numVertices();
  for (long v = 0; n >= 2 && v < n; ++v) {
    const long s = previousSegmentIndex_(v);
    if (s != -1) {
      const double length = roundedSegmentLength_(s);
      if (length > minPiece) sum += length;
    }
    if (isVertexRounded_(v)) {
      const double length = roundedArcVertex_(v).length();
      if (length > minPiece) sum += length;
    }
  }
  return sum;
}

double zcSMDGDPoly::perimeter_(const zcXform<2>& xform) const {
  double sum = 0.0;
  const long n = numVertices();
  for (long v = 0; n >= 2 && v < n; ++v) {
    const long s = previousSegmentIndex_(v);
    if (s != -1)
      sum += isSegmentArc_(s) ? (xform * roundedArcSegment_(s)).length() : (xform * roundedLineSegment_(s)).length();
    if (isVertexRounded_(v)) sum += (xform * roundedArcVertex_(v)).length();
  }
  return sum;
}

double zcSMDGDPoly::extensionPerimeter_() const {
  double sum = 0.0;
  forEachSegment(*this, [&](long s) {
    sum += segmentLength_(s) *
           (vertices_[previousVertexIndex_(s)].backwardExtension() + vertices_[s].forwardExtension());
  });
  return sum;
}

void zcSMDGDPoly::appendSegmentLengths_(std::vector<double>& lengths) const {
  forEachSegment(*this, [&](long s) {
    double length = roundedSegmentLength_(s);
    if (isVertexRounded_(s)) length += roundedArcVertex_(s).length();
    lengths.push_back(length);
  });
}

std::vector<long> zcSMDGDPoly::segmentsOutOfTolerance(const zcXform<2>& xform1, const zcXform<2>& xform2) const {
  std::vector<long> out;
  const auto mappedLength = [&](long s, const zcXform<2>& x) {
    return isSegmentArc_(s) ? (x * arcSegment_(s)).length() : (x * lineSegment_(s)).length();
  };
  forEachSegment(*this, [&](long s) {
    const zcSMDDimension dim = segmentDimension(s);
    if (!(dim.minDim() >= 0.0 || dim.maxDim() >= 0.0)) return;
    const double l1 = mappedLength(s, xform1);
    const double l2 = mappedLength(s, xform2);
    if (!dim.withinTolerance(l1, l2 / dim.nomDim())) out.push_back(s);
  });
  return out;
}

// --- Containment and direction ---------------------------------------------------------------

void zcSMDGDPolyPrivate::arcRanges_(const zc2SegmentArc& arc, const zcVector<2>& point,
                                     std::vector<zc2SegmentArc>& out) {
  const zcVector<2> c = arc.center();
  const zcVector<2> s = arc.p1();
  const zcVector<2> e = arc.p2();
  const double r = c.distance(s);
  const double d = point.distance(c);
  const double span = arc.angleSpan().value();
  const zcDegree a = directionOf(s - point);  // 0 when the arc starts at the point
  const zcDegree b = directionOf(e - point);

  if (d <= r) {
    // From inside its circle an arc is seen turning one way only.
    double sigma = (b - a).signedNorm().value();
    if (std::abs(span) > 360.0) sigma = 360.0;
    else if (span <= 0.0 && sigma > 0.0) sigma -= 360.0;
    else if (span > 0.0 && sigma < 0.0) sigma += 360.0;
    out.emplace_back(point, 1.0, a, zcDegree(sigma));
    return;
  }
  // From outside, the direction turns back at the tangent points.
  const zcDegree toPoint = directionOf(point - c);
  const zcDegree half{zcRadian(std::acos(r / d))};
  std::vector<zcDegree> dirs{a};
  const zcDegree plus = toPoint + half;
  const zcDegree minus = toPoint - half;
  for (const zcDegree phi : span > 0.0 ? std::vector<zcDegree>{plus, minus} : std::vector<zcDegree>{minus, plus})
    if (arc.validAngle(phi, true)) dirs.push_back(directionOf(arc.arcPoint(phi) - point));
  dirs.push_back(b);
  for (std::size_t i = 0; i + 1 < dirs.size(); ++i)
    out.emplace_back(point, 1.0, dirs[i], (dirs[i + 1] - dirs[i]).signedNorm());
}

namespace {
// The ranges of every piece but segment `skip`.
std::vector<zc2SegmentArc> rangesExcept(const zcSMDGDPoly& poly, const zcVector<2>& point, long skip) {
  std::vector<zc2SegmentArc> out;
  const long n = poly.numVertices();
  for (long v = 0; v < n; ++v) {
    if (std::abs(poly.vertices()[v].vertexRadius()) > kZeroTol && !poly.isEndVertex(v))
      zcSMDGDPolyPrivate::arcRanges_(poly.roundedArcVertex_(v), point, out);
    const long s = poly.nextSegmentIndex_(v);
    if (s == -1 || s == skip) continue;
    if (poly.isSegmentArc_(s)) {
      zcSMDGDPolyPrivate::arcRanges_(poly.roundedArcSegment_(s), point, out);
      continue;
    }
    const zcVector<2> a = poly.roundedEndPoints()[v] - point;
    const zcVector<2> b = poly.roundedStartPoints()[s] - point;
    if (a == zcVector<2>() || b == zcVector<2>()) continue;
    out.emplace_back(point, 1.0, directionOf(a), (directionOf(b) - directionOf(a)).signedNorm());
  }
  return out;
}

long countCrossings(const std::vector<zc2SegmentArc>& ranges, zcDegree direction) {
  long count = 0;
  for (const zc2SegmentArc& r : ranges)
    if (r.validAngle(direction, true)) ++count;
  return count;
}
}  // namespace

std::vector<zc2SegmentArc> zcSMDGDPolyPrivate::ranges_(const zcSMDGDPoly& poly, const zcVector<2>& point) {
  return rangesExcept(poly, point, -1);
}

zcDegree zcSMDGDPolyPrivate::safestDirection_(const std::vector<zc2SegmentArc>& ranges, zcDegree start,
                                              zcDegree span) {
  if (ranges.empty()) return zcDegree(0.0);
  std::vector<double> values;
  values.reserve(ranges.size() + 2);
  const bool window = std::abs(span.value()) < 360.0;
  double lo = 0.0, hi = 360.0;
  if (window) {
    lo = (span.value() >= 0.0 ? start : start + span).norm().value();
    hi = lo + std::abs(span.value());
    values.push_back(lo);
    values.push_back(hi);
  }
  for (const zc2SegmentArc& r : ranges) {
    double v = r.startAngle().norm().value();
    if (window) {
      if (v < lo) v += 360.0;
      if (v > hi) continue;
    }
    values.push_back(v);
  }
  std::sort(values.begin(), values.end());
  if (!window) values.push_back(values.front() + 360.0);
  std::size_t best = 0;
  double widest = -1.0;
  for (std::size_t i = 0; i + 1 < values.size(); ++i) {
    const double gap = values[i + 1] - values[i];
    if (gap >= widest) {  // the later pair wins a tie
      widest = gap;
      best = i;
    }
  }
  return zcDegree(values[best] + 0.5 * widest).norm();
}

bool zcSMDGDPoly::inside_(const zcVector<2>& point) const {
  if (open_) throw notClosed();
  const std::vector<zc2SegmentArc> ranges = zcSMDGDPolyPrivate::ranges_(*this, point);
  return countCrossings(ranges, zcSMDGDPolyPrivate::safestDirection_(ranges)) % 2 == 1;
}

// A ray from the middle of the first segment into its left side crosses the rest of
// the outline an odd number of times exactly when the inside lies on the left.
bool zcSMDGDPoly::isDirectionPositive() const {
  if (open_) throw notClosed();
  const long first = firstSegmentIndex_();
  const bool arc = isSegmentArc_(first);
  zcVector<2> middle;
  zcDegree heading;
  zc2SegmentArc rounded;
  if (arc) {
    rounded = roundedArcSegment_(first);
    middle = rounded.segPoint(0.5);
    heading = rounded.direction(0.5);
  } else {
    const zc2SegmentLine line = roundedLineSegment_(first);
    middle = line.midPoint();
    heading = line.angle();
  }
  const std::vector<zc2SegmentArc> ranges = rangesExcept(*this, middle, first);
  std::vector<zc2SegmentArc> avoid = ranges;
  // The ends of an arc are seen off its tangent: keep the ray away from them too.
  if (arc) {
    avoid.emplace_back(middle, 1.0, directionOf(rounded.p1() - middle), zcDegree(0.0));
    avoid.emplace_back(middle, 1.0, directionOf(rounded.p2() - middle), zcDegree(0.0));
  }
  const zcDegree ray = zcSMDGDPolyPrivate::safestDirection_(avoid, heading, zcDegree(180.0));
  long count = countCrossings(ranges, ray);
  if (arc) {
    // The ray may leave through the first segment itself: its second point on the
    // circle.
    const zcVector<2> c = rounded.center();
    const zcVector<2> u(cos(ray), sin(ray));
    const double t = 2.0 * (c - middle).dot(u);
    if (t > 1e-12 * c.distance(middle) && rounded.validAngle(directionOf(middle + u * t - c), true)) ++count;
  }
  const bool positive = count % 2 == 1;
  return reversed_ ? !positive : positive;
}

// --- Dominant angle --------------------------------------------------------------------------------

zc2Rigid zcSMDGDPolyPrivate::position(const zcSMDGDPoly& poly) {
  const auto& v = poly.vertices();
  if (v.empty()) return zc2Rigid();
  zcVector<2> sum;
  for (const zcSMDGDPolyVertex& vertex : v) sum += vertex.point();
  const zcRadian turn = v.size() < 2 ? zcRadian(0.0) : (v[1].point() - v[0].point()).angle();
  return zc2Rigid(turn, sum / static_cast<double>(v.size()));
}

zcDegree zcSMDGDPolyPrivate::dominantAngle(const zcSMDGDPoly& poly) {
  const long n = poly.numVertices();
  if (n < 2) return zcDegree(0.0);
  const auto& v = poly.vertices();
  const zcDegree a0 = directionOf(v[1].point() - v[0].point());
  double x = 0.0, y = 0.0;
  for (long i = 0; i < n; ++i) {
    if (poly.isOpen() && i == 0) continue;
    const zcVector<2> chord = v[i].point() - v[(i - 1 + n) % n].point();
    const double length = chord.length();
    zcDegree theta = directionOf(chord) - a0;
    // Fold the chords nearer to the first one's normal onto it, so that the sides of a
    // rectangle all add up along one direction.
    if (std::abs(sin(theta)) < kSin45) theta += zcDegree(90.0);
    y += std::abs(sin(theta)) * length;
    x += cos(theta) * length;
  }
  const double d = (a0 + zcDegree(zfATan2(y, x)).norm()).value();
  return zcDegree(d - 90.0 * std::round(d / 90.0));
}

// --- Segment extensions -----------------------------------------------------------------------------

void zcSMDGDPoly::setExtensions_(double fraction) {
  mutating_();
  const auto isCorner = [&](long w) {
    if (open_ && isEndVertex(w)) return false;
    return std::abs(zcSMDGDPolyPrivate::vertexAngle(*this, w).norm().value() - 180.0) >= 45.0;
  };
  forEachSegment(*this, [&](long s) {
    const long start = previousVertexIndex_(s);
    if (isCorner(start)) vertices_[start].backwardExtension(fraction);
    if (isCorner(s)) vertices_[s].forwardExtension(fraction);
  });
}

void zcSMDGDPoly::setDefaultExtensions_() { setExtensions_(0.5); }

double zcSMDGDPoly::backwardPercExtension_(long s) const { return vertices_[previousVertexIndex_(s)].backwardExtension(); }

double zcSMDGDPoly::forwardPercExtension_(long s) const { return vertices_[nextVertexIndex_(s)].forwardExtension(); }

void zcSMDGDPoly::backwardPercExtension_(long s, double fraction) {
  const long start = previousVertexIndex_(s);
  mutating_();
  vertices_[start].backwardExtension(fraction);
}

void zcSMDGDPoly::forwardPercExtension_(long s, double fraction) {
  const long end = nextVertexIndex_(s);
  mutating_();
  vertices_[end].forwardExtension(fraction);
}

zc2SegmentLine zcSMDGDPoly::overlayLineSegment_(long s, bool forward) const {
  const zc2SegmentLine line = lineSegment_(s);
  const zcVector<2> step = line.p2() - line.p1();
  if (forward) return zc2SegmentLine(line.p2(), line.p2() + step * forwardPercExtension_(s));
  return zc2SegmentLine(line.p1(), line.p1() - step * backwardPercExtension_(s));
}

zc2SegmentArc zcSMDGDPoly::overlayArc_(long s, bool forward) const {
  const zc2SegmentArc arc = arcSegment_(s);
  const double span = segmentAngleSpan_(s).value();
  const double fraction = forward ? forwardPercExtension_(s) : backwardPercExtension_(s);
  const double extra = std::min(std::abs(fraction * span), 360.0 - std::abs(span));
  if (!(extra > kZeroTol)) throw zcShapesError::DegenerateShape(L"no extension");
  const double signedExtra = span < 0.0 ? -extra : extra;
  const zcVector<2> c = arc.center();
  const double r = c.distance(arc.p1());
  if (forward) return zc2SegmentArc(c, r, arc.endAngle(), zcDegree(signedExtra));
  return zc2SegmentArc(c, r, arc.startAngle(), zcDegree(-signedExtra));
}

void zcSMDGDPoly::checkSegmentExtension_(long s, bool forward, const zcSMDGDPoly& other, double distance,
                                          zcDegree angle, double margin, bool same) {
  const long w = forward ? nextVertexIndex_(s) : previousVertexIndex_(s);
  const double fraction = forward ? vertices_[w].forwardExtension() : vertices_[w].backwardExtension();
  if (!(fraction > 0.0)) return;
  mutating_();
  const double length = segmentLength_(s);
  const bool arc = isSegmentArc_(s);
  OutlinePiece ext{arc, {}, {}, s, w};
  try {
    if (arc) ext.arc = overlayArc_(s, forward);
    else ext.line = overlayLineSegment_(s, forward);
  } catch (const zcShapesError::DegenerateShape&) {
    return;  // too short to reach anything
  }
  const zcVector<2> origin = vertices_[w].point();
  // Distance along the extension from its vertex.
  const auto along = [&](const zcVector<2>& p) {
    if (!arc) return origin.distance(p);
    const zcDegree turn = directionOf(p - ext.arc.center()) - ext.arc.startAngle();
    const double t = ext.arc.angleSpan().value() >= 0.0 ? turn.norm().value() : (-turn).norm().value();
    return ext.arc.center().distance(origin) * t * zkPi / 180.0;
  };
  double reach = arc ? ext.arc.length() : ext.line.length();
  const double full = reach;
  const long otherNext = forward ? nextSegmentIndex_(w) : previousSegmentIndex_(w);
  for (const OutlinePiece& q : outline(other)) {
    if (same && (q.segment == s || q.segment == otherNext || (q.segment == -1 && q.vertex == w))) continue;
    for (const zcVector<2>& p : meetingPoints(ext, q)) reach = std::min(reach, std::max(0.0, along(p) - margin));
    if (!arc && !q.isArc && q.line.distToPoint(origin) <= distance &&
        std::abs(sin(ext.line.angle() - q.line.angle())) < std::abs(sin(angle)))
      reach = 0.0;
  }
  if (reach >= full) return;
  const double shortened = reach / length;
  if (forward) vertices_[w].forwardExtension(shortened);
  else vertices_[w].backwardExtension(shortened);
}

void zcSMDGDPoly::checkExtensions_(const zcSMDGDPoly& other, double distance, zcDegree angle, double margin,
                                   bool same) {
  mutating_();
  forEachSegment(*this, [&](long s) {
    checkSegmentExtension_(s, false, other, distance, angle, margin, same);
    checkSegmentExtension_(s, true, other, distance, angle, margin, same);
  });
}

zcRect zcSMDGDPolyPrivate::boundingBoxNeg(const zcSMDGDPoly& poly, const zcXform<2>& xform) {
  zcRect box = poly.boundingBox(xform);
  forEachSegment(poly, [&](long s) {
    const bool arc = poly.isSegmentArc_(s);
    for (const bool forward : {false, true}) {
      const double f = forward ? poly.forwardPercExtension_(s) : poly.backwardPercExtension_(s);
      if (!(f > 0.0)) continue;
      box.enclose(arc ? (xform * poly.overlayArc_(s, forward)).boundingBox()
                      : (xform * poly.overlayLineSegment_(s, forward)).boundingBox());
    }
  });
  return box;
}

// --- Meeting points, nearest points, boxes ------------------------------------------------------------

namespace {
std::vector<zcVector<2>> meetingPoints(const OutlinePiece& piece, const std::vector<OutlinePiece>& others) {
  std::vector<zcVector<2>> out;
  for (const OutlinePiece& q : others)
    for (const zcVector<2>& p : meetingPoints(piece, q)) out.push_back(p);
  return out;
}

OutlinePiece roundingPiece(const zcSMDGDPoly& poly, long v) { return {true, {}, poly.roundedArcVertex_(v), -1, v}; }

OutlinePiece segmentPiece(const zcSMDGDPoly& poly, long s) {
  if (poly.isSegmentArc_(s)) return {true, {}, poly.roundedArcSegment_(s), s, s};
  return {false, poly.roundedLineSegment_(s), {}, s, s};
}
}  // namespace

std::vector<zcVector<2>> zcSMDGDPoly::intersectionVertex_(long v, const zcSMDGDPoly& other) const {
  if (!isVertexRounded_(v)) return {};
  return meetingPoints(roundingPiece(*this, v), outline(other));
}

std::vector<zcVector<2>> zcSMDGDPoly::intersectionSegment_(long s, const zcSMDGDPoly& other) const {
  return meetingPoints(segmentPiece(*this, s), outline(other));
}

std::vector<zcVector<2>> zcSMDGDPoly::vertexIntersection_(long v, const zcSMDGDPoly& other, long w) const {
  if (!isVertexRounded_(v) || !other.isVertexRounded_(w)) return {};
  return meetingPoints(roundingPiece(*this, v), roundingPiece(other, w));
}

std::vector<zcVector<2>> zcSMDGDPoly::segmentVertexIntersection_(long s, const zcSMDGDPoly& other, long w) const {
  if (!other.isVertexRounded_(w)) return {};
  return meetingPoints(segmentPiece(*this, s), roundingPiece(other, w));
}

std::vector<zcVector<2>> zcSMDGDPoly::intersection_(const zcSMDGDPoly& other) const {
  const std::vector<OutlinePiece> mine = outline(*this);
  const std::vector<OutlinePiece> theirs = outline(other);
  std::vector<zcRect> theirBoxes;
  theirBoxes.reserve(theirs.size());
  for (const OutlinePiece& q : theirs) theirBoxes.push_back(pieceBox(q));

  std::vector<zcVector<2>> found;
  for (const OutlinePiece& p : mine) {
    const zcRect box = pieceBox(p);
    for (std::size_t j = 0; j < theirs.size(); ++j) {
      if (!box.intersects(theirBoxes[j])) continue;
      for (const zcVector<2>& q : meetingPoints(p, theirs[j])) found.push_back(q);
    }
  }
  const auto sharpOn = [&found](const zcSMDGDPoly& poly, const std::vector<OutlinePiece>& pieces) {
    for (const zcSMDGDPolyVertex& v : poly.vertices()) {
      if (std::abs(v.vertexRadius()) > kZeroTol) continue;
      for (const OutlinePiece& q : pieces)
        if (onPiece(q, v.point())) {
          found.push_back(v.point());
          break;
        }
    }
  };
  sharpOn(*this, theirs);
  sharpOn(other, mine);

  // Where pieces meet at a shared end, several report one point.
  zcRect all = boundingBox();
  all.enclose(other.boundingBox());
  const double scale = std::max({std::abs(all.x()), std::abs(all.y()), all.width(), all.height(), 1.0});
  const double tol = 1e-9 * scale;
  std::vector<zcVector<2>> out;
  for (const zcVector<2>& p : found) {
    bool known = false;
    for (const zcVector<2>& q : out) known = known || p.distance(q) <= tol;
    if (!known) out.push_back(p);
  }
  return out;
}

zcVector<2> zcSMDGDPolyPrivate::closestPoint(const zcSMDGDPoly& poly, const zcVector<2>& point) {
  if (poly.numVertices() == 0) throw invalidVertices();
  zcVector<2> best = poly.vertices()[0].point();
  double bestDistance = best.distance(point);
  const auto offer = [&](const zcVector<2>& q) {
    const double d = q.distance(point);
    if (d < bestDistance) {
      best = q;
      bestDistance = d;
    }
  };
  const long n = poly.numVertices();
  for (long v = 0; n >= 2 && v < n; ++v) {
    const long s = poly.previousSegmentIndex_(v);
    if (s != -1) offer(poly.closestRoundedSegmentPoint_(s, point));
    if (poly.isVertexRounded_(v)) offer(poly.roundedArcVertex_(v).closestPoint(point));
  }
  return best;
}

double zcSMDGDPolyPrivate::distToPoint(const zcSMDGDPoly& poly, const zcVector<2>& point) {
  return point.distance(closestPoint(poly, point));
}

zcRect zcSMDGDPoly::boundingBox(const zcXform<2>& xform) const {
  zcRect box;
  forEachSegment(*this, [&](long s) { box.enclose(segmentBoundingBox_(s, xform)); });
  return box;
}

// --- Builders -------------------------------------------------------------------------------------------

zcSMDGDPoly zcSMDGDPolyPrivate::subPoly(const zcSMDGDPoly& poly, long v, bool wrap) {
  v = poly.vertexIndex_(v, wrap);
  const zcSMDGDPolyVertex& at = poly.vertices()[v];
  zcSMDGDPoly piece(L"poly");
  const long ps = poly.previousSegmentIndex_(v);
  const long ns = poly.nextSegmentIndex_(v);
  zcSMDGDPolyVertex corner = at;
  corner.subModelLabel(-1);
  corner.segmentLengthTol(zcDimTol());
  if (ps != -1) {
    const double f = 1.0 - at.percentPrevSegment();
    zcSMDGDPolyVertex before;
    if (poly.isSegmentArc_(ps)) {
      before.point(poly.arcSegment_(ps).segPoint(f));
      corner.segmentAngleSpan(poly.segmentAngleSpan_(ps) * at.percentPrevSegment());
    } else {
      before.point(poly.lineSegment_(ps).segPoint(f));
    }
    piece << before;
  }
  piece << corner;
  if (ns != -1) {
    const double f = at.percentNextSegment();
    zcSMDGDPolyVertex after;
    if (poly.isSegmentArc_(ns)) {
      after.point(poly.arcSegment_(ns).segPoint(f));
      after.segmentAngleSpan(poly.segmentAngleSpan_(ns) * f);
    } else {
      after.point(poly.lineSegment_(ns).segPoint(f));
    }
    piece << after;
  }
  piece.reversed_ = poly.reversed_;
  piece.positiveArrow_ = poly.positiveArrow_;
  piece.negativeArrow_ = poly.negativeArrow_;
  piece.weight_ = poly.weight_;
  return piece;
}

zcSMDGDPoly zcSMDGDPolyPrivate::corner(const zcSMDGDPoly& poly, long v, bool wrap) {
  v = poly.vertexIndex_(v, wrap);
  if (poly.previousSegmentIndex_(v) == -1 || poly.nextSegmentIndex_(v) == -1) throw invalidIndex();
  return subPoly(poly, v, false);
}

void zcSMDGDPolyPrivate::reversePoly(const zcSMDGDPoly& source, zcSMDGDPoly& out) {
  const long n = source.numVertices();
  const auto& v = source.vertices();
  std::vector<zcSMDGDPolyVertex> list;
  list.reserve(v.size());
  for (long i = n - 1; i >= 0; --i) {
    // The segment that arrived at i + 1 now arrives at i.
    const zcSMDGDPolyVertex& next = v[(i + 1) % n];
    zcSMDGDPolyVertex copy = v[i];
    copy.segmentAngleSpan(-next.segmentAngleSpan());
    copy.segmentLengthTol(next.segmentLengthTol());
    copy.percentPrevSegment(v[i].percentNextSegment());
    copy.percentNextSegment(v[i].percentPrevSegment());
    copy.forwardExtension(v[i].backwardExtension());
    copy.backwardExtension(v[i].forwardExtension());
    list.push_back(copy);
  }
  // Validated once, closed as a whole: a closed outline's partial chains need not be
  // valid polys themselves.
  zcSMDGDPoly result(L"poly");
  result.open_ = source.open_;
  result.vertices(list);
  result.reversed_ = !source.reversed_;
  out = result;
}

void zcSMDGDPolyPrivate::deleteSegments(const zcSMDGDPoly& poly, const std::vector<long>& segments,
                                        std::vector<zcSMDGDPoly>& out) {
  const long n = poly.numVertices();
  if (n == 0 || segments.empty()) {
    out.assign(n == 0 ? 0 : 1, poly);
    return;
  }
  std::vector<bool> deleted(static_cast<std::size_t>(n), false);
  if (poly.isOpen()) deleted[0] = true;
  for (long s : segments) {
    if (s < (poly.isOpen() ? 1 : 0) || s >= n) throw invalidIndex();
    deleted[s] = true;
  }
  long start = -1;
  for (long v = 0; v < n && start == -1; ++v)
    if (deleted[v] && !deleted[(v + 1) % n]) start = v;
  if (start == -1) {
    out.clear();
    return;
  }

  std::vector<zcSMDGDPoly> pieces;
  std::vector<zcSMDGDPolyVertex> run;
  for (long k = 0; k < n; ++k) {
    const long v = (start + k) % n;
    const bool leavingDeleted = deleted[(v + 1) % n];
    if (run.empty() && leavingDeleted) continue;
    run.push_back(poly.vertices()[v]);
    if (leavingDeleted) {
      zcSMDGDPoly piece(L"poly");
      piece.vertices(run);
      pieces.push_back(std::move(piece));
      run.clear();
    }
  }
  out = std::move(pieces);
}

void zcSMDGDPolyPrivate::connectPolys(const zcSMDGDPoly& a, bool aAtEnd, const zcSMDGDPoly& b, bool bAtEnd,
                                      zcSMDGDPoly& out) {
  if (a.isClosed() || b.isClosed()) throw invalidVertices();
  zcSMDGDPoly first = a;
  if (!aAtEnd) reversePoly(a, first);
  zcSMDGDPoly second = b;
  if (bAtEnd) reversePoly(b, second);
  std::vector<zcSMDGDPolyVertex> list = first.vertices();
  for (std::size_t i = 0; i < second.vertices().size(); ++i) {
    zcSMDGDPolyVertex v = second.vertices()[i];
    // The joining segment is straight; the vertex keeps the rest of its data.
    if (i == 0) v.segmentAngleSpan(zcDegree(0.0));
    list.push_back(v);
  }
  first.vertices(list);
  out = first;
}

zcSMDGDPoly zcSMDGDPolyPrivate::convert(const zcPolygon& polygon) {
  // Appended as an open chain, then closed: no points fail the closing with
  // invalidVertices, a single point with its closing segment of length 0.
  zcSMDGDPoly poly(L"poly");
  for (const zcPoint& p : polygon.vertices()) poly << zcSMDGDPolyVertex(p, 0.5, 0.5, -1);
  poly.close();
  return poly;
}

// --- Crop ---------------------------------------------------------------------------------------------------

namespace {

struct Cut {
  double t;  // along the segment, 0 … 1
  zcVector<2> point;
};

// Where the unrounded segment s meets the pieces of the cutter, by position along it.
std::vector<Cut> cutsOf(const zcSMDGDPoly& poly, long s, const std::vector<OutlinePiece>& cutter) {
  const bool arc = poly.isSegmentArc_(s);
  OutlinePiece seg{arc, {}, {}, s, s};
  if (arc) seg.arc = poly.arcSegment_(s);
  else seg.line = poly.lineSegment_(s);
  std::vector<Cut> cuts;
  for (const OutlinePiece& q : cutter)
    for (const zcVector<2>& p : meetingPoints(seg, q)) {
      double t;
      if (arc) {
        const zcDegree turn = directionOf(p - seg.arc.center()) - seg.arc.startAngle();
        const double span = seg.arc.angleSpan().value();
        t = (span >= 0.0 ? turn.norm().value() : (-turn).norm().value()) / std::abs(span);
      } else {
        const zcVector<2> d = seg.line.p2() - seg.line.p1();
        t = (p - seg.line.p1()).dot(d) / d.lengthSq();
      }
      cuts.push_back({std::clamp(t, 0.0, 1.0), p});
    }
  std::sort(cuts.begin(), cuts.end(), [](const Cut& x, const Cut& y) { return x.t < y.t; });
  return cuts;
}

}  // namespace

zcSMDGDModel zcSMDGDPolyPrivate::crop(const zcSMDGDPoly& poly, const zcSMDGDPoly& cutter, bool keepInside) {
  if (cutter.isOpen()) throw notClosed();
  const long n = poly.numVertices();
  zcSMDGDModel out;
  if (n == 0) return out;
  const std::vector<OutlinePiece> cutterPieces = outline(cutter);
  constexpr double kEndTol = 1e-9;

  // The chain with every cut point as a sharp vertex; `cut` marks the vertices where
  // the chain is cut.
  std::vector<zcSMDGDPolyVertex> chain;
  std::vector<bool> cut;
  bool cutAtLast = false;
  for (long v = 0; v < n; ++v) {
    const long s = poly.previousSegmentIndex_(v);
    std::vector<Cut> cuts;
    if (s != -1 && n >= 2) cuts = cutsOf(poly, s, cutterPieces);
    bool cutAtVertex = false;
    double previousT = 0.0;
    const double span = s != -1 && n >= 2 ? poly.segmentAngleSpan_(s).value() : 0.0;
    for (const Cut& c : cuts) {
      if (c.t <= kEndTol) {
        // At the start vertex; for segment 0 of a closed poly that is the last one.
        if (chain.empty()) cutAtLast = true;
        else cut.back() = true;
        continue;
      }
      if (c.t >= 1.0 - kEndTol) {
        cutAtVertex = true;
        continue;
      }
      if (c.t - previousT <= kEndTol) continue;
      zcSMDGDPolyVertex inserted(c.point, 0.0, zcDegree(span * (c.t - previousT)), 0.5, 0.5, -1, zcDimTol());
      chain.push_back(inserted);
      cut.push_back(true);
      previousT = c.t;
    }
    zcSMDGDPolyVertex original = poly.vertices()[v];
    if (previousT > 0.0) {
      // A split segment keeps no length tolerance: it belonged to the whole.
      original.segmentAngleSpan(zcDegree(span * (1.0 - previousT)));
      original.segmentLengthTol(zcDimTol());
    }
    chain.push_back(original);
    cut.push_back(cutAtVertex);
  }
  if (cutAtLast) cut.back() = true;
  const long count = static_cast<long>(chain.size());
  long cuts = 0;
  for (bool c : cut) cuts += c ? 1 : 0;

  const auto keep = [&](const zcVector<2>& p) { return cutter.inside_(p) == keepInside; };
  const auto copyAttributes = [&](zcSMDGDPoly& piece) {
    piece.reversed_ = poly.reversed_;
    piece.colors_ = poly.colors_;
    piece.positiveArrow_ = poly.positiveArrow_;
    piece.negativeArrow_ = poly.negativeArrow_;
    piece.weight_ = poly.weight_;
  };

  if (cuts < (poly.isClosed() ? 2 : 1)) {
    // Not cut: the whole poly is on one side. Judge it by a point off the cutter.
    zcVector<2> probe = poly.vertices()[0].point();
    for (const zcSMDGDPolyVertex& v : poly.vertices())
      if (distToPoint(cutter, v.point()) > 1e-9) {
        probe = v.point();
        break;
      }
    if (keep(probe)) out << poly;
    return out;
  }

  // Runs from one cut vertex to the next (an open chain also ends at its ends).
  long begin = 0;
  if (poly.isClosed())
    while (!cut[begin]) ++begin;
  std::vector<zcSMDGDPolyVertex> run;
  const long steps = poly.isClosed() ? count + 1 : count;
  for (long k = 0; k < steps; ++k) {
    const long i = (begin + k) % count;
    run.push_back(chain[i]);
    const bool last = k == steps - 1;
    if ((cut[i] && run.size() >= 2) || last) {
      if (run.size() >= 2) {
        zcSMDGDPoly piece(L"poly");
        piece.vertices(run);
        // The middle of its first segment lies between two cuts, off the cutter.
        const zcVector<2> mid =
            piece.isSegmentArc_(1) ? piece.arcSegment_(1).segPoint(0.5) : piece.lineSegment_(1).midPoint();
        if (keep(mid)) {
          copyAttributes(piece);
          out << piece;
        }
      }
      run.assign(1, chain[i]);
    }
  }
  return out;
}

// --- Rectilinear editing ----------------------------------------------------------------------------------

namespace {

bool horizontal(const zcVector<2>& d) { return std::abs(d.y()) <= std::abs(d.x()); }

// Drops vertices between two segments of one direction and vertices that repeat the
// one before; in a closed chain vertex 0 too.
std::vector<zcSMDGDPolyVertex> dropStraight(std::vector<zcSMDGDPolyVertex> list, bool closed) {
  for (bool changed = true; changed && list.size() > 2;) {
    changed = false;
    const std::size_t n = list.size();
    for (std::size_t i = 0; i < n; ++i) {
      if (!closed && (i == 0 || i == n - 1)) continue;
      const zcVector<2>& p = list[(i + n - 1) % n].point();
      const zcVector<2>& q = list[i].point();
      const zcVector<2>& r = list[(i + 1) % n].point();
      const bool repeat = p == q;
      const bool straight = (p.x() == q.x() && q.x() == r.x()) || (p.y() == q.y() && q.y() == r.y());
      if (repeat || straight) {
        list.erase(list.begin() + static_cast<long>(i));
        changed = true;
        break;
      }
    }
  }
  return list;
}

}  // namespace

void zcSMDGDPolyPrivate::closeRectilinear(zcSMDGDPoly& poly) {
  std::vector<zcSMDGDPolyVertex> list = poly.vertices();
  const std::size_t n = list.size();
  if (n < 2) {
    poly.close();
    return;
  }
  const zcVector<2> first = list.front().point();
  const zcVector<2> last = list.back().point();
  if (first.x() != last.x() && first.y() != last.y()) {
    const bool lastHorizontal = horizontal(last - list[n - 2].point());
    const bool closingHorizontal = horizontal(first - last);
    if (lastHorizontal != closingHorizontal) {
      // The closing chord runs across the last segment: slide the last vertex along
      // that segment until the chord is straight.
      list.back().point(lastHorizontal ? zcVector<2>(first.x(), last.y()) : zcVector<2>(last.x(), first.y()));
    } else {
      // Turn by a right angle after the last segment, then run straight to vertex 0.
      const zcVector<2> corner = lastHorizontal ? zcVector<2>(last.x(), first.y()) : zcVector<2>(first.x(), last.y());
      list.emplace_back(corner, 0.5, 0.5, -1);
    }
  }
  list = dropStraight(std::move(list), true);
  zcSMDGDPoly result = poly;
  result.open_ = false;
  result.vertices(list);
  poly = result;
}

void zcSMDGDPolyPrivate::snapRectilinear(zcSMDGDPoly& poly) {
  if (isRectilinear(poly)) return;
  const zcDegree a = dominantAngle(poly);
  const zc2Rigid toFrame(zcRadian(-a), zcVector<2>());
  const long n = poly.numVertices();
  std::vector<zcSMDGDPolyVertex> list;
  list.reserve(static_cast<std::size_t>(n));
  for (long i = 0; i < n; ++i) {
    zcSMDGDPolyVertex v = poly.vertices()[i];
    const zcVector<2> p = toFrame.mapPoint(v.point());
    v.segmentAngleSpan(zcDegree(0.0));
    if (i == 0) {
      v.point(p);
    } else {
      // Across the segment keep the previous vertex's coordinate, along it this one's.
      const zcVector<2> prev = list.back().point();
      const zcVector<2> chord = p - toFrame.mapPoint(poly.vertices()[i - 1].point());
      v.point(std::abs(sin(directionOf(chord))) < kSin45 ? zcVector<2>(p.x(), prev.y()) : zcVector<2>(prev.x(), p.y()));
    }
    list.push_back(v);
  }
  list = dropStraight(std::move(list), false);
  zcSMDGDPoly framed = poly;
  framed.open_ = true;
  framed.vertices(list);
  if (poly.isClosed()) closeRectilinear(framed);
  poly = toFrame.inverse() * framed;
}

void zcSMDGDPolyPrivate::replaceVertexRectilinear(zcSMDGDPoly& poly, long i, const zcVector<2>& point) {
  i = poly.vertexIndex_(i, false);
  std::vector<zcSMDGDPolyVertex> list = poly.vertices();
  const long n = poly.numVertices();
  if (n >= 3 && isRectilinear(poly)) {
    const zcVector<2> old = list[i].point();
    for (const long s : {poly.previousSegmentIndex_(i), poly.nextSegmentIndex_(i)}) {
      if (s == -1) continue;
      const long j = s == i ? (i - 1 + n) % n : s;
      zcVector<2> q = list[j].point();
      if (horizontal(q - old)) q.y(point.y());
      else q.x(point.x());
      list[j].point(q);
    }
  }
  list[i].point(point);
  poly.vertices(list);
}
