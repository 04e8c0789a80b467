// The README's tour as a program: colors, pen properties, a transform, an archive
// round trip, a mapped shape, a recording tablet whose sketch is walked operation by
// operation, a graphic list, and an exception.
#include "dispc/color.h"
#include "dispc/dispprop.h"
#include "dispc/glist.h"
#include "dispc/sketchop.h"
#include "dispc/uitablet.h"

#include "zfound/archive.h"
#include "zfound/conics.h"
#include "zfound/geometry.h"
#include "zfound/rect.h"

#include <iostream>

int main() {
  zcColor red = zcColor::red;
  bool same = red == zcColor(255, 0, 0);
  zgr_color code = zfColor(zcColor::orange);
  std::cout << "red equals RGB (255, 0, 0): " << same << ", orange's code: " << code << '\n';

  zcGraphicProps pen(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, true);

  zcXform<2> x(zcMatrix<2>(2, 0, 0, 1), zcVector<2>(10, 0));
  zcPoint p = x.mapPoint(zcPoint(1, 1));
  std::cout << "mapped point: (" << p.x() << ", " << p.y() << ")\n";

  zcArchive out;
  out || red || pen;
  zcArchive in(out.bytes());
  zcColor r;
  zcGraphicProps q;
  in || r || q;
  std::cout << "read back: " << (r == red && q == pen ? "identical" : "different") << '\n';

  zcPtrHandle<zcShape> circle(new zcCircle(zcPoint(0, 0), 2.0));
  zcPtrHandle<zcShape> ellipse = circle->mapShape(zcXform<2>(zcMatrix<2>(1, 1, 0, 1), zcVector<2>()));
  zcRect box = ellipse->boundingBox();
  std::cout << "sheared circle: " << (dynamic_cast<const zcEllipse2*>(ellipse.rep()) ? "zcEllipse2" : "?")
            << ", box " << box.width() << " x " << box.height() << '\n';

  zcUITablet recorder;
  recorder.draw(zcCircle(zcPoint(50, 50), 20), pen, zcUITablet::eOverlay);
  recorder.draw(zcLineSeg(zcPoint(0, 0), zcPoint(100, 0)), zcColor::green, zcUITablet::eImage);
  zc_UISketchOpHeader header;
  for (long at = 0; at < recorder.sketch().size();) {
    zc_UISketchOpData* record = nullptr;
    const long length = zfParseUISketch(recorder.sketch(), at, header, &record);
    zcPtrHandle<zc_UISketchOpData> owned(record);
    std::cout << "operation " << zfUISketchOpName(header.opcode()) << ", " << length << " bytes\n";
    at += length;
  }
  zcArchive archive;
  archive || recorder.sketch();

  zcPtrHandle<zcGraphic> disk = zcGraphic::makeShapeGraphic(zcCircle(zcPoint(5, 5), 3), pen);
  zcGraphicList list;
  list.append(disk, false);
  list.append(disk->map(zcXform<2>(zcMatrix<2>(2, 0, 0, 1), zcVector<2>())), false);
  zcUISketch drawn = list.sketch(zcUITablet::eOverlay);
  zcArchive lists;
  lists || list;
  zcArchive listsIn(lists.bytes());
  zcGraphicList back;
  listsIn || back;
  std::cout << "graphic list: " << back.items().size() << " graphics, sketch of " << drawn.size()
            << " bytes, read back " << (back.sketch(zcUITablet::eOverlay) == drawn ? "identical" : "different")
            << '\n';

  try {
    zcColor(5).rgb();
  } catch (const zcException& e) {
    std::cout << e.what() << '\n';
  }
  return 0;
}
