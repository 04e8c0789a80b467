// Shapes made of shapes: trees of child shapes, contours made of pieces, a shape
// carried as its own archive bytes, and a shape under a transform.
//
//   zcContourTree c({new zcLineSeg(a, b), new zcEllipseArc2(...), new zcLineSeg(c, a)}, true);
//   double length = c.perimeter();
//   bool in = c.within(p);                      // closed contours are regions
//   zcShapePtr image = c.mapShape(x);           // a zcContourTree of mapped pieces
//
//   zcGenShape g(circle);                        // a copy of any shape
//   std::vector<unsigned char> b = g.bytes();   // its archive bytes
//   zcGenShape back = zcGenShape::fromBytes(b); // rebuilt by loading them
//
// Children are held through shape handles. A tree shares the handles it is given;
// its copies, clones and maps have children of their own. A shape cannot contain
// itself (directly or through trees, mapped shapes and generic shapes): adding such
// a child raises zcShapesError::BadParams.
#pragma once

#include "zfound/export.h"
#include "zfound/geometry.h"
#include "zfound/shape.h"

#include <cstddef>
#include <vector>

// An ordered list of child shapes. Its bounding box encloses the children's boxes,
// its nearest point is the nearest of the children's, its perimeter the sum of
// theirs; children without points (empty trees) are skipped, and a tree with no
// points at all raises zcShapesError::EmptyShape for the box and the nearest point.
// A map maps every child (the children become whatever their maps give).
//
// Archive form: version 0, the zcShape part, the child count (long), then each
// child as a polymorphic pointer (shared children are written once). A null child
// or a tree that would contain itself is refused with zcArchive::BadFormat.
class ZFOUND_API zcShapeTree : public zcShape {
public:
  zcShapeTree();
  // A null child raises zcBadPointer; a child that contains this tree BadParams.
  explicit zcShapeTree(std::vector<zcShapePtr> children);
  // Copies the children (no sharing with the original).
  zcShapeTree(const zcShapeTree& other);
  zcShapeTree& operator=(const zcShapeTree& other);
  ~zcShapeTree() override;

  long numChildren() const { return static_cast<long>(children_.size()); }
  // Index 0 to numChildren() − 1; others raise zcShapesError::BadParams.
  const zcShapePtr& child(long i) const;
  const std::vector<zcShapePtr>& children() const { return children_; }
  // Appends a child; raises as the constructor does and as the kind's own checks
  // do (a contour tree checks that the piece continues the contour), and leaves the
  // tree unchanged then. Only the new child is checked: growing a tree child by
  // child takes time in proportion to its size.
  void addChild(const zcShapePtr& child);

  bool isCompound() const override { return true; }
  // One child that is itself connected.
  bool isConnected() const override;
  bool isFinite() const override;
  // True when no child has any extent (or there are no children).
  bool degen() const override;

  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  double perimeter() const override;
  // A zcShapeTree of the children's maps.
  zcShapePtr mapShape(const zcXform<2>& x) const override;

  // True when `shape` is this tree or lies anywhere below it.
  bool contains(const zcShape* shape) const;

  static const zc_Instantiator sExemplar;

protected:
  zcShape* cloneThat_() const override;
  // The children reversed, in the same order.
  zcShapePtr reverse_() const override;
  // Same kind, same number of children, and equal children in order.
  bool equal_(const zcShape& other) const override;
  bool isMultipleContours_() const override { return children_.size() > 1; }
  // Clips every child: a tree of the clipped children that are left (null when none
  // is); the info counts the pieces of all of them and is eInside only when every
  // child is.
  zcShapePtr clip_(const zcRect& window, zcClipInfo& info) const override;
  void dispatchSerialize(zcArchive& archive) override;

  // Checks a complete child list for this kind before it is adopted; raises
  // zcBadPointer for a null child and zcShapesError::BadParams for a cycle. A
  // contour tree adds its contour checks.
  virtual void checkChildren_(const std::vector<zcShapePtr>& children) const;
  // Checks one child about to be appended to the present ones (what checkChildren_
  // would check of the longer list, in time independent of the tree's size).
  virtual void checkAppend_(const zcShapePtr& child) const;
  // The zcShapeTree level of the archive form. Loading reads the children into
  // `loaded` (leaving the tree as it is) and returns true; returns false when the
  // level was already handled in this pass.
  bool serializeTree_(zcArchive& archive, std::vector<zcShapePtr>& loaded);
  // Adopts a checked child list.
  void setChildren_(std::vector<zcShapePtr> children);

private:
  friend class zcShapeTreePrivate;
  static zcPersistent* make();

  std::vector<zcShapePtr> children_;
};

// The consecutive pieces of one contour: open curves (in practice line segments and
// elliptical arcs), each starting where the previous one ends, and, when the contour
// is closed, the last ending where the first starts (within 1e-7 times the largest
// end point coordinate, room for the rounding of computed ends). Pieces are used through the shape protocol only, so any open
// contours serve, nested contour trees included. An empty contour tree has no
// points (see zcShapeTree).
//
// Definitions:
//   perimeter       the sum of the pieces' perimeters.
//   tangentRotation the sum of the pieces' tangent rotations plus, at each join
//                   between consecutive pieces, the signed turn from the arriving
//                   piece's end angle to the leaving piece's start angle (in
//                   (−π, π]); for a closed contour also the turn at the closing join
//                   (last piece to first). Pieces without extent (degen(), such as
//                   zero-length segments) add nothing and are stepped over at joins.
//                   A simple closed contour run counter-clockwise gives 2π.
//   windingAngle(p) the sum of the pieces' winding angles about p: the angle swept
//                   by the vector from p to the contour point along the whole
//                   contour; a whole number of turns for a closed contour.
//                   zcShapesError::BadGeom when p lies on the contour.
//
// A closed contour tree is a region: within(p) is true on the contour and where
// the winding angle is not 0 (one turn or more); it is right-handed when its tangent
// rotation is positive. An open one is an open contour with the ends and end angles
// of its first and last pieces (NotOpenContour for a closed one).
//
// Sampling joins the pieces' samples in order, giving each join point once, or
// twice when params.duplicateCorners is set. Uniform mode places points exactly
// `spacing` apart in arc length along the whole contour; it is refused
// (zcShapesError::BadParams) with a positive tolerance or when a piece cannot give
// points by perimeter position.
//
// Archive form: version 0, the zcShapeTree part, the closed flag (bool). A loaded
// list of pieces that does not form a contour raises zcArchive::BadFormat.
class ZFOUND_API zcContourTree : public zcShapeTree {
public:
  // An empty, open contour.
  zcContourTree();
  // An empty contour, closed or open.
  explicit zcContourTree(bool closed);
  // Raises zcBadPointer for a null piece, zcShapesError::NotOpenContour for a piece
  // that is not an open contour, and zcShapesError::BadParams when the pieces do not
  // join.
  zcContourTree(std::vector<zcShapePtr> pieces, bool closed);
  zcContourTree(const zcContourTree& other) = default;
  zcContourTree& operator=(const zcContourTree& other);
  ~zcContourTree() override;

  bool isClosed() const { return closed_; }

  bool isConnected() const override { return true; }
  bool isOpenContour() const override { return !closed_ && numChildren() > 0; }
  bool isRegion() const override { return closed_; }
  bool hasTangent() const override { return !degen(); }

  double nearestPerimPos(const zcPoint& p) const override;
  zcPoint startPoint() const override;
  zcPoint endPoint() const override;
  zcRadian startAngle() const override;
  zcRadian endAngle() const override;
  zcRadian tangentRotation() const override;
  zcRadian windingAngle(const zcPoint& p) const override;
  // Raises zcShapesError::NotRegion for an open contour and EmptyShape for an empty
  // closed one.
  bool isRightHanded() const override;
  // False everywhere for an empty closed contour; NotRegion for an open one.
  bool within(const zcPoint& p) const override;

  // A zcContourTree of the pieces' maps, closed as this one.
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // An open zcContourTree of the part between the perimeter positions (clamped to
  // [0, perimeter()]); from > to gives it run backwards.
  zcShapePtr subShape(double from, double to) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;

  static const zc_Instantiator sExemplar;

protected:
  zcShape* cloneThat_() const override;
  // The pieces reversed, in reverse order.
  zcShapePtr reverse_() const override;
  bool equal_(const zcShape& other) const override;
  bool isMultipleContours_() const override { return false; }
  // As one curve or region (zcShape's clipping), not piece by piece; an empty
  // contour is outside every window.
  zcShapePtr clip_(const zcRect& window, zcClipInfo& info) const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  void checkChildren_(const std::vector<zcShapePtr>& children) const override;
  void checkAppend_(const zcShapePtr& child) const override;
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  // The largest end point coordinate of the pieces (the scale of the join
  // tolerance), kept for the first extentOf_ pieces so that appending stays cheap.
  double extent() const;

  bool closed_ = false;
  mutable double extent_ = 0.0;
  mutable std::size_t extentOf_ = 0;
};

// A shape carried as its own serialized form: the archive bytes of the shape
// written as a polymorphic pointer (a complete archive, header included), from
// which fromBytes rebuilds it by loading. A sketch stores generic shapes this way,
// whatever their kind, and a painting scope receives them already mapped: map (and
// mapShape) give a zcGenShape of the held shape's own map.
//
// The generic shape holds a private copy of the shape it is given and answers the
// shape protocol by forwarding to it. A default-constructed generic shape holds
// nothing: its bytes hold a null pointer, and the queries that need points raise
// zcShapesError::EmptyShape.
//
// Archive form: version 0, the zcShape part, the held shape as a polymorphic pointer
// (null when empty).
class ZFOUND_API zcGenShape : public zcShape {
public:
  zcGenShape();
  explicit zcGenShape(const zcShape& shape);
  // A null handle gives an empty generic shape.
  explicit zcGenShape(const zcShapePtr_const& shape);
  zcGenShape(const zcGenShape& other);
  zcGenShape& operator=(const zcGenShape& other);
  ~zcGenShape() override;

  bool isEmpty() const { return !shape_; }
  // The held shape (a null handle when empty).
  zcShapePtr_const shape() const { return shape_; }

  // The serialized form. Raises zcArchive::UnknownClass when the held shape's kind
  // is not registered.
  std::vector<unsigned char> bytes() const;
  // Rebuilds from a serialized form. Malformed bytes raise the zcArchive error that
  // describes them; an object that is not a shape zcArchive::WrongClass; bytes left
  // over after the shape zcArchive::BadFormat.
  static zcGenShape fromBytes(const unsigned char* data, std::size_t size);
  static zcGenShape fromBytes(const std::vector<unsigned char>& bytes);

  bool isOpenContour() const override;
  bool isRegion() const override;
  bool isFinite() const override;
  bool degen() const override;
  bool hasTangent() const override;
  bool isCompound() const override;
  bool isConnected() const override;

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
  bool isRightHanded() const override;
  bool within(const zcPoint& p) const override;

  // The held shape mapped by its own mapShape, in a new generic shape.
  zcGenShape map(const zcXform<2>& x) const;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  zcShapePtr decompose() const override;
  zcShapePtr subShape(double from, double to) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;

  static const zc_Instantiator sExemplar;

protected:
  zcShape* cloneThat_() const override;
  zcShapePtr reverse_() const override;
  bool equal_(const zcShape& other) const override;
  bool isMultipleContours_() const override;
  // The held shape's clipping.
  zcShapePtr clip_(const zcRect& window, zcClipInfo& info) const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();
  // The held shape, or EmptyShape.
  const zcShape& held() const;

  zcShapePtr shape_;
};

// A shape under an affine transform: it stands for shape()->mapShape(xform()), and
// answers the shape protocol through that image (computed when asked, so that a
// change to the shared underlying shape shows). A map composes the transforms and
// gives a zcMappedShape again.
//
// A default-constructed mapped shape holds no shape: the queries that need points
// raise zcShapesError::EmptyShape.
//
// Archive form: version 0, the zcShape part, the underlying shape as a polymorphic
// pointer (null when empty), the transform.
class ZFOUND_API zcMappedShape : public zcShape {
public:
  zcMappedShape();
  // Shares the shape; a transform with a non-finite entry raises
  // zcShapesError::BadParams.
  zcMappedShape(const zcShapePtr& shape, const zcXform<2>& xform);
  // Copies the underlying shape (no sharing with the original).
  zcMappedShape(const zcMappedShape& other);
  zcMappedShape& operator=(const zcMappedShape& other);
  ~zcMappedShape() override;

  const zcShapePtr& shape() const { return shape_; }
  const zcXform<2>& xform() const { return xform_; }
  // The underlying shape mapped by the transform; EmptyShape when there is none.
  zcShapePtr mapped() const;

  bool isOpenContour() const override;
  bool isRegion() const override;
  bool isFinite() const override;
  bool degen() const override;
  bool hasTangent() const override;
  bool isCompound() const override;
  bool isConnected() const override;

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
  bool isRightHanded() const override;
  bool within(const zcPoint& p) const override;

  // The same underlying shape under x * xform().
  zcMappedShape map(const zcXform<2>& x) const;
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  zcShapePtr decompose() const override;
  zcShapePtr subShape(double from, double to) const override;
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;

  static const zc_Instantiator sExemplar;

protected:
  zcShape* cloneThat_() const override;
  zcShapePtr reverse_() const override;
  bool equal_(const zcShape& other) const override;
  bool isMultipleContours_() const override;
  // The image's clipping.
  zcShapePtr clip_(const zcRect& window, zcClipInfo& info) const override;
  void perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const override;
  void dispatchSerialize(zcArchive& archive) override;

private:
  static zcPersistent* make();

  zcShapePtr shape_;
  zcXform<2> xform_;
};
