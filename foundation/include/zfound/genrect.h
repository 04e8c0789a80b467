// General rectangles: rounded parallelograms (zcGenRect), the region between two of
// them (zcGenAnnulus) and plain parallelograms given by three corners
// (zcAffineRectangle). All three are regions closed under affine maps.
//
//   zcGenRect g(zcPoint(10, 5), zcVector<2>(4, 2), zcRadian(0.3), zcVector<2>(1, 1));
//   bool in = g.within(zcPoint(11, 5));
//   zcGenRect h = g.map(shear);                 // still a zcGenRect
//   zcGenRect e = zcGenRect::fromUnitXform(circleToWorld, zcVector<2>(1, 1));  // an ellipse
//
// The square frame. A zcGenRect is the image of one rounded square under an affine
// map. The square is [−1, 1] × [−1, 1] with its four corners replaced by quarter
// ellipses of radii (fx, fy), the two rounding fractions: 0 keeps the corners sharp,
// 1 makes the whole side a quarter ellipse, so fractions (1, 1) give the unit circle.
// When either fraction is 0 (magnitude <= 1e-15) the corners are sharp, whatever the
// other one is. The rectangle stores its center c, the matrix M that carries the
// rectangle, relative to c, onto the square (q = M (p − c)), and the two fractions.
// U, the inverse of M, carries the square onto the rectangle: its columns are the
// half sides along the square's x and y axes. A U with orthogonal columns gives a
// true rounded rectangle; any other nonsingular U a rounded parallelogram.
//
// Boundary direction. Boundaries run counter-clockwise in the square frame, so in the
// world they run counter-clockwise exactly when det U > 0 (isRightHanded()). Sampling
// starts at the image of (−(1 − fx), −1) (the corner (−1, −1) when sharp), runs along
// the image of the bottom side towards +x and ends there again.
#pragma once

#include "zfound/bytes.h"
#include "zfound/export.h"
#include "zfound/geometry.h"
#include "zfound/shape.h"

#include <array>
#include <cstddef>

class zcRect;

// Bytes of the value images (see writeImage of each class for the offsets).
inline constexpr std::size_t zkGenRectImageSize = 152;
inline constexpr std::size_t zkGenRectImageV0Size = 96;
inline constexpr std::size_t zkGenAnnulusImageSize = 360;
inline constexpr std::size_t zkGenAnnulusImageV0Size = 192;
inline constexpr std::size_t zkAffineRectangleImageSize = 232;
inline constexpr std::size_t zkAffineRectangleImageV0Size = 176;

// ---------------------------------------------------------------------------
// A rounded rectangle or parallelogram (see the square frame above).
//
// Failures of construction: a non-finite number raises zcShapesError::BadParams; a
// rounding fraction outside [0, 1] (a corner radius that is negative or larger than
// its half side) zcShapesError::BadRadius; a negative half size BadParams; a singular
// rectangle (a zero half side, or an M or U without a finite inverse)
// zcShapesError::DegenerateShape.
class ZFOUND_API zcGenRect : public zcShape {
public:
  // The square [−1, 1] × [−1, 1] itself, sharp.
  zcGenRect();
  // The stored form: center c, the matrix M that carries the rectangle, relative to
  // c, onto the square, and the rounding fractions (fx, fy) in [0, 1].
  zcGenRect(const zcVector<2>& center, const zcMatrix<2>& toSquare, const zcVector<2>& roundFractions);
  // The four-argument form: a rectangle with the given center and half sizes
  // (hx, hy >= 0), its x side turned by `orient`, and corner radii `round` in world
  // units (0 <= rx <= hx, 0 <= ry <= hy). zcGenRect(g.center(), g.halfSizes(),
  // g.orient(), g.round()) gives back every right-handed g with orthogonal sides.
  zcGenRect(const zcVector<2>& center, const zcVector<2>& halfSizes, zcRadian orient,
            const zcVector<2>& round);
  // The four-vector form: center, the half side vectors along the square's x and y
  // axes (the columns of U), and corner radii in world units measured along them
  // (0 <= rx <= |xHalfSide|, 0 <= ry <= |yHalfSide|). Reproduces any g from
  // g.center(), g.xHalfSide(), g.yHalfSide(), g.round().
  zcGenRect(const zcVector<2>& center, const zcVector<2>& xHalfSide, const zcVector<2>& yHalfSide,
            const zcVector<2>& round);
  // The axis-aligned rectangle itself, sharp (DegenerateShape for a zero width or
  // height). For a rectangle under a transform x use zcGenRect(rect).map(x).
  explicit zcGenRect(const zcRect& rect);

  // The rectangle onto which `unitXform` carries the square (its translation is the
  // center, its matrix U), with the given rounding fractions. An ellipse with center
  // c and conjugate semi-axes a, b is fromUnitXform(zcXform<2>(matrix with columns
  // a, b, c), zcVector<2>(1, 1)).
  static zcGenRect fromUnitXform(const zcXform<2>& unitXform, const zcVector<2>& roundFractions);

  zcGenRect(const zcGenRect& other);
  zcGenRect& operator=(const zcGenRect& other);
  ~zcGenRect() override;

  // --- The stored form and what follows from it --------------------------------
  const zcVector<2>& center() const { return center_; }
  // M: carries the rectangle, relative to the center, onto the square.
  const zcMatrix<2>& matrix() const { return toSquare_; }
  // (fx, fy) as stored, in [0, 1].
  const zcVector<2>& roundFractions() const { return fractions_; }
  // Carries the square onto the rectangle: matrix U = M⁻¹, translation the center.
  zcXform<2> unitXform() const { return zcXform<2>(fromSquare_, center_); }
  // The half side vectors: the images of the square's axis vectors (U's columns).
  zcVector<2> xHalfSide() const { return fromSquare_.col(0); }
  zcVector<2> yHalfSide() const { return fromSquare_.col(1); }
  // Their lengths (hx, hy).
  zcVector<2> halfSizes() const;
  // Direction of the x side, in (−π, π].
  zcRadian orient() const { return xHalfSide().angle(); }
  // Corner radii in world units: (fx · hx, fy · hy).
  zcVector<2> round() const;
  // True when the corners are sharp (either fraction <= 1e-15).
  bool isSharp() const;
  // True when both fractions are 1: the rectangle is the ellipse unitXform() makes
  // of the unit circle.
  bool isEllipse() const { return fractions_.x() == 1.0 && fractions_.y() == 1.0; }
  // The images of the square's corners (−1, −1), (1, −1), (1, 1), (−1, 1); for a
  // rounded rectangle they lie outside it.
  std::array<zcPoint, 4> corners() const;
  // The point of the boundary nearest to p (also for p inside).
  zcPoint nearestBoundaryPoint(const zcPoint& p) const;

  // --- Shape protocol -------------------------------------------------------------
  bool isRegion() const override { return true; }
  bool hasTangent() const override { return true; }
  // Exact, rounded corners included.
  zcRect boundingBox() const override;
  // p itself when inside, else the nearest boundary point.
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  bool isRightHanded() const override;
  bool within(const zcPoint& p) const override;
  // Always a zcGenRect. A singular x raises zcMathError::Singular.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // The boundary from the start point described above. Uniform mode is refused
  // (zcShapesError::BadParams) unless the corners are sharp.
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;
  // The boundary as a closed zcContourTree from the start point described above: the
  // sides as zcLineSeg pieces (a side that full rounding shrinks to nothing left
  // out) and the rounded corners as zcEllipseArc2 quarters. The perimeter
  // positions (nearestPerimPos, perimPointAndTangent, subShape) are those of this
  // contour.
  zcShapePtr decompose() const override;

  // The image under x: center x(c), matrix M·A⁻¹ for x's matrix A, same fractions.
  // A singular x raises zcMathError::Singular.
  zcGenRect map(const zcXform<2>& x) const;

  // --- Value image, 152 bytes, f64 little-endian ---------------------------------
  //   @0   center x, y                 read
  //   @16  M row by row (4 f64)        read
  //   @48  det M                       written; ignored on reading
  //   @56  rounding fractions fx, fy   read
  //   @72  half sizes hx, hy           derived: written, ignored on reading
  //   @88  orient (radians)            derived
  //   @96  U row by row (4 f64)        derived
  //   @128 det U                       derived
  //   @136 round() rx, ry              derived
  // Bytes 0 to 95 are the 96-byte block of the version-0 sketch form: the
  // constructor from (center, matrix, fractions) rebuilds the rectangle from them.
  // Readers raise zcShapesError (as the constructor does) for bytes that make no
  // valid rectangle.
  void writeImage(zcImageOut<zkGenRectImageSize> out) const;
  static zcGenRect readImage(zcImageIn<zkGenRectImageSize> in);
  static zcGenRect readImageV0(zcImageIn<zkGenRectImageV0Size> in);

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // The same set, boundary run the other way (the square frame mirrored in y).
  zcShapePtr reverse_() const override;
  // Archive form: version byte 0, the shape part, center (vector), the four entries
  // of M row by row (doubles), the fractions (vector).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  // Validated fields in; U computed from M (DegenerateShape when singular).
  void assign(const zcVector<2>& center, const zcMatrix<2>& toSquare, const zcVector<2>& roundFractions);

  zcVector<2> center_;
  zcMatrix<2> toSquare_;    // M
  zcMatrix<2> fromSquare_;  // U = M⁻¹, always recomputed from M
  zcVector<2> fractions_;
};

// Same center, U and fractions within tol (U rather than M, so that tol is in world
// units).
ZFOUND_API bool zfRealEq(const zcGenRect& a, const zcGenRect& b, double tol);

// ---------------------------------------------------------------------------
// The region between two general rectangles: inside (or on) the outer one and not
// strictly inside the inner one. The inner rectangle is meant to lie inside the
// outer; that is not checked. The boundary is both outlines: the outer one in its
// own direction, then the inner one reversed.
class ZFOUND_API zcGenAnnulus : public zcShape {
public:
  // Inner: the square scaled by 1/2; outer: the square.
  zcGenAnnulus();
  zcGenAnnulus(const zcGenRect& inner, const zcGenRect& outer);
  zcGenAnnulus(const zcGenAnnulus& other);
  zcGenAnnulus& operator=(const zcGenAnnulus& other);
  ~zcGenAnnulus() override;

  const zcGenRect& inner() const { return inner_; }
  const zcGenRect& outer() const { return outer_; }

  bool isRegion() const override { return true; }
  bool hasTangent() const override { return true; }
  zcRect boundingBox() const override;
  // p itself when inside, else the nearest point of either outline.
  zcPoint nearestPoint(const zcPoint& p) const override;
  // Both outlines together.
  double perimeter() const override;
  // The outer rectangle's handedness.
  bool isRightHanded() const override;
  bool within(const zcPoint& p) const override;
  // Always a zcGenAnnulus; a singular x raises zcMathError::Singular.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // The outer outline, then the inner one reversed (each closed on its own start).
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  zcGenAnnulus map(const zcXform<2>& x) const;

  // --- Value image, 360 bytes -------------------------------------------------------
  //   @0    inner rectangle's image bytes 0 to 95     read
  //   @96   outer rectangle's image bytes 0 to 95     read
  //   @192  inner rectangle's image bytes 96 to 151   derived, ignored on reading
  //   @248  outer rectangle's image bytes 96 to 151   derived
  //   @304  56 zero bytes
  // Bytes 0 to 191 are the version-0 sketch form: the two rectangles' 96-byte
  // blocks, inner first.
  void writeImage(zcImageOut<zkGenAnnulusImageSize> out) const;
  static zcGenAnnulus readImage(zcImageIn<zkGenAnnulusImageSize> in);
  static zcGenAnnulus readImageV0(zcImageIn<zkGenAnnulusImageV0Size> in);

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  bool isMultipleContours_() const override { return true; }
  // Both rectangles reversed.
  zcShapePtr reverse_() const override;
  // Archive form: version byte 0, the shape part, then the inner and the outer
  // rectangle's fields as in zcGenRect's form (center, four entries of M, fractions).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcGenRect inner_;
  zcGenRect outer_;
};

ZFOUND_API bool zfRealEq(const zcGenAnnulus& a, const zcGenAnnulus& b, double tol);

// ---------------------------------------------------------------------------
// A parallelogram given by three corners: the origin corner Po, the x corner Px and
// the y corner Py; the fourth corner is Px + Py − Po. Its boundary runs Po, Px,
// opposite corner, Py, back to Po. Collinear corners are allowed: the parallelogram
// is then degenerate (degen() true), a segment or a point with zero area.
class ZFOUND_API zcAffineRectangle : public zcShape {
public:
  // The unit square: Po (0, 0), Px (1, 0), Py (0, 1).
  zcAffineRectangle();
  // Raises zcShapesError::BadParams for a non-finite coordinate.
  zcAffineRectangle(const zcVector<2>& cornerPo, const zcVector<2>& cornerPx, const zcVector<2>& cornerPy);
  zcAffineRectangle(const zcAffineRectangle& other);
  zcAffineRectangle& operator=(const zcAffineRectangle& other);
  ~zcAffineRectangle() override;

  const zcPoint& cornerPo() const { return po_; }
  const zcPoint& cornerPx() const { return px_; }
  const zcPoint& cornerPy() const { return py_; }
  zcPoint cornerOpposite() const { return px_ + py_ - po_; }
  zcPoint center() const { return (px_ + py_) * 0.5; }
  // Carries the unit square [0, 1] × [0, 1] onto the parallelogram: matrix columns
  // Px − Po and Py − Po, translation Po.
  zcXform<2> unitXform() const;

  bool isRegion() const override { return true; }
  bool hasTangent() const override { return true; }
  // No area (collinear corners).
  bool degen() const override;
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  // True when Po, Px, Py turn counter-clockwise (or are collinear).
  bool isRightHanded() const override;
  bool within(const zcPoint& p) const override;
  // Always a zcAffineRectangle (degenerate under a singular x).
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // Po, Px, opposite, Py, Po (with the given spacing or uniform steps in between).
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  // The three corners mapped.
  zcAffineRectangle map(const zcXform<2>& x) const;

  // --- Value image, 232 bytes, f64 little-endian ----------------------------------
  //   @0    unitXform() as a zcXform<2> image (56 bytes)   derived, ignored on reading
  //   @56   Po x, y                                       read
  //   @72   Px x, y                                       read
  //   @88   Py x, y                                       read
  //   @104  opposite corner x, y                          derived
  //   @120  center x, y                                   derived
  //   @136  96 zero bytes
  // The version-0 sketch form (176 bytes) has the three corners at the same offsets.
  void writeImage(zcImageOut<zkAffineRectangleImageSize> out) const;
  static zcAffineRectangle readImage(zcImageIn<zkAffineRectangleImageSize> in);
  static zcAffineRectangle readImageV0(zcImageIn<zkAffineRectangleImageV0Size> in);

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // Px and Py swapped: the same set run the other way.
  zcShapePtr reverse_() const override;
  // Archive form: version byte 0, the shape part, Po, Px, Py (vectors).
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcPoint po_;
  zcPoint px_;
  zcPoint py_;
};

// The three corners within tol.
ZFOUND_API bool zfRealEq(const zcAffineRectangle& a, const zcAffineRectangle& b, double tol);
