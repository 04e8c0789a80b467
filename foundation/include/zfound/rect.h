// Axis-aligned rectangles: the bounding boxes of every shape, clip and change
// rectangles in client coordinates, and a region kind of its own.
//
//   zcRect box;                                  // the empty rectangle
//   box.enclose(zcPoint(1, 2));                  // now the zero-size box at (1, 2)
//   box.enclose(zcRect(zcPoint(0, 0), zcVector<2>(4, 3)));
//   zcShapePtr m = box.mapShape(rotation);       // a zcGenRect
//   zcRect s = box.map(zcXform<2>::scaling(2, 3)); // still a zcRect
//
// A rectangle is a corner (x, y) and a size (width, height), both >= 0. With y
// downward (images) the corner is the upper left, hence the names ul(), ur(), lr()
// and ll(). The boundary runs corner, (x + w, y), lr(), ll() and back to the corner:
// counter-clockwise in a y-up frame, so a rectangle is right-handed.
//
// The empty rectangle (the default) holds no point at all. It differs from the
// zero-size rectangle at a point, which holds that point: enclosing a point in the
// empty rectangle gives the point's zero-size box, while enclosing anything in the
// empty rectangle changes nothing else. Its accessors report corner (0, 0) and size
// (0, 0); isEmpty() tells it apart.
#pragma once

#include "zfound/bytes.h"
#include "zfound/export.h"
#include "zfound/geometry.h"
#include "zfound/shape.h"

#include <cstddef>

// Bytes of a rectangle's value image.
inline constexpr std::size_t zkRectImageSize = 88;

// Failures of construction: a non-finite corner or size, or a negative width or
// height, raise zcShapesError::BadParams.
class ZFOUND_API zcRect : public zcShape {
public:
  // The empty rectangle.
  zcRect();
  zcRect(const zcPoint& corner, const zcVector<2>& size);
  zcRect(double x, double y, double width, double height);
  zcRect(const zcRect& other);
  zcRect& operator=(const zcRect& other);
  ~zcRect() override;

  // The smallest rectangle holding two points (any two opposite corners).
  static zcRect fromCorners(const zcPoint& a, const zcPoint& b);

  bool isEmpty() const { return empty_; }

  zcPoint corner() const { return corner_; }
  zcVector<2> size() const { return size_; }
  double x() const { return corner_.x(); }
  double y() const { return corner_.y(); }
  double width() const { return size_.x(); }
  double height() const { return size_.y(); }
  zcPoint ul() const { return corner_; }
  zcPoint ur() const { return zcPoint(corner_.x() + size_.x(), corner_.y()); }
  zcPoint lr() const { return corner_ + size_; }
  zcPoint ll() const { return zcPoint(corner_.x(), corner_.y() + size_.y()); }
  zcPoint center() const { return corner_ + size_ * 0.5; }
  double area() const { return size_.x() * size_.y(); }

  // Setters validate as the constructor does and leave the rectangle unchanged when
  // they throw. Setting the corner or the size of the empty rectangle makes it a
  // rectangle with the other value (0, 0).
  void corner(const zcPoint& value);
  void size(const zcVector<2>& value);

  // Grows to hold the other rectangle or the point. The empty rectangle is the
  // identity: enclosing it changes nothing, and enclosing anything in it gives that
  // thing's box (a point's zero-size box). Returns *this.
  zcRect& enclose(const zcRect& other);
  zcRect& enclose(const zcPoint& p);

  // Containment and overlap with boundaries included; the empty rectangle contains
  // nothing, overlaps nothing and is contained in every rectangle.
  bool contains(const zcRect& other) const;
  bool intersects(const zcRect& other) const;
  // The common part (empty when they do not overlap; a rectangle of zero width or
  // height when they only touch).
  zcRect intersection(const zcRect& other) const;

  // --- Shape protocol -------------------------------------------------------------
  bool isRegion() const override { return true; }
  bool hasTangent() const override;
  // Empty, or zero width or height.
  bool degen() const override;
  // The rectangle itself (the empty rectangle for the empty one).
  zcRect boundingBox() const override;
  // p itself when inside, else the nearest boundary point; EmptyShape when empty.
  zcPoint nearestPoint(const zcPoint& p) const override;
  // 2 (w + h); 0 for the empty rectangle.
  double perimeter() const override;
  bool isRightHanded() const override { return true; }
  // Boundary included; false for the empty rectangle.
  bool within(const zcPoint& p) const override;
  // A zcRect when x's matrix is diagonal (axis scaling, mirrors included, and
  // translation), a zcGenRect otherwise (which raises zcShapesError::DegenerateShape
  // for a singular x or a rectangle without area). The empty rectangle maps to itself.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // The boundary from the corner (see the top of this file); EmptyShape when empty.
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;
  zcShapePtr clone() const override;

  // The image under an axis scaling and translation (the box of the mapped
  // corners). Any other x raises zcShapesError::BadGeom (use mapShape), except
  // for the empty rectangle, which every map leaves empty.
  zcRect map(const zcXform<2>& x) const;

  // --- Value image, 88 bytes, f64 little-endian --------------------------------
  //   @0   16 zero bytes (object housekeeping; readers ignore them)
  //   @16  corner x      @24 corner y
  //   @32  width         @40 height
  //   @48  40 zero bytes (housekeeping)
  // The empty rectangle has no image of its own: it is written as the zero-size
  // rectangle at the origin. Readers take the four numbers alone and raise
  // zcShapesError::BadParams when they make no rectangle.
  void writeImage(zcImageOut<zkRectImageSize> out) const;
  static zcRect readImage(zcImageIn<zkRectImageSize> in);

  static const zc_Instantiator sExemplar;

protected:
  bool equal_(const zcShape& other) const override;
  // Archive form: version byte 0, the shape part, the empty flag (bool), the corner
  // and the size (vectors). Loading refuses with zcArchive::BadFormat what the
  // constructor refuses, and an empty rectangle with a corner or size other than 0.
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcPoint corner_;
  zcVector<2> size_;
  bool empty_ = true;
};

// Both empty, or neither and corner and size within tol.
ZFOUND_API bool zfRealEq(const zcRect& a, const zcRect& b, double tol);
