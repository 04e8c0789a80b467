// The payload of every operation kind, described once for reading, writing and
// archiving (see sketchio.h).
#include "dispc/sketchop.h"

#include "sketchio.h"

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

namespace {
// The form byte of Set, SetComp, Outline3d and Fill: 1 for pixels, 0 for client
// coordinates.
void formByte(zc_SketchIO& io, bool& pixelForm) {
  unsigned char form = pixelForm ? 1 : 0;
  io || form;
  if (form > 1) throw zcUIError::InvalidUISketch();
  pixelForm = form == 1;
}

// A client rectangle as corner and size (four f64).
void rectFields(zc_SketchIO& io, zcRect& rect) {
  zcPoint corner = rect.corner();
  zcVector<2> size = rect.size();
  io || corner || size;
  if (io.loading()) rect = zcRect(corner, size);
}

// A list of points after its count (the count's items take 16 bytes each, and
// `trailing` bytes follow the list).
void pointList(zc_SketchIO& io, std::vector<zcPoint>& points, std::size_t trailing) {
  std::int32_t n = static_cast<std::int32_t>(points.size());
  io.count(n, 16);
  if (io.loading() && !io.archiving() && static_cast<std::size_t>(n) * 16 + trailing > io.remaining())
    throw zcUIError::InvalidUISketch();
  if (io.loading()) points.assign(static_cast<std::size_t>(n), zcPoint());
  for (zcPoint& p : points) io || p;
}
}  // namespace

void zc_UISketchOpPoint::fields_(zc_SketchIO& io) { io || point_; }

void zc_UISketchOpLineSeg::fields_(zc_SketchIO& io) {
  if (!io.archiving()) {
    io || p1_ || p2_;
    // The segment's own rule: finite end points.
    if (io.loading() && (!zfIsFinite(p1_) || !zfIsFinite(p2_))) throw zcUIError::InvalidUISketch();
    return;
  }
  zcLineSeg seg(p1_, p2_);
  io.archive() || seg;
  p1_ = seg.p1();
  p2_ = seg.p2();
}

void zc_UISketchOpLine::fields_(zc_SketchIO& io) {
  io.shape(line_, [&] { io.image<zcLine, zkLineImageSize>(line_); });
}

void zc_UISketchOpCircle::fields_(zc_SketchIO& io) {
  io.shape(circle_, [&] {
    zcPoint center = circle_.center();
    double radius = circle_.radius();
    io || center || radius;
    if (io.loading()) circle_ = zcCircle(center, radius);
  });
}

void zc_UISketchOpEllipse::fields_(zc_SketchIO& io) {
  io.shape(ellipse_, [&] {
    zcEllipse::zcEllipseGeom geom = ellipse_.geom();
    io.image<zcEllipse::zcEllipseGeom, zkEllipseGeomImageSize>(geom);
    if (io.loading()) ellipse_ = zcEllipse(geom);
  });
}

void zc_UISketchOpEllipseArc::fields_(zc_SketchIO& io) {
  io.shape(arc_, [&] { io.image<zcEllipseArc, zkEllipseArcImageSize>(arc_); });
}

void zc_UISketchOpEllipseAnnSect::fields_(zc_SketchIO& io) {
  io.shape(section_, [&] { io.image<zcEllipseAnnulusSection, zkEllipseAnnulusSectionImageSize>(section_); });
}

void zc_UISketchOpEllipseAnnSect::fieldsV0_(zc_SketchIO& io) {
  io.imageV0<zcEllipseAnnulusSection, zkEllipseAnnulusSectionImageV0Size>(section_);
}

void zc_UISketchOpGenRect::fields_(zc_SketchIO& io) {
  io.shape(rect_, [&] { io.image<zcGenRect, zkGenRectImageSize>(rect_); });
}

void zc_UISketchOpGenRect::fieldsV0_(zc_SketchIO& io) { io.imageV0<zcGenRect, zkGenRectImageV0Size>(rect_); }

void zc_UISketchOpGenAnn::fields_(zc_SketchIO& io) {
  io.shape(annulus_, [&] { io.image<zcGenAnnulus, zkGenAnnulusImageSize>(annulus_); });
}

void zc_UISketchOpGenAnn::fieldsV0_(zc_SketchIO& io) {
  io.imageV0<zcGenAnnulus, zkGenAnnulusImageV0Size>(annulus_);
}

void zc_UISketchOpCoordAxes::fields_(zc_SketchIO& io) {
  io.shape(axes_, [&] { io.image<zcCoordAxes, zkCoordAxesImageSize>(axes_); });
}

void zc_UISketchOpString::fields_(zc_SketchIO& io) {
  io || position_ || background_ || format_;
  io.text(text_);
}

void zc_UISketchOpPelBuf8::fields_(zc_SketchIO& io) {
  io || position_ || flag_ || value_;
  zcXform<2> xform = pels_.imageFromClientXform();
  zcPair<long> offset = pels_.offset();
  std::int32_t width = static_cast<std::int32_t>(pels_.width());
  std::int32_t height = static_cast<std::int32_t>(pels_.height());
  io || xform || offset || width || height || flag2_;
  if (io.loading()) {
    if (width < 0 || height < 0) throw zcUIError::InvalidUISketch();
    // The rows take width × height bytes (none at all when the width is 0).
    if (width > 0) {
      if (io.archiving()) {
        io.archive().checkCount(static_cast<unsigned long>(height), static_cast<std::size_t>(width));
      } else if (static_cast<std::size_t>(height) > io.remaining() / static_cast<std::size_t>(width)) {
        throw zcUIError::InvalidUISketch();
      }
    }
    zcPelBuffer<unsigned char> pels(width, height);
    pels.offset(offset);
    pels.imageFromClientXform(xform);
    pels_ = pels;
  }
  if (width == 0) return;
  for (long y = offset.y(); y < offset.y() + height; ++y) io.raw(pels_.rowPointer(y), static_cast<std::size_t>(width));
}

void zc_UISketchOpRleBuf::fields_(zc_SketchIO& io) {
  io || position_ || flag_ || passValue_ || flag2_;
  std::int32_t n = static_cast<std::int32_t>(colorMap_.size());
  io.count(n, 1);
  if (io.loading()) colorMap_.assign(static_cast<std::size_t>(n), 0);
  io.raw(colorMap_.data(), colorMap_.size());
  if (io.archiving()) {
    io.archive() || image_;
    return;
  }
  std::int32_t width = static_cast<std::int32_t>(image_.width());
  std::int32_t height = static_cast<std::int32_t>(image_.height());
  io || width || height;
  if (io.loading()) {
    // Each row takes at least its terminating pair.
    if (width < 0 || height < 0 || static_cast<std::size_t>(height) > io.remaining() / 2)
      throw zcUIError::InvalidUISketch();
    const std::size_t left = std::min(io.remaining(), std::size_t(1) << 40);
    std::size_t used = 0;
    // The bytes that remain are only looked at here; take() below consumes them.
    const unsigned char* rest = io.peek();
    image_ = zcRLEBuffer::fromRunData(width, height, zcPair<long>(), std::span<const unsigned char>(rest, left), used);
    io.take(used);
  } else {
    std::vector<unsigned char> runs = image_.runData();
    io.raw(runs.data(), runs.size());
  }
}

void zc_UISketchOpSketch::fields_(zc_SketchIO& io) {
  io || offset_;
  std::int32_t n = static_cast<std::int32_t>(sketch_.size());
  io.count(n, 1);
  if (io.loading()) {
    const unsigned char* bytes = io.take(static_cast<std::size_t>(n));
    sketch_.erase();
    sketch_.append(bytes, n);
  } else {
    // Writing only reads the bytes.
    io.raw(const_cast<unsigned char*>(sketch_.data()), static_cast<std::size_t>(n));
  }
}

void zc_UISketchOpSketch::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) throw zcArchive::UnknownVersion("dispc/sketchop", __LINE__);
  zcPersistent::dispatchSerialize(archive);
  throw zcUIError::NotImplemented();
}

void zc_UISketchOpSet::fields_(zc_SketchIO& io) {
  formByte(io, pixelForm_);
  if (pixelForm_) {
    io || pixels_;
  } else {
    io.image<zcRect, zkRectImageSize>(rect_);
  }
}

void zc_UISketchOpSet::fieldsV0_(zc_SketchIO& io) {
  formByte(io, pixelForm_);
  if (pixelForm_) {
    io || pixels_;
  } else {
    rectFields(io, rect_);
  }
}

void zc_UISketchOpSetAll::fields_(zc_SketchIO&) {}

void zc_UISketchOpFill::fields_(zc_SketchIO& io) {
  formByte(io, pixelForm_);
  if (pixelForm_) {
    io || pel_;
  } else {
    io || point_;
  }
  io || boundary_ || fillType_;
}

void zc_UISketchOpDrawToRelPels::fields_(zc_SketchIO& io) { io || dx_ || dy_; }

void zc_UISketchOpOutline3d::fields_(zc_SketchIO& io) {
  zc_UISketchOpSet::fields_(io);
  io || light_ || dark_ || width_;
}

void zc_UISketchOpOutline3d::fieldsV0_(zc_SketchIO& io) {
  zc_UISketchOpSet::fieldsV0_(io);
  io || dark_ || width_;
}

void zc_UISketchOpArrow::fields_(zc_SketchIO& io) { io || tip_ || direction_ || size_; }

void zc_UISketchOpAffineRect::fields_(zc_SketchIO& io) {
  io.shape(rect_, [&] { io.image<zcAffineRectangle, zkAffineRectangleImageSize>(rect_); });
}

void zc_UISketchOpAffineRect::fieldsV0_(zc_SketchIO& io) {
  io.imageV0<zcAffineRectangle, zkAffineRectangleImageV0Size>(rect_);
}

void zc_UISketchOpPolygon::fields_(zc_SketchIO& io) {
  io.shape(polygon_, [&] {
    std::int32_t mode = polygon_.fillMode();
    io || mode;
    if (mode != zcPolygon::eAlternate && mode != zcPolygon::eWinding) throw zcUIError::InvalidUISketch();
    std::vector<zcPoint> points = polygon_.vertices();
    pointList(io, points, 0);
    if (io.loading()) polygon_ = zcPolygon(std::move(points), static_cast<zcPolygon::PolyFillMode>(mode));
  });
}

void zc_UISketchOpRect::fields_(zc_SketchIO& io) {
  io.shape(rect_, [&] { rectFields(io, rect_); });
}

void zc_UISketchOpRect::fieldsV0_(zc_SketchIO& io) {
  io.ignore(1);
  rectFields(io, rect_);
}

void zc_UISketchOpGenShape::bytes_(zc_SketchIO& io) {
  io || rect_;
  std::int32_t n = static_cast<std::int32_t>(shapeBytes_.size());
  io.count(n, 1);
  if (io.loading()) shapeBytes_.assign(static_cast<std::size_t>(n), 0);
  io.raw(shapeBytes_.data(), shapeBytes_.size());
}

void zc_UISketchOpGenShape::fields_(zc_SketchIO& io) {
  io || color_;
  bytes_(io);
}

void zc_UISketchOpGenShape::fieldsV0_(zc_SketchIO& io) { bytes_(io); }

bool zc_UISketchPolyData::Vertex::operator==(const Vertex& o) const {
  return point == o.point && radius == o.radius && span == o.span && tolerance[0] == o.tolerance[0] &&
         tolerance[1] == o.tolerance[1] && tolerance[2] == o.tolerance[2] && toleranceType == o.toleranceType;
}

bool zc_UISketchPolyData::operator==(const zc_UISketchPolyData& o) const {
  return xform == o.xform && editable == o.editable && vertices == o.vertices && roundedStarts == o.roundedStarts &&
         roundedEnds == o.roundedEnds && roundedSpans == o.roundedSpans && open == o.open;
}

void zc_UISketchOpGenPoly::fields_(zc_SketchIO& io) {
  zc_UISketchPolyData& d = poly_;
  std::int32_t editable = d.editable ? 1 : 0;
  io || d.xform || editable;
  std::int32_t n = static_cast<std::int32_t>(d.vertices.size());
  // A vertex takes 64 bytes and its rounding data 40; the open flag follows.
  io.count(n, 104);
  if (io.loading()) {
    if (!io.archiving() && static_cast<std::size_t>(n) * 104 + 4 > io.remaining()) throw zcUIError::InvalidUISketch();
    d.editable = editable == 1;
    d.vertices.assign(static_cast<std::size_t>(n), zc_UISketchPolyData::Vertex());
    d.roundedStarts.assign(static_cast<std::size_t>(n), zcPoint());
    d.roundedEnds.assign(static_cast<std::size_t>(n), zcPoint());
    d.roundedSpans.assign(static_cast<std::size_t>(n), 0.0);
  } else if (d.roundedStarts.size() != d.vertices.size() || d.roundedEnds.size() != d.vertices.size() ||
             d.roundedSpans.size() != d.vertices.size()) {
    // A writer never produces a payload its own reader would misread.
    throw zcUIError::BadParams();
  }
  for (zc_UISketchPolyData::Vertex& v : d.vertices)
    io || v.point || v.radius || v.span || v.tolerance[0] || v.tolerance[1] || v.tolerance[2] || v.toleranceType;
  for (zcPoint& p : d.roundedStarts) io || p;
  for (zcPoint& p : d.roundedEnds) io || p;
  for (double& s : d.roundedSpans) io || s;
  std::int32_t open = d.open ? 1 : 0;
  io || open;
  if (io.loading()) d.open = open == 1;
}

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

void zc_UISketchOpUnicodeString::fields_(zc_SketchIO& io) {
  io || position_ || background_ || format_;
  std::u16string units = zfToUtf16(text_);
  io.text(units);
  if (io.loading()) text_ = zfFromUtf16(units);
}

void zc_UISketchOpCross::fields_(zc_SketchIO& io) { io.image<zcCross, zkCrossImageSize>(cross_); }

void zc_UISketchOpEllipseAnnSectArrowheadFlag::fields_(zc_SketchIO& io) {
  zc_UISketchOpEllipseAnnSect::fields_(io);
  io || arrowHead_ || forward_;
}

void zc_UISketchOpEllipseAnnSectArrowheadFlag::fieldsV0_(zc_SketchIO& io) {
  zc_UISketchOpEllipseAnnSect::fieldsV0_(io);
  io || arrowHead_ || forward_;
}

void zc_UISketchOpBezierCurve::fields_(zc_SketchIO& io) {
  io.image<zcBezierCurve, zkBezierCurveImageSize>(curve_);
}

void zc_UISketchOpCubicSpline::fields_(zc_SketchIO& io) {
  io.shape(spline_, [&] {
    std::vector<zcBezierCurve> pieces = spline_.pieces();
    std::int32_t n = static_cast<std::int32_t>(pieces.size());
    io.count(n, zkBezierCurveImageSize);
    if (io.loading()) pieces.assign(static_cast<std::size_t>(n), zcBezierCurve());
    for (zcBezierCurve& piece : pieces) io.image<zcBezierCurve, zkBezierCurveImageSize>(piece);
    if (io.loading()) spline_ = zcCubicSpline(std::move(pieces));
  });
}

void zc_UISketchOpPolyline::fields_(zc_SketchIO& io) {
  io.shape(polyline_, [&] {
    std::vector<zcPoint> points = polyline_.vertices();
    bool closed = polyline_.isClosed();
    pointList(io, points, 1);
    io || closed;
    if (io.loading()) polyline_ = zcPolyline(std::move(points), closed);
  });
}

void zc_UISketchOpEllipse2::fields_(zc_SketchIO& io) {
  io.shape(ellipse_, [&] {
    zcVector<2> radii = ellipse_.radii();
    double angle = ellipse_.angle().value();
    zcPoint center = ellipse_.center();
    io || radii || angle || center;
    if (io.loading()) ellipse_ = zcEllipse2(radii, zcRadian(angle), center);
  });
}

void zc_UISketchOpEllipseArc2::fields_(zc_SketchIO& io) {
  io.shape(arc_, [&] {
    const zcEllipse2& e = arc_.ellipse();
    zcVector<2> radii = e.radii();
    double angle = e.angle().value();
    zcPoint center = e.center();
    bool rightHanded = e.isRightHanded();
    double phase = e.phase().value();
    double start = arc_.phiStart().value();
    double span = arc_.phiSpan().value();
    io || radii || angle || center || rightHanded || phase || start || span;
    if (io.loading())
      arc_ = zcEllipseArc2(zcEllipse2(radii, zcRadian(angle), center, rightHanded, zcRadian(phase)), zcRadian(start),
                           zcRadian(span));
  });
}
