// Checks the suites share: archive round trips, refused loads and versions, sampling.
#pragma once

#include "zfound/archive.h"
#include "zfound/rect.h"
#include "zfound/shape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <typeinfo>
#include <vector>

namespace zc_test {

using Bytes = std::vector<unsigned char>;

// Rotation by 30 degrees, scaling by (3, 0.5), then a translation: neither a
// similarity nor axis-aligned.
inline zcXform<2> skewXform() {
  return zcXform<2>::translation(zcVector<2>(7, -4)) * zcXform<2>::scaling(3.0, 0.5) *
         zcXform<2>::rotation(zcRadian(zkPi / 6));
}

// The typed map by `x` and back by its inverse gives the original.
template <class T>
void expectMapRoundTrip(const T& shape, const zcXform<2>& x = skewXform()) {
  EXPECT_TRUE(zfRealEq(shape.map(x).map(x.inverse()), shape, 1e-9)) << typeid(T).name();
}

// Also, mapShape by skewXform() gives the same kind with the same geometry as the typed map.
template <class T>
void expectMapsAsItsKind(const T& shape) {
  expectMapRoundTrip(shape);
  zcShapePtr image = shape.mapShape(skewXform());
  ASSERT_EQ(typeid(*image), typeid(T));
  EXPECT_TRUE(zfRealEq(static_cast<const T&>(*image), shape.map(skewXform()), 0.0)) << typeid(T).name();
  EXPECT_FALSE(*image == shape) << typeid(T).name();
}

// `bytes` read into `into` in place, to the last byte.
template <class T>
T loaded(const Bytes& bytes, T into = T()) {
  zcArchive in(bytes);
  in || into;
  EXPECT_EQ(in.remaining(), 0u);
  return into;
}

// A shape written as a polymorphic pointer, and read back.
inline Bytes archivedShape(const zcShape& shape) {
  zcArchive out;
  zcShape* p = const_cast<zcShape*>(&shape);
  out.serializePointer(p);
  return out.bytes();
}
inline zcShapePtr loadedShape(const Bytes& bytes) { return loaded<zcShapePtr>(bytes); }

// The pointer form reads back as an equal object of the same class, to the last byte;
// every `cutStep`-th shorter prefix (0: none) fails with an archive error.
inline void expectShapeRoundTrip(const zcShape& shape, std::size_t cutStep = 0) {
  SCOPED_TRACE(typeid(shape).name());
  const Bytes bytes = archivedShape(shape);
  const zcShapePtr back = loadedShape(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(typeid(*back), typeid(shape));
  EXPECT_TRUE(*back == shape);
  for (std::size_t n = 8; cutStep > 0 && n < bytes.size(); n += cutStep)
    EXPECT_THROW(loadedShape(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n))), zcArchive::Errors)
        << "cut at " << n;
}

constexpr long kNoLine = -2;  // the source line is not checked

// `load` raises UnknownVersion naming `where` and the source line `line` (any line > 0
// when -1, any line at all when kNoLine).
template <class F>
void expectUnknownVersion(F&& load, const std::string& where, long line = -1) {
  try {
    load();
    ADD_FAILURE() << "unknown version accepted; expected one in " << where;
  } catch (const zcArchive::UnknownVersion& e) {
    EXPECT_EQ(e.where(), where);
    if (line == -1) {
      EXPECT_GT(e.line(), 0);
    } else if (line != kNoLine) {
      EXPECT_EQ(e.line(), line);
    }
  }
}

// An object's own archive form.
template <class T>
Bytes ownBytes(T value) {
  zcArchive out;
  out || value;
  return out.bytes();
}

// A value written with operator<< (the storing form), with its archive header.
template <class T>
Bytes stored(const T& value) {
  zcArchive out;
  out << value;
  return out.bytes();
}

// The own form reads back as an equal object, to the last byte; returns the bytes.
template <class T>
Bytes expectOwnRoundTrip(const T& value) {
  const Bytes bytes = ownBytes(value);
  EXPECT_TRUE(loaded<T>(bytes) == value);
  return bytes;
}

// Loading `bytes` into `target` raises Ex and leaves the target as it was.
template <class Ex, class T>
void expectRefused(const Bytes& bytes, T target) {
  const T before = target;
  zcArchive in(bytes);
  EXPECT_THROW(in || target, Ex);
  EXPECT_TRUE(target == before);
}

// Replaces an occurrence (the first by default) of a double's bytes by another double.
inline void patchDouble(Bytes& bytes, double from, double to, int occurrence = 0) {
  unsigned char a[8], b[8];
  zfStoreF64(a, from);
  zfStoreF64(b, to);
  for (std::size_t i = 0; i + 8 <= bytes.size(); ++i) {
    if (std::memcmp(&bytes[i], a, 8) == 0 && occurrence-- == 0) {
      std::memcpy(&bytes[i], b, 8);
      return;
    }
  }
  ADD_FAILURE() << "value not found in the archive";
}

// A box by its corners, to within `tol`.
inline void expectBox(const zcRect& box, double xmin, double ymin, double xmax, double ymax, double tol = 1e-12) {
  EXPECT_NEAR(box.x(), xmin, tol);
  EXPECT_NEAR(box.y(), ymin, tol);
  EXPECT_NEAR(box.x() + box.width(), xmax, tol);
  EXPECT_NEAR(box.y() + box.height(), ymax, tol);
}

inline zcSampleResult sampled(const zcShape& s, const zcSampleParams& params) {
  zcSampleResult r;
  s.sample(params, r);
  return r;
}

// Point lists of the same length, point by point within `tol`.
inline void expectPoints(const std::vector<zcPoint>& actual, const std::vector<zcPoint>& expected, double tol = 1e-12) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_TRUE(zfRealEq(actual[i], expected[i], tol)) << "point " << i;
}

// Distance from p to the polyline through `points`.
inline double distToPolyline(const std::vector<zcPoint>& points, const zcPoint& p) {
  double best = points.front().distance(p);
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const zcVector<2> d = points[i + 1] - points[i];
    const double t = d.lengthSq() > 0.0 ? std::clamp((p - points[i]).dot(d) / d.lengthSq(), 0.0, 1.0) : 0.0;
    best = std::min(best, (points[i] + d * t).distance(p));
  }
  return best;
}

// The angle a vector turns through as `at(s)` runs over [0, 1] in n steps: the sum of
// the signed angles between consecutive vectors (a slow reference for turning and
// winding angles).
template <class F>
double sweptAngle(F&& at, int n) {
  double sum = 0.0;
  zcVector<2> prev = at(0.0);
  for (int k = 1; k <= n; ++k) {
    const zcVector<2> v = at(double(k) / n);
    sum += std::atan2(prev.cross(v), prev.dot(v));
    prev = v;
  }
  return sum;
}

// A value's image, written over bytes that are not zero.
template <std::size_t N, class T>
std::array<unsigned char, N> imageOf(const T& value) {
  std::array<unsigned char, N> image;
  image.fill(0xA5);
  value.writeImage(image);
  return image;
}

// A copy of `bytes` with the double at `at` (counted from the end when negative) replaced.
template <class B>
B withDouble(B bytes, long at, double value) {
  zfStoreF64(&bytes[at < 0 ? bytes.size() - static_cast<std::size_t>(-at) : static_cast<std::size_t>(at)], value);
  return bytes;
}

// A copy of `bytes` with the byte at `at` replaced.
template <class B>
B withByte(B bytes, std::size_t at, unsigned char value) {
  bytes[at] = value;
  return bytes;
}

// A curve against its definition `at`, s in [0, 1], sampled densely (n + 1 points): the
// bounding box reaches the extremes (refined by golden-section search) and holds the
// samples; from each probe, no sample is nearer than the nearest point, which lies on the
// curve; the winding angle from a probe off the curve is the sum of the small turns.
inline void expectMatchesDefinition(const zcShape& curve, const std::function<zcPoint(double)>& at,
                                    const std::vector<zcPoint>& probes, int n = 50000) {
  std::vector<zcPoint> dense;
  for (int k = 0; k <= n; ++k) dense.push_back(at(double(k) / n));
  const zcRect box = curve.boundingBox();
  const std::function<double(const zcPoint&)> side[4] = {[](const zcPoint& p) { return -p.x(); },
                                                         [](const zcPoint& p) { return -p.y(); },
                                                         [](const zcPoint& p) { return p.x(); },
                                                         [](const zcPoint& p) { return p.y(); }};
  double extreme[4];
  for (int k = 0; k < 4; ++k) {
    const auto best = std::max_element(dense.begin(), dense.end(),
                                       [&](const zcPoint& a, const zcPoint& b) { return side[k](a) < side[k](b); });
    const double at0 = double(best - dense.begin()) / n;
    double lo = std::max(0.0, at0 - 1.0 / n), hi = std::min(1.0, at0 + 1.0 / n);
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    for (int i = 0; i < 100; ++i) {
      const double c = hi - g * (hi - lo), d = lo + g * (hi - lo);
      if (side[k](at(c)) > side[k](at(d))) hi = d;
      else lo = c;
    }
    extreme[k] = std::max(side[k](*best), side[k](at(0.5 * (lo + hi))));
  }
  const double scale = 1 + box.width() + box.height();
  expectBox(box, -extreme[0], -extreme[1], extreme[2], extreme[3], 1e-12 * scale);
  for (const zcPoint& p : probes) {
    SCOPED_TRACE(testing::Message() << "probe zcPoint(" << p.x() << ", " << p.y() << ")");
    double brute = 1e300;
    for (const zcPoint& q : dense) brute = std::min(brute, q.distance(p));
    const zcPoint q = curve.nearestPoint(p);
    EXPECT_LE(q.distance(p), brute + 1e-12);
    EXPECT_GT(q.distance(p), brute - 1e-5 * scale);
    EXPECT_LT(curve.nearestPoint(q).distance(q), 1e-12 * scale);  // on the curve
    if (brute > 1e-3 * scale) {
      EXPECT_NEAR(curve.windingAngle(p).value(), sweptAngle([&](double s) { return at(s) - p; }, n), 1e-9);
    }
  }
}

// Sampled at each tolerance, a curve gives a polyline from at(0) to at(1) that the dense
// points of its definition lie within the tolerance of; its points lie on the curve and
// its chords within the tolerance of it (`off` measures the distance from the curve).
inline void expectSampledWithin(const zcShape& shape, const std::function<zcPoint(double)>& at,
                                const std::function<double(const zcPoint&)>& off,
                                std::initializer_list<double> tolerances) {
  for (double tol : tolerances) {
    SCOPED_TRACE(testing::Message() << "tolerance " << tol);
    const std::vector<zcPoint> points = sampled(shape, {.tolerance = tol}).points;
    ASSERT_GE(points.size(), 2u);
    EXPECT_EQ(points.front(), at(0));
    EXPECT_TRUE(zfRealEq(points.back(), at(1), 1e-12));
    for (int k = 0; k <= 10000; ++k) EXPECT_LE(distToPolyline(points, at(k / 10000.0)), tol * (1 + 1e-9));
    for (const zcPoint& p : points) EXPECT_LT(off(p), 1e-9);
    for (std::size_t i = 1; i < points.size(); ++i) {
      for (double s : {0.25, 0.5, 0.75})
        EXPECT_LE(off(points[i - 1] + (points[i] - points[i - 1]) * s), tol * (1 + 1e-9));
    }
  }
}

// Doubles of a value image at their byte offsets, and bytes [from, to) zero.
inline void expectDoublesAt(const unsigned char* image, std::initializer_list<std::pair<int, double>> fields) {
  for (const auto& [at, value] : fields) EXPECT_EQ(zfLoadF64(image + at), value) << "at " << at;
}
inline void expectZeroBytes(const unsigned char* image, int from, int to) {
  for (int i = from; i < to; ++i) EXPECT_EQ(image[i], 0) << "byte " << i;
}

}  // namespace zc_test
