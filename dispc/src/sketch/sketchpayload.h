// The payload of each operation kind the tablet records, described once:
// Payload<Record>::fields reads, writes and archives it (zc_SketchIO, handed the
// record's own values by the record's fields_), measures it (zc_SketchSizer) and
// records it (zc_SketchWriter), both handed the values of the drawing call, with no
// record built. Each field goes through `io ||` or one of the io's forms; `io.load`
// rebuilds a value only when reading, and a writer reads a value where it is
// (zc_SketchLocal).
//
//   zc_SketchSizer size(true);                                           // exact
//   zc_sketch::Payload<zc_UISketchOpPolyline>::fields(size, polyline);   // size.size()
//   zc_SketchWriter out(room, true);                                     // that many bytes
//   zc_sketch::Payload<zc_UISketchOpPolyline>::fields(out, polyline);
#pragma once

#include "sketchio.h"

#include "dispc/sketchop.h"

#include <utility>

namespace zc_sketch {

template <class IO, class T>
using Field = zc_SketchField<IO, T>;
template <class IO, class T>
using Local = zc_SketchLocal<IO, T>;

// The form byte of Set, SetComp, Outline3d and Fill: 1 for pixels, 0 for client
// coordinates.
template <class IO>
void formByte(IO& io, Field<IO, bool> pixelForm) {
  Local<IO, unsigned char> form = pixelForm ? 1 : 0;
  io || form;
  if (form > 1) throw zcUIError::InvalidUISketch();
  io.load(pixelForm, [&] { return form == 1; });
}

// A client rectangle as corner and size (four f64).
template <class IO>
void rectFields(IO& io, Field<IO, zcRect> rect) {
  Local<IO, zcPoint> corner = rect.corner();
  Local<IO, zcVector<2>> size = rect.size();
  io || corner || size;
  io.load(rect, [&] { return zcRect(corner, size); });
}

// A list of points after its count (16 bytes each, and `trailing` bytes follow).
// Inline, so that recording a polyline stays one stretch of stores.
template <class IO>
[[gnu::always_inline]] inline void pointList(IO& io, Field<IO, std::vector<zcPoint>> points, std::size_t trailing) {
  if constexpr (IO::kWriting) {
    io.countedPoints(points);
  } else {
    std::int32_t n = static_cast<std::int32_t>(points.size());
    io.count(n, 16);
    io.fits(static_cast<std::size_t>(n) * 16 + trailing);
    io.load(points, [&] { return std::vector<zcPoint>(static_cast<std::size_t>(n)); });
    io.points(points);
  }
}

// A value stored as its value image of N bytes, as a shape or not.
template <class T, std::size_t N, bool Shape = true>
struct ImagePayload {
  template <class IO>
  static void fields(IO& io, Field<IO, T> v) {
    if constexpr (Shape) {
      io.shape(v, [&] { io.template image<T, N>(v); });
    } else {
      io.template image<T, N>(v);
    }
  }
};

template <class R>
struct Payload;

// The point (16 bytes).
template <>
struct Payload<zc_UISketchOpPoint> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcPoint> point) {
    io || point;
  }
};
template <>
struct Payload<zc_UISketchOpPointIcon> : Payload<zc_UISketchOpPoint> {};
template <>
struct Payload<zc_UISketchOpDrawStart> : Payload<zc_UISketchOpPoint> {};
template <>
struct Payload<zc_UISketchOpDrawTo> : Payload<zc_UISketchOpPoint> {};

// End point 1, end point 2 (finite, as every coordinate a reader takes).
template <>
struct Payload<zc_UISketchOpLineSeg> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcPoint> p1, Field<IO, zcPoint> p2) {
    io || p1 || p2;
  }
};

template <>
struct Payload<zc_UISketchOpLine> : ImagePayload<zcLine, zkLineImageSize> {};
template <>
struct Payload<zc_UISketchOpEllipseArc> : ImagePayload<zcEllipseArc, zkEllipseArcImageSize> {};
template <>
struct Payload<zc_UISketchOpEllipseAnnSect>
    : ImagePayload<zcEllipseAnnulusSection, zkEllipseAnnulusSectionImageSize> {};
template <>
struct Payload<zc_UISketchOpGenRect> : ImagePayload<zcGenRect, zkGenRectImageSize> {};
template <>
struct Payload<zc_UISketchOpGenAnn> : ImagePayload<zcGenAnnulus, zkGenAnnulusImageSize> {};
template <>
struct Payload<zc_UISketchOpCoordAxes> : ImagePayload<zcCoordAxes, zkCoordAxesImageSize> {};
template <>
struct Payload<zc_UISketchOpAffineRect> : ImagePayload<zcAffineRectangle, zkAffineRectangleImageSize> {};
template <>
struct Payload<zc_UISketchOpCross> : ImagePayload<zcCross, zkCrossImageSize, false> {};
template <>
struct Payload<zc_UISketchOpBezierCurve> : ImagePayload<zcBezierCurve, zkBezierCurveImageSize, false> {};

// Center, radius.
template <>
struct Payload<zc_UISketchOpCircle> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcCircle> circle) {
    io.shape(circle, [&] {
      Local<IO, zcPoint> center = circle.center();
      Local<IO, double> radius = circle.radius();
      io || center || radius;
      io.load(circle, [&] { return zcCircle(center, radius); });
    });
  }
};

// The geometry's image.
template <>
struct Payload<zc_UISketchOpEllipse> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcEllipse> ellipse) {
    io.shape(ellipse, [&] {
      Local<IO, zcEllipse::zcEllipseGeom> geom = ellipse.geom();
      io.template image<zcEllipse::zcEllipseGeom, zkEllipseGeomImageSize>(geom);
      io.load(ellipse, [&] { return zcEllipse(geom); });
    });
  }
};

// The section, then the arrow head flags.
template <>
struct Payload<zc_UISketchOpEllipseAnnSectArrowheadFlag> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcEllipseAnnulusSection> section, Field<IO, bool> arrowHead,
                     Field<IO, bool> forward) {
    Payload<zc_UISketchOpEllipseAnnSect>::fields(io, section);
    io || arrowHead || forward;
  }
};

// Position, background, format, the text with its terminating 0.
template <>
struct Payload<zc_UISketchOpUnicodeString> {
  template <class IO>
  static void fields(IO& io, Field<IO, std::wstring> text, Field<IO, zcPoint> position, Field<IO, zcColor> background,
                     Field<IO, zcUIFormat> format) {
    io || position || background || format;
    io.text(text);
  }
};

// Position, flag, value, the buffer's transform, offset and size, the second flag,
// the window's rows.
template <>
struct Payload<zc_UISketchOpPelBuf8> {
  template <class IO, class Pels>
  static void fields(IO& io, Pels& pels, Field<IO, zcPoint> position, Field<IO, bool> flag,
                     Field<IO, unsigned char> value, Field<IO, bool> flag2) {
    io || position || flag || value;
    Local<IO, zcXform<2>> xform = pels.imageFromClientXform();
    Local<IO, zcPair<long>> offset = pels.offset();
    Local<IO, std::int32_t> width = static_cast<std::int32_t>(pels.width());
    Local<IO, std::int32_t> height = static_cast<std::int32_t>(pels.height());
    io || xform || offset || width || height || flag2;
    if constexpr (!IO::kWriting) {
      if (io.loading()) {
        if (width < 0 || height < 0) throw zcUIError::InvalidUISketch();
        // The rows take width × height bytes (none at all when the width is 0).
        if (width > 0) {
          if (io.archiving()) {
            io.archive().checkCount(static_cast<unsigned long>(height), static_cast<std::size_t>(width));
          } else {
            io.fits(static_cast<std::size_t>(height) * static_cast<std::size_t>(width));
          }
        }
        zcPelBuffer<unsigned char> read(width, height);
        read.offset(offset);
        read.imageFromClientXform(xform);
        pels = read;
      }
    }
    if (width <= 0) return;
    for (long y = offset.y(); y < offset.y() + height; ++y) io.raw(pels.rowPointer(y), static_cast<std::size_t>(width));
  }
};

// Position, flag, pass value, second flag, the color map (count and bytes), width
// and height, each row's run data.
template <>
struct Payload<zc_UISketchOpRleBuf> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcRLEBuffer> image, Field<IO, zcPoint> position,
                     Field<IO, std::vector<unsigned char>> colorMap, Field<IO, bool> flag,
                     Field<IO, unsigned char> passValue, Field<IO, bool> flag2) {
    io || position || flag || passValue || flag2;
    Local<IO, std::int32_t> n = static_cast<std::int32_t>(colorMap.size());
    io.count(n, 1);
    io.load(colorMap, [&] { return std::vector<unsigned char>(static_cast<std::size_t>(n)); });
    io.raw(colorMap.data(), colorMap.size());
    if (io.archiving()) {
      if constexpr (!IO::kWriting) io.archive() || image;
      return;
    }
    Local<IO, std::int32_t> width = static_cast<std::int32_t>(image.width());
    Local<IO, std::int32_t> height = static_cast<std::int32_t>(image.height());
    io || width || height;
    if constexpr (!IO::kWriting) {
      if (io.loading()) {
        // Each row takes at least its terminating pair.
        if (width < 0 || height < 0 || static_cast<std::size_t>(height) > io.remaining() / 2)
          throw zcUIError::InvalidUISketch();
        const std::size_t left = std::min(io.remaining(), std::size_t(1) << 40);
        std::size_t used = 0;
        // The bytes that remain are only looked at here; take() below consumes them.
        const unsigned char* rest = io.peek();
        image = zcRLEBuffer::fromRunData(width, height, zcPair<long>(), std::span<const unsigned char>(rest, left),
                                         used);
        io.take(used);
        return;
      }
    }
    const std::vector<unsigned char>& runs = image.runData();
    io.raw(const_cast<unsigned char*>(runs.data()), runs.size());
  }
};

// Offset, byte count, the nested sketch's bytes.
template <>
struct Payload<zc_UISketchOpSketch> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcUISketch> sketch, Field<IO, zcPoint> offset) {
    io || offset;
    Local<IO, std::int32_t> n = static_cast<std::int32_t>(sketch.size());
    io.count(n, 1);
    if constexpr (!IO::kWriting) {
      if (io.loading()) {
        const unsigned char* bytes = io.take(static_cast<std::size_t>(n));
        sketch.erase();
        sketch.append(bytes, n);
        return;
      }
    }
    // Writing only reads the bytes.
    io.raw(const_cast<unsigned char*>(sketch.data()), static_cast<std::size_t>(n));
  }
};

// Form; a pixel rectangle, or a client rectangle's image.
template <>
struct Payload<zc_UISketchOpSet> {
  template <class IO>
  static void fields(IO& io, Field<IO, bool> pixelForm, Field<IO, zcUIRect> pixels, Field<IO, zcRect> rect) {
    formByte(io, pixelForm);
    if (pixelForm) {
      io || pixels;
    } else {
      io.template image<zcRect, zkRectImageSize>(rect);
    }
  }
};
template <>
struct Payload<zc_UISketchOpSetComp> : Payload<zc_UISketchOpSet> {};

// No payload.
template <>
struct Payload<zc_UISketchOpSetAll> {
  template <class IO>
  static void fields(IO&) {}
};

// Form; a pixel pair or a point; the boundary color, the fill type.
template <>
struct Payload<zc_UISketchOpFill> {
  template <class IO>
  static void fields(IO& io, Field<IO, bool> pixelForm, Field<IO, zcPair<long>> pel, Field<IO, zcPoint> point,
                     Field<IO, zcColor> boundary, Field<IO, std::int32_t> fillType) {
    formByte(io, pixelForm);
    if (pixelForm) {
      io || pel;
    } else {
      io || point;
    }
    io || boundary || fillType;
  }
};

// dx, dy.
template <>
struct Payload<zc_UISketchOpDrawToRelPels> {
  template <class IO>
  static void fields(IO& io, Field<IO, std::int32_t> dx, Field<IO, std::int32_t> dy) {
    io || dx || dy;
  }
};
template <>
struct Payload<zc_UISketchOpMoveToRelPels> : Payload<zc_UISketchOpDrawToRelPels> {};

// As Set, then the light color, the dark color and the width.
template <>
struct Payload<zc_UISketchOpOutline3d> {
  template <class IO>
  static void fields(IO& io, Field<IO, bool> pixelForm, Field<IO, zcUIRect> pixels, Field<IO, zcRect> rect,
                     Field<IO, zcColor> light, Field<IO, zcColor> dark, Field<IO, std::int32_t> width) {
    Payload<zc_UISketchOpSet>::fields(io, pixelForm, pixels, rect);
    io || light || dark || width;
  }
};

// Tip, direction, size.
template <>
struct Payload<zc_UISketchOpArrow> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcPoint> tip, Field<IO, zcVector<2>> direction, Field<IO, float> size) {
    io || tip || direction || size;
  }
};

// Fill mode, the vertices.
template <>
struct Payload<zc_UISketchOpPolygon> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcPolygon> polygon) {
    io.shape(polygon, [&] {
      Local<IO, std::int32_t> mode = polygon.fillMode();
      io || mode;
      if (mode != zcPolygon::eAlternate && mode != zcPolygon::eWinding) throw zcUIError::InvalidUISketch();
      Local<IO, std::vector<zcPoint>> points = polygon.vertices();
      pointList(io, points, 0);
      io.load(polygon, [&] { return zcPolygon(std::move(points), static_cast<zcPolygon::PolyFillMode>(mode)); });
    });
  }
};

// Corner, size.
template <>
struct Payload<zc_UISketchOpRect> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcRect> rect) {
    io.shape(rect, [&] { rectFields(io, rect); });
  }
};
template <>
struct Payload<zc_UISketchOpClipRect> : Payload<zc_UISketchOpRect> {};

// Color, then the pixel rectangle and the shape's bytes (GenShapeBytes, which
// version 0 holds alone).
template <>
struct Payload<zc_UISketchOpGenShape> {
  template <class IO>
  static void bytes(IO& io, Field<IO, zcUIRect> rect, Field<IO, std::vector<unsigned char>> shapeBytes) {
    io || rect;
    Local<IO, std::int32_t> n = static_cast<std::int32_t>(shapeBytes.size());
    io.count(n, 1);
    io.load(shapeBytes, [&] { return std::vector<unsigned char>(static_cast<std::size_t>(n)); });
    io.raw(shapeBytes.data(), shapeBytes.size());
  }
  template <class IO>
  static void fields(IO& io, Field<IO, zcColor> color, Field<IO, zcUIRect> rect,
                     Field<IO, std::vector<unsigned char>> shapeBytes) {
    io || color;
    bytes(io, rect, shapeBytes);
  }
};

// The pieces, each as a Bezier curve.
template <>
struct Payload<zc_UISketchOpCubicSpline> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcCubicSpline> spline) {
    io.shape(spline, [&] {
      Local<IO, std::vector<zcBezierCurve>> pieces = spline.pieces();
      Local<IO, std::int32_t> n = static_cast<std::int32_t>(pieces.size());
      io.count(n, zkBezierCurveImageSize);
      io.load(pieces, [&] { return std::vector<zcBezierCurve>(static_cast<std::size_t>(n)); });
      for (auto& piece : pieces) io.template image<zcBezierCurve, zkBezierCurveImageSize>(piece);
      io.load(spline, [&] { return zcCubicSpline(std::move(pieces)); });
    });
  }
};

// The vertices, then closed.
template <>
struct Payload<zc_UISketchOpPolyline> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcPolyline> polyline) {
    io.shape(polyline, [&] {
      Local<IO, std::vector<zcPoint>> points = polyline.vertices();
      Local<IO, bool> closed = polyline.isClosed();
      pointList(io, points, 1);
      io || closed;
      io.load(polyline, [&] { return zcPolyline(std::move(points), closed); });
    });
  }
};

// Radii, angle, center.
template <>
struct Payload<zc_UISketchOpEllipse2> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcEllipse2> ellipse) {
    io.shape(ellipse, [&] {
      Local<IO, zcVector<2>> radii = ellipse.radii();
      Local<IO, double> angle = ellipse.angle().value();
      Local<IO, zcPoint> center = ellipse.center();
      io || radii || angle || center;
      io.load(ellipse, [&] { return zcEllipse2(radii, zcRadian(angle), center); });
    });
  }
};

// Radii, angle, center, right-handed, phase, start angle, span.
template <>
struct Payload<zc_UISketchOpEllipseArc2> {
  template <class IO>
  static void fields(IO& io, Field<IO, zcEllipseArc2> arc) {
    io.shape(arc, [&] {
      const zcEllipse2& e = arc.ellipse();
      Local<IO, zcVector<2>> radii = e.radii();
      Local<IO, double> angle = e.angle().value();
      Local<IO, zcPoint> center = e.center();
      Local<IO, bool> rightHanded = e.isRightHanded();
      Local<IO, double> phase = e.phase().value();
      Local<IO, double> start = arc.phiStart().value();
      Local<IO, double> span = arc.phiSpan().value();
      io || radii || angle || center || rightHanded || phase || start || span;
      io.load(arc, [&] {
        return zcEllipseArc2(zcEllipse2(radii, zcRadian(angle), center, rightHanded, zcRadian(phase)),
                             zcRadian(start), zcRadian(span));
      });
    });
  }
};

// The polygon of GenPoly and Wireframe: transform, editable (i32, exactly 1 reads as
// true), vertex count n (i32), n vertices of 64 bytes (point, radius, span in degrees,
// three tolerance values, tolerance type as 64 bits), the n rounded start points, end
// points and spans, open (i32, exactly 1 reads as true): 68 + 104n bytes. The type
// field is kept whole, so payloads read and write back byte for byte; replaying one
// refuses a type other than 0 to 2 (the tolerance types there are).
template <>
struct Payload<zc_UISketchOpGenPoly> {
  template <class IO>
  static void fields(IO& io, Field<IO, zc_UISketchPolyData> d) {
    Local<IO, std::int32_t> editable = d.editable ? 1 : 0;
    io || d.xform || editable;
    Local<IO, std::int32_t> n = static_cast<std::int32_t>(d.vertices.size());
    // A vertex takes 64 bytes and its rounding data 40; the open flag follows.
    io.count(n, 104);
    if constexpr (!IO::kWriting) {
      if (io.loading()) {
        if (!io.archiving()) io.fits(static_cast<std::size_t>(n) * 104 + 4);
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
    }
    for (auto& v : d.vertices)
      io || v.point || v.radius || v.span || v.tolerance[0] || v.tolerance[1] || v.tolerance[2] || v.toleranceType;
    io.points(d.roundedStarts);
    io.points(d.roundedEnds);
    for (auto& span : d.roundedSpans) io || span;
    Local<IO, std::int32_t> open = d.open ? 1 : 0;
    io || open;
    io.load(d.open, [&] { return open == 1; });
  }
};
template <>
struct Payload<zc_UISketchOpWireframe> : Payload<zc_UISketchOpGenPoly> {};

}  // namespace zc_sketch
