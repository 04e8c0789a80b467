#include "programs.h"

#include "dispc/color.h"
#include "dispc/dispprop.h"
#include "dispc/glist.h"
#include "dispc/uierror.h"
#include "dispc/wrfm/wirefrm.h"

#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/genrect.h"
#include "zfound/geometry.h"
#include "zfound/lines.h"
#include "zfound/pelbuf.h"
#include "zfound/rect.h"
#include "zfound/rle.h"
#include "zfound/trees.h"

#include <set>
#include <vector>
#include <string>

namespace {

// Objects read through pointers at the top level; a back-reference may name one twice.
// Shared representations are held by handles, since a back-reference may also name
// a part that another object holds.
std::set<zcPersistent*> loaded;
std::vector<zcPtrHandle<zcRepBase>> loadedShared;

template <class T>
void value(zcArchive& a) {
  T v{};
  a || v;
}

void pointer(zcArchive& a) {
  zcPersistent* p = nullptr;
  if (a.isStoring()) {
    static zcUIError::InvalidUISketch failure;
    static zcGraphic::BadParams message(L"Item index out of range");
    static zcGraphicProps props(zcColor::orange, 2, zcGraphicProps::ePenStyleDefault, true);
    static zcPtrHandle<zcShape> shapes[] = {
        new zcRect(1, 2, 3, 4),
        new zcPolygon({zcPoint(0, 0), zcPoint(4, 0), zcPoint(0, 3)}),
        new zcEllipseArc(zcEllipse(zcPoint(1, 1), 3, 2, zcRadian(0.4)), zcRadian(0.1), zcRadian(2.0)),
        new zcGenRect(zcVector<2>(1, 2), zcVector<2>(3, 2), zcRadian(0.3), zcVector<2>(1, 0.5)),
        new zcShapeTree({new zcLineSeg(zcPoint(0, 0), zcPoint(1, 1)),
                         new zcBezierCurve(zcPoint(0, 0), zcPoint(1, 2), zcPoint(3, 2), zcPoint(4, 0))}),
        new zcGenPoly(zcGenPoly(zcGenRect(zcVector<2>(1, 2), zcVector<2>(3, 2), zcRadian(0.3), zcVector<2>(1, 0.5)))),
        new zc2Wireframe(zcGenPoly(zcRect(0, 0, 4, 3)), zcDimTol(-1, 0.5, 0.5, zcDimTol::eOffsets)),
    };
    static zcPersistent* const samples[] = {&failure,        &message,        &props,          nullptr,
                                            shapes[0].rep(), shapes[1].rep(), shapes[2].rep(), shapes[3].rep(),
                                            shapes[4].rep(), shapes[5].rep(), shapes[6].rep()};
    static unsigned next = 0;
    p = samples[next++ % std::size(samples)];
  }
  a.serializePointer(p);
  // A loaded polygon holds its poly unvalidated: its questions may be refused, never
  // answered by reading past its caches.
  if (const auto* polygon = dynamic_cast<const zcGenPoly*>(p)) {
    try {
      polygon->decompose();
      polygon->encloseRect();
    } catch (const zcException&) {
    }
  }
  if (a.isLoading() && p) {
    if (auto* shared = dynamic_cast<zcRepBase*>(p))
      loadedShared.emplace_back(shared);
    else
      loaded.insert(p);
  }
}

// A graphic list: a shared member, a null one and a nested group when storing; what is
// read is drawn, measured and mapped, so a malformed list shows in any of them.
void graphicList(zcArchive& a) {
  zcGraphicList list;
  if (a.isStoring()) {
    const zcGraphicProps props(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, true);
    const zcShapeTree tree({new zcCircle(zcPoint(1, 1), 2), new zcShapeTree({new zcRect(0, 0, 2, 1)})});
    const zcPtrHandle<zcGraphic> seg = zcGraphic::makeShapeGraphic(zcLineSeg(zcPoint(0, 0), zcPoint(3, 4)), props);
    list.items() = {seg, zcPtrHandle<zcGraphic>(), zcGraphic::makeShapeGraphic(tree, props), seg};
  }
  a || list;
  zcUITablet recorder;
  for (const zcPtrHandle<zcGraphic>& g : list.items()) {
    if (!g) continue;
    // A later back-reference may name what the list read: it lives as long as the program.
    if (a.isLoading()) loadedShared.emplace_back(g.rep());
    try {
      recorder.draw(*g, zcUITablet::eOverlay);
      g->encloseRect();
      g->distToPoint(zcPoint(1, 1));
      g->map(zcXform<2>::rotation(zcRadian(0.5)));
    } catch (const zcException&) {
    }
  }
}

using Step = void (*)(zcArchive&);
const Step kSteps[] = {
    value<bool>, value<unsigned char>, value<int>, value<long>, value<unsigned long>, value<double>,
    value<std::wstring>, value<zcVector<2>>, value<zcXform<2>>, value<zc2Rigid>, value<zcPair<long>>,
    value<zcColor>, value<zcPelBuffer<unsigned char>>, value<zcRLEBuffer>, value<zcRGB>,
    value<zcGraphicProps>, pointer, graphicList,
};

}  // namespace

void zfArchiveProgramStep(zcArchive& archive, unsigned char selector) {
  kSteps[selector % std::size(kSteps)](archive);
}

std::size_t zfArchiveProgramStepCount() { return std::size(kSteps); }

void zfArchiveProgramRelease() {
  for (zcPersistent* p : loaded) delete p;
  loaded.clear();
  loadedShared.clear();
}
