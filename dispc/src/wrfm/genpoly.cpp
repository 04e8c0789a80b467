// Generalized polygon: construction from the foundation shapes, editing through the
// SMD poly, queries, maps, comparison, the archive form and the translation of poly
// failures. Decomposition, the queries answered through it and drawing are in
// genpoly_draw.cpp.
#include "dispc/wrfm/genpoly.h"

#include "dispc/uierror.h"
#include "wrfm/genpoly_private.h"

#include "zfound/archive.h"

#include <cmath>
#include <typeinfo>
#include <utility>

namespace {

constexpr const char* kModule = "dispc/wrfm/genpoly";
// The source lines that the archive errors of this class have always named.
constexpr long kSerializeLine = 751;
constexpr long kLoadSimpleLine = 741;
constexpr double kZeroTol = 1e-15;
// A rounding fraction this close to 1 leaves no straight part on its sides.
constexpr double kFullRounding = 1e-9;

zcSMDGDPolyVertex newVertex(const zcVector<2>& p, double rounding, const zcRadian& span) {
  return zcGenPolyPrivate::newVertex(p, rounding, span);
}

zcSMDGDPolyVertex arcVertex(const zcVector<2>& p, double spanDegrees, double rounding = 0.0) {
  return zcSMDGDPolyVertex(p, rounding, zcDegree(spanDegrees), 0.5, 0.5, -1, zcDimTol());
}

zcSMDGDPoly closedPoly(const std::vector<zcSMDGDPolyVertex>& list) {
  zcSMDGDPoly p(L"poly");
  p.vertices(list);
  p.close();
  return p;
}

zcVector<2> polar(double r, double a) { return zcVector<2>(r * std::cos(a), r * std::sin(a)); }

// The square [−1, 1]² with corners rounded by the fractions (fx, fy), in the frame
// where the corners are circles of radius 1: the frame's scaling diag(fx, fy) makes
// them the rectangle's quarter ellipses. Sides that full rounding leaves without a
// straight part give half circles.
zcSMDGDPoly roundedSquare(double fx, double fy) {
  const double ax = 1.0 / fx - 1.0, ay = 1.0 / fy - 1.0;  // straight half lengths
  const bool fullX = ax <= kFullRounding, fullY = ay <= kFullRounding;
  if (fullX && fullY) return zcSMDGDPoly::circle(1.0, zcVector<2>());
  if (fullX)  // the top and the bottom are half circles
    return closedPoly({arcVertex(zcVector<2>(1, -ay), 180), arcVertex(zcVector<2>(1, ay), 0),
                       arcVertex(zcVector<2>(-1, ay), 180), arcVertex(zcVector<2>(-1, -ay), 0)});
  if (fullY)  // the two sides are half circles
    return closedPoly({arcVertex(zcVector<2>(ax, -1), 0), arcVertex(zcVector<2>(ax, 1), 180),
                       arcVertex(zcVector<2>(-ax, 1), 0), arcVertex(zcVector<2>(-ax, -1), 180)});
  zcSMDGDPoly p = zcSMDGDPoly::rectangle(2.0 / fx, 2.0 / fy, zcVector<2>());
  for (long v = 0; v < 4; ++v) {
    zcSMDGDPolyVertex rounded = p.vertex(v);
    rounded.vertexRadius(1.0);
    p.replaceVertex(v, rounded);
  }
  return p;
}

}  // namespace

// --- Construction -------------------------------------------------------------------------------

zcSMDGDPolyVertex zcGenPolyPrivate::newVertex(const zcVector<2>& p, double rounding, const zcRadian& span,
                                              const zcDimTol& tol) {
  return zcSMDGDPolyVertex(p, rounding, zcDegree(span), 0.5, 0.5, -1, tol);
}

const zc_Instantiator zcGenPoly::sExemplar(typeid(zcGenPoly), "zcGenPoly", &zcGenPoly::make);

zcPersistent* zcGenPoly::make() { return new zcGenPoly; }

zcGenPoly::zcGenPoly() : poly_(std::make_unique<zcSMDGDPoly>(L"poly")) {}

zcGenPoly::zcGenPoly(const zcGenPoly& other)
    : zcPersistent(other),
      zcRepBase(other),
      zcShape(other),
      poly_(std::make_unique<zcSMDGDPoly>(*other.poly_)),
      editable_(other.editable_),
      xform_(other.xform_) {}

zcGenPoly& zcGenPoly::operator=(const zcGenPoly& other) {
  if (this == &other) return *this;
  auto copy = std::make_unique<zcSMDGDPoly>(*other.poly_);
  zcShape::operator=(other);
  poly_ = std::move(copy);
  editable_ = other.editable_;
  xform_ = other.xform_;
  return *this;
}

zcGenPoly::~zcGenPoly() = default;

zcGenPoly::zcGenPoly(const zcCircle& circle) : zcGenPoly() {
  *poly_ = guarded_([&] { return zcSMDGDPoly::circle(circle.radius(), circle.center()); });
}

zcGenPoly::zcGenPoly(const zcEllipse& ellipse) : zcGenPoly() {
  *poly_ = zcSMDGDPoly::circle(1.0, zcVector<2>());
  const zcRadian rot = ellipse.rotation();
  xform_ = zcXform<2>(zcMatrix<2>(ellipse.xRadius(), ellipse.yRadius(), rot, rot), ellipse.center());
  editable_ = false;
}

zcGenPoly::zcGenPoly(const zcEllipse2& ellipse) : zcGenPoly() {
  *poly_ = zcSMDGDPoly::circle(1.0, zcVector<2>());
  xform_ = ellipse.ellFromUnitCirc();
  editable_ = false;
}

zcGenPoly::zcGenPoly(const zcPolygon& polygon) : zcGenPoly() {
  const std::vector<zcPoint>& points = polygon.vertices();
  if (points.empty()) return;
  const bool closed = points.size() > 3 && points.back() == points.front();
  std::vector<zcSMDGDPolyVertex> list;
  list.reserve(points.size());
  for (std::size_t i = 0; i + 1 < points.size(); ++i) list.push_back(newVertex(points[i], 0.0, zcRadian(0.0)));
  if (!closed) list.push_back(newVertex(points.back(), 0.0, zcRadian(0.0)));
  guarded_([&] {
    poly_->vertices(list);
    if (closed) poly_->close();
  });
}

zcGenPoly::zcGenPoly(const zcLineSeg& segment) : zcGenPoly() {
  guarded_([&] {
    poly_->vertices({newVertex(segment.p1(), 0.0, zcRadian(0.0)), newVertex(segment.p2(), 0.0, zcRadian(0.0))});
  });
}

zcGenPoly::zcGenPoly(const zcRect& rect) : zcGenPoly() {
  const zcPoint c = rect.corner();
  guarded_([&] {
    *poly_ = closedPoly({newVertex(zcPoint(c.x() + rect.width(), c.y()), 0.0, zcRadian(0.0)),
                         newVertex(rect.lr(), 0.0, zcRadian(0.0)), newVertex(rect.ll(), 0.0, zcRadian(0.0)),
                         newVertex(c, 0.0, zcRadian(0.0))});
  });
}

zcGenPoly::zcGenPoly(const zcGenRect& rect) : zcGenPoly() {
  editable_ = false;
  if (rect.isSharp()) {
    *poly_ = zcSMDGDPoly::rectangle(2.0, 2.0, zcVector<2>());
    xform_ = rect.unitXform();
    return;
  }
  const double fx = rect.roundFractions().x(), fy = rect.roundFractions().y();
  *poly_ = guarded_([&] { return roundedSquare(fx, fy); });
  xform_ = rect.unitXform() * zcXform<2>::scaling(fx, fy);
}

zcGenPoly::zcGenPoly(const zcEllipseAnnulusSection& section) : zcGenPoly() {
  editable_ = false;
  if (section.degen()) return;
  if (section.isFull())
    throw zcShapesError::BadGeom(L"a full annulus section has two outlines: convert its annulus instead");
  const double q = section.annulus().ratio();
  const double s = section.phiStart().value(), e = section.phiEnd().value();
  const double span = zcDegree(section.phiSpan()).value();
  xform_ = section.annulus().outer().unitXform();
  std::vector<zcSMDGDPolyVertex> list;
  if (q <= kZeroTol) {
    list = {arcVertex(zcVector<2>(), 0), arcVertex(polar(1, e), 0), arcVertex(polar(1, s), -span)};
  } else {
    list = {arcVertex(polar(q, s), 0), arcVertex(polar(q, e), span), arcVertex(polar(1, e), 0),
            arcVertex(polar(1, s), -span)};
  }
  *poly_ = guarded_([&] { return closedPoly(list); });
}

namespace {

// Spans of arcs: a whole turn (or none) gives the ellipse itself.
bool wholeTurn(double span) { return zcRadian(span).norm().value() == 0.0; }

}  // namespace

zcGenPoly::zcGenPoly(const zcEllipseArc& arc) : zcGenPoly() {
  editable_ = false;
  if (!(arc.geom().xRadius() > 0.0) || !(arc.geom().yRadius() > 0.0)) return;
  xform_ = arc.ellipse().unitXform();
  const double s = arc.phiStart().value(), span = arc.phiSpan().value();
  if (wholeTurn(span)) {
    *poly_ = zcSMDGDPoly::circle(1.0, zcVector<2>());
    return;
  }
  guarded_([&] { poly_->vertices({arcVertex(polar(1, s), 0), arcVertex(polar(1, s + span), zcDegree(zcRadian(span)).value())}); });
}

zcGenPoly::zcGenPoly(const zcEllipseArc2& arc) : zcGenPoly() {
  editable_ = false;
  const zcVector<2> radii = arc.ellipse().radii();
  if (!(radii.x() > 0.0) || !(radii.y() > 0.0)) return;
  xform_ = arc.ellFromUnitCirc();
  const double s = arc.phiStart().value(), span = arc.phiSpan().value();
  if (wholeTurn(span)) {
    *poly_ = zcSMDGDPoly::circle(1.0, zcVector<2>());
    return;
  }
  guarded_([&] { poly_->vertices({arcVertex(polar(1, s), 0), arcVertex(polar(1, s + span), zcDegree(zcRadian(span)).value())}); });
}

std::vector<zcGenPoly> zcGenPoly::convert(const zcAnnulus& annulus) {
  // A boundary of size 0 (the inner circle of a disk) is the empty polygon.
  const auto boundary = [](const zcCircle& c) { return c.radius() > 0.0 ? zcGenPoly(c) : zcGenPoly(); };
  return {boundary(annulus.innerCircle()), boundary(annulus.outerCircle())};
}

std::vector<zcGenPoly> zcGenPoly::convert(const zcGenAnnulus& annulus) {
  return {zcGenPoly(annulus.inner()), zcGenPoly(annulus.outer())};
}

std::vector<zcGenPoly> zcGenPoly::convert(const zcEllipseAnnulus& annulus) {
  const zcEllipse inner = annulus.inner();
  return {inner.degen() ? zcGenPoly() : zcGenPoly(inner), zcGenPoly(annulus.outer())};
}

// --- State and editing ------------------------------------------------------------------------

long zcGenPoly::numVertices() const { return poly_->numVertices(); }
long zcGenPoly::numSegments() const { return poly_->numSegments(); }
bool zcGenPoly::isOpen() const { return poly_->isOpen(); }

void zcGenPoly::requireEditable_() const {
  if (!editable_) throw zcShapesError::BadGeom(L"the polygon is not editable");
}

void zcGenPoly::adoptPoly_(std::unique_ptr<zcSMDGDPoly> poly) {
  mutating_();
  poly_ = std::move(poly);
}

namespace {

void checkIndex(long index, long lo, long hi) {
  if (index < lo || index > hi) throw zcShapesError::BadCoef(L"a vertex or segment index out of range");
}

}  // namespace

void zcGenPoly::insertVertex(long index, const zcVector<2>& p, double rounding, const zcRadian& span) {
  requireEditable_();
  checkIndex(index, -1, numVertices() - 1);
  mutating_();
  guarded_([&] { poly_->insertVertex(index, newVertex(p, rounding, span)); });
}

void zcGenPoly::insertVertex(const zcVector<2>& p, double rounding, const zcRadian& span) {
  insertVertex(numVertices() - 1, p, rounding, span);
}

void zcGenPoly::replaceVertex(long index, const zcVector<2>& p, double rounding) {
  requireEditable_();
  checkIndex(index, 0, numVertices() - 1);
  zcSMDGDPolyVertex v = poly_->vertex(index);
  v.point(p);
  v.vertexRadius(rounding);
  mutating_();
  guarded_([&] { poly_->replaceVertex(index, v); });
}

void zcGenPoly::replaceVertex(long index, const zcVector<2>& p, double rounding, const zcRadian& span) {
  requireEditable_();
  checkIndex(index, 0, numVertices() - 1);
  mutating_();
  guarded_([&] { poly_->replaceVertex(index, newVertex(p, rounding, span)); });
}

void zcGenPoly::deleteVertex(long index) {
  requireEditable_();
  checkIndex(index, 0, numVertices() - 1);
  mutating_();
  guarded_([&] { poly_->deleteVertex(index); });
}

void zcGenPoly::vertexPoint(long index, const zcVector<2>& p) {
  requireEditable_();
  replaceVertex(index, p, vertexRoundingSize(index));
}

void zcGenPoly::vertexRoundingSize(long index, double rounding) {
  requireEditable_();
  replaceVertex(index, vertexPoint(index), rounding);
}

void zcGenPoly::vertexRoundingSizes(double rounding) {
  requireEditable_();
  // Vertex by vertex on a copy: the polygon changes only when every vertex passed.
  std::unique_ptr<zcSMDGDPoly> work = workCopy_();
  guarded_([&] {
    for (long v = 0; v < work->numVertices(); ++v) {
      zcSMDGDPolyVertex vertex = work->vertex(v);
      vertex.vertexRadius(rounding);
      work->replaceVertex(v, vertex);
    }
  });
  adoptPoly_(std::move(work));
}

void zcGenPoly::segmentAngleSpan(long index, const zcRadian& span) {
  requireEditable_();
  const long end = zcGenPolyPrivate::polySegment(*this, index);
  zcSMDGDPolyVertex v = poly_->vertex(end);
  v.segmentAngleSpan(zcDegree(span));
  mutating_();
  guarded_([&] { poly_->replaceVertex(end, v); });
}

void zcGenPoly::open() {
  requireEditable_();
  // The poly stays open even when its check fails: a copy keeps the polygon whole.
  std::unique_ptr<zcSMDGDPoly> work = workCopy_();
  guarded_([&] { work->open(); });
  adoptPoly_(std::move(work));
}

void zcGenPoly::close(const zcRadian& span) { close_(span, nullptr); }

void zcGenPoly::close_(const zcRadian& span, const zcDimTol* tol) {
  requireEditable_();
  // A closed polygon needs two vertices (the poly's own rule for every other edit).
  if (numVertices() < 2) throw zcShapesError::BadGeom(L"a closed polygon needs two vertices");
  std::unique_ptr<zcSMDGDPoly> work = workCopy_();
  guarded_([&] {
    // The closing segment ends at vertex 0.
    zcSMDGDPolyVertex first = work->vertex(0);
    first.segmentAngleSpan(zcDegree(span));
    if (tol) first.segmentLengthTol(*tol);
    work->replaceVertex(0, first);
    work->close();
  });
  adoptPoly_(std::move(work));
}

// --- Queries ----------------------------------------------------------------------------------

long zcGenPolyPrivate::polySegment(const zcGenPoly& g, long segment) {
  checkIndex(segment, 0, g.numSegments() - 1);
  return (segment + 1) % g.numVertices();
}

zcPoint zcGenPoly::vertexPoint(long index) const {
  return xform_.mapPoint(guarded_([&] { return poly_->vertex(index).point(); }));
}

double zcGenPoly::vertexRoundingSize(long index) const {
  const long v = guarded_([&] { return poly_->vertexIndex_(index, false); });
  if (!poly_->isVertexRounded_(v)) return 0.0;
  const double r = guarded_([&] { return poly_->roundedArcVertex_(v).radius(zcDegree(0.0)); });
  return std::copysign(r * std::sqrt(std::abs(xform_.determinant())), poly_->vertices()[v].vertexRadius());
}

bool zcGenPoly::isArcSegment(long index) const {
  return poly_->isSegmentArc_(zcGenPolyPrivate::polySegment(*this, index));
}

bool zcGenPoly::isLineSegment(long index) const { return !isArcSegment(index); }

zcRadian zcGenPoly::segmentAngleSpan(long index) const {
  return zcRadian(poly_->vertex(zcGenPolyPrivate::polySegment(*this, index)).segmentAngleSpan());
}

long zcGenPoly::previousVertexIndex(long segment) const {
  return segment >= 0 && segment < numSegments() ? segment : -1;
}

long zcGenPoly::nextVertexIndex(long segment) const {
  return segment >= 0 && segment < numSegments() ? (segment + 1) % numVertices() : -1;
}

long zcGenPoly::previousSegmentIndex(long vertex) const {
  const long n = numVertices();
  checkIndex(vertex, 0, n - 1);
  if (numSegments() == 0 || (isOpen() && vertex == 0)) return -1;
  return (vertex - 1 + n) % n;
}

long zcGenPoly::nextSegmentIndex(long vertex) const {
  checkIndex(vertex, 0, numVertices() - 1);
  if (numSegments() == 0 || (isOpen() && vertex == numVertices() - 1)) return -1;
  return vertex;
}

zcLineSeg zcGenPoly::lineSegment(long index, bool unrounded) const {
  const long s = zcGenPolyPrivate::polySegment(*this, index);
  if (poly_->isSegmentArc_(s)) throw zcShapesError::BadGeom(L"the segment is an arc");
  const zc2SegmentLine line = guarded_([&] { return unrounded ? poly_->lineSegment_(s) : poly_->roundedLineSegment_(s); });
  return zcLineSeg(xform_.mapPoint(line.p1()), xform_.mapPoint(line.p2()));
}

namespace {

zc2SegmentArc polyArc(const zcSMDGDPoly& poly, long s, bool unrounded) {
  if (!poly.isSegmentArc_(s)) throw zcShapesError::BadGeom(L"the segment is a line");
  return unrounded ? poly.arcSegment_(s) : poly.roundedArcSegment_(s);
}

zc2SegmentArc roundingArc(const zcSMDGDPoly& poly, long v) {
  if (!poly.isVertexRounded_(poly.vertexIndex_(v, false))) throw zcShapesError::BadGeom(L"the vertex is not rounded");
  return poly.roundedArcVertex_(v);
}

}  // namespace

zcEllipseArc zcGenPoly::arcSegment(long index, bool unrounded) const {
  const long s = zcGenPolyPrivate::polySegment(*this, index);
  return guarded_([&] { return (xform_ * polyArc(*poly_, s, unrounded)).ellipseArc(); });
}

zcEllipseArc2 zcGenPoly::ellipseSegment(long index, bool unrounded) const {
  const long s = zcGenPolyPrivate::polySegment(*this, index);
  return guarded_([&] { return (xform_ * polyArc(*poly_, s, unrounded)).ellipseArc2(); });
}

zcEllipseArc zcGenPoly::roundedVertex(long index) const {
  return guarded_([&] { return (xform_ * roundingArc(*poly_, index)).ellipseArc(); });
}

zcEllipseArc2 zcGenPoly::roundedVertexArc(long index) const {
  return guarded_([&] { return (xform_ * roundingArc(*poly_, index)).ellipseArc2(); });
}

zcPoint zcGenPoly::pos() const { return numVertices() == 0 ? zcPoint() : vertexPoint(0); }

zcPoint zcGenPoly::center() const {
  if (numVertices() == 0) return zcPoint();
  return xform_.mapPoint(zcSMDGDPolyPrivate::position(*poly_).trans());
}

zcRect zcGenPoly::encloseRect(const zcXform<2>& x) const {
  if (numVertices() == 0) return zcRect();
  // The box of the segments: a polygon of one vertex has none and encloses nothing.
  const zcXform<2> full = x * xform_;
  return guarded_([&] { return zcSMDGDPolyPrivate::boundingBox(*poly_, full); });
}

double zcGenPoly::distToPoint(const zcPoint& p) const {
  return guarded_([&] { return zcSMDGDPolyPrivate::distToPoint(*poly_, p); });
}

bool zcGenPoly::isOpenContour() const { return isOpen() && numVertices() > 0; }
bool zcGenPoly::isRegion() const { return !isOpen() && numVertices() > 0; }
bool zcGenPoly::degen() const { return numVertices() == 0; }

bool zcGenPoly::hasTangent() const {
  const auto& v = poly_->vertices();
  if (v.size() < 2) return false;
  for (const zcSMDGDPolyVertex& vertex : v)
    if (vertex.point() != v.front().point()) return true;
  return false;
}

namespace {

void requireOpenContour(const zcGenPoly& g) {
  if (!g.isOpenContour()) throw zcShapesError::NotOpenContour(L"the polygon is not an open contour");
}

}  // namespace

zcPoint zcGenPoly::startPoint() const {
  requireOpenContour(*this);
  return poly_->vertices().front().point();
}

zcPoint zcGenPoly::endPoint() const {
  requireOpenContour(*this);
  return poly_->vertices().back().point();
}

zcRadian zcGenPoly::startAngle() const {
  requireOpenContour(*this);
  const auto& v = poly_->vertices();
  if (v.size() < 2) throw zcShapesError::NoTangent(L"one vertex has no direction");
  return (v[1].point() - v[0].point()).angle();
}

zcRadian zcGenPoly::endAngle() const {
  requireOpenContour(*this);
  const auto& v = poly_->vertices();
  if (v.size() < 2) throw zcShapesError::NoTangent(L"one vertex has no direction");
  return (v[v.size() - 1].point() - v[v.size() - 2].point()).angle();
}

bool zcGenPoly::isRightHanded() const {
  if (!isRegion()) throw zcShapesError::NotRegion(L"the polygon is not closed");
  const auto& v = poly_->vertices();
  double sum = 0.0;
  for (std::size_t i = 0; i < v.size(); ++i) sum += v[i].point().cross(v[(i + 1) % v.size()].point());
  return xform_.determinant() >= 0.0 ? sum >= 0.0 : sum < 0.0;
}

bool zcGenPoly::within(const zcPoint& p) const {
  if (!isRegion()) throw zcShapesError::NotRegion(L"the polygon is not closed");
  return guarded_([&] { return zcSMDGDPolyPrivate::inside(*poly_, p); });
}

zcShapePtr zcGenPoly::reverse() const {
  zcGenPoly* copy = new zcGenPoly(*this);
  zcShapePtr out(copy);
  guarded_([&] { zcSMDGDPolyPrivate::reversePoly(*poly_, *copy->poly_); });
  return out;
}

zcShapePtr zcGenPoly::clone() const { return zcShapePtr(new zcGenPoly(*this)); }

// --- Maps and comparison -------------------------------------------------------------------------

zcGenPoly zcGenPoly::map(const zcXform<2>& x) const {
  if (x.isIdentity()) return *this;
  if (x.determinant() == 0.0) throw zcMathError::Singular();
  zcGenPoly out(*this);
  out.xform_ = x * xform_;
  out.editable_ = false;
  return out;
}

zcGenPoly zcGenPoly::map(const zc2Rigid& r, double scale) const {
  if (std::abs(scale) <= kZeroTol) throw zcMathError::Singular();
  if (!editable_)
    return map(zcXform<2>(zcMatrix<2>(scale, scale, r.angle(), r.angle()), r.trans()));
  zcGenPoly out(*this);
  *out.poly_ = guarded_([&] { return r * (scale * *poly_); });
  return out;
}

bool zcGenPoly::operator==(const zcGenPoly& other) const {
  return *poly_ == *other.poly_ && xform_ == other.xform_ && editable_ == other.editable_;
}

// Any generalized polygon compares, a wireframe too (a wireframe itself accepts only
// wireframes).
bool zcGenPoly::equal_(const zcShape& other) const {
  const auto* polygon = dynamic_cast<const zcGenPoly*>(&other);
  return polygon && *this == *polygon;
}

bool zfRealEq(const zcGenPoly& a, const zcGenPoly& b, double tol) {
  return zfRealEq(zcSMDGDPolyPrivate::poly(a), zcSMDGDPolyPrivate::poly(b), tol) &&
         zfRealEq(a.xform().trans(), b.xform().trans(), tol) && zfRealEq(a.xform().matrix(), b.xform().matrix(), tol) &&
         a.isEditable() == b.isEditable();
}

const zcSMDGDPoly& zcSMDGDPolyPrivate::poly(const zcGenPoly& polygon) { return *polygon.poly_; }

const zcXform<2>& zcSMDGDPolyPrivate::wireframeXform(const zcGenPoly& polygon) { return polygon.xform_; }

// --- Failures --------------------------------------------------------------------------------------

void zcGenPoly::remapAndThrowError_(zcException& e) const {
  switch (e.errorNumber()) {
    case 0x11000360:  // zcSMDGDPoly::invalidVertices
    case 0x11000361:  // zcSMDGDPoly::crossingSegments
    case 0x11000366:  // zcSMDGDPoly::notClosed
    case 0x11000350:  // zcSMDGDPolyVertex::invalidSegmentLength
      throw zcShapesError::BadGeom(e.message());
    case 0x11000363:  // zcSMDGDPoly::invalidRounding
      throw zcShapesError::BadRadius(e.message());
    case 0x11000362:  // zcSMDGDPoly::invalidIndex
      throw zcShapesError::BadCoef(e.message());
    default:
      break;
  }
  if (dynamic_cast<const zcShapesError::DegenerateShape*>(&e)) throw zcShapesError::BadGeom(e.message());
  throw;
}

// --- Archive form ------------------------------------------------------------------------------

void zcGenPoly::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcGenPoly", 0, [&](unsigned char v) { serialize_(archive, v); });
}

void zcGenPolyPrivate::loadFields(zcGenPoly& g, zcArchive& archive) {
  zcSMDGDPoly poly;
  zcXform<2> xform;
  bool editable = true;
  archive || poly || xform || editable;
  if (editable && !xform.isIdentity()) throw zcArchive::BadFormat(L"an editable polygon under a transform");
  g.mutating_();
  *g.poly_ = std::move(poly);
  g.xform_ = xform;
  g.editable_ = editable;
}

void zcGenPolyPrivate::loadSimpleHead(zcGenPoly& g, zcArchive& archive, const char* module, long line) {
  if (!archive.isLoading()) throw zcArchive::BadFormat(L"loadSimple needs a loading archive");
  // The shape part, read here, is marked read: a form read after it skips it.
  g.zcShape::dispatchSerialize(archive);
  signed char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion(module, line);
}

void zcGenPoly::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) throw zcArchive::UnknownVersion(kModule, kSerializeLine);
  zcShape::dispatchSerialize(archive);
  if (archive.isStoring()) {
    archive || *poly_ || xform_ || editable_;
    return;
  }
  zcGenPolyPrivate::loadFields(*this, archive);
}

void zcGenPoly::loadSimple(zcArchive& archive) {
  zcGenPolyPrivate::loadSimpleHead(*this, archive, kModule, kLoadSimpleLine);
  zcGenPolyPrivate::loadFields(*this, archive);
}
