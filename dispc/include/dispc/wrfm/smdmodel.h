// The SMD model: the geometric description of a whole SMD body, an ordered set of SMD
// polys, the union of their sub-model labels and a position.
//
//   zcSMDGDModel body;
//   body << zcSMDGDPoly::rectangle(4, 2, zcPoint(10, 10));     // labels 0 … 3
//   zcSMDGDModel corner;
//   body.subModel(1, corner);              // the corner piece of label 1, normalized
//   zcSMDGDModelPrivate::position(corner); // where it lay: 180°, (8, 11)
//   body.drawWireframe(zcXform<2>(), tablet);
//
// The model never checks its polys against each other when they are added; only
// cropping refuses nested polys. Every poly keeps its own validity (an edit of a poly
// that fails leaves the model as it was, the poly's exception passing through).
//
// The position is the rigid transform from the model's normalized frame to where the
// model lies; sub-models and corners are stored in their normalized frame with that
// position.
//
// Choices this class makes where the contract leaves them open:
//  - replacePoly and deletePoly with an index that matches no poly leave the poly list
//    (and labels) as they were, but still empty the model's name, as every rebuild of
//    the list does.
//  - flip() negates both the rotation and the translation of the position.
//  - The centre of mass of a model whose polys have no vertices at all is (0, 0);
//    polys without vertices never count.
//  - numPosProbesRequired needs exactly one transform per poly: an empty list is
//    refused (invalidIndex) unless the model has no polys, which needs no probes.
//  - boundingBoxPositive starts from the first poly whose weight is not negative and
//    encloses every later poly whose weight is not negative either.
//  - Drawing onto a tablet (wireframes, arrows, negative wireframes) uses the overlay
//    layer, outlines unfilled.
//  - zcSMDGDPolyPrivate::crossingPolysResolve keeps its one pass, so its result depends
//    on the order given: with A crossing B, B crossing C, A and C apart, and A longer
//    than B longer than C, the order A, B, C keeps A and C, but C, B, A keeps A alone
//    (B removed C before A removed B).
#pragma once

#include "dispc/export.h"
#include "dispc/wrfm/smdpoly.h"

#include "zfound/geometry.h"
#include "zfound/rect.h"

#include <cstdint>
#include <string>
#include <vector>

class zcGraphicList;
class zcPolygon;
class zc2Wireframe;

class DISPC_API zcSMDGDModel : public zcSMDGeometricDescription {
public:
  ZC_EXCEPTION_FAMILY(DISPC_API, zcException)

  // Each failure has a fixed error number and message (see smdmodel.cpp).
  ZC_SMD_ERROR(invalidIndex)   // 0x11000370 "Invalid poly index specified."
  ZC_SMD_ERROR(crossingPolys)  // 0x11000371 "At least two polys intersect." (raised by nothing here)
  ZC_SMD_ERROR(nestedPolys)    // 0x11000372 "At least one of the polys is nested."

  // No polys, the identity position.
  explicit zcSMDGDModel(const std::wstring& name = std::wstring());
  zcSMDGDModel(const zcSMDGDModel& other);
  zcSMDGDModel& operator=(const zcSMDGDModel& other);
  ~zcSMDGDModel() override;

  // An empty model with an empty name and the identity position.
  void reset();
  // Loading starts here: no polys, no labels, the identity position.
  void reInit() override;

  // --- Polys ----------------------------------------------------------------------------
  long numPolys() const { return static_cast<long>(polys_.size()); }
  // invalidIndex unless 0 <= i < numPolys().
  const zcSMDGDPoly& poly(long i) const;
  const std::vector<zcSMDGDPoly>& polys() const { return polys_; }
  // Appends a copy (every poly of a model, a poly built from each wireframe) and the
  // labels not yet listed.
  zcSMDGDModel& operator<<(const zcSMDGDPoly& poly);
  zcSMDGDModel& operator<<(const zcSMDGDModel& model);
  zcSMDGDModel& operator<<(const std::vector<zc2Wireframe>& wireframes);
  // Empties polys and labels, then appends every poly of the list.
  void polys(const std::vector<zcSMDGDPoly>& list);
  // The list rebuilt with poly i replaced or left out, or emptied; the labels follow,
  // the position stays and the name becomes empty (see the choices above).
  void replacePoly(long i, const zcSMDGDPoly& poly);
  void deletePoly(long i);
  void deleteAllPolys();

  // --- Attributes, set on every poly ----------------------------------------------------
  void colors(const zcSMDColors& colors);
  void positiveArrowColor(const zcColor& color);
  void negativeArrowColor(const zcColor& color);
  // Open when any poly is open; a model without polys is closed.
  bool isOpen() const;
  bool isClosed() const { return !isOpen(); }
  long numVertices() const;
  // The distinct labels of the polys' label lists, in order of first appearance.
  const std::vector<std::int32_t>& subModelLabels() const { return labels_; }

  // Equal polys in order (the poly's operator==) and equal positions; names aside.
  bool operator==(const zcSMDGDModel& other) const;
  bool operator!=(const zcSMDGDModel& other) const { return !(*this == other); }

  // --- Transforms and sub-models --------------------------------------------------------
  // Every poly mirrored to (x, −y) with its spans negated and its direction flag
  // toggled; the position's rotation and translation negated; the name empty.
  zcSMDGDModel flip() const;
  // The corner pieces of every vertex labelled `label`, poly by poly, appended to out;
  // out is then moved into its normalized frame, which its position records.
  void subModel(std::int32_t label, zcSMDGDModel& out) const;

  // --- Measures -------------------------------------------------------------------------
  // The mean of all vertex points ((0, 0) without any).
  zcVector<2> centerOfMass_() const;
  // The direction from vertex 0 to vertex 1 of the first poly, degrees (0 without).
  zcDegree orientation_() const;
  double perimeter_(double minPiece) const;
  double extensionPerimeter_() const;
  // The polys with at least one segment out of tolerance (see the poly's
  // segmentsOutOfTolerance), ascending.
  std::vector<long> polysOutOfTolerance(const zcXform<2>& xform1, const zcXform<2>& xform2) const;
  // The box of every poly under the transform; empty without polys.
  zcRect boundingBox(const zcXform<2>& xform = zcXform<2>()) const;
  // Default (fraction < 0) or given extensions on every poly, then every poly's
  // extensions shortened against every poly (itself included).
  void setExtensions_(double distance, zcDegree angle, double margin, double fraction);

  // --- Drawing --------------------------------------------------------------------------
  // Each poly in order, as the poly draws itself.
  void drawWireframe(const zcXform<2>& xform, zcUITablet& tablet) const override;
  void drawSynthetic(const zcPtrHandle_const<zc2XformBase>& xform, zcPelBuffer<unsigned char>& buffer) const override;
  // Through a zc2XformLinear of the transform.
  void drawSynthetic(const zcXform<2>& xform, zcPelBuffer<unsigned char>& buffer) const override;
  void drawDirectionArrows(const zcXform<2>& xform, zcUITablet& tablet,
                           double size = zcSMDGDPoly::kDefaultArrowSize) const;
  void drawDirectionArrows(const zcXform<2>& xform, zcGraphicList& list,
                           double size = zcSMDGDPoly::kDefaultArrowSize) const;

  static const zc_Instantiator sExemplar;

protected:
  // Archive form, version 0 only: version byte, the description base, the polys (list
  // version byte 0, count as u32, each poly as a persistent object), the labels (the
  // same list form, each a long), the position. Loading does not validate; a failed
  // load leaves the model as it was.
  void dispatchSerialize(zcArchive& archive) override;
  void serialize_(zcArchive& archive, unsigned char version);

private:
  friend class zcSMDGDModelPrivate;
  static zcPersistent* make();
  bool addLabel_(std::int32_t label);
  void rebuildLabels_();

  std::vector<zcSMDGDPoly> polys_;
  std::vector<std::int32_t> labels_;
  zc2Rigid position_;
};

// A model of the polys mapped (rigidly or scaled); the name is empty. The rigid map
// gives the identity position; the scaling keeps the rotation and scales the
// translation.
DISPC_API zcSMDGDModel operator*(const zc2Rigid& xform, const zcSMDGDModel& model);
DISPC_API zcSMDGDModel operator*(double factor, const zcSMDGDModel& model);

// The static helpers of the SMD model.
class DISPC_API zcSMDGDModelPrivate : public zcSMDGDModel {
public:
  explicit zcSMDGDModelPrivate(const std::wstring& name = std::wstring());
  explicit zcSMDGDModelPrivate(const zcSMDGDModel& model);

  // Equal polys in order, positions aside.
  static bool equivalent(const zcSMDGDModel& a, const zcSMDGDModel& b);
  static const zc2Rigid& position(const zcSMDGDModel& model) { return model.position_; }
  static void position(zcSMDGDModel& model, const zc2Rigid& at);
  // One three-vertex poly: turned as that poly, at its vertex 1. Otherwise turned as
  // the first poly (0 without polys), at the centre of mass.
  static zc2Rigid normalizedPosition(const zcSMDGDModel& model);
  static double perimeter(const zcSMDGDModel& model, double minPiece) { return model.perimeter_(minPiece); }
  // The polys' dominant angles weighted by their perimeters, folded into [−45, 45).
  static zcDegree dominantAngle(const zcSMDGDModel& model);
  // The perimeter of the polys of positive weight, each under xform × its own
  // transform, divided by the spacing and truncated. invalidIndex unless there is one
  // transform per poly.
  static long numPosProbesRequired(const zcSMDGDModel& model, const zcXform<2>& xform,
                                   const std::vector<zcXform<2>>& xforms, double spacing);

  // --- Cropping (the poly's crop keeps, with the flag set, what lies inside) -------------
  // nestedPolys when vertex 0 of one poly of `a` lies inside another (notClosed when
  // a poly of `a` is open); then every poly of `model` cropped by every poly of `a`.
  static zcSMDGDModel crop(const zcSMDGDModel& model, const zcSMDGDModel& a);
  static zcSMDGDModel crop(const zcSMDGDModel& model, const zcSMDGDPoly& cutter, bool keepInside);
  static zcSMDGDModel crop(const zcSMDGDModel& model, const zcPolygon& cutter, bool keepInside);
  static zcSMDGDModel crop(const zcSMDGDModel& model, const std::vector<zcPolygon>& cutters);
  // Appends the corner piece of vertex v of poly p to out, then normalizes out as a
  // sub-model is. invalidIndex for a bad poly index (the poly's for a bad vertex).
  static void corner(const zcSMDGDModel& model, zcSMDGDModel& out, long p, long v, bool wrap);

  // --- Building from wireframes and polygons ----------------------------------------------
  // The transforms of the wireframes whose weight is not 0. invalidIndex for lists of
  // different or zero length or a weight outside [−1, 1].
  static std::vector<zcXform<2>> wireframeXforms(const std::vector<zc2Wireframe>& wireframes,
                                                 const std::vector<double>& weights);
  // The polys of the wireframes whose weight is not 0, direction flag inverted and the
  // weight set; the same checks.
  static zcSMDGDModel weightedWireframesToModel(const std::vector<zc2Wireframe>& wireframes,
                                                const std::vector<double>& weights);
  static zcSMDGDModel convert(const std::vector<zcPolygon>& polygons);

  // --- Boxes and extensions -----------------------------------------------------------------
  static zcRect boundingBox(const zcSMDGDModel& model, const zcXform<2>& xform) { return model.boundingBox(xform); }
  // Poly i under xform × xforms[i]; invalidIndex unless one transform per poly.
  static zcRect boundingBox(const zcSMDGDModel& model, const std::vector<zcXform<2>>& xforms,
                            const zcXform<2>& xform);
  // The boxes of the polys with their extensions.
  static zcRect boundingBoxNeg(const zcSMDGDModel& model, const zcXform<2>& xform);
  // As the list form of boundingBox over the polys whose weight is not negative;
  // invalidIndex also when there is none.
  static zcRect boundingBoxPositive(const zcSMDGDModel& model, const std::vector<zcXform<2>>& xforms,
                                    const zcXform<2>& xform);
  // setExtensions_(8d, 10°, d, fraction).
  static void setExtensions(zcSMDGDModel& model, double d, double fraction);

  // Every poly's segments with their extensions, in red.
  static void drawNegWireframe(const zcSMDGDModel& model, const zcXform<2>& xform, zcUITablet& tablet);
};
