#include "screen_path.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
}  // namespace

void zf_ScreenAppendArc(zc_ScreenPath& path, const zcMatrix<2>& m, const zcPoint& c, double t0, double span,
                        bool move) {
  auto map = [&](double ux, double uy) {
    return zc_ScreenPoint{c.x() + m.element(0, 0) * ux + m.element(0, 1) * uy,
                          c.y() + m.element(1, 0) * ux + m.element(1, 1) * uy};
  };
  const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(span) / (kPi / 2) - 1e-9)));
  const double d = span / n;
  const double k = 4.0 / 3.0 * std::tan(d / 4);
  const zc_ScreenPoint start = map(std::cos(t0), std::sin(t0));
  if (move)
    path.moveTo(start.x, start.y);
  else
    path.lineTo(start.x, start.y);
  for (int i = 0; i < n; ++i) {
    const double a = t0 + d * i, b = a + d;
    const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    const zc_ScreenPoint p1 = map(ca - k * sa, sa + k * ca);
    const zc_ScreenPoint p2 = map(cb + k * sb, sb - k * cb);
    const zc_ScreenPoint p3 = map(cb, sb);
    path.curveTo(p1.x, p1.y, p2.x, p2.y, p3.x, p3.y);
  }
}

namespace {

// Flattens the path into polylines (closed ones flagged), curves within 0.25 pixel.
void flatten(const zc_ScreenPath& path, std::vector<std::vector<zc_ScreenPoint>>& lines, std::vector<bool>& closed) {
  const std::vector<zc_ScreenPoint>& pts = path.points();
  std::size_t at = 0;
  for (const zc_ScreenPath::Op op : path.ops()) {
    switch (op) {
      case zc_ScreenPath::eMove:
        lines.emplace_back(1, pts[at++]);
        closed.push_back(false);
        break;
      case zc_ScreenPath::eLine:
        if (lines.empty()) {
          lines.emplace_back();
          closed.push_back(false);
        }
        lines.back().push_back(pts[at++]);
        break;
      case zc_ScreenPath::eCurve: {
        if (lines.empty()) {
          lines.emplace_back(1, pts[at]);
          closed.push_back(false);
        }
        const zc_ScreenPoint p0 = lines.back().back(), p1 = pts[at], p2 = pts[at + 1], p3 = pts[at + 2];
        at += 3;
        const double dd = std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                   std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
        const int n = static_cast<int>(std::clamp(std::ceil(std::sqrt(dd / 0.25)), 1.0, 65536.0));
        for (int i = 1; i <= n; ++i) {
          const double t = double(i) / n, u = 1 - t;
          const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, e = t * t * t;
          lines.back().push_back(
              {a * p0.x + b * p1.x + c * p2.x + e * p3.x, a * p0.y + b * p1.y + c * p2.y + e * p3.y});
        }
        break;
      }
      case zc_ScreenPath::eClose:
        if (!closed.empty()) closed.back() = true;
        break;
    }
  }
}

// Sutherland–Hodgman against one box edge at a time, which keeps the winding number
// of every point inside the box.
std::vector<zc_ScreenPoint> clipPolygon(std::vector<zc_ScreenPoint> poly, const zc_ScreenBox& box) {
  for (int edge = 0; edge < 4 && !poly.empty(); ++edge) {
    auto inside = [&](const zc_ScreenPoint& p) {
      switch (edge) {
        case 0:
          return p.x >= box.x0;
        case 1:
          return p.x <= box.x1;
        case 2:
          return p.y >= box.y0;
        default:
          return p.y <= box.y1;
      }
    };
    auto cross = [&](const zc_ScreenPoint& a, const zc_ScreenPoint& b) {
      double t;
      switch (edge) {
        case 0:
          t = (box.x0 - a.x) / (b.x - a.x);
          break;
        case 1:
          t = (box.x1 - a.x) / (b.x - a.x);
          break;
        case 2:
          t = (box.y0 - a.y) / (b.y - a.y);
          break;
        default:
          t = (box.y1 - a.y) / (b.y - a.y);
          break;
      }
      return zc_ScreenPoint{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
    };
    std::vector<zc_ScreenPoint> out;
    for (std::size_t i = 0; i < poly.size(); ++i) {
      const zc_ScreenPoint& cur = poly[i];
      const zc_ScreenPoint& prev = poly[(i + poly.size() - 1) % poly.size()];
      if (inside(cur)) {
        if (!inside(prev)) out.push_back(cross(prev, cur));
        out.push_back(cur);
      } else if (inside(prev)) {
        out.push_back(cross(prev, cur));
      }
    }
    poly = std::move(out);
  }
  return poly;
}

}  // namespace

bool zf_ScreenClipSegment(zc_ScreenPoint& a, zc_ScreenPoint& b, const zc_ScreenBox& box) {
  double t0 = 0, t1 = 1;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - box.x0, box.x1 - a.x, a.y - box.y0, box.y1 - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, r);
    else
      t1 = std::min(t1, r);
    if (t0 > t1) return false;
  }
  const zc_ScreenPoint a0 = a;
  a = {a0.x + t0 * dx, a0.y + t0 * dy};
  b = {a0.x + t1 * dx, a0.y + t1 * dy};
  return true;
}

void zf_ScreenEmitGuarded(cairo_t* cr, const zc_ScreenPath& path, const zc_ScreenBox& guard, bool forFill) {
  std::vector<std::vector<zc_ScreenPoint>> lines;
  std::vector<bool> closed;
  flatten(path, lines, closed);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::vector<zc_ScreenPoint>& line = lines[i];
    if (forFill) {
      const std::vector<zc_ScreenPoint> poly = clipPolygon(line, guard);
      if (poly.size() < 3) continue;
      cairo_move_to(cr, poly[0].x, poly[0].y);
      for (std::size_t j = 1; j < poly.size(); ++j) cairo_line_to(cr, poly[j].x, poly[j].y);
      cairo_close_path(cr);
      continue;
    }
    const std::size_t segments = closed[i] ? line.size() : line.size() - 1;
    bool open = false;
    for (std::size_t j = 0; j < segments && line.size() > 1; ++j) {
      zc_ScreenPoint a = line[j], b = line[(j + 1) % line.size()];
      const zc_ScreenPoint end = b;
      if (!zf_ScreenClipSegment(a, b, guard)) {
        open = false;
        continue;
      }
      if (!open) cairo_move_to(cr, a.x, a.y);
      cairo_line_to(cr, b.x, b.y);
      // The subpath goes on only when the segment ended inside the box.
      open = b.x == end.x && b.y == end.y;
    }
  }
}

void zf_ScreenEmit(cairo_t* cr, const zc_ScreenPath& path) {
  const std::vector<zc_ScreenPoint>& pts = path.points();
  std::size_t at = 0;
  for (const zc_ScreenPath::Op op : path.ops()) {
    switch (op) {
      case zc_ScreenPath::eMove:
        cairo_move_to(cr, pts[at].x, pts[at].y);
        ++at;
        break;
      case zc_ScreenPath::eLine:
        cairo_line_to(cr, pts[at].x, pts[at].y);
        ++at;
        break;
      case zc_ScreenPath::eCurve:
        cairo_curve_to(cr, pts[at].x, pts[at].y, pts[at + 1].x, pts[at + 1].y, pts[at + 2].x, pts[at + 2].y);
        at += 3;
        break;
      case zc_ScreenPath::eClose:
        cairo_close_path(cr);
        break;
    }
  }
}
