// What the generalized polygon's sources, the wireframe, the tablet and the sketch
// records share: the failure guard, the numbering helper, drawing under a given
// transform and the stored (sketch) form.
#pragma once

#include "dispc/sketchop.h"
#include "dispc/wrfm/genpoly.h"

template <class F>
decltype(auto) zcGenPoly::guarded_(F&& f) const {
  try {
    return f();
  } catch (zcException& e) {
    remapAndThrowError_(e);
    throw;  // not reached: an override that returned would still rethrow
  }
}

class DISPC_API zcGenPolyPrivate : public zcGenPoly {
public:
  // The poly's number of polygon segment i (the vertex where it arrives, i + 1
  // modulo n); zcShapesError::BadCoef unless 0 <= i < numSegments().
  static long polySegment(const zcGenPoly& g, long segment);
  // The vertex the editing calls build: corner fractions 0.5, no label, the given
  // length tolerance (by default none, as limits).
  static zcSMDGDPolyVertex newVertex(const zcVector<2>& p, double rounding, const zcRadian& span,
                                     const zcDimTol& tol = zcDimTol(-1.0, -1.0, -1.0, zcDimTol::eLimits));
  // drawToScope with `xform` in place of the polygon's own transform: the tablet
  // draws with its scaled map composed in, without copying the poly.
  static void drawToScope(const zcGenPoly& g, const zcGraphicProps& props, zcUIScope& scope,
                          const zcXform<2>& xform);
  // The number of chords an arc (poly frame) is drawn with under xform: steps of 5
  // degrees, fewer when 0.05 units of error allow, at most zkGenPolyMaxChords.
  static long arcChords(const zc2SegmentArc& arc, const zcXform<2>& xform);
  // The same for the arc already mapped (xform * arc) and the poly-frame arc's span.
  static long arcChords(const zc2SegmentArc& mapped, zcDegree span);
  // The same for the mapped arc's distance from its center to its point at angle 0.
  static long arcChords(double rho, zcDegree span);
  // One arc (in the poly's frame) as the chords drawToScope makes of it.
  static void drawArcToScope(const zc2SegmentArc& arc, const zcXform<2>& xform, const zcGraphicProps& props,
                             zcUIScope& scope);
  // The form a GenPoly or Wireframe operation stores, and the polygon made back from
  // it without validation (the vertices' corner fractions and labels take their
  // defaults). A tolerance type outside 0 … 2 is refused with
  // zcUIError::InvalidUISketch.
  static zc_UISketchPolyData stored(const zcGenPoly& g);
  static void assignStored(zcGenPoly& g, const zc_UISketchPolyData& data);

  // The archive form after the version and the shape part (poly, transform, editable),
  // read into temporaries and adopted whole, so a failed load leaves g as it was.
  static void loadFields(zcGenPoly& g, zcArchive& archive);
  // The head of a loadSimple form: a loading archive, the shape part, and version
  // byte 0 (zcArchive::UnknownVersion naming `module` and `line` otherwise).
  static void loadSimpleHead(zcGenPoly& g, zcArchive& archive, const char* module, long line);
};
