// The payload of every operation kind: the records' fields_ hand their values to the
// one description of each kind (sketchpayload.h); the version-0 layouts and the
// kinds that only sketches from outside hold are described here.
#include "dispc/sketchop.h"

#include "sketchpayload.h"

#include "dispc/dimtol.h"

#include "zfound/strings.h"

#include <typeinfo>

// The registration of every record class: one per plain row of the table (a filled
// row shares its plain row's class).
#define ZC_SKETCH_OP(code, name, Class, length)   \
  Class::~Class() = default;                       \
  zcPersistent* Class::make() { return new Class; } \
  const zc_Instantiator Class::sExemplar(typeid(Class), #Class, &Class::make);
#define ZC_SKETCH_OP_FILLED(code, name, Class, length)
#include "ops.def"

using zc_sketch::formByte;
using zc_sketch::rectFields;

// A record's payload: its values handed to the description of its kind.
#define ZC_SKETCH_FIELDS(Class, ...) \
  void Class::fields_(zc_SketchIO& io) { zc_sketch::Payload<Class>::fields(io __VA_OPT__(, ) __VA_ARGS__); }

ZC_SKETCH_FIELDS(zc_UISketchOpPoint, point_)

namespace {
// A segment's end points archived in the segment's own form (out of the reading
// path, which then needs no stack frame).
[[gnu::noinline]] void archiveEnds(zcArchive& archive, zcPoint& p1, zcPoint& p2) {
  zcLineSeg seg(p1, p2);
  archive || seg;
  p1 = seg.p1();
  p2 = seg.p2();
}
}  // namespace

void zc_UISketchOpLineSeg::fields_(zc_SketchIO& io) {
  if (io.archiving()) return archiveEnds(io.archive(), p1_, p2_);
  zc_sketch::Payload<zc_UISketchOpLineSeg>::fields(io, p1_, p2_);
}

ZC_SKETCH_FIELDS(zc_UISketchOpLine, line_)

ZC_SKETCH_FIELDS(zc_UISketchOpCircle, circle_)

ZC_SKETCH_FIELDS(zc_UISketchOpEllipse, ellipse_)

ZC_SKETCH_FIELDS(zc_UISketchOpEllipseArc, arc_)

ZC_SKETCH_FIELDS(zc_UISketchOpEllipseAnnSect, section_)

void zc_UISketchOpEllipseAnnSect::fieldsV0_(zc_SketchIO& io) {
  io.imageV0<zcEllipseAnnulusSection, zkEllipseAnnulusSectionImageV0Size>(section_);
}

ZC_SKETCH_FIELDS(zc_UISketchOpGenRect, rect_)

void zc_UISketchOpGenRect::fieldsV0_(zc_SketchIO& io) { io.imageV0<zcGenRect, zkGenRectImageV0Size>(rect_); }

ZC_SKETCH_FIELDS(zc_UISketchOpGenAnn, annulus_)

void zc_UISketchOpGenAnn::fieldsV0_(zc_SketchIO& io) {
  io.imageV0<zcGenAnnulus, zkGenAnnulusImageV0Size>(annulus_);
}

ZC_SKETCH_FIELDS(zc_UISketchOpCoordAxes, axes_)

void zc_UISketchOpString::fields_(zc_SketchIO& io) {
  io || position_ || background_ || format_;
  io.text(text_);
}

ZC_SKETCH_FIELDS(zc_UISketchOpPelBuf8, pels_, position_, flag_, value_, flag2_)

ZC_SKETCH_FIELDS(zc_UISketchOpRleBuf, image_, position_, colorMap_, flag_, passValue_, flag2_)

ZC_SKETCH_FIELDS(zc_UISketchOpSketch, sketch_, offset_)

void zc_UISketchOpSketch::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) throw zcArchive::UnknownVersion("dispc/sketchop", __LINE__);
  zcPersistent::dispatchSerialize(archive);
  throw zcUIError::NotImplemented();
}

ZC_SKETCH_FIELDS(zc_UISketchOpSet, pixelForm_, pixels_, rect_)

void zc_UISketchOpSet::fieldsV0_(zc_SketchIO& io) {
  formByte(io, pixelForm_);
  if (pixelForm_) {
    io || pixels_;
  } else {
    rectFields(io, rect_);
  }
}

ZC_SKETCH_FIELDS(zc_UISketchOpSetAll)

ZC_SKETCH_FIELDS(zc_UISketchOpFill, pixelForm_, pel_, point_, boundary_, fillType_)

ZC_SKETCH_FIELDS(zc_UISketchOpDrawToRelPels, dx_, dy_)

ZC_SKETCH_FIELDS(zc_UISketchOpOutline3d, pixelForm_, pixels_, rect_, light_, dark_, width_)

void zc_UISketchOpOutline3d::fieldsV0_(zc_SketchIO& io) {
  zc_UISketchOpSet::fieldsV0_(io);
  io || dark_ || width_;
}

ZC_SKETCH_FIELDS(zc_UISketchOpArrow, tip_, direction_, size_)

ZC_SKETCH_FIELDS(zc_UISketchOpAffineRect, rect_)

void zc_UISketchOpAffineRect::fieldsV0_(zc_SketchIO& io) {
  io.imageV0<zcAffineRectangle, zkAffineRectangleImageV0Size>(rect_);
}

ZC_SKETCH_FIELDS(zc_UISketchOpPolygon, polygon_)

ZC_SKETCH_FIELDS(zc_UISketchOpRect, rect_)

void zc_UISketchOpRect::fieldsV0_(zc_SketchIO& io) {
  io.ignore(1);
  rectFields(io, rect_);
}

void zc_UISketchOpGenShape::bytes_(zc_SketchIO& io) {
  zc_sketch::Payload<zc_UISketchOpGenShape>::bytes(io, rect_, shapeBytes_);
}

ZC_SKETCH_FIELDS(zc_UISketchOpGenShape, color_, rect_, shapeBytes_)

void zc_UISketchOpGenShape::fieldsV0_(zc_SketchIO& io) { bytes_(io); }

bool zc_UISketchPolyData::Vertex::operator==(const Vertex& o) const {
  return point == o.point && radius == o.radius && span == o.span && tolerance[0] == o.tolerance[0] &&
         tolerance[1] == o.tolerance[1] && tolerance[2] == o.tolerance[2] && toleranceType == o.toleranceType;
}

bool zc_UISketchPolyData::operator==(const zc_UISketchPolyData& o) const {
  return xform == o.xform && editable == o.editable && vertices == o.vertices && roundedStarts == o.roundedStarts &&
         roundedEnds == o.roundedEnds && roundedSpans == o.roundedSpans && open == o.open;
}

ZC_SKETCH_FIELDS(zc_UISketchOpGenPoly, poly_)

void zc_UISketchOpGenPoly::fieldsV0_(zc_SketchIO& io) {
  fields_(io);
  for (zc_UISketchPolyData::Vertex& v : poly_.vertices) {
    const zcDimTol tol(v.tolerance[0], v.tolerance[1], v.tolerance[2],
                       static_cast<zcDimTol::TolType>(static_cast<std::int32_t>(v.toleranceType)));
    v.tolerance[0] = tol.nomDim();
    v.tolerance[1] = tol.minTol();
    v.tolerance[2] = tol.maxTol();
    v.toleranceType = static_cast<std::uint32_t>(tol.tolType());
  }
}

ZC_SKETCH_FIELDS(zc_UISketchOpUnicodeString, text_, position_, background_, format_)

ZC_SKETCH_FIELDS(zc_UISketchOpCross, cross_)

ZC_SKETCH_FIELDS(zc_UISketchOpEllipseAnnSectArrowheadFlag, section_, arrowHead_, forward_)

void zc_UISketchOpEllipseAnnSectArrowheadFlag::fieldsV0_(zc_SketchIO& io) {
  zc_UISketchOpEllipseAnnSect::fieldsV0_(io);
  io || arrowHead_ || forward_;
}

ZC_SKETCH_FIELDS(zc_UISketchOpBezierCurve, curve_)

ZC_SKETCH_FIELDS(zc_UISketchOpCubicSpline, spline_)

ZC_SKETCH_FIELDS(zc_UISketchOpPolyline, polyline_)

ZC_SKETCH_FIELDS(zc_UISketchOpEllipse2, ellipse_)

ZC_SKETCH_FIELDS(zc_UISketchOpEllipseArc2, arc_)
