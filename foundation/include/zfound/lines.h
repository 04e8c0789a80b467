// Straight-edged shapes: points, segments, infinite lines, point and segment sets,
// polygons, polylines, the cross marker and coordinate axes.
//
//   zcLineSeg s(zcPoint(0, 0), zcPoint(10, 0));
//   double d = s.distToPoint(zcPoint(5, 3));          // 3
//   zcFLine a(zcPoint(0, 0), zcPoint(1, 1)), b(zcPoint(0, 2), zcPoint(2, 0));
//   zcPoint x = a.intersection(b);                    // (1, 1)
//   zcPolygon tri({zcPoint(0, 0), zcPoint(4, 0), zcPoint(0, 3)}, zcPolygon::eWinding);
//   bool in = tri.within(zcPoint(1, 1));              // true
//
// Every kind here is closed under affine maps: its typed map(x) gives the same kind
// and mapShape(x) a handle to it. Coordinates must be finite: a constructor or
// setter given NaN or an infinity raises zcShapesError::BadParams and a setter that
// throws leaves its object unchanged. Kinds with a list of points check counts on
// loading and refuse malformed archives with a zcArchive error, leaving the target
// as it was.
#pragma once

#include "zfound/bytes.h"
#include "zfound/export.h"
#include "zfound/geometry.h"
#include "zfound/rect.h"
#include "zfound/shape.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Bytes of the value images (see writeImage of each class for the offsets).
inline constexpr std::size_t zkLineImageSize = 32;
inline constexpr std::size_t zkCrossImageSize = 32;
inline constexpr std::size_t zkCoordAxesImageSize = 48;

class zcFLine;

// ---------------------------------------------------------------------------
// One point as a shape. Its bounding box is the point's zero-size rectangle.
class ZFOUND_API zc2Point : public zcShape {
public:
  zc2Point();  // the origin
  explicit zc2Point(const zcPoint& p);
  zc2Point(const zc2Point& other);
  zc2Point& operator=(const zc2Point& other);
  ~zc2Point() override;

  const zcPoint& point() const { return p_; }
  void point(const zcPoint& p);

  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  zcShapePtr clone() const override;
  zc2Point map(const zcXform<2>& x) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // Archive form: version 0, the shape part, the point.
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  zcPoint p_;
};

// ---------------------------------------------------------------------------
// A line segment from p1 to p2: an open contour. Both points may be equal; such a
// segment is degenerate (degen()) and has no direction (its angles raise
// zcShapesError::NoTangent).
class ZFOUND_API zcLineSeg : public zcShape {
public:
  zcLineSeg();  // both points at the origin
  zcLineSeg(const zcPoint& p1, const zcPoint& p2);
  zcLineSeg(const zcLineSeg& other);
  zcLineSeg& operator=(const zcLineSeg& other);
  ~zcLineSeg() override;

  const zcPoint& p1() const { return p1_; }
  const zcPoint& p2() const { return p2_; }
  // Inline: a tablet moves the ends of one mapped segment for every segment it paints.
  void p1(const zcPoint& p) {
    requireFinite_(p);
    mutating_();
    p1_ = p;
  }
  void p2(const zcPoint& p) {
    requireFinite_(p);
    mutating_();
    p2_ = p;
  }
  // Both ends at once: one check of the four coordinates, one mutation.
  void ends(const zcPoint& p1, const zcPoint& p2) {
    if (!zfIsFinite(p1) || !zfIsFinite(p2)) throwNonFinite_();
    mutating_();
    p1_ = p1;
    p2_ = p2;
  }

  double length() const { return p1_.distance(p2_); }
  // Direction of p2 − p1, in (−π, π]; NoTangent when degenerate.
  zcRadian angle() const;
  zcPoint midPoint() const { return (p1_ + p2_) * 0.5; }
  // The infinite line through both points, directed from p1 to p2;
  // DegenerateShape when degenerate.
  zcFLine line() const;

  bool isOpenContour() const override { return true; }
  bool degen() const override { return p1_ == p2_; }
  bool hasTangent() const override { return !degen(); }
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override { return length(); }
  double nearestPerimPos(const zcPoint& p) const override;
  zcPoint startPoint() const override { return p1_; }
  zcPoint endPoint() const override { return p2_; }
  zcRadian startAngle() const override { return angle(); }
  zcRadian endAngle() const override { return angle(); }
  // 0: a segment does not turn.
  zcRadian tangentRotation() const override;
  // The signed angle from p1 − p to p2 − p; BadGeom when p lies on the segment.
  zcRadian windingAngle(const zcPoint& p) const override;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // Positions are clamped to [0, length()]; from > to gives the piece run from
  // `from` back to `to`. NaN raises BadParams.
  zcShapePtr subShape(double from, double to) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  zcLineSeg map(const zcXform<2>& x) const;
  // The segment from p2 to p1.
  zcLineSeg reversed() const { return zcLineSeg(p2_, p1_); }

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  zcShapePtr reverse_() const override;
  // Position clamped to [0, length()]; the tangent is angle() (NoTangent when
  // degenerate).
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  // Archive form: version 0, the shape part, p1, p2.
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  // zcShapesError::BadParams for a non-finite point.
  static void requireFinite_(const zcPoint& p) {
    if (!zfIsFinite(p)) throwNonFinite_();
  }
  [[noreturn]] static void throwNonFinite_();
  zcPoint p1_;
  zcPoint p2_;
};

// ---------------------------------------------------------------------------
// An infinite line through a point along a direction, the form a tablet draws.
// The direction is kept as a unit vector (constructors normalise it); the line's
// four numbers are the direction (x, y) followed by the point (x, y), the order in
// which the constructor from two vectors takes them. A line is not finite: its
// bounding box raises zcShapesError::DegenerateShape, the failure that graphics
// read as "no box" (an empty rectangle), so a list holding a line still has bounds.
// A zero direction raises zcShapesError::DegenerateShape too.
class ZFOUND_API zcLine : public zcShape {
public:
  zcLine();  // the x axis: direction (1, 0) through the origin
  // Direction first, then a point of the line.
  zcLine(const zcVector<2>& direction, const zcPoint& point);
  // Through the point at the direction angle.
  zcLine(const zcPoint& point, zcRadian angle);
  // Through two points, directed from a to b; DegenerateShape when they are equal.
  static zcLine throughPoints(const zcPoint& a, const zcPoint& b);
  zcLine(const zcLine& other);
  zcLine& operator=(const zcLine& other);
  ~zcLine() override;

  const zcVector<2>& dir() const { return dir_; }
  const zcPoint& point() const { return point_; }
  // Direction angle in (−π, π].
  zcRadian angle() const { return dir_.angle(); }
  // The same line in implicit form.
  zcFLine fline() const;
  // Signed distance: positive on the left of the direction.
  double signedDistance(const zcPoint& p) const;

  bool isFinite() const override { return false; }
  bool hasTangent() const override { return true; }
  // Raises zcShapesError::DegenerateShape: an infinite line has no bounding box.
  zcRect boundingBox() const override;
  // The foot of the perpendicular.
  zcPoint nearestPoint(const zcPoint& p) const override;
  // A zcLine. A map that collapses the direction raises DegenerateShape.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  zcShapePtr clone() const override;

  // The point and the direction mapped (the direction by the linear part).
  zcLine map(const zcXform<2>& x) const;

  // --- Value image, 32 bytes: the four numbers as f64 -----------------------------
  //   @0 direction x   @8 direction y   @16 point x   @24 point y
  // Readers rebuild the line through the constructor (so the direction is
  // normalised) and raise BadParams / DegenerateShape as it does.
  void writeImage(zcImageOut<zkLineImageSize> out) const;
  static zcLine readImage(zcImageIn<zkLineImageSize> in);

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // The direction turned round.
  zcShapePtr reverse_() const override;
  // The piece inside the window as a zcLineSeg running along the direction (null
  // when the line misses the window; a segment of zero length when it touches a
  // corner).
  zcShapePtr clip_(const zcRect& window, zcClipInfo& info) const override;
  // Archive form: version 0, the shape part, the direction, the point (vectors).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  zcVector<2> dir_;
  zcPoint point_;
};

// ---------------------------------------------------------------------------
// An infinite line in implicit form: the points p with n · p = c, for a unit
// normal n = (a, b) = (cos θ, sin θ) and a distance c (signed, along n, from the
// origin). The line is directed: its direction is n turned by −90 degrees, (b, −a),
// so the normal points to the left of the direction. Constructors normalise (a, b)
// and c together; a zero normal or equal points raise DegenerateShape.
class ZFOUND_API zcFLine : public zcShape {
public:
  zcFLine();  // the x axis: normal (0, 1), c = 0, direction (1, 0)
  // Through two points, directed from p1 to p2.
  zcFLine(const zcPoint& p1, const zcPoint& p2);
  // Through the point at the direction angle.
  zcFLine(const zcPoint& point, zcRadian direction);
  // a x + b y = c, scaled so that a² + b² = 1.
  zcFLine(double a, double b, double c);
  explicit zcFLine(const zcLine& line);
  zcFLine(const zcFLine& other);
  zcFLine& operator=(const zcFLine& other);
  ~zcFLine() override;

  double a() const { return normal_.x(); }
  double b() const { return normal_.y(); }
  double c() const { return c_; }
  const zcVector<2>& normal() const { return normal_; }
  zcRadian normalAngle() const { return normal_.angle(); }
  // Unit direction (b, −a) and its angle.
  zcVector<2> direction() const { return zcVector<2>(normal_.y(), -normal_.x()); }
  zcRadian angle() const { return direction().angle(); }
  // The point of the line nearest to the origin, c · n.
  zcPoint point() const { return normal_ * c_; }
  // n · p − c: positive on the left of the direction.
  double signedDistance(const zcPoint& p) const { return normal_.dot(p) - c_; }

  // The common point. Parallel lines (|a1 b2 − a2 b1| <= 1e-15, the sine of the
  // angle between them) raise zcMathError::Singular, whether or not they coincide.
  zcPoint intersection(const zcFLine& other) const;

  bool isFinite() const override { return false; }
  bool hasTangent() const override { return true; }
  // Raises zcShapesError::DegenerateShape, as zcLine does.
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  zcShapePtr clone() const override;

  // The line through the images of two of its points, directed as their images;
  // DegenerateShape when x collapses the direction.
  zcFLine map(const zcXform<2>& x) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // Normal and c negated: the same points, the other direction.
  zcShapePtr reverse_() const override;
  // As zcLine's: the piece inside the window as a zcLineSeg.
  zcShapePtr clip_(const zcRect& window, zcClipInfo& info) const override;
  // Archive form: version 0, the shape part, a, b, c (doubles). Loading refuses
  // (BadFormat) a normal whose length is not 1 within 1e-9.
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  zcVector<2> normal_;
  double c_ = 0.0;
};

// ---------------------------------------------------------------------------
// A list of points. Not a curve: no perimeter, no sampling. Connected only with at
// most one point; degenerate (and without a bounding box, EmptyShape) when empty.
class ZFOUND_API zcPointSet : public zcShape {
public:
  zcPointSet();
  explicit zcPointSet(std::vector<zcPoint> points);
  zcPointSet(const zcPointSet& other);
  zcPointSet& operator=(const zcPointSet& other);
  ~zcPointSet() override;

  const std::vector<zcPoint>& points() const { return points_; }
  long size() const { return static_cast<long>(points_.size()); }
  // Index 0 to size() − 1; others raise BadParams.
  const zcPoint& point(long i) const;
  void add(const zcPoint& p);
  void points(std::vector<zcPoint> points);

  bool degen() const override { return points_.empty(); }
  bool isConnected() const override { return points_.size() <= 1; }
  zcRect boundingBox() const override;
  // The nearest member (the first on a tie).
  zcPoint nearestPoint(const zcPoint& p) const override;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  zcShapePtr clone() const override;
  zcPointSet map(const zcXform<2>& x) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // Archive form: version 0, the shape part, the count (long), the points.
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  zcPointSet(std::vector<zcPoint> points, int);  // unchecked
  std::vector<zcPoint> points_;
};

// The point set's own archive form, without class levels: version byte 0, the count
// (long), the points. A malformed form raises a zcArchive error and leaves the set
// unchanged.
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcPointSet& set);

// ---------------------------------------------------------------------------
// A list of line segments, each drawn on its own.
//
// The constructor flag `allowDegenerate` says whether members whose two points are
// equal are kept (true: such a member is a point, as records read from outside may
// hold) or refused with zcShapesError::DegenerateShape (false, the default). The set
// keeps the flag: add() and points loaded from an archive obey it.
class ZFOUND_API zcLineSegSet : public zcShape {
public:
  zcLineSegSet();  // empty, degenerate members refused
  explicit zcLineSegSet(std::vector<zcLineSeg> segments, bool allowDegenerate = false);
  zcLineSegSet(const zcLineSegSet& other);
  zcLineSegSet& operator=(const zcLineSegSet& other);
  ~zcLineSegSet() override;

  const std::vector<zcLineSeg>& segments() const { return segments_; }
  long size() const { return static_cast<long>(segments_.size()); }
  // Index 0 to size() − 1; others raise BadParams.
  const zcLineSeg& segment(long i) const;
  bool allowsDegenerate() const { return allowDegenerate_; }
  void add(const zcLineSeg& segment);

  // No member, or every member degenerate.
  bool degen() const override;
  bool isConnected() const override { return segments_.size() <= 1; }
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  // The members' lengths added up.
  double perimeter() const override;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  zcShapePtr clone() const override;
  // Every member mapped; a map that makes a member degenerate raises DegenerateShape
  // unless the set allows degenerate members.
  zcLineSegSet map(const zcXform<2>& x) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // Every member reversed, in reverse order.
  zcShapePtr reverse_() const override;
  // Archive form: version 0, the shape part, the flag (bool), the count (long), then
  // per member p1 and p2 (vectors).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  std::vector<zcLineSeg> segments_;
  bool allowDegenerate_ = false;
};

// ---------------------------------------------------------------------------
// A closed polygon through its vertices (the last joined back to the first). With
// three or more vertices it is a region; within() follows the fill mode:
// eAlternate (even-odd: inside when a ray crosses the boundary an odd number of
// times) or eWinding (inside when the boundary winds round the point a non-zero
// number of times). Boundary points are inside under both rules. With fewer
// vertices it is degenerate, and with none it has no points (EmptyShape).
class ZFOUND_API zcPolygon : public zcShape {
public:
  // Stored in sketches as an i32: eAlternate 0, eWinding 1.
  enum PolyFillMode { eAlternate = 0, eWinding = 1 };

  zcPolygon();  // no vertices, eAlternate
  explicit zcPolygon(std::vector<zcPoint> vertices, PolyFillMode mode = eAlternate);
  zcPolygon(const zcPolygon& other);
  // Takes the other's vertices, which keep their place in memory; the other is left
  // valid with none.
  zcPolygon(zcPolygon&& other) noexcept;
  zcPolygon& operator=(const zcPolygon& other);
  ~zcPolygon() override;

  const std::vector<zcPoint>& vertices() const { return vertices_; }
  long size() const { return static_cast<long>(vertices_.size()); }
  // Index 0 to size() − 1; others raise BadParams.
  const zcPoint& vertex(long i) const;
  PolyFillMode fillMode() const { return mode_; }
  // A mode other than the two enumerators raises BadParams.
  void fillMode(PolyFillMode mode);
  void vertices(std::vector<zcPoint> vertices);
  void add(const zcPoint& p);
  // Signed area by the shoelace formula: positive when counter-clockwise.
  double signedArea() const;

  bool isRegion() const override { return vertices_.size() >= 3; }
  bool degen() const override { return vertices_.size() < 3; }
  bool hasTangent() const override;
  zcRect boundingBox() const override;
  // p itself when inside, else the nearest point of the boundary.
  zcPoint nearestPoint(const zcPoint& p) const override;
  // The closed boundary's length.
  double perimeter() const override;
  // signedArea() >= 0. NotRegion with fewer than three vertices.
  bool isRightHanded() const override;
  bool within(const zcPoint& p) const override;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // Vertex 0, the others in order, vertex 0 again; EmptyShape when empty.
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;
  zcPolygon map(const zcXform<2>& x) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // Vertices in reverse order.
  zcShapePtr reverse_() const override;
  // Archive form: version 0, the shape part, the fill mode (int), the count
  // (long), the vertices.
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  std::vector<zcPoint> vertices_;
  PolyFillMode mode_ = eAlternate;
};

// The polygon's own archive form: version byte 0, fill mode (int), count (long),
// the vertices. Malformed forms raise a zcArchive error, the polygon unchanged.
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcPolygon& polygon);

// ---------------------------------------------------------------------------
// A chain of straight pieces through its vertices, open or closed.
//
// Open (with at least one vertex): an open contour from the first vertex to the
// last. Closed: the last vertex joins the first; with three or more vertices it is
// the boundary of a region (even-odd rule). Pieces of zero length are skipped
// where directions are concerned; a chain without any direction raises NoTangent
// for its angles.
class ZFOUND_API zcPolyline : public zcShape {
public:
  zcPolyline();  // no vertices, open
  explicit zcPolyline(std::vector<zcPoint> vertices, bool closed = false);
  zcPolyline(const zcPolyline& other);
  // Takes the other's vertices, which keep their place in memory; the other is left
  // valid with none.
  zcPolyline(zcPolyline&& other) noexcept;
  zcPolyline& operator=(const zcPolyline& other);
  ~zcPolyline() override;

  const std::vector<zcPoint>& vertices() const { return vertices_; }
  long size() const { return static_cast<long>(vertices_.size()); }
  // Index 0 to size() − 1; others raise BadParams.
  const zcPoint& vertex(long i) const;
  bool isClosed() const { return closed_; }
  void closed(bool value);
  void vertices(std::vector<zcPoint> vertices);
  void add(const zcPoint& p);

  bool isOpenContour() const override { return !closed_ && !vertices_.empty(); }
  bool isRegion() const override { return closed_ && vertices_.size() >= 3; }
  // No piece of non-zero length.
  bool degen() const override;
  bool hasTangent() const override { return !degen(); }
  zcRect boundingBox() const override;
  // Of a region: p itself when inside; otherwise the nearest point of the chain.
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  double nearestPerimPos(const zcPoint& p) const override;
  zcPoint startPoint() const override;
  zcPoint endPoint() const override;
  zcRadian startAngle() const override;
  zcRadian endAngle() const override;
  // The signed turns between consecutive pieces, added up (each in (−π, π]).
  zcRadian tangentRotation() const override;
  // The signed angles that the pieces subtend at p, added up; BadGeom when p lies
  // on the chain.
  zcRadian windingAngle(const zcPoint& p) const override;
  // Signed area of the closed chain >= 0.
  bool isRightHanded() const override;
  bool within(const zcPoint& p) const override;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // Open chains only: the part between the positions, clamped to [0, perimeter()];
  // from > to gives that part run backwards.
  zcShapePtr subShape(double from, double to) const override;
  // The vertices in order (a closed chain ends with vertex 0 again), with points
  // in between as the parameters ask. EmptyShape when empty.
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;
  zcPolyline map(const zcXform<2>& x) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  zcShapePtr reverse_() const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  // Archive form: version 0, the shape part, the closed flag (bool), the count
  // (long), the vertices.
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  std::vector<zcPoint> vertices_;
  bool closed_ = false;
};

// ---------------------------------------------------------------------------
// A cross marker: two strokes through a center, turned by an angle, each arm `size`
// screen pixels long. Only the center has a place in client coordinates: the box
// and the nearest point are the center's. A negative size raises BadParams.
class ZFOUND_API zcCross : public zcShape {
public:
  zcCross();  // at the origin, angle 0, size 7
  zcCross(const zcPoint& center, zcRadian angle, std::int32_t size);
  zcCross(const zcCross& other);
  zcCross& operator=(const zcCross& other);
  ~zcCross() override;

  const zcPoint& center() const { return center_; }
  zcRadian angle() const { return angle_; }
  std::int32_t size() const { return size_; }
  void center(const zcPoint& p);
  void angle(zcRadian a);
  void size(std::int32_t pixels);

  bool degen() const override { return size_ == 0; }
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  zcShapePtr clone() const override;
  // The center mapped, the angle mapped (x.mapAngle, so in (−π, π]), the size kept.
  zcCross map(const zcXform<2>& x) const;

  // --- Value image, 32 bytes, little-endian --------------------------------------
  //   @0 center x (f64)   @8 center y (f64)   @16 angle (f64, radians)
  //   @24 size (i32)      @28 four zero padding bytes
  void writeImage(zcImageOut<zkCrossImageSize> out) const;
  static zcCross readImage(zcImageIn<zkCrossImageSize> in);

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // Archive form: version 0, the shape part, center (vector), angle (radian),
  // size (int).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  zcPoint center_;
  zcRadian angle_;
  std::int32_t size_ = 7;
};

// The cross's own archive form: version byte 0, center, angle, size (int).
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcCross& cross);

// ---------------------------------------------------------------------------
// Coordinate axes: an origin and the end points of the x and the y axis, drawn as
// two segments from the origin with an arrow head at each end. The value is the
// three points, six numbers.
class ZFOUND_API zcCoordAxes : public zcShape {
public:
  zcCoordAxes();  // origin (0, 0), ends (1, 0) and (0, 1)
  zcCoordAxes(const zcPoint& origin, const zcPoint& xEnd, const zcPoint& yEnd);
  zcCoordAxes(const zcCoordAxes& other);
  zcCoordAxes& operator=(const zcCoordAxes& other);
  ~zcCoordAxes() override;

  const zcPoint& origin() const { return origin_; }
  const zcPoint& xEnd() const { return xEnd_; }
  const zcPoint& yEnd() const { return yEnd_; }
  zcLineSeg xAxis() const { return zcLineSeg(origin_, xEnd_); }
  zcLineSeg yAxis() const { return zcLineSeg(origin_, yEnd_); }

  // Both axes of zero length.
  bool degen() const override { return xEnd_ == origin_ && yEnd_ == origin_; }
  zcRect boundingBox() const override;
  // The nearest point of the two axis segments (the x axis on a tie).
  zcPoint nearestPoint(const zcPoint& p) const override;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  zcShapePtr clone() const override;
  zcCoordAxes map(const zcXform<2>& x) const;

  // --- Value image, 48 bytes: six f64 ---------------------------------------------
  //   @0 origin x, y   @16 x end x, y   @32 y end x, y
  void writeImage(zcImageOut<zkCoordAxesImageSize> out) const;
  static zcCoordAxes readImage(zcImageIn<zkCoordAxesImageSize> in);

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // Archive form: version 0, the shape part, origin, x end, y end (vectors).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  zcPoint origin_;
  zcPoint xEnd_;
  zcPoint yEnd_;
};

// The axes' own archive form: version byte 0, origin, x end, y end.
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcCoordAxes& axes);

// ---------------------------------------------------------------------------
// Tolerant comparison: points, vertices and numbers within tol, counts, flags and
// fill modes equal. Lines compare their direction vectors and points; zcFLine its
// normal and c; crosses compare angles as directions (modulo 2π) and sizes exactly.
ZFOUND_API bool zfRealEq(const zc2Point& a, const zc2Point& b, double tol);
ZFOUND_API bool zfRealEq(const zcLineSeg& a, const zcLineSeg& b, double tol);
ZFOUND_API bool zfRealEq(const zcLine& a, const zcLine& b, double tol);
ZFOUND_API bool zfRealEq(const zcFLine& a, const zcFLine& b, double tol);
ZFOUND_API bool zfRealEq(const zcPointSet& a, const zcPointSet& b, double tol);
ZFOUND_API bool zfRealEq(const zcLineSegSet& a, const zcLineSegSet& b, double tol);
ZFOUND_API bool zfRealEq(const zcPolygon& a, const zcPolygon& b, double tol);
ZFOUND_API bool zfRealEq(const zcPolyline& a, const zcPolyline& b, double tol);
ZFOUND_API bool zfRealEq(const zcCross& a, const zcCross& b, double tol);
ZFOUND_API bool zfRealEq(const zcCoordAxes& a, const zcCoordAxes& b, double tol);
