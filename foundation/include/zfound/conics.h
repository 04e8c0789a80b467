// Conics: circles, ellipses, elliptical arcs and the regions between two of them.
//
//   zcCircle c(zcPoint(0, 0), 2.0);
//   zcShapePtr e = c.mapShape(shear);              // a zcEllipse2 (a zcCircle under a similarity)
//   zcEllipse f = c.map(shear);                    // the typed map: always a zcEllipse
//   zcEllipseArc a(f, zcRadian(0), zcRadian(zkPi / 2));
//   zcRect box = a.boundingBox();                  // exact
//   zcPoint q = a.nearestPoint(zcPoint(5, 1));     // exact to rounding
//
// The unit description. Every ellipse is the image of the unit circle under an affine
// map u -> c + U u: c is the center and U the ellipse's unit-circle matrix; unitXform()
// is that map (translation c, matrix U). The unit matrix M = U⁻¹ carries the ellipse,
// relative to its center, back onto the unit circle (unitMatrix()). The columns of U
// are the ellipse's first and second axis vectors (xAxis(), yAxis()).
//
// Parameters. The point of an ellipse at parameter t is c + U (cos t, sin t): t is an
// angle on the unit circle, not the polar angle of the point seen from the center
// (the two agree for a circle that is not mirrored). Arc angles (phiStart, phiSpan)
// are such parameters; a positive span runs towards increasing t. The boundary of an
// ellipse runs from t = 0 towards increasing t: counter-clockwise in the world when
// det U > 0 (isRightHanded()), clockwise when the ellipse is mirrored.
//
// Geometry of a zcEllipse (zcEllipseGeom): center, radii rx, ry >= 0, rotation θ and
// a handedness flag; U = R(θ) diag(rx, ry) D with D = diag(1, 1) when right-handed and
// diag(1, −1) when mirrored. A zcEllipse2 is any affine image of the unit circle and
// keeps its map exactly; its geometry is read off as U = R(θ) diag(rx, ry) D R(−phase):
// the phase is the parameter of the zcEllipse2 at which its geometry's parameter is 0.
// The decomposition chooses rx, ry, θ and the phase so that |phase| <= π/4, except
// that a circle (radii equal within 1e-12, relative) gets θ = 0 and whatever phase;
// fromUnitXform does the same, so mapping a zcEllipse and mapping it back gives the
// original geometry.
//
// Sampling follows zcSampleParams: chords stay within the tolerance of the exact curve
// (steps chosen from the local radius), consecutive points within the spacing; in
// uniform mode the spacing alone places the points. Closed boundaries start at
// parameter 0 (a section at its start angle); pieces meet at corners (sections).
//
// Regions include their boundary. nearestPoint of a region gives p itself when p is
// inside and the nearest boundary point otherwise; of an arc, the nearest arc point.
// Inside tests accept points within 1e-12 (relative to the radii) of the boundary.
//
// Failures of construction: a non-finite number raises zcShapesError::BadParams, a
// negative radius zcShapesError::BadRadius, an arc span beyond ±2π BadParams. Setters
// validate the same way and leave the object unchanged when they throw. Value image
// readers raise the same exceptions for bytes that make no valid object; archive
// loading raises zcArchive::BadFormat instead and leaves the object unchanged.
#pragma once

#include "zfound/bytes.h"
#include "zfound/export.h"
#include "zfound/geometry.h"
#include "zfound/shape.h"

#include <cstddef>

class zcRect;
class zc2XformLinear;
class zcEllipse;

// Bytes of the value images (offsets at writeImage of each class).
inline constexpr std::size_t zkEllipseGeomImageSize = 48;
inline constexpr std::size_t zkEllipseArcImageSize = 192;
inline constexpr std::size_t zkEllipseAnnulusSectionImageSize = 552;
inline constexpr std::size_t zkEllipseAnnulusSectionImageV0Size = 440;

// ---------------------------------------------------------------------------
// A circle: center and radius >= 0. The region is the disk; its boundary runs
// counter-clockwise from the point at angle 0, and a circle has no other direction
// (reverse() gives a copy). A circle of radius 0 is degenerate: its box is the
// center's zero-size box and its boundary the center alone.
class ZFOUND_API zcCircle : public zcShape {
public:
  // The unit circle at the origin.
  zcCircle();
  zcCircle(const zcPoint& center, double radius);
  zcCircle(const zcCircle& other);
  zcCircle& operator=(const zcCircle& other);
  ~zcCircle() override;

  const zcPoint& center() const { return center_; }
  double radius() const { return radius_; }
  void center(const zcPoint& value);
  void radius(double value);

  bool isRegion() const override { return true; }
  bool hasTangent() const override { return radius_ > 0.0; }
  bool degen() const override { return radius_ == 0.0; }
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  // Arc length from the point at angle 0, counter-clockwise.
  double nearestPerimPos(const zcPoint& p) const override;
  bool isRightHanded() const override { return true; }
  bool within(const zcPoint& p) const override;
  // A zcCircle when x is a similarity (mirrors included), a zcEllipse2 otherwise.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  // Always a zcEllipse of the mapped points.
  zcEllipse map(const zcXform<2>& x) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  // Archive form: version byte 0, the shape part, center (vector), radius (double).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcPoint center_;
  double radius_ = 1.0;
};

ZFOUND_API bool zfRealEq(const zcCircle& a, const zcCircle& b, double tol);

// ---------------------------------------------------------------------------
// An ellipse given by its geometry (see the top of this file). The region is the
// filled ellipse.
class ZFOUND_API zcEllipse : public zcShape {
public:
  // The geometry of an ellipse as a plain value: what sketches store.
  class ZFOUND_API zcEllipseGeom {
  public:
    // The unit circle at the origin.
    zcEllipseGeom() = default;
    zcEllipseGeom(const zcPoint& center, double xRadius, double yRadius, zcRadian rotation,
                  bool rightHanded = true);

    // The geometry whose unitXform() is x's up to a turn of the parameter: x's
    // matrix = U R(−phase). Any finite x is accepted (a singular one gives a zero
    // radius); a non-finite one raises zcShapesError::BadParams.
    static zcEllipseGeom fromUnitXform(const zcXform<2>& x, zcRadian& phase);
    static zcEllipseGeom fromUnitXform(const zcXform<2>& x);

    const zcPoint& center() const { return center_; }
    double xRadius() const { return xRadius_; }
    double yRadius() const { return yRadius_; }
    zcVector<2> radii() const { return zcVector<2>(xRadius_, yRadius_); }
    zcRadian rotation() const { return rotation_; }
    bool isRightHanded() const { return rightHanded_; }
    bool isCircle() const { return xRadius_ == yRadius_; }
    // Either radius 0.
    bool degen() const { return xRadius_ == 0.0 || yRadius_ == 0.0; }

    // Carries the unit circle onto the ellipse: matrix U, translation the center.
    zcXform<2> unitXform() const;
    // The same geometry with the other handedness (the boundary runs the other way;
    // the point at parameter 0 stays).
    zcEllipseGeom mirrored() const;

    // Value image, 48 bytes, little-endian:
    //   @0  center x (f64)     @8  center y (f64)
    //   @16 xRadius (f64)      @24 yRadius (f64)
    //   @32 rotation (f64, radians)
    //   @40 right-handed flag (u8: 1 right-handed, 0 mirrored)
    //   @41 circle flag (u8: 1 when the radii are equal); derived, ignored on reading
    //   @42 six zero bytes
    // Readers raise zcShapesError::BadParams for a non-finite number or a handedness
    // byte other than 0 or 1, BadRadius for a negative radius.
    void writeImage(zcImageOut<zkEllipseGeomImageSize> out) const;
    static zcEllipseGeom readImage(zcImageIn<zkEllipseGeomImageSize> in);

    bool operator==(const zcEllipseGeom&) const = default;

  private:
    zcPoint center_;
    double xRadius_ = 1.0;
    double yRadius_ = 1.0;
    zcRadian rotation_;
    bool rightHanded_ = true;
  };

  // The unit circle at the origin.
  zcEllipse();
  explicit zcEllipse(const zcEllipseGeom& geom);
  zcEllipse(const zcPoint& center, double xRadius, double yRadius, zcRadian rotation,
            bool rightHanded = true);
  explicit zcEllipse(const zcCircle& circle);
  zcEllipse(const zcEllipse& other);
  zcEllipse& operator=(const zcEllipse& other);
  ~zcEllipse() override;

  // zcEllipse(zcEllipseGeom::fromUnitXform(x)): the phase is dropped.
  static zcEllipse fromUnitXform(const zcXform<2>& x);

  const zcEllipseGeom& geom() const { return geom_; }
  void geom(const zcEllipseGeom& value);
  const zcPoint& center() const { return geom_.center(); }
  double xRadius() const { return geom_.xRadius(); }
  double yRadius() const { return geom_.yRadius(); }
  zcVector<2> radii() const { return geom_.radii(); }
  zcRadian rotation() const { return geom_.rotation(); }

  // The unit description (see the top of this file). unitMatrix() raises
  // zcMathError::Singular for a degenerate ellipse.
  zcXform<2> unitXform() const { return geom_.unitXform(); }
  zcMatrix<2> unitMatrix() const;
  // The first and second axis vectors: the columns of U.
  zcVector<2> xAxis() const;
  zcVector<2> yAxis() const;
  // The point at parameter t.
  zcPoint point(zcRadian t) const;

  bool isRegion() const override { return true; }
  bool hasTangent() const override { return !geom_.degen(); }
  bool degen() const override { return geom_.degen(); }
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  // Arc length from the point at parameter 0 along the boundary.
  double nearestPerimPos(const zcPoint& p) const override;
  bool isRightHanded() const override { return geom_.isRightHanded(); }
  bool within(const zcPoint& p) const override;
  // Always a zcEllipse2 of x × unitXform().
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  zcEllipse map(const zcXform<2>& x) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // The mirrored geometry.
  zcShapePtr reverse_() const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  // Archive form: version byte 0, the shape part, then the geometry: center
  // (vector), xRadius, yRadius (doubles), rotation (radian), right-handed (bool).
  // `archive || ellipse` writes and reads this form in place.
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcEllipseGeom geom_;
};

// The archive form of a geometry alone (center, radii, rotation, handedness); a
// loaded geometry that the constructor refuses raises zcArchive::BadFormat.
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcEllipse::zcEllipseGeom& geom);

// An ellipse's own archive form (without class name or sharing): version byte 0,
// then the geometry. A failed load leaves the ellipse unchanged.
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcEllipse& ellipse);

// Center and U within tol: the same parameterization (and so the same handedness,
// unless degenerate). A circle stored with two different rotations is two different
// ellipses here.
ZFOUND_API bool zfRealEq(const zcEllipse::zcEllipseGeom& a, const zcEllipse::zcEllipseGeom& b, double tol);
ZFOUND_API bool zfRealEq(const zcEllipse& a, const zcEllipse& b, double tol);

// ---------------------------------------------------------------------------
// An ellipse given by the affine map that carries the unit circle onto it
// (ellFromUnitCirc()). Any finite map is accepted; a singular one gives a degenerate
// ellipse (a segment or a point). The map is kept as given, so mapping is exact.
class ZFOUND_API zcEllipse2 : public zcShape {
public:
  // The unit circle at the origin.
  zcEllipse2();
  explicit zcEllipse2(const zcXform<2>& ellFromUnitCirc);
  // The ellipse with the given geometry whose parameter `phase` is the geometry's
  // parameter 0 (see the top of this file): what a sketch stores.
  zcEllipse2(const zcVector<2>& radii, zcRadian angle, const zcPoint& center, bool rightHanded = true,
             zcRadian phase = zcRadian(0.0));
  zcEllipse2(const zcEllipse::zcEllipseGeom& geom, zcRadian phase);
  explicit zcEllipse2(const zcCircle& circle);
  explicit zcEllipse2(const zcEllipse& ellipse);
  zcEllipse2(const zcEllipse2& other);
  zcEllipse2& operator=(const zcEllipse2& other);
  ~zcEllipse2() override;

  const zcXform<2>& ellFromUnitCirc() const { return xform_; }
  void ellFromUnitCirc(const zcXform<2>& value);

  zcPoint center() const { return xform_.trans(); }
  // The decomposition of the map (see the top of this file).
  zcEllipse::zcEllipseGeom geom() const;
  zcVector<2> radii() const { return geom().radii(); }
  zcRadian angle() const { return geom().rotation(); }
  zcRadian phase() const;
  // The same point set as a zcEllipse (its parameters are shifted by phase()).
  zcEllipse ellipse() const { return zcEllipse(geom()); }
  // The point at parameter phi.
  zcPoint point(zcRadian phi) const;

  bool isRegion() const override { return true; }
  bool hasTangent() const override { return !degen(); }
  // The map is singular.
  bool degen() const override;
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  double nearestPerimPos(const zcPoint& p) const override;
  // det ellFromUnitCirc() >= 0.
  bool isRightHanded() const override;
  bool within(const zcPoint& p) const override;
  // Always a zcEllipse2 of x × ellFromUnitCirc().
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  zcEllipse2 map(const zcXform<2>& x) const;
  zcEllipse2 map(const zc2XformLinear& x) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // The map composed with the mirror diag(1, −1): same points, other direction.
  zcShapePtr reverse_() const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  // Archive form: version byte 0, the shape part, ellFromUnitCirc (zcXform<2>).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcXform<2> xform_;
};

ZFOUND_API bool zfRealEq(const zcEllipse2& a, const zcEllipse2& b, double tol);

// ---------------------------------------------------------------------------
// An arc of a zcEllipse between the parameters phiStart() and phiStart() + phiSpan()
// (|span| <= 2π; a span of ±2π is the whole ellipse run once). An open contour whose
// direction is that of the span.
class ZFOUND_API zcEllipseArc : public zcShape {
public:
  // The whole unit circle, from parameter 0 through 2π.
  zcEllipseArc();
  zcEllipseArc(const zcEllipse& ellipse, zcRadian phiStart, zcRadian phiSpan);
  zcEllipseArc(const zcEllipse::zcEllipseGeom& geom, zcRadian phiStart, zcRadian phiSpan);
  zcEllipseArc(const zcEllipseArc& other);
  zcEllipseArc& operator=(const zcEllipseArc& other);
  ~zcEllipseArc() override;

  const zcEllipse& ellipse() const { return ellipse_; }
  const zcEllipse::zcEllipseGeom& geom() const { return ellipse_.geom(); }
  zcRadian phiStart() const { return start_; }
  zcRadian phiSpan() const { return span_; }
  zcRadian phiEnd() const { return start_ + span_; }
  // Sets the parameter range (validated as by the constructor).
  void phiRange(zcRadian phiStart, zcRadian phiSpan);

  bool isOpenContour() const override { return true; }
  bool hasTangent() const override { return !ellipse_.degen(); }
  // A degenerate ellipse or a zero span.
  bool degen() const override;
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  double nearestPerimPos(const zcPoint& p) const override;
  zcPoint startPoint() const override;
  zcPoint endPoint() const override;
  // Directions of travel at the ends; zcShapesError::NoTangent for a degenerate
  // ellipse.
  zcRadian startAngle() const override;
  zcRadian endAngle() const override;
  zcRadian tangentRotation() const override;
  zcRadian windingAngle(const zcPoint& p) const override;
  // Always a zcEllipseArc over the same points.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // The arc between the two perimeter positions (clamped to [0, perimeter()]); from
  // > to gives it run backwards.
  zcShapePtr subShape(double from, double to) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  zcEllipseArc map(const zcXform<2>& x) const;

  // Value image, 192 bytes, little-endian:
  //   @0   the ellipse's geometry image (48 bytes)               read
  //   @48  unitXform() as a zcXform<2> image (56 bytes)            derived
  //   @104 start point x, y (f64)                                  derived
  //   @120 end point x, y (f64)                                    derived
  //   @136 40 zero bytes
  //   @176 phiStart (f64, radians)                                 read
  //   @184 phiSpan (f64, radians)                                  read
  // Derived bytes are written for readers of sketches and ignored on reading; the
  // version-0 form has the same size and reads the same bytes.
  void writeImage(zcImageOut<zkEllipseArcImageSize> out) const;
  static zcEllipseArc readImage(zcImageIn<zkEllipseArcImageSize> in);

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // The same ellipse from the end back to the start (phiEnd(), −phiSpan()).
  zcShapePtr reverse_() const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  // Archive form: version byte 0, the shape part, the geometry (as operator|| of
  // zcEllipseGeom), phiStart, phiSpan (radians). `archive || arc` writes and reads
  // this form in place.
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcEllipse ellipse_;
  zcRadian start_;
  zcRadian span_{2.0 * zkPi};
};

// An arc's own archive form (without class name or sharing): version byte 0, the
// geometry, start angle, span. A failed load leaves the arc unchanged.
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcEllipseArc& arc);

// Ellipses as zfRealEq of zcEllipse, and both angles within tol.
ZFOUND_API bool zfRealEq(const zcEllipseArc& a, const zcEllipseArc& b, double tol);

// ---------------------------------------------------------------------------
// An arc of a zcEllipse2 between the parameters phiStart() and phiStart() + phiSpan()
// on its unit circle (|span| <= 2π).
class ZFOUND_API zcEllipseArc2 : public zcShape {
public:
  // The whole unit circle, from parameter 0 through 2π.
  zcEllipseArc2();
  zcEllipseArc2(const zcEllipse2& ellipse, zcRadian phiStart, zcRadian phiSpan);
  zcEllipseArc2(const zcEllipseArc2& other);
  zcEllipseArc2& operator=(const zcEllipseArc2& other);
  ~zcEllipseArc2() override;

  // The arc of a zcEllipseArc over the same points.
  explicit zcEllipseArc2(const zcEllipseArc& arc);

  const zcEllipse2& ellipse() const { return ellipse_; }
  const zcXform<2>& ellFromUnitCirc() const { return ellipse_.ellFromUnitCirc(); }
  zcRadian phiStart() const { return start_; }
  zcRadian phiSpan() const { return span_; }
  zcRadian phiEnd() const { return start_ + span_; }
  void phiRange(zcRadian phiStart, zcRadian phiSpan);

  bool isOpenContour() const override { return true; }
  bool hasTangent() const override { return !ellipse_.degen(); }
  bool degen() const override;
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  double nearestPerimPos(const zcPoint& p) const override;
  zcPoint startPoint() const override;
  zcPoint endPoint() const override;
  zcRadian startAngle() const override;
  zcRadian endAngle() const override;
  zcRadian tangentRotation() const override;
  zcRadian windingAngle(const zcPoint& p) const override;
  // Always a zcEllipseArc2 with the same parameters.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  zcShapePtr subShape(double from, double to) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  zcEllipseArc2 map(const zcXform<2>& x) const;
  zcEllipseArc2 map(const zc2XformLinear& x) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  zcShapePtr reverse_() const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  // Archive form: version byte 0, the shape part, ellFromUnitCirc (zcXform<2>),
  // phiStart, phiSpan (radians).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcEllipse2 ellipse_;
  zcRadian start_;
  zcRadian span_{2.0 * zkPi};
};

ZFOUND_API bool zfRealEq(const zcEllipseArc2& a, const zcEllipseArc2& b, double tol);

// ---------------------------------------------------------------------------
// The region between two concentric circles: 0 <= inner radius <= outer radius
// (zcShapesError::BadRadius otherwise). Its boundary is the outer circle
// counter-clockwise, then the inner circle clockwise.
class ZFOUND_API zcAnnulus : public zcShape {
public:
  // Center (0, 0), radii 0.5 and 1.
  zcAnnulus();
  zcAnnulus(const zcPoint& center, double innerRadius, double outerRadius);
  zcAnnulus(const zcAnnulus& other);
  zcAnnulus& operator=(const zcAnnulus& other);
  ~zcAnnulus() override;

  const zcPoint& center() const { return center_; }
  double innerRadius() const { return inner_; }
  double outerRadius() const { return outer_; }
  zcCircle innerCircle() const { return zcCircle(center_, inner_); }
  zcCircle outerCircle() const { return zcCircle(center_, outer_); }
  void center(const zcPoint& value);
  void radii(double innerRadius, double outerRadius);

  bool isRegion() const override { return true; }
  bool hasTangent() const override { return outer_ > 0.0; }
  // No area: equal radii.
  bool degen() const override { return inner_ == outer_; }
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  // Both circles.
  double perimeter() const override;
  bool isRightHanded() const override { return true; }
  bool within(const zcPoint& p) const override;
  // A zcAnnulus when x is a similarity; otherwise a zcGenAnnulus of the two mapped
  // circles as elliptical general rectangles (inner first), which raises
  // zcShapesError::DegenerateShape when either radius is 0 or x is singular.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // The outer circle from angle 0, then the inner one from angle 0 clockwise.
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  bool isMultipleContours_() const override { return true; }
  // Archive form: version byte 0, the shape part, center (vector), inner radius,
  // outer radius (doubles).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcPoint center_;
  double inner_ = 0.5;
  double outer_ = 1.0;
};

ZFOUND_API bool zfRealEq(const zcAnnulus& a, const zcAnnulus& b, double tol);

// ---------------------------------------------------------------------------
// The region between two ellipses, one the other scaled about their common center:
// inner = outer scaled by the ratio q in [0, 1], same parameterization (the inner
// point at parameter t is c + q U (cos t, sin t)). The constructor from two ellipses
// accepts any inner ellipse whose point set is that (within 1e-9 of the outer's
// size) and keeps the inner one in the outer's parameterization; an inner ellipse of
// another shape, orientation or center raises zcShapesError::BadParams, a larger
// one zcShapesError::BadRadius. The boundary is the outer ellipse in its direction,
// then the inner one in the other direction.
class ZFOUND_API zcEllipseAnnulus : public zcShape {
public:
  // Outer: the unit circle; ratio 0.5.
  zcEllipseAnnulus();
  zcEllipseAnnulus(const zcEllipse& inner, const zcEllipse& outer);
  zcEllipseAnnulus(const zcEllipse& outer, double ratio);
  zcEllipseAnnulus(const zcEllipseAnnulus& other);
  zcEllipseAnnulus& operator=(const zcEllipseAnnulus& other);
  ~zcEllipseAnnulus() override;

  zcEllipse inner() const;
  const zcEllipse& outer() const { return outer_; }
  // q: the ratio of the lengths of the inner and the outer first axis vectors (0 for
  // an outer ellipse of size 0).
  double ratio() const { return ratio_; }

  bool isRegion() const override { return true; }
  bool hasTangent() const override { return !outer_.degen(); }
  // No area: the outer ellipse is degenerate, or q is 1 (within 1e-15).
  bool degen() const override;
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  // The outer ellipse's handedness.
  bool isRightHanded() const override { return outer_.isRightHanded(); }
  bool within(const zcPoint& p) const override;
  // Always a zcEllipseAnnulus.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  zcEllipseAnnulus map(const zcXform<2>& x) const;
  // The outer ellipse mapped (typed map) and the same ratio; `phase` receives the
  // parameter turn that the decomposition introduced (the old parameter t is the new
  // parameter t − phase).
  zcEllipseAnnulus map(const zcXform<2>& x, zcRadian& phase) const;

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  bool isMultipleContours_() const override { return true; }
  // Both ellipses mirrored.
  zcShapePtr reverse_() const override;
  // Archive form: version byte 0, the shape part, the inner geometry, the outer
  // geometry (each as operator|| of zcEllipseGeom).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  static double checkedRatio(const zcEllipse& inner, const zcEllipse& outer);

  zcEllipse outer_;
  double ratio_ = 0.5;
};

ZFOUND_API bool zfRealEq(const zcEllipseAnnulus& a, const zcEllipseAnnulus& b, double tol);

// ---------------------------------------------------------------------------
// A section of an ellipse annulus: the points of the annulus whose parameter (on the
// outer ellipse's unit circle) lies counter-clockwise from phiStart() to phiEnd():
// span σ = norm(phiEnd − phiStart) in [0, 2π). Two flags:
//   full      the whole annulus (σ = 2π; the start angle is where sampling starts);
//   reversed  the boundary runs the other way (see below).
// The boundary runs along the outer arc from phiStart to phiEnd, along the radial
// segment at phiEnd inwards, along the inner arc back to phiStart and out along the
// radial segment at phiStart; reversed runs it backwards from the same start point.
// A full section's boundary is that of its annulus (reversed: both run backwards).
//
// degen() holds when the section has no area: its annulus is degenerate, or it is
// not full and σ is 0.
class ZFOUND_API zcEllipseAnnulusSection : public zcShape {
public:
  // The default annulus, from parameter 0 to π/2.
  zcEllipseAnnulusSection();
  zcEllipseAnnulusSection(const zcEllipseAnnulus& annulus, zcRadian phiStart, zcRadian phiEnd,
                          bool full = false, bool reversed = false);
  zcEllipseAnnulusSection(const zcEllipseAnnulusSection& other);
  zcEllipseAnnulusSection& operator=(const zcEllipseAnnulusSection& other);
  ~zcEllipseAnnulusSection() override;

  const zcEllipseAnnulus& annulus() const { return annulus_; }
  zcRadian phiStart() const { return start_; }
  zcRadian phiEnd() const { return end_; }
  // σ in [0, 2π), or 2π when full.
  zcRadian phiSpan() const;
  bool isFull() const { return full_; }
  bool isReversed() const { return reversed_; }
  // The bounding arcs from phiStart through phiSpan (counter-clockwise in parameter,
  // whatever the reversed flag).
  zcEllipseArc outerArc() const;
  zcEllipseArc innerArc() const;

  bool isRegion() const override { return true; }
  bool hasTangent() const override { return !degen(); }
  bool degen() const override;
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  // The outer ellipse's handedness, negated when reversed.
  bool isRightHanded() const override;
  bool within(const zcPoint& p) const override;
  // Always a zcEllipseAnnulusSection over the mapped points.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  zcEllipseAnnulusSection map(const zcXform<2>& x) const;

  // Value image, 552 bytes, little-endian. Two 176-byte ellipse blocks, inner at 0
  // and outer at 176, each:
  //   +0   the ellipse's geometry image (48 bytes)                read
  //   +48  its unitXform() as a zcXform<2> image (56 bytes)         derived
  //   +104 the point at phiStart, x, y (f64)                        derived
  //   +120 the point at phiEnd, x, y (f64)                          derived
  //   +136 40 zero bytes
  // then
  //   @352 phiStart (f64)    @360 phiEnd (f64)                     read
  //   @368 full (u8 0/1)     @369 reversed (u8 0/1)                read
  //   @370 six zero bytes
  //   @376 ratio q (f64)     @384 phiSpan (f64)                    derived
  //   @392 160 zero bytes
  // Bytes 0 to 439 hold everything the version-0 sketch form (440 bytes) holds at the
  // same offsets; readImageV0 reads that form. Readers raise zcShapesError as the
  // constructors do (a flag byte other than 0 or 1: BadParams).
  void writeImage(zcImageOut<zkEllipseAnnulusSectionImageSize> out) const;
  static zcEllipseAnnulusSection readImage(zcImageIn<zkEllipseAnnulusSectionImageSize> in);
  static zcEllipseAnnulusSection readImageV0(zcImageIn<zkEllipseAnnulusSectionImageV0Size> in);

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // The reversed flag toggled.
  zcShapePtr reverse_() const override;
  // Archive form: version byte 0, the shape part, the inner and the outer geometry,
  // phiStart, phiEnd (radians), full, reversed (bools).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcEllipseAnnulus annulus_;
  zcRadian start_;
  zcRadian end_{zkPi / 2.0};
  bool full_ = false;
  bool reversed_ = false;
};

// Annuli within tol, angles within tol, equal flags.
ZFOUND_API bool zfRealEq(const zcEllipseAnnulusSection& a, const zcEllipseAnnulusSection& b, double tol);
