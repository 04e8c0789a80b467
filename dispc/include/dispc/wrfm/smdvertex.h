// SMD geometric descriptions: their common base and the vertex of an SMD poly.
//
// A poly's segment s runs from vertex s − 1 to vertex s, and everything about that
// segment (its angle span, its length tolerance) is stored on vertex s, the vertex
// where it arrives. A vertex also describes its corner: the rounding radius and the
// fractions of the two adjacent segments that belong to the corner.
//
//   zcSMDGDPolyVertex v(zcPoint(10, 0), 2.0, zcDegree(90), 0.5, 0.5, -1,
//                       zcDimTol(-1, 0.1, 0.1, zcDimTol::eOffsets));
//   v.percentNextSegment(0.25);       // fractions lie within [0.01, 1.0]
//   zcSMDGDPolyVertex w = 2.0 * v;    // point and radius doubled
#pragma once

#include "dispc/dimtol.h"
#include "dispc/export.h"
#include "dispc/uitablet.h"

#include "zfound/exception.h"
#include "zfound/geometry.h"
#include "zfound/handle.h"
#include "zfound/pelbuf.h"
#include "zfound/persistent.h"
#include "zfound/xformbase.h"

#include <cstdint>
#include <string>

// An exception class of an SMD description with a fixed error number and message,
// nested in its owner beside the owner's Errors family (defined with
// ZC_SMD_ERROR_DEFINE in the library's sources).
#define ZC_SMD_ERROR(Name)                            \
  class DISPC_API Name : public Errors {              \
  public:                                             \
    Name() = default;                                 \
    Name(const Name&) = default;                      \
    Name& operator=(const Name&) = default;           \
    ZC_EXCEPTION_PROTOCOL(Name)                       \
  protected:                                          \
    void message_(std::wostream& out) const override; \
  };

// The base of vertices, polys and models: a name and the two ways of drawing.
// Drawing synthetically through a transform handle draws through the transform's
// linear approximation at the origin.
class DISPC_API zcSMDGeometricDescription : public virtual zcPersistent, public zcRepBase {
public:
  explicit zcSMDGeometricDescription(const std::wstring& name = std::wstring());
  zcSMDGeometricDescription(const zcSMDGeometricDescription& other);
  zcSMDGeometricDescription& operator=(const zcSMDGeometricDescription& other);
  ~zcSMDGeometricDescription() override;

  std::wstring name() const { return name_; }

  virtual void drawWireframe(const zcXform<2>& xform, zcUITablet& tablet) const = 0;
  // Raises zcBadPointer for an empty handle.
  virtual void drawSynthetic(const zcPtrHandle_const<zc2XformBase>& xform, zcPelBuffer<unsigned char>& buffer) const;
  virtual void drawSynthetic(const zcXform<2>& xform, zcPelBuffer<unsigned char>& buffer) const = 0;

protected:
  // Archive form: version 0, the persistence base, the name (wide string).
  void dispatchSerialize(zcArchive& archive) override;
  void serialize_(zcArchive& archive, unsigned char version);

private:
  std::wstring name_;
};

class DISPC_API zcSMDGDPolyVertex : public zcSMDGeometricDescription {
public:
  ZC_EXCEPTION_FAMILY(DISPC_API, zcException)

  // A corner fraction outside [0.01, 1.0]. Error 0x11000350.
  class DISPC_API invalidSegmentLength : public Errors {
  public:
    invalidSegmentLength() = default;
    invalidSegmentLength(const invalidSegmentLength&) = default;
    invalidSegmentLength& operator=(const invalidSegmentLength&) = default;
    ZC_EXCEPTION_PROTOCOL(invalidSegmentLength)
  protected:
    void message_(std::wostream& out) const override;
  };

  // At (0, 0), sharp, straight, fractions 0.5, no label, no length tolerance (eLimits).
  zcSMDGDPolyVertex();
  // The constructors below raise invalidSegmentLength for a fraction outside
  // [0.01, 1.0]. The first two give a sharp corner (or the radius given) at the end of a
  // straight segment without a length tolerance (eOffsets).
  zcSMDGDPolyVertex(const zcVector<2>& point, double percentPrev, double percentNext, std::int32_t label);
  zcSMDGDPolyVertex(const zcVector<2>& point, double radius, double percentPrev, double percentNext,
                    std::int32_t label);
  zcSMDGDPolyVertex(const zcVector<2>& point, double radius, zcDegree span, double percentPrev, double percentNext,
                    std::int32_t label, const zcDimTol& segmentLengthTol);
  zcSMDGDPolyVertex(const zcSMDGDPolyVertex& other);
  zcSMDGDPolyVertex& operator=(const zcSMDGDPolyVertex& other);
  ~zcSMDGDPolyVertex() override;

  const zcVector<2>& point() const { return point_; }
  // The rounding radius of the corner; 0 is sharp, a negative value an uncertain
  // rounding of the magnitude's radius.
  double vertexRadius() const { return radius_; }
  // The signed span of the arriving segment; 0 is a straight line.
  zcDegree segmentAngleSpan() const { return span_; }
  // The fractions of the arriving and the leaving segment, measured from this vertex,
  // that belong to its corner.
  double percentPrevSegment() const { return percentPrev_; }
  double percentNextSegment() const { return percentNext_; }
  // The sub-model this vertex belongs to; −1 is none.
  std::int32_t subModelLabel() const { return label_; }
  // The length tolerance of the arriving segment.
  const zcDimTol& segmentLengthTol() const { return segmentLengthTol_; }
  // Extension fractions of the arriving segment beyond this vertex (forward) and of the
  // leaving segment back beyond it (backward). Working values: never archived.
  double forwardExtension() const { return forwardExtension_; }
  double backwardExtension() const { return backwardExtension_; }

  // Setters call the mutation hook first. Only the fraction setters check: a value
  // outside [0.01, 1.0] raises invalidSegmentLength and changes nothing.
  void point(const zcVector<2>& point);
  void vertexRadius(double radius);
  void segmentAngleSpan(zcDegree span);
  void percentPrevSegment(double fraction);
  void percentNextSegment(double fraction);
  void subModelLabel(std::int32_t label);
  void segmentLengthTol(const zcDimTol& tol);
  void forwardExtension(double fraction);
  void backwardExtension(double fraction);

  // Within 1e-11 (spans by their sines and cosines, so whole turns do not count);
  // labels and tolerances exactly as their own equality says. Names are ignored.
  bool operator==(const zcSMDGDPolyVertex& other) const;
  bool operator!=(const zcSMDGDPolyVertex& other) const { return !(*this == other); }

  // A vertex draws nothing; its poly draws the corner and the segment.
  void drawWireframe(const zcXform<2>& xform, zcUITablet& tablet) const override;
  using zcSMDGeometricDescription::drawSynthetic;
  void drawSynthetic(const zcXform<2>& xform, zcPelBuffer<unsigned char>& buffer) const override;

  static const zc_Instantiator sExemplar;

protected:
  // Archive form, version 2: version byte, the description base, point, radius, span
  // (double, degrees), the two fractions (doubles), label (long), the length tolerance
  // (zcDimTol form). Version 1 held the tolerance as two offsets (doubles) and an
  // unused 32-bit value; version 0 held none. A failed load leaves the vertex as it was.
  void dispatchSerialize(zcArchive& archive) override;
  void serialize_(zcArchive& archive, unsigned char version);

private:
  static zcPersistent* make();
  // Every field of the table; the name is the base's.
  zcVector<2> point_;
  double radius_ = 0.0;
  zcDegree span_;
  double percentPrev_ = 0.5;
  double percentNext_ = 0.5;
  std::int32_t label_ = -1;
  zcDimTol segmentLengthTol_;
  double forwardExtension_ = 0.0;
  double backwardExtension_ = 0.0;
};

// The equality test of zcSMDGDPolyVertex with `tol` in place of 1e-11.
DISPC_API bool zfRealEq(const zcSMDGDPolyVertex& a, const zcSMDGDPolyVertex& b, double tol);

// A copy (name included) with its point moved by the rigid transform.
DISPC_API zcSMDGDPolyVertex operator*(const zc2Rigid& xform, const zcSMDGDPolyVertex& vertex);
// Point and radius scaled, the length tolerance's nominal scaled (zcDimTol's
// operator*), everything else kept; the name is empty.
DISPC_API zcSMDGDPolyVertex operator*(double factor, const zcSMDGDPolyVertex& vertex);
