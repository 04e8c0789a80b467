#include "image_program.h"

#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/genrect.h"
#include "zfound/geometry.h"
#include "zfound/lines.h"
#include "zfound/rect.h"

namespace {

struct Reader {
  std::size_t size;
  void (*read)(const unsigned char*);
  std::vector<unsigned char> (*seed)();
};

template <class T>
T makeSample();
template <>
zcXform<2> makeSample() { return zcXform<2>(zcMatrix<2>(2, 1, -1, 3), zcVector<2>(4, 5)); }
template <>
zcRect makeSample() { return zcRect(1, 2, 3, 4); }
template <>
zcLine makeSample() { return zcLine(zcPoint(1, 2), zcRadian(0.3)); }
template <>
zcCross makeSample() { return zcCross(zcPoint(1, 2), zcRadian(0.5), 7); }
template <>
zcCoordAxes makeSample() { return zcCoordAxes(zcPoint(0, 0), zcPoint(5, 0), zcPoint(0, 5)); }
template <>
zcEllipse::zcEllipseGeom makeSample() { return zcEllipse(zcPoint(1, 1), 3, 2, zcRadian(0.4)).geom(); }
template <>
zcEllipseArc makeSample() {
  return zcEllipseArc(zcEllipse(zcPoint(1, 1), 3, 2, zcRadian(0.4)), zcRadian(0.1), zcRadian(2.0));
}
template <>
zcEllipseAnnulusSection makeSample() {
  const zcEllipse inner(zcPoint(0, 0), 2, 1, zcRadian(0.2));
  const zcEllipse outer(zcPoint(0, 0), 4, 2, zcRadian(0.2));
  return zcEllipseAnnulusSection(zcEllipseAnnulus(inner, outer), zcRadian(0.1), zcRadian(1.5), true, false);
}
template <>
zcGenRect makeSample() { return zcGenRect(zcVector<2>(1, 2), zcVector<2>(3, 2), zcRadian(0.3), zcVector<2>(1, 0.5)); }
template <>
zcGenAnnulus makeSample() {
  return zcGenAnnulus(zcGenRect(zcVector<2>(0, 0), zcVector<2>(1, 1), zcRadian(0), zcVector<2>(0, 0)),
                      zcGenRect(zcVector<2>(0, 0), zcVector<2>(3, 2), zcRadian(0), zcVector<2>(0.5, 0.5)));
}
template <>
zcAffineRectangle makeSample() { return zcAffineRectangle(zcPoint(0, 0), zcPoint(3, 1), zcPoint(-1, 2)); }
template <>
zcBezierCurve makeSample() {
  return zcBezierCurve(zcPoint(0, 0), zcPoint(1, 2), zcPoint(3, 2), zcPoint(4, 0));
}

// One row per value image: its size, its reader and a valid sample.
template <class T, std::size_t N>
Reader rowOf() {
  return Reader{N, [](const unsigned char* p) { (void)T::readImage(zcImageIn<N>(p, N)); },
                [] {
                  std::vector<unsigned char> bytes(N);
                  makeSample<T>().writeImage(zcImageOut<N>(bytes.data(), N));
                  return bytes;
                }};
}

const std::vector<Reader>& readers() {
  static const std::vector<Reader> table = {
      rowOf<zcXform<2>, zkXformImageSize>(),
      rowOf<zcRect, zkRectImageSize>(),
      rowOf<zcLine, zkLineImageSize>(),
      rowOf<zcCross, zkCrossImageSize>(),
      rowOf<zcCoordAxes, zkCoordAxesImageSize>(),
      rowOf<zcEllipse::zcEllipseGeom, zkEllipseGeomImageSize>(),
      rowOf<zcEllipseArc, zkEllipseArcImageSize>(),
      rowOf<zcEllipseAnnulusSection, zkEllipseAnnulusSectionImageSize>(),
      rowOf<zcGenRect, zkGenRectImageSize>(),
      rowOf<zcGenAnnulus, zkGenAnnulusImageSize>(),
      rowOf<zcAffineRectangle, zkAffineRectangleImageSize>(),
      rowOf<zcBezierCurve, zkBezierCurveImageSize>(),
  };
  return table;
}

}  // namespace

void zfReadValueImage(const unsigned char* data, std::size_t size) {
  if (size < 1) return;
  const Reader& r = readers()[data[0] % readers().size()];
  if (size - 1 < r.size) return;
  r.read(data + 1);
}

std::vector<std::vector<unsigned char>> zfValueImageSeeds() {
  std::vector<std::vector<unsigned char>> seeds;
  for (std::size_t i = 0; i < readers().size(); ++i) {
    std::vector<unsigned char> bytes = readers()[i].seed();
    bytes.insert(bytes.begin(), static_cast<unsigned char>(i));
    seeds.push_back(bytes);
  }
  return seeds;
}
