// Wireframes: generalized polygons whose segments carry length tolerances and whose
// closed outline has an inside polarity; the form in which SMD bodies are drawn.
//
//   zc2Wireframe w(zcGenPoly(zcRect(0, 0, 10, 4)), zcDimTol(-1, 0.1, 0.2, zcDimTol::eOffsets));
//   w.insertVertex(0, zcPoint(10, 2), 0.0, zcRadian(0), tol);  // splits segment 0
//   w.segmentLengthTol(1);                                      // nominal: its length
//   w.insidePolarity(false);                                    // the outside is "in"
//
// Everything a wireframe adds lives in the SMD poly it holds: each segment's length
// tolerance on the vertex where the segment ends (vertex i + 1 for segment i, vertex
// 0 for the closing segment), and the polarity as the poly's direction-reversed
// flag. Tolerance edits need an editable wireframe (zcShapesError::BadGeom) and are
// validated by the poly (a length outside its tolerance: BadGeom); every refused
// edit leaves the wireframe as it was.
//
// Choices this class makes:
//  - The wireframe's archive level has a key of its own ("zc2Wireframe"), apart from
//    the generalized polygon's, so that marking one level visited never hides the
//    other.
//  - Sketches store a wireframe as its polygon (the GenPoly layout), which has no
//    polarity: a replayed wireframe draws its arrows as for positive polarity.
#pragma once

#include "dispc/dimtol.h"
#include "dispc/export.h"
#include "dispc/wrfm/genpoly.h"

class DISPC_API zc2Wireframe : public zcGenPoly {
public:
  zc2Wireframe();
  zc2Wireframe(const zc2Wireframe& other);
  // The polygon with whatever tolerances its poly stores.
  explicit zc2Wireframe(const zcGenPoly& polygon);
  // The polygon with `tol` on every segment (editable or not; the flag is kept).
  zc2Wireframe(const zcGenPoly& polygon, const zcDimTol& tol);
  zc2Wireframe& operator=(const zc2Wireframe& other);
  ~zc2Wireframe() override;

  // The generalized polygon's equality: tolerances and polarity compare as part of
  // the poly.
  bool operator==(const zc2Wireframe& other) const { return zcGenPoly::operator==(other); }
  bool operator!=(const zc2Wireframe& other) const { return !(*this == other); }

  // The generalized polygon's maps, as wireframes.
  zc2Wireframe map(const zc2Rigid& r, double scale) const;
  zc2Wireframe map(const zcXform<2>& x) const;

  // The tolerance of a segment with its nominal set to the segment's length (in
  // the poly's frame), in the tolerance type it was given. BadCoef for a bad index.
  zcDimTol segmentLengthTol(long segment) const;
  void segmentLengthTol(long segment, const zcDimTol& tol);
  // As the generalized polygon's, and the segment leaving vertex `index` (which the
  // new vertex splits) keeps no tolerance for its second part while its first part
  // (now ending at the new vertex) gets `tol`. Index −1 sets no tolerance.
  void insertVertex(long index, const zcVector<2>& p, double rounding, const zcRadian& span, const zcDimTol& tol);
  void insertVertex(const zcVector<2>& p, double rounding, const zcRadian& span, const zcDimTol& tol);
  using zcGenPoly::insertVertex;
  // An open wireframe closes with `span` and `tol` on the closing segment; a closed
  // one is left exactly as it is.
  void close(const zcRadian& span, const zcDimTol& tol);
  using zcGenPoly::close;

  // The poly's direction-reversed flag.
  bool isPolarityReversed() const;
  // Sets the flag; a change calls polarityChanged_ with the new value.
  void polarity(bool reversed);
  // Whether the inside lies where the outline's direction says (BadGeom for an
  // open wireframe): the poly's direction test, read the other way under a
  // mirroring transform.
  bool isInsidePositive() const;
  // Sets the flag so that isInsidePositive() answers `positive` (no hook call).
  void insidePolarity(bool positive);

  zcShapePtr clone() const override;
  // The simple form: the shape part, a signed version byte 0 (others raise
  // zcArchive::UnknownVersion, "dispc/wrfm/wirefrm" line 131), then the generalized
  // polygon's simple form after its shape part.
  void loadSimple(zcArchive& archive) override;

  static const zc_Instantiator sExemplar;

protected:
  // False unless the other shape is exactly a zc2Wireframe; then operator==.
  bool equal_(const zcShape& other) const override;
  // As the generalized polygon's (a bad segment length is BadGeom).
  [[noreturn]] void remapAndThrowError_(zcException& e) const override;
  // Told the new polarity after polarity() changed it; does nothing here.
  virtual void polarityChanged_(bool reversed);

  // Archive form: version byte 0 (others raise zcArchive::UnknownVersion,
  // "dispc/wrfm/wirefrm" line 148), then the generalized polygon's form.
  void dispatchSerialize(zcArchive& archive) override;
  void serialize_(zcArchive& archive, unsigned char version);

private:
  static zcPersistent* make();
};
