// Shapes: the common protocol of every geometric kind the display core draws, wraps
// or stores (points, segments, lines, rectangles, conics, polygons, curves, trees).
//
// A shape is persistent and reference counted; share it through handles:
//   zcPtrHandle<zcShape> s = new zcCircle(zcPoint(0, 0), 2.0);
//   zcRect box = s->boundingBox();
//   zcPtrHandle<zcShape> e = s->mapShape(shear);   // a zcEllipse2
//
// Terms. A contour is a connected curve with a direction; it is open (two ends) or
// closed (the boundary of a region). Angles are radians, counter-clockwise from the
// x axis in a y-up frame. Perimeter positions are arc lengths from the start point.
//
// A query that does not apply to a kind raises the matching zcShapesError:
// NotOpenContour (ends, end angles, tangent rotation, winding angle of a shape that
// is not an open contour), NotRegion (inside tests and handedness of a shape that is
// not a region), EmptyShape (bounding box and nearest point of a shape with no
// points), BadGeom (sampling a shape that is not a curve).
#pragma once

#include "zfound/archive.h"
#include "zfound/exception.h"
#include "zfound/export.h"
#include "zfound/geometry.h"
#include "zfound/handle.h"
#include "zfound/persistent.h"

#include <cstddef>
#include <vector>

class zcRect;
class zcShape;

using zcShapePtr = zcPtrHandle<zcShape>;
using zcShapePtr_const = zcPtrHandle_const<zcShape>;

// How a curve is turned into points.
//
// The points run from the start of the curve to its end (a closed curve ends with
// its start point again). Consecutive points are at most `spacing` apart along the
// curve when spacing > 0, and the polyline through them stays within `tolerance` of
// the curve when tolerance > 0; at least one of the two must be positive. In uniform
// mode the points are exactly `spacing` apart in arc length (the last step may be
// shorter); shapes that cannot honour it raise zcShapesError::BadParams.
// More than `maxPoints` points (when > 0) raise zcShapesError::SampleOverflow.
// At a corner (where the direction jumps, between the pieces of a contour) the
// corner point is given twice when `duplicateCorners` is set, once otherwise.
struct ZFOUND_API zcSampleParams {
  double spacing = 0.0;
  double tolerance = 0.0;
  long maxPoints = 0;
  bool duplicateCorners = false;
  bool uniform = false;
  long reserve = 0;  // capacity to reserve in the result up front

  // Raises zcShapesError::BadParams for a negative or non-finite spacing or
  // tolerance, or when both are 0.
  void validate() const;
};

struct ZFOUND_API zcSampleResult {
  std::vector<zcPoint> points;

  // Appends a point, raising zcShapesError::SampleOverflow past params.maxPoints.
  void add(const zcPoint& p, const zcSampleParams& params);
  // Makes room for params.reserve more points (at most maxPoints when that is set).
  void reserveFor(const zcSampleParams& params);
};

// What clipping a shape to a rectangle did.
struct ZFOUND_API zcClipInfo {
  enum zeResult { eInside, eClipped, eOutside };
  zeResult result = eInside;
  long pieces = 0;  // number of pieces of the clipped shape (0 when outside)
};

class ZFOUND_API zcShape : public virtual zcPersistent, public virtual zcRepBase {
public:
  ~zcShape() override;

  // A handle to a copy of this shape. Every kind overrides clone or cloneThat_ (the
  // defaults are written in terms of each other).
  virtual zcShapePtr clone() const;

  virtual bool isOpenContour() const;  // default false
  virtual bool isRegion() const;       // default false
  virtual bool isFinite() const;       // default true
  // True when the shape has no extent to speak of (no points, zero radius ...).
  virtual bool degen() const;          // default false
  // True when a direction is defined along the shape.
  virtual bool hasTangent() const;     // default false
  // True for shapes made of several shapes (trees).
  virtual bool isCompound() const;     // default false
  // True when the shape is one connected piece.
  virtual bool isConnected() const;    // default true

  // The smallest axis-aligned rectangle that holds the shape.
  virtual zcRect boundingBox() const = 0;
  // The point of the shape nearest to p (of a region: of its boundary or inside).
  virtual zcPoint nearestPoint(const zcPoint& p) const = 0;
  // Length of a curve or of a region's boundary. By default the length of what
  // decompose() gives when that is a shape of another kind (a kind that answers
  // through its decomposition need not define it); zcShapesError::BadGeom otherwise.
  virtual double perimeter() const;
  // Arc length position of the point of the curve nearest to p; by default through
  // decompose() as perimeter() is, else zcShapesError::NotOpenContour.
  virtual double nearestPerimPos(const zcPoint& p) const;

  virtual zcPoint startPoint() const;
  virtual zcPoint endPoint() const;
  // Directions of the curve at its ends.
  virtual zcRadian startAngle() const;
  virtual zcRadian endAngle() const;
  // Total turning of the tangent from start to end (signed, counter-clockwise
  // positive; at corners the turn is the signed angle between the two directions).
  virtual zcRadian tangentRotation() const;
  // Angle swept by the vector from p to the curve point as it runs from start to
  // end (signed); undefined (zcShapesError::BadGeom) when p lies on the curve.
  virtual zcRadian windingAngle(const zcPoint& p) const;
  // True when the boundary of a region runs counter-clockwise.
  virtual bool isRightHanded() const;
  // True when p lies in the region (boundary included).
  virtual bool within(const zcPoint& p) const;

  // The image of the shape under an affine map, of whatever kind the image is.
  virtual zcShapePtr mapShape(const zcXform<2>& x) const = 0;
  // The same shape run the other way (a copy for shapes without direction).
  virtual zcShapePtr reverse() const;
  // The shape as simpler shapes (segments, arcs, trees of them); a copy by default.
  virtual zcShapePtr decompose() const;
  // The part of a curve between two perimeter positions; by default through
  // decompose() as perimeter() is, else zcShapesError::NotOpenContour.
  virtual zcShapePtr subShape(double from, double to) const;

  // The shape clipped to a window: a null handle when nothing is left.
  zcShapePtr clip(const zcRect& window, zcClipInfo& info) const { return clip_(window, info); }

  // Points along a curve or a region's boundary; see zcSampleParams.
  virtual void sample(const zcSampleParams& params, zcSampleResult& result) const;

  // Point and tangent direction at a perimeter position of a curve.
  void perimPointAndTangent(double position, zcPoint& point, zcRadian& tangent) const {
    perimPointAndTangent_(position, point, tangent);
  }
  // True for shapes whose boundary is several contours (annuli, trees of several).
  bool isMultipleContours() const { return isMultipleContours_(); }

  // Distance from p to the shape (0 inside a region).
  double distToPoint(const zcPoint& p) const;

  // Same kind and same geometry.
  bool operator==(const zcShape& other) const { return equal_(other); }
  bool operator!=(const zcShape& other) const { return !equal_(other); }

protected:
  zcShape() = default;
  zcShape(const zcShape&) = default;
  zcShape& operator=(const zcShape&) = default;

  // Clipping to a window; by default the shape is kept whole when its bounding box
  // is inside, dropped when outside, and sampled and clipped as polylines otherwise.
  virtual zcShapePtr clip_(const zcRect& window, zcClipInfo& info) const;
  virtual zcShapePtr reverse_() const;
  virtual bool equal_(const zcShape& other) const = 0;
  virtual bool isMultipleContours_() const;  // default false
  // Point and tangent direction at a perimeter position of a curve; by default
  // through decompose() as perimeter() is, else zcShapesError::NotOpenContour.
  virtual void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const;
  // A new copy, owned by the caller.
  virtual zcShape* cloneThat_() const;

  // The base part of every shape's archive form: a version byte 0.
  void dispatchSerialize(zcArchive& archive) override;
};
