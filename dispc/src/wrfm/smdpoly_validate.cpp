// SMD poly: the segments in their plain and rounded forms, the offset curves and the
// rounding of corners, the intersection predicates and the three validations.
//
// Pruning. Every edit runs a validation whose pairwise tests would be quadratic in the
// number of vertices. They are pruned without changing any outcome:
//  - Before the pairwise tests, every piece that the edit changed is built once (a
//    rounded line with coincident ends raises DegenerateShape there). Pieces the edit
//    did not touch were built by an earlier validation (the poly remembers whether all
//    its pieces can be built), so skipping them cannot hide a failure.
//  - Each piece has a box computed from the stored points alone, grown by far more
//    than the tolerances of the intersection routines; pieces with disjoint boxes
//    cannot meet, so their test is skipped. In the loops over all pieces only the
//    fixed piece's box is grown, by its own margin and by a bound on every other's
//    (the poly keeps that bound; it only grows between full validations).
//  - The full validation collects the pieces in a sparse grid (smdpoly_index.h) and
//    tests only pairs whose boxes meet. The plain loops report the first failure in
//    vertex order; the grid search finds every meeting pair and keeps the earliest, in
//    the same order.
//  - A large poly keeps its pieces in such a grid between edits, so that an edit tests
//    the pieces it changed only against those near them: an append costs the same at
//    any length. The changed pieces are tested from their present state, the index
//    holds the others, and the changed ones are put in it once the edit is accepted.
// A poly switched to the plain checks runs the plain loops only, so tests can hold one
// form against the other.
#include "dispc/wrfm/smdpoly.h"

#include "wrfm/smdpoly_index.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr double kZeroTol = 1e-15;
constexpr double kRadToDeg = 57.29577951308232;
// Relative growth of the pruning boxes: the intersection routines' own tolerances are
// below 1e-12 of the sizes involved.
constexpr double kBoxGrowth = 1e-9;
// Below this many pieces the full validation tests all pairs instead of a grid.
constexpr std::size_t kGridThreshold = 48;
// Below this many vertices the edits test all pieces (pruned by boxes) without an index.
constexpr long kIndexThreshold = 64;

zcDegree directionOf(const zcVector<2>& v) { return zcDegree(v.angle()); }

// --- Boxes -----------------------------------------------------------------------------

using Box = zcSMDGDPoly::Index::Box;

// These run once per vertex and edit: kept small enough to inline.
inline Box pointsBox(const zcVector<2>& a, const zcVector<2>& b) {
  const bool xs = a.x() <= b.x(), ys = a.y() <= b.y();
  return Box{xs ? a.x() : b.x(), ys ? a.y() : b.y(), xs ? b.x() : a.x(), ys ? b.y() : a.y()};
}

// The arc from p1 to p2 turning through `span` degrees. A minor arc lies in the disc on
// its chord (each of its points sees the chord at a right or obtuse angle); any other
// arc lies within twice its radius of the chord's middle.
inline Box chordArcBox(const zcVector<2>& p1, const zcVector<2>& p2, double span) {
  const zcVector<2> m = (p1 + p2) * 0.5;
  const zcVector<2> d = p2 - p1;
  const double chord = std::sqrt(d.lengthSq());
  double reach = 0.5 * chord;
  if (std::abs(span) > 180.0) reach = chord / std::abs(sin(zcDegree(0.5 * span)));
  return Box{m.x() - reach, m.y() - reach, m.x() + reach, m.y() + reach};
}

// The size that sets a box's growth: its largest coordinate magnitude plus its width
// and height. (With x0 <= x1 the larger magnitude is max(−x0, x1).)
inline double spread(const Box& b) {
  return std::abs(std::max(std::max(-b.x0, b.x1), std::max(-b.y0, b.y1))) + (b.x1 - b.x0) + (b.y1 - b.y0);
}

inline double growth(double spread) { return kBoxGrowth * (1.0 + spread); }

inline Box grown(const Box& b, double by) { return Box{b.x0 - by, b.y0 - by, b.x1 + by, b.y1 + by}; }
inline Box grown(const Box& b) { return grown(b, growth(spread(b))); }

inline bool disjoint(const Box& a, const Box& b) { return zcSMDGDPoly::Index::disjoint(a, b); }

// A piece as its end points and the degrees it turns through (0: a line).
struct Chord {
  zcVector<2> p1, p2;
  double span;
  bool arc;
  Box box() const { return arc ? chordArcBox(p1, p2, span) : pointsBox(p1, p2); }
};

// Smallest turn of an arc that is covered in parts: flatter arcs have centres so far
// away that their computed points stray further than a part's margin.
constexpr double kMinPartedSpan = 0.5;
// Most parts of one piece.
constexpr int kMaxParts = 64;

// Calls emit(box) for boxes that together cover the piece, each about `step` wide or
// less, grown by `by` and cut to `whole` (the piece's grown box). A line or a minor
// arc lies over its chord and within its sagitta of it, so the chord is cut into equal
// parts and each part's box grown by the sagitta. A piece of one part, or an arc that
// is flat or more than a half circle, gets `whole`.
template <class F>
void coverChord(const Chord& c, const Box& whole, double by, double step, F&& emit) {
  const zcVector<2> d = c.p2 - c.p1;
  const double extent = std::max(std::abs(d.x()), std::abs(d.y()));
  const double turn = std::abs(c.span);
  const double parts = std::ceil(std::min(extent / step, static_cast<double>(kMaxParts)));
  if (!(parts > 1.0) || (c.arc && !(turn >= kMinPartedSpan && turn <= 180.0))) {
    emit(whole);
    return;
  }
  const double sagitta = !c.arc ? 0.0 : 0.5 * std::sqrt(d.lengthSq()) * std::tan(turn * zkPi / 720.0);
  const int k = static_cast<int>(parts);
  zcVector<2> a = c.p1;
  for (int i = 1; i <= k; ++i) {
    const zcVector<2> b = i == k ? c.p2 : c.p1 + d * (static_cast<double>(i) / k);
    const Box part = grown(pointsBox(a, b), sagitta + by);
    emit(Box{std::max(part.x0, whole.x0), std::max(part.y0, whole.y0), std::min(part.x1, whole.x1),
             std::min(part.y1, whole.y1)});
    a = b;
  }
}

// Square cells about twice the mean extent of the boxes: a few pieces to a cell,
// whatever the outline's shape (long thin pieces raise the mean with the cells they
// would cover).
double cellFor(const std::vector<Box>& boxes) {
  double sum = 0.0;
  std::size_t count = 0;
  for (const Box& b : boxes) {
    const double extent = std::max(b.x1 - b.x0, b.y1 - b.y0);
    if (!(extent >= 0.0 && std::isfinite(extent))) continue;
    sum += extent;
    ++count;
  }
  const double cell = count == 0 ? 0.0 : 2.0 * sum / static_cast<double>(count);
  return cell > 0.0 && std::isfinite(cell) ? cell : 1.0;
}

// --- Pieces ---------------------------------------------------------------------------------

// A piece of the rounded outline: a rounded segment or a rounding arc.
struct Piece {
  bool isArc = false;
  zc2SegmentLine line;
  zc2SegmentArc arc;
};

// --- Meeting of two pieces -------------------------------------------------------------------
//
// Two pieces meet when they cross, touch or run along each other over a stretch (the
// intersection routines give no point for parallel lines or for arcs of one circle, so
// those overlaps are looked for apart). Adjacent segments that share a sharp vertex meet
// when they have a point other than that vertex in common; the second common point is
// computed with the vertex as origin and the known root divided out, so that short,
// nearly tangent pieces far from the origin are judged as finely as any others.

// The largest distance at which two computed points of these pieces count as one: a
// fraction of their size, plus the rounding error of coordinates as large as theirs.
double closeness(const Piece& a, const Piece& b) {
  double size = 0.0, far = 0.0;
  for (const Piece* p : {&a, &b}) {
    const zcVector<2> p1 = p->isArc ? p->arc.p1() : p->line.p1();
    const zcVector<2> p2 = p->isArc ? p->arc.p2() : p->line.p2();
    size = std::max(size, p1.distance(p2));
    if (p->isArc) size = std::max(size, std::min(2.0 * p->arc.radius(p->arc.startAngle()), p->arc.length()));
    far = std::max({far, std::abs(p1.x()), std::abs(p1.y()), std::abs(p2.x()), std::abs(p2.y())});
  }
  return 1e-9 * size + 1e-12 * far;
}

double arcRadius(const zc2SegmentArc& arc) { return arc.radius(arc.startAngle()); }

// Direction a on the arc's range, widened by `slack` degrees at both ends.
bool inSpan(const zc2SegmentArc& arc, zcDegree a, double slack) {
  const double span = arc.angleSpan().value();
  if (std::abs(span) + 2.0 * slack >= 360.0) return true;
  const double x = (span >= 0.0 ? a - arc.startAngle() : arc.startAngle() - a).norm().value();
  return x <= std::abs(span) + slack || x >= 360.0 - slack;
}

// A point of the arc's circle within `tol` of the arc.
bool onArc(const zc2SegmentArc& arc, const zcVector<2>& q, double tol) {
  const zcVector<2> c = arc.center();
  return q != c && inSpan(arc, directionOf(q - c), tol / arcRadius(arc) * kRadToDeg);
}

// Line m lies along line l (both ends within tol of it) and their ranges meet.
bool alongLine(const zc2SegmentLine& l, const zc2SegmentLine& m, double tol) {
  const zcVector<2> u = (l.p2() - l.p1()) / l.length();
  const zcVector<2> d1 = m.p1() - l.p1(), d2 = m.p2() - l.p1();
  if (std::abs(u.cross(d1)) > tol || std::abs(u.cross(d2)) > tol) return false;
  const double t1 = u.dot(d1), t2 = u.dot(d2);
  return std::max(t1, t2) >= -tol && std::min(t1, t2) <= l.length() + tol;
}

// Two lines along one line, or two arcs of one circle, that share a stretch or a point.
bool overlap(const Piece& a, const Piece& b, double tol) {
  if (!a.isArc && !b.isArc) return alongLine(a.line, b.line, tol) || alongLine(b.line, a.line, tol);
  if (!a.isArc || !b.isArc) return false;
  if (a.arc.center().distance(b.arc.center()) > tol || std::abs(arcRadius(a.arc) - arcRadius(b.arc)) > tol)
    return false;
  return onArc(a.arc, b.arc.p1(), tol) || onArc(a.arc, b.arc.p2(), tol) || onArc(b.arc, a.arc.p1(), tol) ||
         onArc(b.arc, a.arc.p2(), tol);
}

// Whether two pieces meet. The segment routines test the range of one piece before
// the other's, which can tip a point at the very end of a piece either way; asking
// both ways round makes the answer independent of the order of the pieces.
// `exclusive` ignores points at the pieces' ends (adjacent pieces with a rounding
// between them).
bool meets(const Piece& a, const Piece& b, bool exclusive) {
  bool found;
  if (!a.isArc && !b.isArc)
    found = !a.line.intersection(b.line, exclusive).empty() || !b.line.intersection(a.line, exclusive).empty();
  else if (a.isArc && !b.isArc) found = !a.arc.intersection(b.line, exclusive).empty();
  else if (!a.isArc) found = !b.arc.intersection(a.line, exclusive).empty();
  else found = !a.arc.intersection(b.arc, exclusive).empty() || !b.arc.intersection(a.arc, exclusive).empty();
  return found || overlap(a, b, closeness(a, b));
}

// The sharp vertices that two adjacent segments share (two when a closed poly has two
// vertices).
struct Shared {
  zcVector<2> points[2];
  int count = 0;
  bool near(const zcVector<2>& q, double tol) const {
    for (int i = 0; i < count; ++i)
      if (q.distance(points[i]) <= tol) return true;
    return false;
  }
};

zcVector<2> farEnd(const Piece& p, const zcVector<2>& from) {
  const zcVector<2> p1 = p.isArc ? p.arc.p1() : p.line.p1();
  const zcVector<2> p2 = p.isArc ? p.arc.p2() : p.line.p2();
  return from.distance(p1) >= from.distance(p2) ? p1 : p2;
}

// The span of an arc as travelled away from its end at `from`.
double spanFrom(const zc2SegmentArc& arc, const zcVector<2>& from) {
  const double span = arc.angleSpan().value();
  return from.distance(arc.p1()) <= from.distance(arc.p2()) ? span : -span;
}

// Whether pieces a and b, which both end at the sharp vertex P = shared.points[0], have
// another point in common. Points near a shared vertex do not count.
bool meetBeyond(const Piece& a, const Piece& b, const Shared& shared) {
  const zcVector<2>& p = shared.points[0];
  const double tol = closeness(a, b);
  if (a.isArc != b.isArc) {
    // The line from P along u meets the circle through P around c again at t = 2 u·c.
    const Piece& line = a.isArc ? b : a;
    const zc2SegmentArc& arc = a.isArc ? a.arc : b.arc;
    const zcVector<2> e = farEnd(line, p) - p;
    const double length = std::sqrt(e.lengthSq());
    const zcVector<2> u = e / length;
    const double t = 2.0 * u.dot(arc.center() - p);
    if (t <= tol || t > length + tol) return false;
    const zcVector<2> q = p + u * t;
    return !shared.near(q, tol) && onArc(arc, q, 0.0);
  }
  const zcVector<2> c1 = a.arc.center() - p, c2 = b.arc.center() - p;
  const zcVector<2> d = c2 - c1;
  if (std::sqrt(d.lengthSq()) > tol) {
    // Two circles through P meet again at P mirrored in the line of their centres.
    const zcVector<2> q = (c1 - d * (c1.dot(d) / d.lengthSq())) * 2.0;
    if (std::sqrt(q.lengthSq()) <= tol || shared.near(p + q, tol)) return false;
    return onArc(a.arc, p + q, 0.0) && onArc(b.arc, p + q, 0.0);
  }
  // One circle: the arcs overlap when they leave P the same way round, or when together
  // they turn further than once round; exactly once round, their far ends meet.
  const double sa = spanFrom(a.arc, p), sb = spanFrom(b.arc, p);
  if ((sa > 0.0) == (sb > 0.0)) return true;
  const double slack = tol / arcRadius(a.arc) * kRadToDeg;
  const double total = std::abs(sa) + std::abs(sb);
  if (total > 360.0 + slack) return true;
  return total >= 360.0 - slack && !shared.near(farEnd(a, p), tol);
}

// The vertices whose rounding depends on vertex v (v first). Besides its neighbours:
// vertex N − 2 when v = 0 closes the poly, and the vertex two along from an end of an
// open poly, whose segment towards the end stops being an end segment (and so lends
// only its half) when a vertex is added there.
std::vector<long> roundingNeighbours(long n, long v, bool closed) {
  std::vector<long> out{v};
  if (n != 1) out.push_back((v - 1 + n) % n);
  if (n != 2) out.push_back((v + 1) % n);
  if (n > 3 && v == 0 && closed) out.push_back(n - 2);
  if (!closed && n > 3 && v == n - 1) out.push_back(n - 3);
  if (!closed && n > 3 && v == 0) out.push_back(2);
  return out;
}

// The predicates of the validation over one poly, plain or pruned. Reads the poly's
// data directly: these loops run once per vertex per edit.
class Checker {
public:
  // `spreadBound` bounds spread() of every piece of the poly: the loops then grow only
  // the fixed piece's box, by its own growth and by the largest any other could need.
  Checker(const zcSMDGDPoly& poly, bool prune, double spreadBound = 0.0, zcSMDGDPoly::Index* index = nullptr)
      : poly_(poly),
        v_(poly.vertices()),
        start_(poly.roundedStartPoints()),
        end_(poly.roundedEndPoints()),
        span_(poly.roundedSpans()),
        n_(poly.numVertices()),
        open_(poly.isOpen()),
        prune_(prune),
        otherGrowth_(growth(spreadBound)),
        index_(prune ? index : nullptr) {}

  long n() const { return n_; }
  bool rounded(long u) const {
    return std::abs(v_[u].vertexRadius()) > kZeroTol && !(open_ && (u == 0 || u == n_ - 1));
  }
  long prevSeg(long u) const { return open_ && u == 0 ? -1 : u; }
  long nextSeg(long u) const { return open_ && u == n_ - 1 ? -1 : (u + 1) % n_; }
  bool segArc(long s) const {
    const zcDegree span = v_[s].segmentAngleSpan();
    return span.value() != 0.0 && std::abs(span.signedNorm().value()) > kZeroTol;
  }
  bool adjacent(long a, long b) const {
    if (open_) return a - b == 1 || b - a == 1;
    const long d = ((a - b) % n_ + n_) % n_;
    return d == 1 || d == n_ - 1;
  }

  // Boxes as the stored points give them, not grown.
  // The rounded segment lies on the arc of the plain one.
  Chord segChord(long s) const {
    const long a = s == 0 ? n_ - 1 : s - 1;
    if (segArc(s)) return Chord{v_[a].point(), v_[s].point(), poly_.segmentAngleSpan_(s).value(), true};
    return Chord{end_[a], start_[s], 0.0, false};
  }
  Chord arcChord(long w) const { return Chord{start_[w], end_[w], span_[w], true}; }
  Box segBox(long s) const { return segChord(s).box(); }
  Box arcBox(long w) const { return arcChord(w).box(); }
  // The largest spread of the pieces that depend on the roundings of `updated`, or of
  // all pieces.
  double spreadAround(const std::vector<long>& updated) const {
    double out = 0.0;
    for (long w : updated) {
      if (rounded(w)) out = std::max(out, spread(arcBox(w)));
      if (prevSeg(w) != -1) out = std::max(out, spread(segBox(prevSeg(w))));
      if (nextSeg(w) != -1) out = std::max(out, spread(segBox(nextSeg(w))));
    }
    return out;
  }
  double spreadAll() const {
    double out = 0.0;
    for (long v = 0; v < n_; ++v) {
      if (rounded(v)) out = std::max(out, spread(arcBox(v)));
      if (prevSeg(v) != -1) out = std::max(out, spread(segBox(v)));
    }
    return out;
  }

  Piece segPiece(long s) const {
    Piece p;
    p.isArc = segArc(s);
    if (p.isArc) p.arc = poly_.roundedArcSegment_(s);
    else p.line = poly_.roundedLineSegment_(s);
    return p;
  }
  Piece arcPiece(long w) const {
    Piece p;
    p.isArc = true;
    p.arc = poly_.roundedArcVertex_(w);
    return p;
  }

  // The pieces that depend on the roundings of `updated`, built once: this is where a
  // rounded line with coincident ends or a rounding arc that cannot be built fails.
  void buildAround(const std::vector<long>& updated) const {
    for (long w : updated) {
      if (rounded(w)) (void)arcPiece(w);
      if (prevSeg(w) != -1) (void)segPiece(prevSeg(w));
      if (nextSeg(w) != -1) (void)segPiece(nextSeg(w));
    }
  }
  // Every piece in vertex order: the rounding arc of v, then the segment arriving at v.
  void buildAll() const {
    for (long v = 0; v < n_; ++v) {
      if (rounded(v)) (void)arcPiece(v);
      if (prevSeg(v) != -1) (void)segPiece(prevSeg(v));
    }
  }
  bool allBuildable() const {
    try {
      buildAll();
    } catch (const zcException&) {
      return false;
    }
    return true;
  }

  // Whether rounded segments a and b meet; adjacent ones apart from the sharp vertices
  // they share. Two adjacent lines never meet, not even by doubling back.
  bool segmentsMeet(long a, const Piece& pa, long b, const Piece& pb) const {
    if (!adjacent(a, b)) return meets(pa, pb, false);
    if (!pa.isArc && !pb.isArc) return false;
    Shared shared;
    const auto startOf = [&](long s) { return s == 0 ? n_ - 1 : s - 1; };
    if (startOf(b) == a && !rounded(a)) shared.points[shared.count++] = v_[a].point();
    if (startOf(a) == b && !rounded(b)) shared.points[shared.count++] = v_[b].point();
    if (shared.count == 0) return meets(pa, pb, true);
    return meetBeyond(pa, pb, shared);
  }

  bool vertexVertex(long a, long b) const {
    if (!rounded(a) || !rounded(b)) return false;
    if (prune_ && disjoint(grown(arcBox(a)), grown(arcBox(b)))) return false;
    return meets(arcPiece(a), arcPiece(b), false);
  }
  bool segmentVertex(long s, long v) const {
    if (!rounded(v) || s == prevSeg(v) || s == nextSeg(v)) return false;
    if (prune_ && disjoint(grown(segBox(s)), grown(arcBox(v)))) return false;
    return meets(segPiece(s), arcPiece(v), false);
  }
  bool segmentSegment(long a, long b) const {
    if (prune_ && disjoint(grown(segBox(a)), grown(segBox(b)))) return false;
    return segmentsMeet(a, segPiece(a), b, segPiece(b));
  }

  // The loops below are the predicates above with the fixed piece's box and form
  // computed once; the other pieces' boxes are taken as they are and the fixed one
  // grown for both.
  bool segmentPoly(long s, long limit) const {
    const Box box = prune_ ? grown(grown(segBox(s)), otherGrowth_) : Box{};
    Lazy self(*this, s, false);
    return anyPiece(limit, box, [&](long u, bool arc) {
      if (arc)
        return rounded(u) && s != prevSeg(u) && s != nextSeg(u) && !(prune_ && disjoint(box, arcBox(u))) &&
               meets(self.get(), arcPiece(u), false);
      const long pu = prevSeg(u);
      if (pu == -1 || pu == s || (prune_ && disjoint(box, segBox(pu)))) return false;
      return segmentsMeet(s, self.get(), pu, segPiece(pu));
    });
  }
  bool vertexPoly(long v, long limit) const {
    if (!rounded(v)) return false;
    const Box box = prune_ ? grown(grown(arcBox(v)), otherGrowth_) : Box{};
    const long pv = prevSeg(v), nv = nextSeg(v);
    Lazy self(*this, v, true);
    return anyPiece(limit, box, [&](long u, bool arc) {
      if (arc)
        return u != v && rounded(u) && !(prune_ && disjoint(box, arcBox(u))) && meets(self.get(), arcPiece(u), false);
      const long pu = prevSeg(u);
      if (pu == -1 || pu == pv || pu == nv || (prune_ && disjoint(box, segBox(pu)))) return false;
      return meets(segPiece(pu), self.get(), false);
    });
  }

  // --- The piece index ---------------------------------------------------------------------
  static std::uint32_t segId(long s) { return static_cast<std::uint32_t>(2 * s); }
  static std::uint32_t arcId(long v) { return static_cast<std::uint32_t>(2 * v + 1); }
  // The box of a piece of the present state, kNone where there is no such piece.
  Box pieceBox(std::uint32_t id) const {
    const long u = static_cast<long>(id / 2);
    if (id % 2 == 1) return rounded(u) ? arcBox(u) : zcSMDGDPoly::Index::kNone;
    return prevSeg(u) != -1 ? segBox(u) : zcSMDGDPoly::Index::kNone;
  }
  // The pieces that depend on the roundings of `updated`: their boxes in the index may
  // be those before the edit.
  void changed(const std::vector<long>& updated) {
    changed_.clear();
    for (long w : updated) {
      changed_.push_back(arcId(w));
      for (long s : {prevSeg(w), nextSeg(w)})
        if (s != -1) changed_.push_back(segId(s));
    }
  }
  const std::vector<std::uint32_t>& changedPieces() const { return changed_; }
  std::unique_ptr<zcSMDGDPoly::Index> buildIndex() const {
    std::vector<Box> boxes(static_cast<std::size_t>(2 * n_));
    for (std::uint32_t id = 0; id < boxes.size(); ++id) boxes[id] = pieceBox(id);
    auto index = std::make_unique<zcSMDGDPoly::Index>(cellFor(boxes), n_);
    for (std::uint32_t id = 0; id < boxes.size(); ++id) index->put(id, boxes[id]);
    return index;
  }

  // Two corners of one sub-model must not claim more than the whole segment between.
  bool labelsOverlap(long p, long v) const {
    const std::int32_t label = v_[v].subModelLabel();
    return label != -1 && label == v_[p].subModelLabel() &&
           v_[p].percentNextSegment() + v_[v].percentPrevSegment() > 1.0;
  }

private:
  // Whether visit(u, arc) holds for a piece of the vertices 0 … limit (−1: all): the
  // rounding arc of u, then the segment arriving at u, in vertex order. With an index,
  // over the changed pieces and the indexed ones whose box meets `box`.
  template <class Visit>
  bool anyPiece(long limit, const Box& box, Visit&& visit) const {
    if (index_ != nullptr && limit < 0) {
      for (std::uint32_t id : changed_)
        if (visit(static_cast<long>(id / 2), id % 2 == 1)) return true;
      return index_->any(box, [&](std::uint32_t id) {
        const long u = static_cast<long>(id / 2);
        return u < n_ && std::find(changed_.begin(), changed_.end(), id) == changed_.end() &&
               visit(u, id % 2 == 1);
      });
    }
    const long last = limit < 0 ? n_ - 1 : limit;
    for (long u = 0; u <= last; ++u)
      if (visit(u, true) || visit(u, false)) return true;
    return false;
  }

  // The fixed piece of a loop, built when first needed.
  class Lazy {
  public:
    Lazy(const Checker& c, long index, bool arc) : c_(c), index_(index), arc_(arc) {}
    const Piece& get() {
      if (!built_) {
        piece_ = arc_ ? c_.arcPiece(index_) : c_.segPiece(index_);
        built_ = true;
      }
      return piece_;
    }

  private:
    const Checker& c_;
    long index_;
    bool arc_;
    bool built_ = false;
    Piece piece_;
  };

  const zcSMDGDPoly& poly_;
  const std::vector<zcSMDGDPolyVertex>& v_;
  const std::vector<zcVector<2>>& start_;
  const std::vector<zcVector<2>>& end_;
  const std::vector<double>& span_;
  long n_;
  bool open_;
  bool prune_;
  double otherGrowth_;
  zcSMDGDPoly::Index* index_;
  std::vector<std::uint32_t> changed_;
};

// --- The grid search of the full validation ----------------------------------------------

struct Item {
  Box box;  // the chord's box, grown
  long index;  // vertex of a rounding arc, or segment
  bool arc;
  long time;   // the vertex at which the plain loops reach this piece
  Chord chord;
};

// Spreads the low 32 bits of x to the even bits.
std::uint64_t evenBits(std::uint64_t x) {
  x &= 0xFFFFFFFFull;
  x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
  x = (x | (x << 8)) & 0x00FF00FF00FF00FFull;
  x = (x | (x << 4)) & 0x0F0F0F0F0F0F0F0Full;
  x = (x | (x << 2)) & 0x3333333333333333ull;
  return (x | (x << 1)) & 0x5555555555555555ull;
}

// The bucket (of 2^bits) of cell (x, y): the cell's place on a Z curve, folded by a hash
// of the block of 2^bits cells it lies in. Neighbouring cells of one block land in
// nearby buckets, so that a walk along an outline stays in the cache.
std::uint64_t bucketOf(std::int64_t x, std::int64_t y, int bits) {
  const std::uint64_t z = evenBits(static_cast<std::uint64_t>(x)) | evenBits(static_cast<std::uint64_t>(y)) << 1;
  const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
  return (z ^ (((z >> bits) * 0x9E3779B97F4A7C15ull) >> (64 - bits))) & mask;
}

// The length pieces are cut to in the grid search: the lower quartile of the segments'
// extents (rounding arcs, often tiny, do not count). Along an outline, pieces that
// length apart are the usual neighbours however long some pieces are (the flanks of
// fine teeth), so that cells twice as wide hold a few parts each.
double stepFor(const std::vector<Item>& items) {
  std::vector<double> extents;
  extents.reserve(items.size());
  for (const Item& item : items) {
    const Box b = item.chord.box();
    const double extent = std::max(b.x1 - b.x0, b.y1 - b.y0);
    if (!item.arc && extent > 0.0 && std::isfinite(extent)) extents.push_back(extent);
  }
  if (extents.empty()) return 1.0;
  const auto q = extents.begin() + static_cast<std::ptrdiff_t>(extents.size() / 4);
  std::nth_element(extents.begin(), q, extents.end());
  return *q;
}

// The earliest vertex at which the plain loops of the full validation would meet two
// crossing pieces; n when none cross.
class CrossingSearch {
public:
  CrossingSearch(const Checker& c, std::vector<Item> items) : c_(c), items_(std::move(items)) {}

  long earliest() {
    collectPairs();
    std::sort(pairs_.begin(), pairs_.end(), [](const Pair& a, const Pair& b) {
      return a.time != b.time ? a.time < b.time : (a.i != b.i ? a.i < b.i : a.j < b.j);
    });
    for (const Pair& p : pairs_)
      if (crosses(items_[p.i], items_[p.j])) return p.time;
    return c_.n();
  }

private:
  struct Pair {
    long time;
    std::uint32_t i, j;
  };

  // The pair as the plain loops test it.
  bool crosses(const Item& a, const Item& b) const {
    if (a.arc && b.arc) return meets(c_.arcPiece(a.index), c_.arcPiece(b.index), false);
    if (a.arc != b.arc) {
      const Item& seg = a.arc ? b : a;
      const Item& arc = a.arc ? a : b;
      if (seg.index == c_.prevSeg(arc.index) || seg.index == c_.nextSeg(arc.index)) return false;
      return meets(c_.segPiece(seg.index), c_.arcPiece(arc.index), false);
    }
    return c_.segmentsMeet(a.index, c_.segPiece(a.index), b.index, c_.segPiece(b.index));
  }

  void add(std::uint32_t i, std::uint32_t j) {
    if (disjoint(items_[i].box, items_[j].box)) return;
    pairs_.push_back({std::max(items_[i].time, items_[j].time), std::min(i, j), std::max(i, j)});
  }

  void collectPairs() {
    const std::size_t m = items_.size();
    if (m < kGridThreshold) {
      for (std::uint32_t i = 0; i < m; ++i)
        for (std::uint32_t j = i + 1; j < m; ++j) add(i, j);
      return;
    }
    // The parts of every piece, piece by piece.
    const double step = stepFor(items_);
    const double cell = 2.0 * step;
    std::vector<Box> parts;
    std::vector<std::uint32_t> owner, first(m + 1, 0);
    parts.reserve(12 * m);
    owner.reserve(12 * m);
    for (std::uint32_t i = 0; i < m; ++i) {
      first[i] = static_cast<std::uint32_t>(parts.size());
      const Item& item = items_[i];
      coverChord(item.chord, item.box, growth(spread(item.chord.box())), cell, [&](const Box& b) {
        parts.push_back(b);
        owner.push_back(i);
      });
    }
    first[m] = static_cast<std::uint32_t>(parts.size());

    // A flat grid: the parts of each cell, the cells hashed to buckets and the parts
    // counted into place. Parts over too many cells are kept apart and met by all.
    const std::size_t buckets = std::bit_ceil(std::max<std::size_t>(64, parts.size()));
    const int bits = std::countr_zero(buckets);
    const auto eachBucket = [&](const Box& b, auto&& f) {
      const zcSMDGDPoly::Index::Range r = zcSMDGDPoly::Index::range(b, cell);
      if (r.big) return false;
      for (std::int64_t y = r.y0; y <= r.y1; ++y)
        for (std::int64_t x = r.x0; x <= r.x1; ++x) f(static_cast<std::size_t>(bucketOf(x, y, bits)));
      return true;
    };
    std::vector<std::uint32_t> start(buckets + 1, 0), big;
    for (std::uint32_t p = 0; p < parts.size(); ++p)
      if (!eachBucket(parts[p], [&](std::size_t k) { ++start[k + 1]; })) big.push_back(p);
    for (std::size_t k = 0; k < buckets; ++k) start[k + 1] += start[k];
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1), entries(start[buckets]);
    for (std::uint32_t p = 0; p < parts.size(); ++p) eachBucket(parts[p], [&](std::size_t k) { entries[fill[k]++] = p; });

    // Each piece against the later pieces whose parts meet one of its own.
    std::vector<std::uint32_t> near;
    for (std::uint32_t i = 0; i < m; ++i) {
      near.clear();
      const auto visit = [&](std::uint32_t p, std::uint32_t q) {
        if (owner[q] > i && !disjoint(parts[p], parts[q])) near.push_back(owner[q]);
      };
      for (std::uint32_t p = first[i]; p < first[i + 1]; ++p) {
        const bool inCells = eachBucket(parts[p], [&](std::size_t k) {
          for (std::uint32_t e = start[k]; e < start[k + 1]; ++e) visit(p, entries[e]);
        });
        if (!inCells)
          for (std::uint32_t q = first[i + 1]; q < parts.size(); ++q) visit(p, q);
        else
          for (std::uint32_t q : big) visit(p, q);
      }
      std::sort(near.begin(), near.end());
      near.erase(std::unique(near.begin(), near.end()), near.end());
      for (std::uint32_t j : near) add(i, j);
    }
  }

  const Checker& c_;
  std::vector<Item> items_;
  std::vector<Pair> pairs_;
};

}  // namespace

// --- The piece index -------------------------------------------------------------------------

zcSMDGDPoly::Index::Range zcSMDGDPoly::Index::range(const Box& b, double cell) {
  // Cells beyond ±2^30 are clamped: the mapping stays monotonic, so boxes that meet
  // still share a cell.
  const auto cellOf = [&](double x) {
    return static_cast<std::int64_t>(std::clamp(std::floor(x / cell), -1073741824.0, 1073741824.0));
  };
  if (!(std::isfinite(b.x0) && std::isfinite(b.y0) && std::isfinite(b.x1) && std::isfinite(b.y1)))
    return Range{0, 0, 0, 0, true};
  const Range r{cellOf(b.x0), cellOf(b.y0), cellOf(b.x1), cellOf(b.y1), false};
  const double cells = static_cast<double>(r.x1 - r.x0 + 1) * static_cast<double>(r.y1 - r.y0 + 1);
  return cells > 64.0 ? Range{r.x0, r.y0, r.x1, r.y1, true} : r;
}

void zcSMDGDPoly::Index::link(std::uint32_t id, const Box& box, bool add) {
  if (box.x0 > box.x1) return;  // no piece
  const auto edit = [&](std::vector<std::uint32_t>& list) {
    if (add) {
      list.push_back(id);
      return;
    }
    const auto it = std::find(list.begin(), list.end(), id);
    *it = list.back();
    list.pop_back();
  };
  const Range r = range(box, cell_);
  if (r.big) {
    edit(big_);
    return;
  }
  for (std::int64_t y = r.y0; y <= r.y1; ++y)
    for (std::int64_t x = r.x0; x <= r.x1; ++x) {
      std::vector<std::uint32_t>& list = cells_[key(x, y)];
      edit(list);
      if (list.empty()) cells_.erase(key(x, y));
    }
}

void zcSMDGDPoly::Index::put(std::uint32_t id, const Box& box) {
  if (id >= boxes_.size()) boxes_.resize(id + 1, kNone);
  if (logging) log.emplace_back(id, boxes_[id]);
  link(id, boxes_[id], false);
  boxes_[id] = box;
  link(id, box, true);
}

void zcSMDGDPoly::Index::undo() {
  const bool was = logging;
  logging = false;
  for (auto e = log.rbegin(); e != log.rend(); ++e) put(e->first, e->second);
  log.clear();
  logging = was;
}

// --- Geometric forms -----------------------------------------------------------------------

zc2SegmentLine zcSMDGDPoly::lineSegment_(long s) const {
  const long a = previousVertexIndex_(s);
  return zc2SegmentLine(vertices_[a].point(), vertices_[s].point());
}

zc2SegmentArc zcSMDGDPoly::arcSegment_(long s) const {
  const long a = previousVertexIndex_(s);
  return zc2SegmentArc(vertices_[a].point(), vertices_[s].point(), segmentAngleSpan_(s));
}

zc2SegmentLine zcSMDGDPoly::roundedLineSegment_(long s) const {
  const long a = previousVertexIndex_(s);
  return zc2SegmentLine(roundedEnd_[a], roundedStart_[s]);
}

zc2SegmentArc zcSMDGDPoly::roundedArcSegment_(long s) const {
  const long a = previousVertexIndex_(s);
  const zc2SegmentArc arc = arcSegment_(s);
  const zcVector<2> c = arc.center();
  const zcDegree start = arc.startAngle();
  const zcDegree d1 = (directionOf(roundedEnd_[a] - c) - start).signedNorm();
  const zcDegree d2 = (directionOf(roundedStart_[s] - c) - arc.endAngle()).signedNorm();
  return zc2SegmentArc(c, c.distance(arc.p1()), start + d1, segmentAngleSpan_(s) - d1 + d2);
}

zc2SegmentArc zcSMDGDPoly::roundedArcVertex_(long v) const {
  v = vertexIndex_(v, false);
  return zc2SegmentArc(roundedStart_[v], roundedEnd_[v], zcDegree(roundedSpan_[v]));
}

zcDegree zcSMDGDPoly::segmentStartDirection_(long s) const {
  return isSegmentArc_(s) ? arcSegment_(s).startDirection() : lineSegment_(s).angle();
}

zcDegree zcSMDGDPoly::segmentEndDirection_(long s) const {
  return isSegmentArc_(s) ? arcSegment_(s).endDirection() : lineSegment_(s).angle();
}

double zcSMDGDPoly::segmentLength_(long s) const {
  return isSegmentArc_(s) ? arcSegment_(s).length() : lineSegment_(s).length();
}

double zcSMDGDPoly::roundedSegmentLength_(long s) const {
  return isSegmentArc_(s) ? roundedArcSegment_(s).length() : roundedLineSegment_(s).length();
}

zcVector<2> zcSMDGDPoly::closestSegmentPoint_(long s, const zcVector<2>& p) const {
  return isSegmentArc_(s) ? arcSegment_(s).closestPoint(p) : lineSegment_(s).closestPoint(p);
}

zcVector<2> zcSMDGDPoly::closestRoundedSegmentPoint_(long s, const zcVector<2>& p) const {
  return isSegmentArc_(s) ? roundedArcSegment_(s).closestPoint(p) : roundedLineSegment_(s).closestPoint(p);
}

zcRect zcSMDGDPoly::segmentBoundingBox_(long s, const zcXform<2>& xform) const {
  return isSegmentArc_(s) ? (xform * arcSegment_(s)).boundingBox() : (xform * lineSegment_(s)).boundingBox();
}

// --- Offset curves ------------------------------------------------------------------------------

zc2SegmentLine zcSMDGDPoly::slideLineSegment_(long s, double d) const {
  const zc2SegmentLine line = lineSegment_(s);
  const zcVector<2> along = (line.p2() - line.p1()) / line.length();
  // To the right of the direction of travel: the direction turned by −90 degrees.
  const zcVector<2> offset = zcVector<2>(along.y(), -along.x()) * d;
  return zc2SegmentLine(line.p1() + offset, line.p2() + offset);
}

zc2SegmentLine zcSMDGDPoly::firstHalfSlideLineSegment_(long s, double d) const {
  const zc2SegmentLine slid = slideLineSegment_(s, d);
  return zc2SegmentLine(slid.p1(), slid.midPoint());
}

zc2SegmentLine zcSMDGDPoly::secondHalfSlideLineSegment_(long s, double d) const {
  const zc2SegmentLine slid = slideLineSegment_(s, d);
  return zc2SegmentLine(slid.midPoint(), slid.p2());
}

zc2SegmentArc zcSMDGDPoly::slideArc_(long s, double d) const {
  const zc2SegmentArc arc = arcSegment_(s);
  const double span = segmentAngleSpan_(s).value();
  // The right of travel is outside a counter-clockwise arc and inside a clockwise one.
  if (span < 0.0) d = -d;
  const zcVector<2> c = arc.center();
  const double radius = c.distance(arc.p1()) + d;
  // A radius of exactly 0 is left to the arc, which refuses it as degenerate.
  if (radius < 0.0) throw invalidRounding();
  return zc2SegmentArc(c, radius, arc.startAngle(), zcDegree(span));
}

zc2SegmentArc zcSMDGDPoly::firstHalfSlideArc_(long s, double d) const {
  const zc2SegmentArc slid = slideArc_(s, d);
  const zcDegree span = segmentAngleSpan_(s);
  return zc2SegmentArc(slid.center(), slid.radius(slid.startAngle()), slid.startAngle(), span * 0.5);
}

zc2SegmentArc zcSMDGDPoly::secondHalfSlideArc_(long s, double d) const {
  const zc2SegmentArc slid = slideArc_(s, d);
  const zcDegree span = segmentAngleSpan_(s);
  return zc2SegmentArc(slid.center(), slid.radius(slid.startAngle()), slid.startAngle() + span * 0.5, span * 0.5);
}

// --- Rounding -------------------------------------------------------------------------------------

zcDegree zcSMDGDPolyPrivate::vertexAngle(const zcSMDGDPoly& poly, long v) {
  const long ps = poly.previousSegmentIndex_(v);
  const long ns = poly.nextSegmentIndex_(v);
  if (ps == -1 || ns == -1) throw invalidIndex();
  return (zcDegree(180.0) - (poly.segmentStartDirection_(ns) - poly.segmentEndDirection_(ps))).signedNorm();
}

zcVector<2> zcSMDGDPolyPrivate::roundPoint(const zcSMDGDPoly& poly, long v) {
  if (!poly.isVertexRounded_(v)) return poly.vertex(v).point();
  return poly.roundPoint_(v);
}

zcVector<2> zcSMDGDPoly::roundPoint_(long v) const {
  v = vertexIndex_(v, false);
  if (!isVertexRounded_(v)) return vertices_[v].point();
  const double r = vertexRadius_(v);
  const double d = zcSMDGDPolyPrivate::vertexAngle(*this, v).value() < 0.0 ? r : -r;
  const long ps = previousSegmentIndex_(v);
  const long ns = nextSegmentIndex_(v);
  const long n = numVertices();
  // The ends of an open poly lend their whole segment; elsewhere a corner may use
  // only the half of each segment next to it.
  const auto wholeSegment = [&](long s) { return open_ && (s == 1 || s == n - 1); };

  Piece prev, next;
  prev.isArc = isSegmentArc_(ps);
  if (prev.isArc) prev.arc = wholeSegment(ps) ? slideArc_(ps, d) : secondHalfSlideArc_(ps, d);
  else prev.line = wholeSegment(ps) ? slideLineSegment_(ps, d) : secondHalfSlideLineSegment_(ps, d);
  next.isArc = isSegmentArc_(ns);
  if (next.isArc) next.arc = wholeSegment(ns) ? slideArc_(ns, d) : firstHalfSlideArc_(ns, d);
  else next.line = wholeSegment(ns) ? slideLineSegment_(ns, d) : firstHalfSlideLineSegment_(ns, d);

  std::vector<zcVector<2>> hits;
  if (!prev.isArc && !next.isArc) hits = prev.line.intersection(next.line, false);
  else if (prev.isArc && !next.isArc) hits = prev.arc.intersection(next.line, false);
  else if (!prev.isArc) hits = next.arc.intersection(prev.line, false);
  else hits = prev.arc.intersection(next.arc, false);

  if (hits.size() == 1) return hits[0];
  if (hits.size() == 2) {
    const zcVector<2>& p = vertices_[v].point();
    return p.distance(hits[0]) < p.distance(hits[1]) ? hits[0] : hits[1];
  }
  throw invalidRounding();
}

void zcSMDGDPoly::computeVertexRounding_(long v) {
  v = vertexIndex_(v, false);
  const zcVector<2>& point = vertices_[v].point();
  if (!isVertexRounded_(v)) {
    storeRounding_(v, point, point, 0.0);
    return;
  }
  const zcVector<2> c = roundPoint_(v);
  const zcVector<2> start = closestSegmentPoint_(previousSegmentIndex_(v), c);
  const zcVector<2> end = closestSegmentPoint_(nextSegmentIndex_(v), c);
  const double span = ((end - c).angle() - (start - c).angle()).signedNorm().value() * kRadToDeg;
  storeRounding_(v, start, end, span);
}

void zcSMDGDPoly::computeVertexRoundings_(long v) {
  for (long w : roundingNeighbours(numVertices(), vertexIndex_(v, false), !open_)) computeVertexRounding_(w);
}

// --- Predicates -------------------------------------------------------------------------------------

bool zcSMDGDPoly::vertexVertexCross_(long a, long b) const {
  return Checker(*this, false).vertexVertex(vertexIndex_(a, false), vertexIndex_(b, false));
}

bool zcSMDGDPoly::segmentVertexCross_(long s, long v) const {
  (void)nextVertexIndex_(s);
  return Checker(*this, false).segmentVertex(s, vertexIndex_(v, false));
}

bool zcSMDGDPoly::segmentSegmentCross_(long a, long b) const {
  (void)nextVertexIndex_(a);
  (void)nextVertexIndex_(b);
  if (a == b) return false;
  return Checker(*this, false).segmentSegment(a, b);
}

bool zcSMDGDPoly::segmentPolyCross_(long s, long limit) const {
  (void)nextVertexIndex_(s);
  if (limit >= numVertices()) throw invalidIndex();
  return Checker(*this, false).segmentPoly(s, limit);
}

bool zcSMDGDPoly::vertexPolyCross_(long v, long limit) const {
  v = vertexIndex_(v, false);
  if (limit >= numVertices()) throw invalidIndex();
  return Checker(*this, false).vertexPoly(v, limit);
}

// --- Validations ---------------------------------------------------------------------------------------

void zcSMDGDPoly::validateReplacement_(long v) {
  const long n = numVertices();
  if (n == 0) return;
  if (v < 0 || v >= n) throw invalidIndex();
  computeVertexRoundings_(v);
  const std::vector<long> updated = roundingNeighbours(n, v, !open_);
  Checker build(*this, false);
  bool builds = true;
  try {
    build.buildAround(updated);
  } catch (const zcException&) {
    // Coincident points fail where the plain checks reach them, after what comes first.
    builds = false;
    pieces_ = Pieces::eBroken;
  }
  // The pieces this edit did not touch were built before, unless nothing is known of
  // them (a loaded poly): then find out once. Likewise the spread bound grows by the
  // touched pieces only.
  if (builds && pieces_ != Pieces::eBuildable) pieces_ = build.allBuildable() ? Pieces::eBuildable : Pieces::eBroken;
  if (pieces_ == Pieces::eBuildable)
    spread_ = spread_ < 0.0 ? build.spreadAll() : std::max(spread_, build.spreadAround(updated));
  else
    spread_ = -1.0;

  const bool pruned = !plain_ && pieces_ == Pieces::eBuildable;
  // A large poly's index, built anew when missing or when the poly has doubled since
  // (which keeps its cells fitted to the pieces at an amortized constant cost).
  if (pruned && n >= kIndexThreshold && (!index_.value || n > 2 * index_.value->builtFor)) installIndex_(build.buildIndex());
  Checker c(*this, pruned, spread_, n >= kIndexThreshold ? index_.value.get() : nullptr);
  c.changed(updated);
  if (c.vertexPoly(v, -1)) throw crossingSegments();
  const long p = (v - 1 + n) % n;
  const long nx = (v + 1) % n;
  const long ps = c.prevSeg(v);
  if (ps != -1) {
    if (c.segmentPoly(ps, -1) || c.vertexPoly(p, -1) || c.labelsOverlap(p, v)) throw crossingSegments();
    (void)segmentDimension(ps);
  }
  const long ns = c.nextSeg(v);
  if (ns != -1) {
    if (c.segmentPoly(ns, -1) || c.vertexPoly(nx, -1) || c.labelsOverlap(v, nx)) throw crossingSegments();
    (void)segmentDimension(ns);
  }
  if (index_.value && pruned && n >= kIndexThreshold)
    for (std::uint32_t id : c.changedPieces()) index_.value->put(id, c.pieceBox(id));
}

void zcSMDGDPoly::validateDeletion_(long i) {
  const long n = numVertices();
  if (!open_ && n < 2) throw invalidVertices();
  if (n == 0) return;
  validateReplacement_((i - 1 + n) % n);
  validateReplacement_(i % n);
}

void zcSMDGDPoly::validate_() {
  const long n = numVertices();
  if (!open_ && n < 2) throw invalidVertices();
  for (long v = 0; v < n; ++v) computeVertexRounding_(v);
  const Checker c(*this, false);
  // A piece that cannot be built (coincident points) fails where the plain loops
  // first reach it, so a crossing found earlier in vertex order is reported first.
  const bool buildable = c.allBuildable();
  pieces_ = buildable ? Pieces::eBuildable : Pieces::eBroken;
  spread_ = buildable ? c.spreadAll() : -1.0;
  if (n < 2) return;

  if (plain_ || !buildable) {
    for (long v = 0; v < n; ++v) {
      if (c.rounded(v)) {
        for (long u = 0; u <= v; ++u) {
          if (u != v && c.vertexVertex(v, u)) throw crossingSegments();
          if (c.prevSeg(u) != -1 && c.segmentVertex(c.prevSeg(u), v)) throw crossingSegments();
        }
      }
      const long ps = c.prevSeg(v);
      if (ps == -1) continue;
      if (c.segmentPoly(ps, v) || c.labelsOverlap((v - 1 + n) % n, v)) throw crossingSegments();
      (void)segmentDimension(ps);
    }
    return;
  }

  // Every piece with the vertex at which the plain loops first reach it.
  std::vector<Item> items;
  items.reserve(static_cast<std::size_t>(2 * n));
  for (long v = 0; v < n; ++v) {
    if (c.rounded(v)) items.push_back({grown(c.arcBox(v)), v, true, v, c.arcChord(v)});
    if (c.prevSeg(v) != -1) items.push_back({grown(c.segBox(v)), v, false, v, c.segChord(v)});
  }
  const long firstCrossing = CrossingSearch(c, std::move(items)).earliest();
  for (long v = 0; v < n; ++v) {
    if (v == firstCrossing) throw crossingSegments();
    const long ps = c.prevSeg(v);
    if (ps == -1) continue;
    if (c.labelsOverlap((v - 1 + n) % n, v)) throw crossingSegments();
    (void)segmentDimension(ps);
  }
}
