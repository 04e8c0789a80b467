// The demo's graphic list: every kind of shape graphic, filled and not, and a nested
// group, laid out on a grid as one zcGraphicList; archived to DIR/scene.glist, read back,
// drawn to DIR/scene-glist.png, and checked: the list read back must record the same
// sketch, byte for byte, as the list that was written.
#include "commands.h"

#include "dispc/glist.h"
#include "dispc/wrfm/wirefrm.h"

#include "zscreen/screen.h"

#include "zfound/archive.h"
#include "zfound/trees.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Handle = zcPtrHandle<zcGraphic>;

zcGraphicProps pen(const zcColor& color, long width, bool fill) {
  return zcGraphicProps(color, width, zcGraphicProps::ePenStyleDefault, fill);
}

// The shapes, each drawn inside the box (0, 0)-(70, 50) and placed on the grid later.
std::vector<zcShapePtr> factoryShapes() {
  const zcPoint a(5, 5), b(65, 15), c(35, 45), d(60, 45);
  const zcEllipse ellipse(zcPoint(35, 25), 28, 14, zcRadian(0.4));
  const zcGenRect inner(zcVector<2>(35, 25), zcVector<2>(12, 6), zcRadian(0.3), zcVector<2>(3, 2));
  const zcGenRect outer(zcVector<2>(35, 25), zcVector<2>(28, 18), zcRadian(0.3), zcVector<2>(6, 4));
  const zcGenPoly rounded(zcRect(8, 8, 54, 34));
  return {new zc2Point(zcPoint(35, 25)),
          new zcLineSeg(a, d),
          new zcLine(zcVector<2>(1, 0.3), zcPoint(35, 25)),
          new zcFLine(a, c),
          new zcRect(8, 8, 54, 34),
          new zcCircle(zcPoint(35, 25), 20),
          new zcAnnulus(zcPoint(35, 25), 10, 22),
          new zcEllipseArc2(zcEllipse2(ellipse), zcRadian(0.3), zcRadian(4)),
          new zcEllipse2(ellipse),
          new zcGenRect(outer),
          new zcGenAnnulus(inner, outer),
          new zcPolyline({a, b, c, d}),
          new zcGenPoly(rounded),
          new zc2Wireframe(zcGenPoly(zcCircle(zcPoint(35, 25), 18))),
          new zcAffineRectangle(a, b, c),
          new zcBezierCurve(a, b, c, d),
          new zcDeBoorSpline({a, b, c, d, zcPoint(10, 40)}),
          new zcInterpSpline({a, b, c, d}),
          new zcHermiteSpline({a, c, d}, {zcVector<2>(30, 0), zcVector<2>(0, 30), zcVector<2>(30, 0)}),
          new zcEllipseAnnulus(ellipse, 0.5),
          new zcLineSegSet({zcLineSeg(a, b), zcLineSeg(c, d)}),
          new zcEllipseAnnulusSection(zcEllipseAnnulus(ellipse, 0.5), zcRadian(0.5), zcRadian(4)),
          new zcShapeTree({new zcCircle(zcPoint(20, 25), 10), new zcShapeTree({new zcRect(40, 15, 20, 20)})})};
}

// The kinds only their constructors build.
std::vector<Handle> constructorGraphics(const zcColor& color, bool fill) {
  const zcPoint a(5, 5), b(65, 15), c(35, 45);
  const zcEllipse ellipse(zcPoint(35, 25), 28, 14, zcRadian(-0.4));
  const zcGraphicProps props = pen(color, 2, fill);
  return {new zcGraphicSimple<zcPoint>(zcPoint(35, 25), props),
          new zcGraphicSimple<zcPointSet>(zcPointSet({zcPoint(35, 25), b, c}), pen(color, 1, false)),
          new zcGraphicSimple<zcPolygon>(zcPolygon({a, b, c}, zcPolygon::eWinding), props),
          new zcGraphicWithFill<zcEllipse, zcEllipse>(ellipse, props),
          new zcGraphicSimple<zcEllipseArc>(zcEllipseArc(ellipse, zcRadian(1), zcRadian(3.5)), props),
          new zcGraphicSimple<zcCoordAxes>(zcCoordAxes(zcPoint(10, 40), zcPoint(60, 40), zcPoint(10, 8)), props),
          new zcGraphicText(L"Label", zcPoint(10, 25), color, zcColor::black, zcUIFormat(), zcVector<2>(0, 0)),
          new zcGraphicCross(zcCross(zcPoint(35, 25), zcRadian(0.4), 12), props),
          new zcGraphicPointIcon(zcPoint(35, 25), props)};
}

zcGraphicList buildScene() {
  std::vector<Handle> made;
  const zcColor colors[] = {zcColor::cyan, zcColor::yellow, zcColor::green, zcColor::magenta};
  for (const bool fill : {false, true}) {
    const zcGraphicProps props = pen(colors[fill ? 1 : 0], fill ? 1 : 2, fill);
    for (const zcShapePtr& shape : factoryShapes()) made.push_back(zcGraphic::makeShapeGraphic(shape, props));
    for (const Handle& g : constructorGraphics(colors[fill ? 3 : 2], fill)) made.push_back(g);
  }
  // A group holding a group, its properties pushed down to both.
  zcGraphicGroup inner, outer;
  inner.items({made[1], made[5]});
  outer.items({Handle(new zcGraphicGroup(inner)), made[11], Handle()});
  outer.props(pen(zcColor::orange, 2, false));
  made.push_back(Handle(new zcGraphicGroup(outer)));

  // Cells of 80 × 60 pixels, eight to a row.
  zcGraphicList scene;
  for (std::size_t i = 0; i < made.size(); ++i) {
    const zcVector<2> cell(5.0 + 80.0 * static_cast<double>(i % 8), 5.0 + 60.0 * static_cast<double>(i / 8));
    scene.append(made[i]->map(zcXform<2>::translation(cell)), false);
  }
  return scene;
}

}  // namespace

bool zfGraphicListDemo(const std::string& dir) {
  zcGraphicList scene = buildScene();
  const std::string listPath = (std::filesystem::path(dir) / "scene.glist").string();
  const std::string pngPath = (std::filesystem::path(dir) / "scene-glist.png").string();
  {
    zcArchive out;
    out || scene;
    zfWriteArchiveFile(listPath, out);
  }
  zcGraphicList back;
  zcArchive in(zfReadArchiveFile(listPath));
  in || back;

  zcScreen screen(640, 550);  // nine rows of cells
  zcUITablet tablet(&screen.image(), &screen.overlay());
  zfMapTablet(tablet, zcTabletMap());
  back.draw(tablet, zcUITablet::eOverlay);
  screen.save(pngPath);

  const bool same = back.sketch(zcUITablet::eOverlay) == scene.sketch(zcUITablet::eOverlay);
  std::printf("\ngraphic list %s: %zu graphics, %zu bytes; drawn to %s\n", listPath.c_str(), back.items().size(),
              in.bytes().size(), pngPath.c_str());
  std::printf("graphic list read back records the same sketch: %s\n", same ? "identical" : "DIFFERENT");
  return same;
}
