// Generalized polygons: chains of straight and circular segments with optionally
// rounded vertices, open (a contour with two ends) or closed (a region), used as
// foundation shapes.
//
//   zcGenPoly g(zcRect(0, 0, 10, 5));                // closed, four sharp corners
//   g.vertexRoundingSize(1, 1.0);                    // round one corner (validated)
//   g.insertVertex(0, zcPoint(5, -2), 0.0, zcRadian(0.5));  // arrives by an arc
//   zcGenPoly m = g.map(shear);                      // no longer editable
//   zcShapePtr pieces = m.decompose();               // segments and elliptical arcs
//   m.drawToScope(props, scope);                     // chords, arrows, roundings
//
// The vertex chain lives in an SMD poly (zcSMDGDPoly) that the polygon owns: it
// validates every edit (no crossing segments, roundings that fit, valid indices)
// and keeps the rounding arcs. The polygon adds a transform from the poly's frame to
// the world, an editable flag, the shape protocol and the translation of the poly's
// failures into shape failures (remapAndThrowError_):
//   invalidVertices, crossingSegments, notClosed, a bad segment length and two
//   vertices on one point -> zcShapesError::BadGeom; invalidRounding -> BadRadius;
//   invalidIndex -> BadCoef; anything else passes unchanged.
// Edits need an editable polygon (the constructors from vertices, circles,
// rectangles, polygons and segments make one; those from ellipses, arcs, sections
// and general rectangles, and map by a transform, do not): zcShapesError::BadGeom
// otherwise. Every refused edit, made of one poly edit or several, leaves the
// polygon exactly as it was.
//
// Numbering. Segment i runs from vertex i to vertex i + 1, the last segment of a
// closed polygon back to vertex 0. The SMD poly numbers a segment by the vertex
// where it arrives (its segment s ends at vertex s), and stores there what belongs to
// the segment (its span, its length tolerance): polygon segment i is poly segment
// i + 1 modulo n. A span of magnitude at most 1e-15 (signed-normalized, degrees) is
// a straight segment. The rounding stored on a vertex is its radius; its sign tells
// an outward rounding (positive) from an inward one (negative, drawn through
// negCornerArc_).
//
// Frames. Vertex positions, segments and rounding arcs are answered in the world
// (mapped by the transform). startPoint, endPoint, startAngle, endAngle, within and
// distToPoint answer in the poly's own frame, as the SMD poly stores it.
//
// Choices this class makes where the description leaves room:
//  - vertexRoundingSize under a map that is not a similarity reports the radius of
//    the circle of the same area as the mapped rounding ellipse (the poly's radius
//    times √|det|): exact under every similarity, one number for the whole corner.
//  - General rectangles: their rounding values are the fractions of
//    zcGenRect::roundFractions() (1 makes a whole side a quarter ellipse; round()
//    gives the same in world units). A fraction within 1e-12 of 1 leaves no straight
//    part on the sides it rounds: those corners are built as half circles (a stadium),
//    or the whole polygon as the circle when both are.
//  - Annulus sections: the outer ellipse gives the transform (its unit transform)
//    and q is the annulus's ratio; the span is phiSpan() (σ = 2π for a full
//    section). A full section has no single outline (its two boundaries would meet
//    along the cut): zcShapesError::BadGeom, convert(section.annulus()) gives both.
//    An inner ellipse of size 0 gives the pie slice (center, outer arc).
//  - close() follows the SMD poly: a polygon of one vertex cannot be closed
//    (zcShapesError::BadGeom). A closed polygon of one vertex comes only from loaded
//    data (archives, sketches); it decomposes into a zero-length segment.
//  - vertexPoint(i, p) writes back vertexRoundingSize(i), which is 0 at the ends of
//    an open polygon: a rounding stored on an end vertex is dropped by it.
//  - encloseRect of a polygon without vertices is the empty rectangle (corner and
//    size (0, 0), containing nothing).
//  - A filled polygon paints its outline only: drawToScope has no fill.
//  - Flattening an arc for drawing uses at most zkGenPolyMaxChords chords (the chord
//    error of 0.05 is kept up to a radius of about 1.6e6 scope units).
//  - Arrow sizes (drawToScope) are 0.2 of the longest stored vertex-to-vertex
//    distance, in the poly's units, drawn unscaled in scope units.
#pragma once

#include "dispc/dispprop.h"
#include "dispc/export.h"
#include "dispc/wrfm/smdpoly.h"

#include "zfound/conics.h"
#include "zfound/genrect.h"
#include "zfound/geometry.h"
#include "zfound/lines.h"
#include "zfound/rect.h"
#include "zfound/shape.h"

#include <memory>
#include <vector>

class zcUIScope;

// The most chords one arc is drawn with.
inline constexpr long zkGenPolyMaxChords = 3600;

class DISPC_API zcGenPoly : public zcShape {
public:
  // --- Construction: each starts from the empty, open, editable poly ----------------
  zcGenPoly();
  zcGenPoly(const zcGenPoly& other);
  zcGenPoly& operator=(const zcGenPoly& other);
  ~zcGenPoly() override;

  // Editable: the SMD circle (two half circles from (cx − r, cy)).
  explicit zcGenPoly(const zcCircle& circle);
  // Not editable: the unit circle under the ellipse's map (a zcEllipse: its center,
  // both axis rotations its rotation, its radii as scales).
  explicit zcGenPoly(const zcEllipse& ellipse);
  explicit zcGenPoly(const zcEllipse2& ellipse);
  // Editable: the points as sharp vertices and straight segments. With more than 3
  // points of which the last equals the first exactly, closed without the last;
  // otherwise open through every point.
  explicit zcGenPoly(const zcPolygon& polygon);
  // Editable, open: the two end points.
  explicit zcGenPoly(const zcLineSeg& segment);
  // Editable: (x + w, y), lr(), ll(), then the corner, closed.
  explicit zcGenPoly(const zcRect& rect);
  // Not editable: the rounded square under the rectangle's unit transform (see the
  // choices above).
  explicit zcGenPoly(const zcGenRect& rect);
  // Not editable: empty for a degenerate section; see the choices above.
  explicit zcGenPoly(const zcEllipseAnnulusSection& section);
  // Not editable: empty when a radius is not > 0; the whole ellipse when the arc
  // starts and ends at one parameter; otherwise open from the start to the end.
  explicit zcGenPoly(const zcEllipseArc& arc);
  explicit zcGenPoly(const zcEllipseArc2& arc);

  // The inner boundary first, then the outer one.
  static std::vector<zcGenPoly> convert(const zcAnnulus& annulus);
  static std::vector<zcGenPoly> convert(const zcGenAnnulus& annulus);
  static std::vector<zcGenPoly> convert(const zcEllipseAnnulus& annulus);

  // --- State --------------------------------------------------------------------------
  // From the poly's frame to the world.
  const zcXform<2>& xform() const { return xform_; }
  bool isEditable() const { return editable_; }
  long numVertices() const;
  long numSegments() const;
  bool isOpen() const;

  // --- Editing (BadGeom unless editable; bad indices BadCoef; validated) -------------
  // After vertex `index` (−1: first), arriving by a segment of `span`.
  void insertVertex(long index, const zcVector<2>& p, double rounding, const zcRadian& span);
  // After the last vertex.
  void insertVertex(const zcVector<2>& p, double rounding, const zcRadian& span);
  // Position and rounding; the vertex keeps its other properties.
  void replaceVertex(long index, const zcVector<2>& p, double rounding);
  // A new vertex as insertVertex builds it.
  void replaceVertex(long index, const zcVector<2>& p, double rounding, const zcRadian& span);
  void deleteVertex(long index);
  // replaceVertex(index, p, vertexRoundingSize(index)).
  void vertexPoint(long index, const zcVector<2>& p);
  // replaceVertex(index, vertexPoint(index), rounding); the plural form for every
  // vertex in order, as one edit.
  void vertexRoundingSize(long index, double rounding);
  void vertexRoundingSizes(double rounding);
  // The span of segment `index` (stored on its end vertex).
  void segmentAngleSpan(long index, const zcRadian& span);
  void open();
  // The closing segment gets `span`, then the polygon closes; one edit.
  void close(const zcRadian& span = zcRadian(0.0));

  // --- Queries ------------------------------------------------------------------------
  zcPoint vertexPoint(long index) const;
  // 0 for a sharp corner and at the ends of an open polygon; otherwise the radius of
  // the mapped rounding arc (see the choices above) with the sign of the stored one.
  double vertexRoundingSize(long index) const;
  bool isLineSegment(long index) const;
  bool isArcSegment(long index) const;
  // As stored on the segment's end vertex.
  zcRadian segmentAngleSpan(long index) const;
  // The vertices at the start and the end of a segment; −1 for a bad segment index.
  long previousVertexIndex(long segment) const;
  long nextVertexIndex(long segment) const;
  // The segments arriving at and leaving a vertex; −1 where an open polygon (or one
  // without segments) has none. A bad vertex index raises BadCoef.
  long previousSegmentIndex(long vertex) const;
  long nextSegmentIndex(long vertex) const;
  // A segment, whole (unrounded) or between the rounding arcs, mapped. BadGeom for a
  // segment of the other kind.
  zcLineSeg lineSegment(long index, bool unrounded) const;
  zcEllipseArc arcSegment(long index, bool unrounded) const;
  zcEllipseArc2 ellipseSegment(long index, bool unrounded) const;
  // The rounding arc of a rounded vertex, mapped; BadGeom for a sharp one.
  zcEllipseArc roundedVertex(long index) const;
  zcEllipseArc2 roundedVertexArc(long index) const;
  // vertexPoint(0); the poly's position (the mean of its vertices) mapped; (0, 0)
  // without vertices.
  zcPoint pos() const;
  zcPoint center() const;
  // The box of the unrounded segments (and the vertices) under x × xform().
  zcRect encloseRect(const zcXform<2>& x = zcXform<2>()) const;
  // Distance to the rounded outline, in the poly's frame; BadGeom without vertices.
  double distToPoint(const zcPoint& p) const;

  // --- Maps and comparison ------------------------------------------------------------
  // A copy for the identity; zcMathError::Singular for a determinant of 0; otherwise
  // a copy under x × xform(), not editable.
  zcGenPoly map(const zcXform<2>& x) const;
  // Singular for |scale| <= 1e-15. An editable polygon stays editable and exact: its
  // poly becomes r × (scale × poly). Others: map by rotation r.angle(), uniform scale
  // and r's translation.
  zcGenPoly map(const zc2Rigid& r, double scale) const;
  // Equal polys, equal transforms (exactly) and the same flag.
  bool operator==(const zcGenPoly& other) const;
  bool operator!=(const zcGenPoly& other) const { return !(*this == other); }

  // --- Drawing --------------------------------------------------------------------------
  // Draws the polygon, already in scope coordinates, as line segments through the
  // scope: each segment (lines whole through the vertices when props.showVertex(),
  // else between the roundings; arcs flattened to chords of at most 0.05 error),
  // direction arrows with polarity marks when props.arrowHead(), and every rounding
  // arc. The outline only, even with props.fill().
  void drawToScope(const zcGraphicProps& props, zcUIScope& scope) const;

  // --- Shape protocol, in slot order ----------------------------------------------------
  zcShapePtr clone() const override;
  // Open / closed with at least one vertex.
  bool isOpenContour() const override;
  bool isRegion() const override;
  bool isFinite() const override { return true; }
  // No vertices.
  bool degen() const override;
  // Two vertices or more, not all on vertex 0.
  bool hasTangent() const override;
  bool isCompound() const override { return false; }
  bool isConnected() const override { return true; }
  // Through the decomposition; EmptyShape without vertices.
  zcRect boundingBox() const override;
  zcPoint nearestPoint(const zcPoint& p) const override;
  // Poly frame; NotOpenContour unless isOpenContour(), NoTangent below two vertices.
  zcPoint startPoint() const override;
  zcPoint endPoint() const override;
  zcRadian startAngle() const override;
  zcRadian endAngle() const override;
  // Through the decomposition; NotOpenContour unless isOpenContour().
  zcRadian tangentRotation() const override;
  zcRadian windingAngle(const zcPoint& p) const override;
  // NotRegion unless isRegion(): the shoelace sum of the stored vertices (arcs
  // ignored) is >= 0, read the other way under a mirroring transform.
  bool isRightHanded() const override;
  // NotRegion unless isRegion(); the poly's inside test in its own frame.
  bool within(const zcPoint& p) const override;
  // The mapped decomposition (not a zcGenPoly).
  zcShapePtr mapShape(const zcXform<2>& x) const override;
  // A copy whose poly runs the other way.
  zcShapePtr reverse() const override;
  // A contour of zcLineSeg and zcEllipseArc2 pieces in the world: per vertex its
  // rounding arc (negCornerArc_ for an inward one), then the segment leaving it
  // between the roundings. Closed unless the polygon is open; empty without
  // vertices; one vertex gives a zero-length zcLineSeg.
  zcShapePtr decompose() const override;
  // Through the decomposition; uniform sampling is refused (BadParams).
  void sample(const zcSampleParams& params, zcSampleResult& result) const override;

  // Raises zcArchive::BadFormat for a storing archive. The simple form: the shape
  // part, a signed version byte 0 (others raise zcArchive::UnknownVersion,
  // "dispc/wrfm/genpoly" line 741), the poly, the transform, the flag.
  void loadSimple(zcArchive& archive) override;

  static const zc_Instantiator sExemplar;

protected:
  zcShapePtr clip_(const zcRect& window, zcClipInfo& info) const override;
  // False unless the other shape is exactly a zcGenPoly; then operator==.
  bool equal_(const zcShape& other) const override;
  bool isMultipleContours_() const override { return false; }

  // Throws what a poly failure stands for (see the top of this file); anything that
  // is not a poly failure is rethrown as it is. Called from inside the handler.
  [[noreturn]] virtual void remapAndThrowError_(zcException& e) const;
  // The shape that stands for an inward rounding: a copy of the arc.
  virtual zcPtrHandle<zcEllipseArc2> negCornerArc_(const zcEllipseArc2& arc) const;

  // Archive form: version byte 0 (others raise zcArchive::UnknownVersion,
  // "dispc/wrfm/genpoly" line 751), the shape part, the poly (its own form), the
  // transform, the editable flag (bool). A loaded editable polygon must have the
  // identity transform (zcArchive::BadFormat otherwise); a failed load leaves the
  // polygon as it was. Loading does not validate the poly.
  void dispatchSerialize(zcArchive& archive) override;
  void serialize_(zcArchive& archive, unsigned char version);

  // For derived classes that edit the poly. An edit made of several poly edits
  // works on workCopy_() and adopts it once every edit has passed; guarded_ runs a
  // poly operation with its failures remapped (defined in the library's private
  // header).
  void requireEditable_() const;
  zcSMDGDPoly& smdPoly_() { return *poly_; }
  std::unique_ptr<zcSMDGDPoly> workCopy_() const { return std::make_unique<zcSMDGDPoly>(*poly_); }
  void adoptPoly_(std::unique_ptr<zcSMDGDPoly> poly);
  // close() with, when given, the closing segment's length tolerance set as well.
  void close_(const zcRadian& span, const zcDimTol* tol);
  template <class F>
  decltype(auto) guarded_(F&& f) const;

private:
  friend class zcGenPolyPrivate;
  friend class zcSMDGDPolyPrivate;
  static zcPersistent* make();

  std::unique_ptr<zcSMDGDPoly> poly_;
  bool editable_ = true;
  zcXform<2> xform_;
};

// Polys, translations and matrices within tol, and the same flag.
DISPC_API bool zfRealEq(const zcGenPoly& a, const zcGenPoly& b, double tol);
