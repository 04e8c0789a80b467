// The C++ side of the package's scene test: a screen tablet that records makes one of
// every drawing call that test_scene.py makes through the package, then writes the
// sketch's bytes and the composite's RGB pels (row by row) to the two files named.
//
//   scene_reference SKETCH_FILE PIXEL_FILE
#include "dispc/uitablet.h"
#include "dispc/wrfm/genpoly.h"

#include "zscreen/screen.h"

#include <cstdio>
#include <vector>

namespace {

using L = zcUITablet;
zcPoint P(double x, double y) { return zcPoint(x, y); }

void drawScene(zcUITablet& t) {
  const zcGraphicProps pen(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, false);
  const zcGraphicProps filled(zcColor(0, 128, 255), 1, zcGraphicProps::ePenStyleDefault, true);
  t.draw(P(5, 5), pen, L::eOverlay);
  t.draw(P(7, 5), zcColor::yellow, L::eOverlay);
  t.draw(zc2Point(P(9, 5)), pen, L::eImage);
  t.draw(zcPointSet({P(20, 20), P(30, 20), P(25, 28)}), pen, L::eOverlay);
  t.draw(zcLineSeg(P(10, 40), P(60, 45)), pen, L::eOverlay);
  t.draw(zcLineSeg(P(10, 45), P(60, 50)), zcColor::green, L::eImage);
  t.drawLineSeg(zcPair<double>(10, 50), zcPair<double>(60, 55), zcColor::blue, L::eOverlay);
  t.draw(zcLineSegSet({zcLineSeg(P(70, 40), P(90, 60)), zcLineSeg(P(90, 40), P(70, 60))}), pen, L::eOverlay);
  t.draw(zcLine(zcVector<2>(1, 1), P(100, 100)), pen, L::eOverlay);
  t.drawLine(zcPair<double>(50, 10), zcRadian(0.3), zcColor::cyan, L::eOverlay);
  t.draw(zcPolygon({P(70, 10), P(90, 10), P(80, 30)}), filled, L::eOverlay);
  t.drawPolygon({P(100, 40), P(120, 40), P(110, 60)}, zcPolygon::eWinding, zcColor::magenta, L::eImage);
  t.draw(zcPolyline({P(100, 10), P(120, 30), P(140, 10)}, false), pen, L::eOverlay);
  t.draw(zcBezierCurve(P(10, 100), P(30, 80), P(50, 120), P(70, 100)), pen, L::eOverlay);
  t.draw(zcCircle(P(150, 60), 15), pen, L::eOverlay);
  t.draw(zcCircle(P(190, 60), 10), zcColor::orange, true, L::eImage);
  t.drawCircle(zcPair<double>(220, 60), 8, zcColor::white, L::eOverlay, false);
  t.draw(zcEllipse(P(150, 100), 20, 10, zcRadian(0.5)), filled, L::eOverlay);
  t.drawEllipse(zcPair<double>(200, 100), zcPair<double>(15, 8), zcRadian(0.2), zcColor::purple, L::eOverlay, true);
  t.draw(zcEllipseArc(zcEllipse(P(250, 100), 20, 10, zcRadian(0)), zcRadian(0), zcRadian(2)), pen, L::eOverlay);
  t.drawEllipseArc(zcPair<double>(250, 140), zcPair<double>(20, 10), zcRadian(0), zcRadian(0.5), zcRadian(3),
                   zcColor::green, L::eOverlay);
  const zcEllipse2 e2(zcVector<2>(12, 6), zcRadian(0.3), P(40, 150));
  t.draw(e2, pen, L::eOverlay);
  t.draw(zcEllipseArc2(e2, zcRadian(0.2), zcRadian(2.5)), pen, L::eOverlay);
  const zcEllipseAnnulusSection section(zcEllipseAnnulus(zcEllipse(P(100, 160), 30, 20, zcRadian(0)), 0.5),
                                        zcRadian(0.3), zcRadian(2.0));
  t.draw(section, pen, L::eOverlay);
  t.draw(section, zcColor::dkRed, true, false, L::eImage);
  t.draw(zcAnnulus(P(160, 170), 8, 14), pen, L::eOverlay);
  t.draw(zcGenAnnulus(zcGenRect(zcVector<2>(220, 170), zcVector<2>(10, 6), zcRadian(0.2), zcVector<2>(0, 0)),
                      zcGenRect(zcVector<2>(220, 170), zcVector<2>(16, 10), zcRadian(0.2), zcVector<2>(0, 0))),
         pen, L::eOverlay);
  t.draw(zcGenRect(zcVector<2>(260, 60), zcVector<2>(12, 6), zcRadian(0.4), zcVector<2>(0.3, 0.3)), pen, L::eOverlay);
  t.drawGenRect(zcPair<double>(270, 170), zcPair<double>(10, 5), zcRadian(0.1), zcPair<double>(0, 0), zcColor::ltGrey,
                L::eOverlay, true);
  t.draw(zcRect(10, 200, 40, 20), pen, L::eOverlay);
  t.drawRect(zcPair<double>(60, 200), zcPair<double>(30, 15), zcColor::dkGreen, L::eImage, true);
  t.draw(zcAffineRectangle(zcVector<2>(100, 200), zcVector<2>(130, 205), zcVector<2>(95, 225)), pen, L::eOverlay);
  t.draw(zcCross(P(150, 210), zcRadian(0.4), 9), pen, L::eOverlay);
  t.drawCross(zcPair<double>(170, 210), zcRadian(0), zcColor::red, L::eOverlay);
  t.draw(zcCoordAxes(P(190, 230), P(220, 230), P(190, 200)), pen, L::eOverlay);
  t.arrowHead(P(250, 210), zcVector<2>(1, 0), 8, pen, L::eOverlay);
  t.draw(L"label", P(230, 20), zcColor::white, zcColor::dkGrey, zcUIFormat(), L::eOverlay);
  t.drawStart(P(10, 250), L::eOverlay);
  t.drawTo(P(60, 260), pen, L::eOverlay);
  t.drawToRelPels(10, -5, zcColor::yellow, L::eOverlay);
  t.moveToRelPels(5, 5, L::eOverlay);
  t.drawPointIcon(P(280, 240), pen, L::eOverlay);
  t.drawPixel(zcPair<double>(2, 2), zcColor::white, L::eImage);
  t.outline(zcUIRect(200, 240, 30, 15), zcColor::blue, 2, L::eOverlay);
  t.set(zcUIRect(240, 240, 10, 10), zcColor::grey, L::eImage);
  t.draw(zcGenPoly(zcCircle(P(60, 170), 12)), pen, L::eOverlay);
  zcPelBuffer<unsigned char> image(8, 6);
  for (long y = 0; y < 6; ++y)
    for (long x = 0; x < 8; ++x) image.set(x, y, static_cast<unsigned char>(30 * x + 10 * y));
  t.draw(zcPelBuffer_const<unsigned char>(image), P(280, 5), false, 0, true, L::eImage);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: scene_reference SKETCH_FILE PIXEL_FILE\n");
    return 2;
  }
  zcScreen screen(300, 270);
  zcUITablet t(&screen.image(), &screen.overlay());
  t.visible(true);
  t.recordOn() = true;
  drawScene(t);
  const zcPelBuffer<zcPackedRGB32> c = screen.composite();
  std::vector<unsigned char> pels;
  for (long y = 0; y < c.height(); ++y)
    for (long x = 0; x < c.width(); ++x)
      for (int shift : {16, 8, 0}) pels.push_back(static_cast<unsigned char>(c.get(x, y).value() >> shift));
  std::FILE* s = std::fopen(argv[1], "wb");
  std::FILE* p = std::fopen(argv[2], "wb");
  if (!s || !p) return 1;
  const bool ok = std::fwrite(t.sketch().data(), 1, t.sketch().size(), s) == std::size_t(t.sketch().size()) &&
                  std::fwrite(pels.data(), 1, pels.size(), p) == pels.size();
  return std::fclose(s) == 0 && std::fclose(p) == 0 && ok ? 0 : 1;
}
