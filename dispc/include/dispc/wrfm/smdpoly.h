// The SMD poly: one outline of an SMD body, an open or closed chain of vertices joined
// by straight or circular segments, with optionally rounded corners.
//
//   zcSMDGDPoly p;                                            // open, no vertices
//   p << zcSMDGDPolyVertex(zcPoint(0, 0), 0.5, 0.5, -1)
//     << zcSMDGDPolyVertex(zcPoint(10, 0), 2.0, 0.5, 0.5, -1)  // corner of radius 2
//     << zcSMDGDPolyVertex(zcPoint(10, 10), 0.5, 0.5, -1);
//   p.close();                                                // now three segments
//   p.perimeter_(0.0);                                        // rounded length
//   p.inside_(zcPoint(6, 2));                                 // true
//
// Numbering. Vertices are 0 … N − 1. A segment is numbered by the vertex where it
// arrives: segment s runs from vertex s − 1 to vertex s. A closed poly has segments
// 0 … N − 1 (segment 0 runs from vertex N − 1 back to vertex 0); an open one has
// 1 … N − 1. Everything about a segment (its angle span, its length tolerance) is
// stored on the vertex where it arrives.
//
// The poly keeps itself valid. Every edit (insert, replace, delete, replace all,
// close) is checked at once, and an edit that would leave segments crossing,
// roundings that do not fit or overlap, two consecutive vertices on one point, or a
// segment length outside what its tolerance allows, is undone and reported: a failed
// edit leaves the poly exactly as it was. open() is the one exception: it stays open
// even when the check fails.
//
// Roundings. A rounded corner of radius r is the circle arc of radius r tangent to
// both segments at the corner. Its centre is found on offset copies of the segments,
// and only the half of a segment next to the corner may be used (the whole segment at
// the ends of an open poly). The points where the arc meets the two segments and its
// span are kept per vertex (the rounding caches) and archived with the poly. The
// "rounded" form of a segment runs between the roundings at its two ends.
//
// Members whose names end in an underscore are the geometric working interface that
// the generalized polygon, the renderers and the model use; the static helpers of
// zcSMDGDPolyPrivate complete it.
#pragma once

#include "dispc/color.h"
#include "dispc/dimtol.h"
#include "dispc/export.h"
#include "dispc/wrfm/arc.h"
#include "dispc/wrfm/colors.h"
#include "dispc/wrfm/lineseg.h"
#include "dispc/wrfm/smdvertex.h"
#include "dispc/wrfm/synth.h"

#include "zfound/exception.h"
#include "zfound/geometry.h"
#include "zfound/lines.h"
#include "zfound/persistent.h"
#include "zfound/rect.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class zcGenPoly;
class zcGraphicList;
class zcSMDGDModel;
class zc2Wireframe;

class DISPC_API zcSMDGDPoly : public zcSMDGeometricDescription {
public:
  ZC_EXCEPTION_FAMILY(DISPC_API, zcException)

  // Each failure has a fixed error number and message (see smdpoly.cpp).
  ZC_SMD_ERROR(invalidVertices)   // 0x11000360
  ZC_SMD_ERROR(crossingSegments)  // 0x11000361
  ZC_SMD_ERROR(invalidIndex)      // 0x11000362
  ZC_SMD_ERROR(invalidRounding)   // 0x11000363
  ZC_SMD_ERROR(noPelBuffer)       // 0x11000364
  ZC_SMD_ERROR(badSubModel)       // 0x11000365
  ZC_SMD_ERROR(notClosed)         // 0x11000366

  // Open, no vertices, weight 1, default colors.
  explicit zcSMDGDPoly(const std::wstring& name = L"poly");
  // The poly that the wireframe holds, name included (the name given is replaced by
  // it); the wireframe's transform plays no part.
  zcSMDGDPoly(const zc2Wireframe& wireframe, const std::wstring& name);
  zcSMDGDPoly(const zcSMDGDPoly& other);
  zcSMDGDPoly& operator=(const zcSMDGDPoly& other);
  ~zcSMDGDPoly() override;

  // A fresh poly named "poly".
  void reset();
  // Loading starts here: no vertices, no caches, open.
  void reInit() override;

  // --- State ------------------------------------------------------------------------
  long numVertices() const { return static_cast<long>(vertices_.size()); }
  // 0 below two vertices, else N − 1 (open) or N (closed).
  long numSegments() const;
  // The vertex at vertexIndex_(index, wrap).
  const zcSMDGDPolyVertex& vertex(long index, bool wrap = false) const;
  const std::vector<zcSMDGDPolyVertex>& vertices() const { return vertices_; }
  // The distinct labels other than −1, in order of first appearance.
  const std::vector<std::int32_t>& subModelLabels() const { return labels_; }
  // The rounding caches, one entry per vertex: where the rounding arc of the corner
  // meets the arriving and the leaving segment, and its signed span in degrees. A
  // sharp corner has both points at the vertex and span 0.
  const std::vector<zcVector<2>>& roundedStartPoints() const { return roundedStart_; }
  const std::vector<zcVector<2>>& roundedEndPoints() const { return roundedEnd_; }
  const std::vector<double>& roundedSpans() const { return roundedSpan_; }

  bool isOpen() const { return open_; }
  bool isClosed() const { return !open_; }
  bool isDirectionReversed() const { return reversed_; }
  // Positive when the closed outline runs counter-clockwise (its inside on the left,
  // y up), inverted while the direction flag is set. notClosed for an open poly.
  bool isDirectionPositive() const;
  bool isDirectionNegative() const { return !isDirectionPositive(); }

  // Attributes; their setters are not validated.
  double weight() const { return weight_; }
  void weight(double weight);
  const zcSMDColors& colors() const { return colors_; }
  void colors(const zcSMDColors& colors);
  zcColor positiveArrowColor() const { return positiveArrow_; }
  void positiveArrowColor(const zcColor& color);
  zcColor negativeArrowColor() const { return negativeArrow_; }
  void negativeArrowColor(const zcColor& color);
  void toggleDirection();

  // --- Editing (validated; a refused edit leaves the poly unchanged) ----------------
  // Inserts after vertex `index` (−1 puts it first). invalidIndex outside −1 … N − 1.
  void insertVertex(long index, const zcSMDGDPolyVertex& vertex);
  // Appends.
  zcSMDGDPoly& operator<<(const zcSMDGDPolyVertex& vertex);
  void replaceVertex(long index, const zcSMDGDPolyVertex& vertex);
  void deleteVertex(long index);
  // Replaces every vertex and validates the whole chain.
  void vertices(const std::vector<zcSMDGDPolyVertex>& list);
  // A closed poly refuses (invalidVertices): it needs two vertices.
  void deleteAllVertices();
  // invalidVertices without vertices.
  void close();
  // Opens and validates at vertex 0, but stays open when that fails.
  void open();

  // The same chain and attributes within 1e-11 (vertices) and 1e-15 (weight). The
  // name, the label list and the caches do not count.
  bool operator==(const zcSMDGDPoly& other) const;
  bool operator!=(const zcSMDGDPoly& other) const { return !(*this == other); }

  // The length tolerance of segment s as a dimension whose nominal is the present
  // length of the segment; invalidSegmentLength when the length does not fit it.
  zcSMDDimension segmentDimension(long segment) const;

  // --- Indexing (invalidIndex for a bad index or an empty poly) -----------------------
  // With wrap, any i is taken modulo N (−1 is N − 1); without, i must be in 0 … N − 1.
  // (Inline, as the drawing walks call them per vertex; the throws are out of line.)
  long vertexIndex_(long i, bool wrap) const {
    return !wrap && i >= 0 && i < numVertices() ? i : wrappedVertexIndex_(i, wrap);
  }
  // The segment arriving at / leaving vertex v; −1 where an open poly has none.
  long previousSegmentIndex_(long v) const {
    v = vertexIndex_(v, false);
    return open_ && v == 0 ? -1 : v;
  }
  long nextSegmentIndex_(long v) const;
  // The start vertex (s − 1 mod N) and the end vertex (s) of segment s. invalidIndex
  // for segment 0 of an open poly and for indices outside 0 … N − 1.
  long previousVertexIndex_(long s) const { return (nextVertexIndex_(s) - 1 + numVertices()) % numVertices(); }
  long nextVertexIndex_(long s) const {
    s = vertexIndex_(s, false);
    if (open_ && s == 0) badIndex_();
    return s;
  }
  long firstVertexIndex_() const;
  long lastVertexIndex_() const;
  long firstSegmentIndex_() const;
  long lastSegmentIndex_() const;
  // Vertex 0 and N − 1 of an open poly.
  bool isEndVertex(long v) const {
    v = vertexIndex_(v, false);
    return open_ && (v == 0 || v == numVertices() - 1);
  }
  // |radius| > 1e-15 and not an end vertex.
  bool isVertexRounded_(long v) const {
    return std::abs(vertices_[vertexIndex_(v, false)].vertexRadius()) > kZeroTol_ && !isEndVertex(v);
  }
  // The rounding radius (the magnitude of the stored one) and whether it is uncertain
  // (stored negative).
  double vertexRadius_(long v) const;
  bool isRoundingUncertain_(long v) const;
  // The signed-normalized span stored at the end vertex exceeds 1e-15.
  bool isSegmentArc_(long s) const {
    return std::abs(vertices_[nextVertexIndex_(s)].segmentAngleSpan().signedNorm().value()) > kZeroTol_;
  }
  // The span of an arc segment, whole turns removed (sign kept: 270 stays 270, 450 is
  // 90); 0 for a line.
  zcDegree segmentAngleSpan_(long s) const;

  // --- Geometric forms (zcShapesError::DegenerateShape for coincident points) --------
  zc2SegmentLine lineSegment_(long s) const;
  zc2SegmentArc arcSegment_(long s) const;
  // From the rounding at the start vertex to the rounding at the end vertex.
  zc2SegmentLine roundedLineSegment_(long s) const;
  zc2SegmentArc roundedArcSegment_(long s) const;
  // The rounding arc of a rounded vertex.
  zc2SegmentArc roundedArcVertex_(long v) const;
  // Headings of travel at the start and the end of segment s, in (−180, 180].
  zcDegree segmentStartDirection_(long s) const;
  zcDegree segmentEndDirection_(long s) const;
  double segmentLength_(long s) const;
  double roundedSegmentLength_(long s) const;
  // The nearest point of segment s, unrounded or rounded.
  zcVector<2> closestSegmentPoint_(long s, const zcVector<2>& p) const;
  zcVector<2> closestRoundedSegmentPoint_(long s, const zcVector<2>& p) const;
  // The box of segment s (unrounded) under the transform.
  zcRect segmentBoundingBox_(long s, const zcXform<2>& xform) const;

  // Offset curves: segment s moved by d to the right of its direction of travel (an
  // arc's radius grows by d for a positive span). The halves run from the start to the
  // middle and from the middle to the end. invalidRounding when an arc's radius would
  // not stay positive.
  zc2SegmentLine slideLineSegment_(long s, double d) const;
  zc2SegmentLine firstHalfSlideLineSegment_(long s, double d) const;
  zc2SegmentLine secondHalfSlideLineSegment_(long s, double d) const;
  zc2SegmentArc slideArc_(long s, double d) const;
  zc2SegmentArc firstHalfSlideArc_(long s, double d) const;
  zc2SegmentArc secondHalfSlideArc_(long s, double d) const;
  // The centre of the rounding of vertex v; invalidRounding when the offset curves do
  // not meet once or twice.
  zcVector<2> roundPoint_(long v) const;

  // Crossing predicates of the validation, on the rounded forms: rounding arcs of two
  // vertices, a segment and a rounding arc (never those at the segment's own ends),
  // two segments (adjacent ones ignore their shared end point; two adjacent lines never
  // cross). The poly forms test against the vertices and arriving segments
  // 0 … limit (−1: all).
  bool vertexVertexCross_(long a, long b) const;
  bool segmentVertexCross_(long s, long v) const;
  bool segmentSegmentCross_(long a, long b) const;
  bool segmentPolyCross_(long s, long limit) const;
  bool vertexPolyCross_(long v, long limit) const;

  // --- Measures -------------------------------------------------------------------------
  // The rounded outline's length; pieces not longer than minPiece are left out.
  double perimeter_(double minPiece) const;
  // The same with every piece mapped (arcs as mapped arcs) and no minimum.
  double perimeter_(const zcXform<2>& xform) const;
  // Σ segment length × (backward extension at its start + forward extension at its end).
  double extensionPerimeter_() const;
  // Per arriving segment: its rounded length plus the rounding arc at its end vertex.
  void appendSegmentLengths_(std::vector<double>& lengths) const;
  // Segments whose length under xform1 falls outside their dimension scaled by the
  // ratio of their length under xform2 to their nominal (exclusive limits); segments
  // without a minimum or maximum are skipped. Ascending.
  std::vector<long> segmentsOutOfTolerance(const zcXform<2>& xform1, const zcXform<2>& xform2) const;
  // Point containment of a closed poly by counting crossings of a ray on angular
  // ranges. notClosed for an open poly. A point on the outline may go either way.
  bool inside_(const zcVector<2>& point) const;
  // Where the rounded outlines of the two polys meet, plus the sharp vertices of either
  // that lie on the other. Points closer than 1e-9 of the polys' size are one.
  std::vector<zcVector<2>> intersection_(const zcSMDGDPoly& other) const;
  // Its parts, each point as found (no merging): the rounding arc of vertex v or the
  // rounded segment s against the whole rounded outline of `other`, and against the
  // rounding arc of its vertex w (nothing when a vertex is not rounded).
  std::vector<zcVector<2>> intersectionVertex_(long v, const zcSMDGDPoly& other) const;
  std::vector<zcVector<2>> intersectionSegment_(long s, const zcSMDGDPoly& other) const;
  std::vector<zcVector<2>> vertexIntersection_(long v, const zcSMDGDPoly& other, long w) const;
  std::vector<zcVector<2>> segmentVertexIntersection_(long s, const zcSMDGDPoly& other, long w) const;
  // The box of every unrounded segment under the transform; empty without segments.
  zcRect boundingBox(const zcXform<2>& xform = zcXform<2>()) const;

  // --- Segment extensions -----------------------------------------------------------------
  // Each corner may carry an extension of the segment arriving at it (forward, beyond
  // the vertex) and of the segment leaving it (backward, before the vertex), as
  // fractions of the segment length. They are drawing aids and are neither validated
  // nor archived.
  //
  // setExtensions_(f) gives fraction f to both extensions at every corner whose angle
  // differs from a straight one by at least 45 degrees; others keep theirs.
  void setExtensions_(double fraction);
  void setDefaultExtensions_();
  double backwardPercExtension_(long s) const;
  double forwardPercExtension_(long s) const;
  void backwardPercExtension_(long s, double fraction);
  void forwardPercExtension_(long s, double fraction);
  // The extension pieces, both starting at the vertex: the line beyond the end of
  // segment s (forward) or before its start (backward), or the arc continued the same
  // way (its extra span limited so that arc and extension stay within a whole turn).
  // DegenerateShape when the extension is 0.
  zc2SegmentLine overlayLineSegment_(long s, bool forward) const;
  zc2SegmentArc overlayArc_(long s, bool forward) const;
  // Shortens the extensions of this poly that come too close to `other`:
  //  - an extension that meets the rounded outline of `other` ends `margin` before
  //    the first meeting point (or vanishes when that is nearer than `margin`);
  //  - an extension that would run along a straight segment of `other` (within
  //    `angle` of parallel, that segment within `distance` of the vertex) vanishes.
  // With `same` (other is this poly) the pieces that meet at the extension's own
  // vertex are not considered. checkSegmentExtension_ does it for one extension.
  void checkExtensions_(const zcSMDGDPoly& other, double distance, zcDegree angle, double margin, bool same);
  void checkSegmentExtension_(long s, bool forward, const zcSMDGDPoly& other, double distance, zcDegree angle,
                              double margin, bool same);

  // --- Standard outlines, closed and validated ---------------------------------------------
  // Two half circles of span 180 from (c.x − r, c.y) to (c.x + r, c.y) and back.
  static zcSMDGDPoly circle(double radius, const zcVector<2>& center);
  // Corners c + (w/2, h/2), (−w/2, h/2), (−w/2, −h/2), (w/2, −h/2), labels 0 … 3.
  static zcSMDGDPoly rectangle(double width, double height, const zcVector<2>& center);
  // Apex (c.x, c.y + 2h/3), base corners c + (∓w/2, −h/3), labels 0 … 2; c is the
  // centroid.
  static zcSMDGDPoly triangle(double baseWidth, double height, const zcVector<2>& center);

  // --- Shape tests ----------------------------------------------------------------------------
  // Every segment an arc, the rounded arcs all turning one way with radii within 0.01
  // of the first's, and their spans summing to a whole turn within 1 degree.
  static bool isCircle(const zcSMDGDPoly& poly);

  // --- Drawing ------------------------------------------------------------------------------
  // Drawing onto a tablet goes to the overlay layer.
  //
  // A wireframe of the mapped poly in the wireframe default color, unfilled.
  void drawWireframe(const zcXform<2>& xform, zcUITablet& tablet) const override;
  // Filled with the gray level of the synthetic default color
  // (zcSMDColors::colorToGrayScale): the handle form through the renderer selector
  // (nothing for an open poly, zcBadPointer for an empty handle), this one through the
  // exact renderer. noPelBuffer for an unbound buffer.
  void drawSynthetic(const zcPtrHandle_const<zc2XformBase>& xform, zcPelBuffer<unsigned char>& buffer) const override;
  void drawSynthetic(const zcXform<2>& xform, zcPelBuffer<unsigned char>& buffer) const override;

  // The side a direction arrow is drawn at, from the tip in its own frame (x along
  // travel, y to the left of it): barbs end at (−size, ±size), the plus mark is centred
  // on (0, size), the minus mark on (0, −size); marks have arms of length 2 along the
  // target's axes.
  static constexpr double kDefaultArrowSize = 5.0;
  // One arrow per segment, at the middle of its rounded form (segments that the
  // roundings use up get none), pointing the way the outline travels (turned round
  // while the direction flag is set). Segments go in index order. The list form
  // appends simple zcLineSeg graphics in the same order as the tablet form draws.
  void drawDirectionArrows(const zcXform<2>& xform, zcUITablet& tablet, double size = kDefaultArrowSize) const;
  void drawDirectionArrows(const zcXform<2>& xform, zcGraphicList& list, double size = kDefaultArrowSize) const;
  // One arrow: the tip at xform(placement's translation), pointing along the direction
  // the transform maps the placement's rotation to (the transform is applied here once;
  // the placement is in the poly's coordinates). A transform that mirrors (its y-axis
  // and x-axis rotations differ by 90 degrees or more) flips the y side, so the plus
  // mark stays on the image of the left side. Five segments, in this order: the
  // positive barb (−s, m·s) → tip, the negative barb (−s, −m·s) → tip, the plus mark's
  // horizontal then vertical arm about (0, m·s), the minus mark about (0, −m·s), each
  // running from its lower x (or y) end.
  static void drawArrow(const zcXform<2>& xform, zcUITablet& tablet, const zc2Rigid& placement, double size,
                        const zcColor& positive, const zcColor& negative);
  static void drawArrow(const zcXform<2>& xform, zcGraphicList& list, const zc2Rigid& placement, double size,
                        const zcColor& positive, const zcColor& negative);

  static const zc_Instantiator sExemplar;

  // The grid of the pieces' boxes that the validation keeps; defined in the library's
  // private headers.
  struct Index;

protected:
  // Archive form, version 1: version byte, the description base, the vertices, the
  // labels, the rounded start points, end points and spans (each list: version byte 0,
  // count as u32, the elements), open flag, direction flag, colors, positive and
  // negative arrow colors, weight. Version 0 has no weight (1.0). Loading does not
  // validate; lists whose counts disagree are refused (zcArchive::BadFormat), and a
  // failed load leaves the poly as it was.
  void dispatchSerialize(zcArchive& archive) override;
  void serialize_(zcArchive& archive, unsigned char version);

  // Rounding updates: one vertex, and the vertices whose rounding depends on v.
  void computeVertexRounding_(long v);
  void computeVertexRoundings_(long v);
  // The validations of the edits (see smdpoly_validate.cpp). An edit that moves vertex
  // indices drops the piece index first.
  void validateReplacement_(long v);
  void validateDeletion_(long i);
  void validate_();

private:
  friend class zcSMDGDPolyPrivate;
  struct Journal;

  static constexpr double kZeroTol_ = 1e-15;  // radii and spans no larger are none
  // vertexIndex_ with wrapping, or invalidIndex.
  long wrappedVertexIndex_(long i, bool wrap) const;
  [[noreturn]] static void badIndex_();

  static zcPersistent* make();
  // Writes one entry of the rounding caches, recording the old one while an edit runs.
  void storeRounding_(long v, const zcVector<2>& start, const zcVector<2>& end, double span);
  // Puts another piece index in place (none: dropped), keeping the old one while an
  // edit runs.
  void installIndex_(std::unique_ptr<Index> index);
  bool addLabel_(std::int32_t label);
  void rebuildLabels_();
  // Whether every rounded piece of the present state can be built: lets the
  // validation skip pieces far from an edit without building them.
  enum class Pieces : signed char { eUnknown, eBuildable, eBroken };

  std::vector<zcSMDGDPolyVertex> vertices_;
  std::vector<std::int32_t> labels_;
  std::vector<zcVector<2>> roundedStart_;
  std::vector<zcVector<2>> roundedEnd_;
  std::vector<double> roundedSpan_;
  bool open_ = true;
  bool reversed_ = false;
  zcSMDColors colors_;
  zcColor positiveArrow_;
  zcColor negativeArrow_;
  double weight_ = 1.0;

  // Working state that belongs to this object and not to its value: a copy starts
  // without it, and an assignment keeps this object's (the journal of a running edit)
  // or drops it (the piece index, which described the old vertices).
  template <class T, bool kKeptOnAssignment>
  struct Own {
    T value{};
    Own() = default;
    Own(const Own&) {}
    Own& operator=(const Own&) {
      if constexpr (!kKeptOnAssignment) value = T{};
      return *this;
    }
  };

  // Working state, neither compared nor archived.
  Own<Journal*, true> journal_;
  mutable Pieces pieces_ = Pieces::eBuildable;
  // A bound on the size of every piece's box (see smdpoly_validate.cpp), which only
  // grows between full validations; negative when unknown.
  double spread_ = 0.0;
  // The boxes of the pieces in a grid (smdpoly_index.h), kept between edits of a large
  // poly; none until an edit needs it.
  Own<std::unique_ptr<Index>, false> index_;
  // The validations run their plain loops, without any pruning (for tests).
  bool plain_ = false;
};

// The equality of zcSMDGDPoly with `tol` for the vertices and the weight.
DISPC_API bool zfRealEq(const zcSMDGDPoly& a, const zcSMDGDPoly& b, double tol);

// A copy whose vertices are mapped (vertex by vertex) and validated again.
DISPC_API zcSMDGDPoly operator*(const zc2Rigid& xform, const zcSMDGDPoly& poly);
DISPC_API zcSMDGDPoly operator*(double factor, const zcSMDGDPoly& poly);

// The static helpers of the SMD poly: geometry on whole polys, builders of new polys
// and the validation machinery.
class DISPC_API zcSMDGDPolyPrivate : public zcSMDGDPoly {
public:
  explicit zcSMDGDPolyPrivate(const std::wstring& name = L"poly");
  explicit zcSMDGDPolyPrivate(const zcSMDGDPoly& poly);

  // --- Dimensions -----------------------------------------------------------------------
  // limits ↔ no scaling, offsets ↔ scale nominal, percentages ↔ scale all; any other
  // value maps to offsets / scale nominal.
  static zcDimTol::TolType tolType(zcSMDDimension::ScaleType type);
  static zcSMDDimension::ScaleType scaleType(zcDimTol::TolType type);
  // The tolerance with the dimension's nominal and limits, expressed in the tolerance
  // type that corresponds to its scale type.
  static zcDimTol dimTol(const zcSMDDimension& dim);

  // --- Geometry ---------------------------------------------------------------------------
  static double segmentLength(const zcSMDGDPoly& poly, long s) { return poly.segmentLength_(s); }
  // 180 − (start direction of the leaving segment − end direction of the arriving one),
  // signed-normalized: positive where the outline turns left. invalidIndex without both
  // segments.
  static zcDegree vertexAngle(const zcSMDGDPoly& poly, long v);
  // The rounding centre of a rounded vertex, the vertex point otherwise.
  static zcVector<2> roundPoint(const zcSMDGDPoly& poly, long v);
  static double perimeter(const zcSMDGDPoly& poly, double minPiece) { return poly.perimeter_(minPiece); }
  static void appendSegmentLengths(const zcSMDGDPoly& poly, std::vector<double>& lengths) {
    poly.appendSegmentLengths_(lengths);
  }
  static bool inside(const zcSMDGDPoly& poly, const zcVector<2>& point) { return poly.inside_(point); }
  static zcRect boundingBox(const zcSMDGDPoly& poly, const zcXform<2>& xform) { return poly.boundingBox(xform); }
  // The box of the segments together with their extensions, under the transform.
  static zcRect boundingBoxNeg(const zcSMDGDPoly& poly, const zcXform<2>& xform);
  // The nearest point of the rounded outline (the earlier piece on ties);
  // invalidVertices for a poly without vertices.
  static zcVector<2> closestPoint(const zcSMDGDPoly& poly, const zcVector<2>& point);
  static double distToPoint(const zcSMDGDPoly& poly, const zcVector<2>& point);
  // The rigid transform turned as the chord from vertex 0 to vertex 1 (0 below two
  // vertices) and moved to the mean of the vertex points ((0, 0) without vertices).
  static zc2Rigid position(const zcSMDGDPoly& poly);
  // The direction in which the outline mostly runs (its chords weighted by length,
  // folded onto one quarter turn), reduced to within 45 degrees of 0; 0 for fewer
  // than two vertices.
  static zcDegree dominantAngle(const zcSMDGDPoly& poly);

  // --- Containment machinery ----------------------------------------------------------------
  // A range is a unit-radius arc centred on the viewing point: the directions from
  // its start through its span. ranges_ gives the ranges in which the pieces of the
  // outline are seen from `point`, arcRanges_ those of one arc (split where the
  // direction turns back).
  static std::vector<zc2SegmentArc> ranges_(const zcSMDGDPoly& poly, const zcVector<2>& point);
  static void arcRanges_(const zc2SegmentArc& arc, const zcVector<2>& point, std::vector<zc2SegmentArc>& out);
  // The direction within the window (start, span) farthest from every range start; 0
  // without ranges.
  static zcDegree safestDirection_(const std::vector<zc2SegmentArc>& ranges, zcDegree start = zcDegree(0.0),
                                   zcDegree span = zcDegree(360.0));

  // --- Generalized polygons and wireframes ------------------------------------------------------
  // The poly a generalized polygon (a wireframe) holds, and its transform.
  static const zcSMDGDPoly& poly(const zcGenPoly& polygon);
  static const zcXform<2>& wireframeXform(const zcGenPoly& polygon);
  // Puts a stored form in place without validating it, as loading an archive does:
  // the vertices (labels rebuilt), the three rounding caches (one entry per vertex,
  // zcShapesError::BadParams otherwise) and the open flag. For sketches that carry
  // a poly already validated where it was drawn.
  static void assignStored(zcSMDGDPoly& poly, std::vector<zcSMDGDPolyVertex> vertices,
                           std::vector<zcVector<2>> roundedStarts, std::vector<zcVector<2>> roundedEnds,
                           std::vector<double> roundedSpans, bool open);

  // --- Synthetic drawing (dispc/wrfm/synth.h) --------------------------------------------------
  // The renderer selector: nothing for an open poly, zcBadPointer for an empty handle,
  // the exact renderer (both flags true) for a linear map, the general renderer else.
  static void drawSynthetic(const zcSMDGDPoly& poly, const zcPtrHandle_const<zc2XformBase>& xform,
                            zcPelBuffer<unsigned char>& pb, unsigned char value,
                            zeSyntheticCoverage coverage = eNeighbourBlend);
  // The exact renderer. drawBoundary and fillAndSmooth both true: a filled region with
  // an anti-aliased boundary; (false, true): the pels whose centres lie inside, set to
  // value; fillAndSmooth false: the outline in plain lines. With fillAndSmooth an open
  // poly draws nothing. `coverage` chooses how (true, true) finds boundary pels' values.
  static void drawSynthetic(const zcSMDGDPoly& poly, const zcXform<2>& xform, zcPelBuffer<unsigned char>& pb,
                            unsigned char value, bool drawBoundary, bool fillAndSmooth,
                            zeSyntheticCoverage coverage = eNeighbourBlend);

  // --- Builders ---------------------------------------------------------------------------------
  // The corner piece of vertex v: an open poly through the parts of the two adjacent
  // segments that belong to the corner (see percentPrev/NextSegment). corner() needs
  // both segments (invalidIndex otherwise).
  static zcSMDGDPoly subPoly(const zcSMDGDPoly& poly, long v, bool wrap);
  static zcSMDGDPoly corner(const zcSMDGDPoly& poly, long v, bool wrap);
  // The vertices in the opposite order, each segment's span and tolerance moving with
  // it; the direction flag flips, so the direction tests keep their answer.
  static void reversePoly(const zcSMDGDPoly& source, zcSMDGDPoly& out);
  // The runs of segments left after removing the given ones, as open polys.
  static void deleteSegments(const zcSMDGDPoly& poly, const std::vector<long>& segments,
                             std::vector<zcSMDGDPoly>& out);
  // Joins two open polys (invalidVertices otherwise) at the chosen ends. The joining
  // segment is straight and carries no length tolerance.
  static void connectPolys(const zcSMDGDPoly& a, bool aAtEnd, const zcSMDGDPoly& b, bool bAtEnd, zcSMDGDPoly& out);
  // A closed poly through the polygon's vertices, appended and then closed (validated:
  // invalidVertices without points, zcShapesError::DegenerateShape for one).
  static zcSMDGDPoly convert(const zcPolygon& polygon);
  // The pieces of `poly` cut by the closed poly `cutter` (notClosed otherwise), as a
  // model with an empty name: with keepInside the pieces inside the cutter, else those
  // outside. The cuts go through the unrounded segments; each cut point becomes a sharp
  // vertex. A poly that does not meet the cutter is kept whole or dropped. Pieces are
  // open unless a closed poly is kept whole; roundings that no longer fit next to a cut
  // raise invalidRounding.
  static zcSMDGDModel crop(const zcSMDGDPoly& poly, const zcSMDGDPoly& cutter, bool keepInside);
  // Every vertex point mirrored to (x, −y) and every span negated (validated), the
  // direction flag toggled.
  static zcSMDGDPoly flip(const zcSMDGDPoly& poly);
  // Appends to `out` the corner piece (subPoly, no wrap) of every vertex labelled
  // `label`, in vertex order, with its labels.
  static void subModel(const zcSMDGDPoly& poly, std::int32_t label, zcSMDGDModel& out);
  // `out` becomes the polys of `in` that survive, in order: each poly is compared with
  // those kept so far; one that meets a kept poly at least as long (perimeter_(0)) is
  // dropped, otherwise it removes every kept poly it meets and is kept.
  static void crossingPolysResolve(std::vector<zcSMDGDPoly>& out, const std::vector<zcSMDGDPoly>& in);

  // --- Drawing ----------------------------------------------------------------------------------
  // What drawNegWireframe draws of each segment: the segment's rounded form, the
  // extension before its start, the extension beyond its end.
  enum NegWireframeFlags : unsigned { eNegSegment = 1, eNegBackward = 2, eNegForward = 4, eNegAll = 7 };
  // The mapped segments (unrounded, so that they meet their extensions) and their
  // extensions (those not 0) as zcLineSeg lines in `color` on the overlay layer, arcs
  // as chords of at most 5 degrees.
  // The wireframe that holds a copy of the poly (identity transform).
  static zc2Wireframe wireframe(const zcSMDGDPoly& poly);
  static void drawNegWireframe(const zcSMDGDPoly& poly, const zcXform<2>& xform, zcUITablet& tablet,
                               const zcColor& color, unsigned flags = eNegAll);

  // --- Rectilinear editing -----------------------------------------------------------------
  // Straight segments only, the chord from vertex 1 to vertex 0 axis-parallel, and a
  // right angle at every corner. True below two vertices.
  static bool isRectilinear(const zcSMDGDPoly& poly);
  // Makes the poly rectilinear in the frame of its dominant angle: arcs become lines,
  // each segment becomes horizontal or vertical in that frame (whichever it is nearer
  // to, keeping the coordinate of its start vertex across and that of its end vertex
  // along), runs of one direction merge, and a closed poly is closed again with
  // closeRectilinear. A rectilinear poly is left alone; a failure leaves it unchanged.
  static void snapRectilinear(zcSMDGDPoly& poly);
  // Closes a poly whose segments are axis-parallel so that the closing segment is too:
  // a chord that is already axis-parallel closes directly; a chord nearer to the
  // direction across the last segment moves the last vertex along that segment;
  // otherwise one corner vertex is added, turning by a right angle after the last
  // segment. Vertices left between collinear segments are dropped.
  static void closeRectilinear(zcSMDGDPoly& poly);
  // Moves vertex i to `point`; on a rectilinear poly its two neighbours follow across
  // so that the adjacent segments keep their directions. Validated as one edit.
  static void replaceVertexRectilinear(zcSMDGDPoly& poly, long i, const zcVector<2>& point);

  // --- Rectangles ----------------------------------------------------------------------------
  // No rounded vertex, rectilinear, closed, four vertices, and the length tolerances of
  // vertices 0 and 2 equal, as those of 1 and 3.
  static bool isRectangular(const zcSMDGDPoly& poly);
  using zcSMDGDPoly::rectangle;
  // The box of a rectangular poly; the empty rectangle for any other.
  static zcRect rectangle(const zcSMDGDPoly& poly);
  // The side nearer to horizontal (which = 0) or to vertical (any other) of a
  // rectangular poly as segmentDimension gives it; all unset for any other poly.
  static zcSMDDimension rectDim(const zcSMDGDPoly& poly, long which);
  static zcSMDDimension rectLength(const zcSMDGDPoly& poly) { return rectDim(poly, 0); }
  static zcSMDDimension rectWidth(const zcSMDGDPoly& poly) { return rectDim(poly, 1); }
  // Gives the selected side and the one opposite the dimension's nominal, both changing
  // symmetrically about their middles, and its limits as their length tolerance. A
  // poly that is not rectangular is left alone. A nominal that is not above 1e-15
  // (unset, 0, negative) would turn the rectangle inside out: refused with
  // zcSMDGDPolyVertex::invalidSegmentLength. A refusal leaves the poly unchanged.
  static void rectDim(zcSMDGDPoly& poly, long which, const zcSMDDimension& dim);
  static void rectLength(zcSMDGDPoly& poly, const zcSMDDimension& dim) { rectDim(poly, 0, dim); }
  static void rectWidth(zcSMDGDPoly& poly, const zcSMDDimension& dim) { rectDim(poly, 1, dim); }
  // Every segment gets the tolerance, vertex by vertex (each step validated); a failure
  // leaves the poly unchanged.
  static void autoSegmentLengthTolerance(zcSMDGDPoly& poly, const zcDimTol& tol);

  // --- Filters (in place; the rest keep their order) -------------------------------------------
  // Keeps the polys whose perimeter_(0) lies in the range.
  static void perimeterFilter(std::vector<zcSMDGDPoly>& list, const zcRange& range);
  // With exactly one flag set, keeps only open or only closed polys; else nothing.
  static void closureFilter(std::vector<zcSMDGDPoly>& list, bool keepOpen, bool keepClosed);
  // Each poly is replaced by the pieces left after deleting (deleteSegments) its
  // segments of a length outside the range, those arriving at and leaving a vertex
  // whose angle (vertexAngle, degrees) is outside the angle range, or those whose
  // stored span exceeds `span` in magnitude.
  static void segmentLengthFilter(std::vector<zcSMDGDPoly>& list, const zcRange& range);
  static void vertexAngleFilter(std::vector<zcSMDGDPoly>& list, const zcAngleRange& range);
  static void segmentAngleSpanFilter(std::vector<zcSMDGDPoly>& list, zcDegree span);
};
