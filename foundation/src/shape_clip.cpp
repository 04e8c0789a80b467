// The default clipping of a shape to a window: whole shapes pass or go by their
// bounding boxes; a shape that crosses the window border is sampled and clipped as
// points, a region's boundary as a polygon (Sutherland-Hodgman) and a curve as
// polyline pieces (Liang-Barsky).
#include "zfound/lines.h"
#include "zfound/rect.h"
#include "zfound/shape.h"
#include "zfound/trees.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Sampling accuracy relative to the shape's size, and a bound on the work.
constexpr double kRelativeTolerance = 1e-4;
constexpr long kMaxClipPoints = 1000000;

struct Window {
  double x0, y0, x1, y1;
};

// The part of segment a-b inside the window as parameters [t0, t1]; false when none.
bool clipSegment(const Window& w, const zcPoint& a, const zcPoint& b, double& t0, double& t1) {
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - w.x0, w.x1 - a.x(), a.y() - w.y0, w.y1 - a.y()};
  t0 = 0.0;
  t1 = 1.0;
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  return true;
}

zcPoint along(const zcPoint& a, const zcPoint& b, double t) { return a + (b - a) * t; }

// Polyline pieces of the points inside the window.
std::vector<std::vector<zcPoint>> clipPolyline(const Window& w, const std::vector<zcPoint>& pts) {
  std::vector<std::vector<zcPoint>> pieces;
  std::vector<zcPoint> current;
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    double t0, t1;
    if (!clipSegment(w, pts[i], pts[i + 1], t0, t1)) {
      if (current.size() > 1) pieces.push_back(current);
      current.clear();
      continue;
    }
    const zcPoint a = along(pts[i], pts[i + 1], t0);
    if (current.empty() || t0 > 0.0) {
      if (current.size() > 1) pieces.push_back(current);
      current.assign(1, a);
    }
    current.push_back(along(pts[i], pts[i + 1], t1));
    if (t1 < 1.0) {
      pieces.push_back(current);
      current.clear();
    }
  }
  if (current.size() > 1) pieces.push_back(current);
  return pieces;
}

// One half-plane pass of Sutherland-Hodgman; `inside` and `cut` describe the edge.
template <class Inside, class Cut>
std::vector<zcPoint> clipEdge(const std::vector<zcPoint>& in, Inside inside, Cut cut) {
  std::vector<zcPoint> out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const zcPoint& a = in[i];
    const zcPoint& b = in[(i + 1) % in.size()];
    const bool ia = inside(a), ib = inside(b);
    if (ia) out.push_back(a);
    if (ia != ib) out.push_back(cut(a, b));
  }
  return out;
}

std::vector<zcPoint> clipPolygon(const Window& w, std::vector<zcPoint> pts) {
  auto atX = [](double x) {
    return [x](const zcPoint& a, const zcPoint& b) { return along(a, b, (x - a.x()) / (b.x() - a.x())); };
  };
  auto atY = [](double y) {
    return [y](const zcPoint& a, const zcPoint& b) { return along(a, b, (y - a.y()) / (b.y() - a.y())); };
  };
  pts = clipEdge(pts, [&](const zcPoint& p) { return p.x() >= w.x0; }, atX(w.x0));
  pts = clipEdge(pts, [&](const zcPoint& p) { return p.x() <= w.x1; }, atX(w.x1));
  pts = clipEdge(pts, [&](const zcPoint& p) { return p.y() >= w.y0; }, atY(w.y0));
  pts = clipEdge(pts, [&](const zcPoint& p) { return p.y() <= w.y1; }, atY(w.y1));
  return pts;
}

}  // namespace

zcShapePtr zcShape::clip_(const zcRect& window, zcClipInfo& info) const {
  info = zcClipInfo();
  info.result = zcClipInfo::eOutside;
  const zcRect box = boundingBox();
  if (window.isEmpty() || box.isEmpty() || !window.intersects(box)) return zcShapePtr();
  if (window.contains(box)) {
    info.result = zcClipInfo::eInside;
    info.pieces = 1;
    return clone();
  }

  zcSampleParams params;
  params.tolerance = kRelativeTolerance * std::max({box.width(), box.height(), window.width(), window.height()});
  params.maxPoints = kMaxClipPoints;
  zcSampleResult sampled;
  sample(params, sampled);

  const Window w{window.x(), window.y(), window.x() + window.width(), window.y() + window.height()};
  std::vector<zcShapePtr> pieces;
  if (isRegion()) {
    std::vector<zcPoint> ring = sampled.points;
    if (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
    std::vector<zcPoint> clipped = clipPolygon(w, ring);
    if (clipped.size() >= 3) pieces.push_back(zcShapePtr(new zcPolygon(clipped)));
  } else {
    for (auto& piece : clipPolyline(w, sampled.points)) pieces.push_back(zcShapePtr(new zcPolyline(piece, false)));
  }
  if (pieces.empty()) return zcShapePtr();
  info.result = zcClipInfo::eClipped;
  info.pieces = static_cast<long>(pieces.size());
  if (pieces.size() == 1) return pieces.front();
  return zcShapePtr(new zcShapeTree(std::move(pieces)));
}
