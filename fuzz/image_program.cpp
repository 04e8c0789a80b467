#include "programs.h"

#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/genrect.h"
#include "zfound/geometry.h"
#include "zfound/lines.h"
#include "zfound/rect.h"

#include <functional>

namespace {

struct Reader {
  std::size_t size;
  void (*read)(const unsigned char*);
  std::function<std::vector<unsigned char>()> seed;
};

// One row per value image: its size, its reader and the image of a valid sample.
template <std::size_t N, class T>
Reader rowOf(const T& sample) {
  return Reader{N, [](const unsigned char* p) { (void)T::readImage(zcImageIn<N>(p, N)); }, [sample] {
                  std::vector<unsigned char> bytes(N);
                  sample.writeImage(zcImageOut<N>(bytes.data(), N));
                  return bytes;
                }};
}

const std::vector<Reader>& readers() {
  static const zcEllipse ellipse(zcPoint(1, 1), 3, 2, zcRadian(0.4));
  static const zcEllipse inner(zcPoint(0, 0), 2, 1, zcRadian(0.2)), outer(zcPoint(0, 0), 4, 2, zcRadian(0.2));
  static const std::vector<Reader> table = {
      rowOf<zkXformImageSize>(zcXform<2>(zcMatrix<2>(2, 1, -1, 3), zcVector<2>(4, 5))),
      rowOf<zkRectImageSize>(zcRect(1, 2, 3, 4)),
      rowOf<zkLineImageSize>(zcLine(zcPoint(1, 2), zcRadian(0.3))),
      rowOf<zkCrossImageSize>(zcCross(zcPoint(1, 2), zcRadian(0.5), 7)),
      rowOf<zkCoordAxesImageSize>(zcCoordAxes(zcPoint(0, 0), zcPoint(5, 0), zcPoint(0, 5))),
      rowOf<zkEllipseGeomImageSize>(ellipse.geom()),
      rowOf<zkEllipseArcImageSize>(zcEllipseArc(ellipse, zcRadian(0.1), zcRadian(2.0))),
      rowOf<zkEllipseAnnulusSectionImageSize>(
          zcEllipseAnnulusSection(zcEllipseAnnulus(inner, outer), zcRadian(0.1), zcRadian(1.5), true, false)),
      rowOf<zkGenRectImageSize>(zcGenRect(zcVector<2>(1, 2), zcVector<2>(3, 2), zcRadian(0.3), zcVector<2>(1, 0.5))),
      rowOf<zkGenAnnulusImageSize>(
          zcGenAnnulus(zcGenRect(zcVector<2>(0, 0), zcVector<2>(1, 1), zcRadian(0), zcVector<2>(0, 0)),
                       zcGenRect(zcVector<2>(0, 0), zcVector<2>(3, 2), zcRadian(0), zcVector<2>(0.5, 0.5)))),
      rowOf<zkAffineRectangleImageSize>(zcAffineRectangle(zcPoint(0, 0), zcPoint(3, 1), zcPoint(-1, 2))),
      rowOf<zkBezierCurveImageSize>(zcBezierCurve(zcPoint(0, 0), zcPoint(1, 2), zcPoint(3, 2), zcPoint(4, 0))),
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
