// Graphics, groups and lists. Every instance of the shape graphics is one row of a table
// that is built by the factory, drawn (against the tablet call it stands for, directly
// and through its recording), mapped (against the shape mapped directly) and archived
// (round trip, rewriting, refused versions at each level).
#include "support/archive_bytes.h"
#include "support/sketch_stream.h"
#include "support/tablet_screen.h"

#include "dispc/glist.h"
#include "dispc/uierror.h"

#include "zfound/archive.h"
#include "zfound/trees.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace zc_test;
using Layers = zcUITablet::Layers;
using Handle = zcPtrHandle<zcGraphic>;
using Call = std::function<void(zcUITablet&, const zcGraphicProps&, Layers)>;
constexpr Layers eImage = zcUITablet::eImage;

std::string nameOf(const zcGraphic& g) { return zc_Instantiator::nameOf(g); }

// The three maps of the mapping test: a similarity, a shear, an axis scaling.
const zcXform<2> kMaps[] = {zcXform<2>::rotation(zcRadian(zcDegree(30))) * zcXform<2>::translation(zcVector<2>(3, 1)),
                            zcXform<2>(zcMatrix<2>(1, 0.4, 0, 1), zcVector<2>(2, -1)), zcXform<2>::scaling(2, 0.5)};

// One instance: the graphic, the tablet call it stands for, what its recording replays
// as when that differs, the factory's graphic of its shape, and the class its map gives
// under each of kMaps (empty: its own class).
struct Row {
  Handle graphic;
  Call direct, replayed;
  std::function<Handle(const zcGraphicProps&)> made;
  std::function<double(const zcXform<2>&, const zcPoint&)> mappedDistance;
  std::string mapsTo[3];
};

template <class G, class S>
Row row(const S& shape, const zcGraphicProps& props, std::string a = "", std::string b = "", std::string c = "") {
  Row r{Handle(new G(shape, props)), nullptr, nullptr, nullptr, nullptr, {a, b, c}};
  r.direct = [shape](zcUITablet& t, const zcGraphicProps& p, Layers l) { t.draw(shape, p, l); };
  // A point set paints its points with the pen color alone but records them with the
  // whole pen, so its replay paints them as points of that pen.
  if constexpr (std::is_same_v<S, zcPointSet>)
    r.replayed = [shape](zcUITablet& t, const zcGraphicProps& p, Layers l) {
      const std::vector<zcPoint>& q = shape.points();
      t.draw(zcCircle(q[0], q[0].distance(q[1])), p, l);
      t.draw(zcLineSeg(q[0], q[1]), p, l);
      for (const zcPoint& x : q) t.draw(x, p, l);
    };
  if constexpr (std::is_same_v<S, zcPoint>) {
    r.mappedDistance = [shape](const zcXform<2>& x, const zcPoint& p) { return x.mapPoint(shape).distance(p); };
  } else {
    r.made = [shape](const zcGraphicProps& p) { return zcGraphic::makeShapeGraphic(shape, p); };
    if constexpr (std::is_base_of_v<zcGenPoly, S>)  // answers in its own frame: compare with its map
      r.mappedDistance = [shape](const zcXform<2>& x, const zcPoint& p) { return shape.map(x).distToPoint(p); };
    else
      r.mappedDistance = [shape](const zcXform<2>& x, const zcPoint& p) { return shape.mapShape(x)->distToPoint(p); };
  }
  return r;
}

std::vector<Row> rows(const zcGraphicProps& p) {
  const std::vector<zcPoint> pts = {zcPoint(2, 3), zcPoint(20, 8), zcPoint(12, 25), zcPoint(30, 30)};
  const zcEllipse ellipse(zcPoint(30, 20), 12, 6, zcRadian(0.3));
  // Axis-aligned: a turned ellipse's recorded form rounds in the last bit on replay.
  const zcEllipse2 ellipse2(zcXform<2>(zcMatrix<2>(12, 0, 0, 6), zcVector<2>(30, 20)));
  const zcGenAnnulus genAnnulus(zcGenRect(zcRect(8, 8, 4, 4)), zcGenRect(zcRect(4, 4, 12, 12)));
  const zcCircle circle(zcPoint(10, 12), 5);
  const std::string genRect = "zcGraphicWithFill<zcGenRect,zcGenRect>",
                    ell2 = "zcGraphicWithFill<zcEllipse2,zcEllipse2>", ell = "zcGraphicWithFill<zcEllipse,zcEllipse>",
                    genAnn = "zcGraphicWithFill<zcGenAnnulus,zcGenAnnulus>";
  return {
      row<zcGraphicSimple<zcPoint>>(zcPoint(4, 5), p),
      row<zcGraphicSimple<zc2Point>>(zc2Point(zcPoint(4, 5)), p),
      row<zcGraphicSimple<zcLineSeg>>(zcLineSeg(zcPoint(1, 2), zcPoint(30, 20)), p),
      row<zcGraphicSimple<zcLine>>(zcLine(zcVector<2>(1, 1), zcPoint(5, 0)), p),
      row<zcGraphicSimple<zcFLine>>(zcFLine(zcPoint(1, 2), zcPoint(30, 20)), p),
      row<zcGraphicSimple<zcLineSegSet>>(zcLineSegSet({zcLineSeg(pts[0], pts[1]), zcLineSeg(pts[2], pts[3])}), p),
      row<zcGraphicSimple<zcPointSet>>(zcPointSet(pts), p),
      row<zcGraphicSimple<zcPolyline>>(zcPolyline(pts), p),
      row<zcGraphicSimple<zcPolygon>>(zcPolygon(pts, zcPolygon::eWinding), p),
      row<zcGraphicSimple<zcEllipseArc>>(zcEllipseArc(ellipse, zcRadian(0.5), zcRadian(2)), p),
      row<zcGraphicSimple<zcEllipseArc2>>(zcEllipseArc2(ellipse2, zcRadian(0.5), zcRadian(2)), p),
      row<zcGraphicSimple<zcGenAnnulus>>(genAnnulus, p),
      row<zcGraphicSimple<zcAffineRectangle>>(zcAffineRectangle(pts[0], pts[1], pts[2]), p),
      row<zcGraphicSimple<zcCoordAxes>>(zcCoordAxes(pts[0], pts[1], pts[2]), p),
      row<zcGraphicSimple<zcGenPoly>>(zcGenPoly(zcRect(5, 5, 20, 10)), p),
      row<zcGraphicSimple<zc2Wireframe>>(zc2Wireframe(zcGenPoly(zcCircle(zcPoint(10, 10), 5))), p),
      row<zcGraphicSimple<zcBezierCurve>>(zcBezierCurve(pts[0], pts[1], pts[2], pts[3]), p),
      row<zcGraphicSimple<zcDeBoorSpline>>(zcDeBoorSpline(pts), p),
      row<zcGraphicSimple<zcInterpSpline>>(zcInterpSpline(pts), p),
      row<zcGraphicSimple<zcHermiteSpline>>(zcHermiteSpline(pts, std::vector<zcVector<2>>(4, zcVector<2>(1, 0))), p),
      row<zcGraphicWithFill<zcRect, zcGenRect>>(zcRect(5, 6, 20, 10), p, genRect, genRect),
      row<zcGraphicWithFill<zcGenRect, zcGenRect>>(
          zcGenRect(zcVector<2>(20, 30), zcVector<2>(8, 5), zcRadian(0.2), zcVector<2>(2, 1)), p),
      row<zcGraphicWithFill<zcCircle, zcEllipse2>>(circle, p, "", ell2, ell2),
      row<zcGraphicWithFill<zcCircle, zcEllipse>>(circle, p, ell, ell, ell),
      row<zcGraphicWithFill<zcEllipse, zcEllipse>>(ellipse, p),
      row<zcGraphicWithFill<zcEllipse2, zcEllipse2>>(ellipse2, p),
      row<zcGraphicWithFill<zcAnnulus, zcGenAnnulus>>(zcAnnulus(zcPoint(10, 10), 3, 6), p, "", genAnn, genAnn),
      row<zcGraphicWithFill<zcGenAnnulus, zcGenAnnulus>>(genAnnulus, p),
      row<zcGraphicWithFill<zcEllipseAnnulus, zcEllipseAnnulus>>(zcEllipseAnnulus(ellipse, 0.5), p),
  };
}

Bytes archived(const Handle& g) { return archivedPointer(g.rep()); }
Handle loaded(const Bytes& bytes) { return Handle(loadedPointer<zcGraphic>(bytes)); }

Bytes listBytes(zcGraphicList& list) {
  zcArchive out;
  out || list;
  return out.bytes();
}

// The version byte at `at` replaced by 2 must raise UnknownVersion naming `where`.
void expectRefused(Bytes bytes, std::size_t at, const std::string& where, bool list = false) {
  bytes[at] = 2;
  try {
    zcGraphicList into;
    zcArchive in(bytes);
    list ? (void)(in || into) : (void)loaded(bytes);
    ADD_FAILURE() << "accepted version 2 at " << at;
  } catch (const zcArchive::UnknownVersion& e) {
    EXPECT_EQ(e.where(), where);
    EXPECT_EQ(e.line() != 0, where == "dispc/glist");
  }
}

// What a scope painted; a replay's pops answer differently, as it runs in a lock of its own.
std::vector<std::string> painting(const zcLoggingScope& scope) {
  std::vector<std::string> calls = scope.calls();
  for (std::string& c : calls)
    if (c.rfind("lockScreenUpdatesPop", 0) == 0) c = "lockScreenUpdatesPop";
  return calls;
}

auto stateOf(const zcUITablet& t) {
  return std::make_tuple(t.drawOn(), t.recordOn(), t.drawOnOverlay(), t.scaledMap());
}

TEST(ShapeGraphics, EveryInstanceDrawsAsItsTabletCallDirectlyAndThroughItsRecording) {
  const std::vector<Row> table = rows(pen(zcColor::red, 2));
  ASSERT_EQ(table.size(), 29u);
  for (const Row& r : table) {
    for (const bool fill : {false, true}) {
      SCOPED_TRACE(nameOf(*r.graphic) + (fill ? " filled" : ""));
      r.graphic->props().fill(fill);
      zcUITablet viaGraphic, direct;
      viaGraphic.draw(*r.graphic, eImage);
      r.direct(direct, r.graphic->props(), eImage);
      EXPECT_FALSE(direct.sketch().isNull());
      EXPECT_EQ(bytesOf(viaGraphic.sketch()), bytesOf(direct.sketch()));

      Screen painted, replayed;
      for (Screen* s : {&painted, &replayed}) {
        s->tablet.scaleExact(zcPair<double>(2, 2));
        s->clear();
      }
      const auto before = stateOf(painted.tablet);
      painted.tablet.draw(*r.graphic, eImage);
      replayed.tablet.draw(viaGraphic.sketch(), zcPoint(0, 0), eImage);
      EXPECT_EQ(stateOf(painted.tablet), before);
      EXPECT_EQ(stateOf(replayed.tablet), before);
      if (r.replayed) {
        painted.clear();
        r.replayed(painted.tablet, r.graphic->props(), eImage);
      }
      const std::vector<std::string> calls = painting(replayed.image);
      ASSERT_GE(calls.size(), 5u);
      EXPECT_EQ(std::vector<std::string>(calls.begin() + 2, calls.end() - 2), painting(painted.image));
    }
  }
}

TEST(ShapeGraphics, FactoryMapsClonesAndArchivesFollowTheTableAndTreesBecomeGroups) {
  const zcGraphicProps props = pen(zcColor::green, 3, true);
  // Rows whose shape the factory gives another instance, or none ("").
  const std::map<std::string, std::string> other = {
      {"zcGraphicWithFill<zcCircle,zcEllipse>", "zcGraphicWithFill<zcCircle,zcEllipse2>"},
      {"zcGraphicWithFill<zcGenAnnulus,zcGenAnnulus>", "zcGraphicSimple<zcGenAnnulus>"},
      {"zcGraphicSimple<zc2Wireframe>", "zcGraphicSimple<zcGenPoly>"}};
  const std::set<std::string> none = {"zcGraphicSimple<zcPointSet>", "zcGraphicSimple<zcPolygon>",
                                      "zcGraphicWithFill<zcEllipse,zcEllipse>", "zcGraphicSimple<zcEllipseArc>",
                                      "zcGraphicSimple<zcCoordAxes>"};
  const zcPoint probes[] = {zcPoint(0, 0), zcPoint(17, -4), zcPoint(40, 33)};
  for (const Row& r : rows(props)) {
    const std::string name = nameOf(*r.graphic);
    SCOPED_TRACE(name);
    if (r.made) {
      const std::string expected = none.count(name) ? "" : other.count(name) ? other.at(name) : name;
      try {
        const Handle g = r.made(props);
        EXPECT_EQ(nameOf(*g), expected);
        EXPECT_EQ(g->props(), props);
      } catch (const zcGraphic::NoGraphicForShape& e) {
        EXPECT_EQ(expected, "");
        EXPECT_TRUE(e.messageString().empty());
      }
    }
    for (int m = 0; m < 3; ++m) {
      SCOPED_TRACE("map " + std::to_string(m));
      const Handle image = r.graphic->map(kMaps[m]);
      EXPECT_EQ(nameOf(*image), r.mapsTo[m].empty() ? name : r.mapsTo[m]);
      EXPECT_EQ(image->props(), props);
      for (const zcPoint& p : probes) EXPECT_NEAR(image->distToPoint(p), r.mappedDistance(kMaps[m], p), 1e-9);
    }
    const Bytes bytes = archived(r.graphic);
    EXPECT_EQ(archived(r.graphic->clone()), bytes);
    const Handle back = loaded(bytes);
    EXPECT_EQ(nameOf(*back), name);
    EXPECT_EQ(archived(back), bytes);
    // Header, pointer tag, name length and name; then the levels' version bytes.
    const std::size_t at = 8 + 2 + name.size();
    for (std::size_t level = 0; level < 2; ++level) expectRefused(bytes, at + level, name);
    expectRefused(bytes, at + 2, "dispc/glist");
  }
  EXPECT_FALSE(zcGraphic::makeShapeGraphic(zcShapePtr_const(), props));
  const zcShapeTree tree({new zcLineSeg(zcPoint(0, 0), zcPoint(1, 1)), new zcCircle(zcPoint(2, 2), 1),
                          new zcContourTree({new zcLineSeg(zcPoint(0, 0), zcPoint(1, 0))}, false)});
  const Handle g = zcGraphic::makeShapeGraphic(tree, props);
  const auto& group = dynamic_cast<const zcGraphicGroup&>(*g);
  ASSERT_EQ(group.numItems(), 3);
  EXPECT_EQ(nameOf(*group.item(1)), "zcGraphicWithFill<zcCircle,zcEllipse2>");
  EXPECT_EQ(dynamic_cast<const zcGraphicGroup&>(*group.item(2)).item(0)->props(), props);
  // Version 0 of both the fill level and the graphic level: a color, the shape, the fill bool.
  const Handle rect(new zcGraphicWithFill<zcRect, zcGenRect>(zcRect(1, 2, 3, 4), zcColor::green, true));
  const Bytes v1 = archived(rect);
  zcArchive rest;
  zcColor green = zcColor::green;
  zcRect shape(1, 2, 3, 4);
  bool fill = true;
  rest || green || shape || fill;
  Bytes v0(v1.begin(), v1.begin() + 8 + 2 + nameOf(*rect).size());
  v0.insert(v0.end(), {0, 0, 0});
  v0.insert(v0.end(), rest.bytes().begin() + 8, rest.bytes().end());
  const Handle back = loaded(v0);
  EXPECT_EQ(back->props(), pen(zcColor::green, 1, true));
  EXPECT_EQ(archived(back), v1);
}

// A graphic from outside the core that counts its live objects; it may clear its
// builtin flag.
int gLive = 0;
class Counted : public zcGraphicSimple<zcLineSeg> {
public:
  explicit Counted(bool builtinFlag = true) : zcGraphicSimple(zcLineSeg(zcPoint(0, 0), zcPoint(4, 0)), zcColor::red) {
    builtin(builtinFlag);
    ++gLive;
  }
  Counted(const Counted& other) : zcPersistent(other), zcRepBase(other), zcGraphicSimple(other) { ++gLive; }
  ~Counted() override { --gLive; }
  Handle clone() const override { return Handle(new Counted(*this)); }
  double distToPoint(const zcVector<2>& p) const override { return p.x(); }
  static zcPersistent* make() { return new Counted; }
};
const zc_Instantiator kCounted(typeid(Counted), "test::Counted", &Counted::make);

TEST(GraphicGroups, PropertiesBoxesDistancesDrawingAndDeepCopies) {
  zcGraphicGroup empty, group, nullGroup, outer, holder, nan;
  zcUITablet t, direct, viaGroup;
  t.draw(empty, eImage);
  EXPECT_TRUE(t.sketch().isNull() && empty.isNull() && empty.encloseRect().isEmpty());
  EXPECT_EQ(empty.distToPoint(zcPoint(1, 1)), HUGE_VAL);
  empty.props(pen(zcColor::blue, 5));
  // The first item that is not null gives the properties, else the first handle.
  const Handle seg(new zcGraphicSimple<zcLineSeg>(zcLineSeg(zcPoint(1, 1), zcPoint(3, 1)), zcColor::red));
  // An empty text is a null member too.
  const Handle emptyText(new zcGraphicText(L"", zcPoint(), zcColor::green, zcColor::blue, zcUIFormat(), zcVector<2>()));
  for (const Handle& null : {Handle(new zcGraphicGroup(empty)), emptyText}) {
    group.items({Handle(), null, seg});
    nullGroup.items({Handle(), null});
    EXPECT_TRUE(!group.isNull() && nullGroup.isNull() && group.item(2).rep() != seg.rep());
    EXPECT_EQ(group.props(), seg->props());
    EXPECT_EQ(nullGroup.props(), null->props());
  }
  group.items({Handle(), Handle(new zcGraphicGroup(empty)), seg});
  for (const long bad : {-1L, 3L}) {
    try {
      group.item(bad);
      ADD_FAILURE();
    } catch (const zcGraphic::BadParams& e) {
      EXPECT_EQ(e.messageString(), L"Item index out of range");
    }
  }
  outer.items({Handle(new zcGraphicGroup(group)), Handle(new zcGraphicSimple<zcPoint>(zcPoint(7, 7), zcColor::red))});
  outer.props(pen(zcColor::magenta, 3));
  std::vector<zcPtrHandle_const<zcGraphic>> items;
  outer.getItems(items);
  const auto& inner = dynamic_cast<const zcGraphicGroup&>(*items[0]);
  for (const zcGraphic* g : {items[0].rep(), items[1].rep(), inner.item(1).rep(), inner.item(2).rep()})
    EXPECT_EQ(g->props(), pen(zcColor::magenta, 3));
  // Boxes: the empty group adds nothing, the point its zero-size box.
  EXPECT_TRUE(zfRealEq(outer.encloseRect(), zcRect(1, 1, 6, 6), 1e-12));
  // Drawing skips null handles and draws a builtin-cleared member directly.
  for (const zcPtrHandle_const<zcGraphic>& g : items) direct.draw(*g, eImage);
  viaGroup.draw(outer, eImage);
  EXPECT_EQ(bytesOf(viaGroup.sketch()), bytesOf(direct.sketch()));
  Counted refused(false);
  EXPECT_THROW(t.draw(refused, eImage), zcUIError::NotImplemented);
  holder.items({Handle(new Counted(refused)), Handle(new Counted)});
  t.draw(holder, eImage);
  EXPECT_FALSE(t.sketch().isNull());
  // Distances: a NaN becomes the least.
  EXPECT_EQ(holder.distToPoint(zcPoint(-2, 0)), -2);
  EXPECT_TRUE(std::isnan(holder.distToPoint(zcPoint(std::numeric_limits<double>::quiet_NaN(), 0))));
  // Copies, assignments and maps are deep; nested groups with a null item archive.
  group = holder;
  outer.items({Handle(new zcGraphicGroup(group)), Handle()});
  const Handle original(new zcGraphicGroup(outer));
  const Bytes before = archived(original);
  for (const Handle& copy : {original->clone(), original->map(kMaps[0]), Handle(new zcGraphicGroup(group))}) {
    copy->props(pen(zcColor::yellow, 9));
    EXPECT_EQ(archived(original), before);
  }
  EXPECT_EQ(archived(loaded(before)), before);
  const std::size_t at = 8 + 2 + std::string("zcGraphicGroup").size();
  for (const std::size_t level : {at, at + 1}) expectRefused(before, level, "dispc/glist");
  const Bytes bare = archived(Handle(new zcGraphicGroup));
  expectRefused(bare, bare.size() - 6, "");
}

// Reading `tail` after an archive header into `list` raises E and leaves the list as it was.
template <class E>
void expectListRefused(const Bytes& tail, zcGraphicList& list) {
  const Bytes before = listBytes(list);
  zcArchive a(withHeader(tail));
  EXPECT_THROW(a || list, E);
  EXPECT_EQ(listBytes(list), before);
}

TEST(GraphicLists, SharingCloningDrawingArchivesOwnershipAndMalformedArchives) {
  const int live = gLive;
  {
    const Handle g(new Counted);
    zcGraphicList list, other, clones;
    list.append(g, false);
    EXPECT_EQ(g->refCount(), 2);
    other.append(g, true);
    other.append(list, false);
    EXPECT_TRUE(list.items().empty());
    ASSERT_EQ(other.items().size(), 2u);
    EXPECT_EQ(other.items()[1].rep(), g.rep());
    list.append(other);
    list.append(list, true);
    EXPECT_EQ(list.items().size(), 4u);
    EXPECT_EQ(gLive - live, 6);
    zcGraphicList copy(list);
    copy = other;
    copy.reset();
    list = other;
    EXPECT_EQ(gLive - live, 4);
    zcUITablet t, first;
    other.draw(t, zcUITablet::eOverlay);
    EXPECT_EQ(bytesOf(other.sketch(zcUITablet::eOverlay)), bytesOf(t.sketch()));
    // Null handles: the members before them are drawn or appended.
    other.items().insert(other.items().begin() + 1, Handle());
    t.sketch().erase();
    EXPECT_THROW(other.draw(t, eImage), zcBadPointer);
    first.draw(*other.items()[0], eImage);
    EXPECT_EQ(bytesOf(t.sketch()), bytesOf(first.sketch()));
    EXPECT_THROW(clones.append(other, true), zcBadPointer);
    EXPECT_EQ(clones.items().size(), 1u);
    // Archives: a null and one graphic twice, read back shared in place of what was there.
    other.items() = {Handle(), g, g, rows(pen(zcColor::red, 1))[2].graphic};
    const Bytes bytes = listBytes(other);
    zcArchive in(bytes);
    in || list;
    ASSERT_EQ(list.items().size(), 4u);
    EXPECT_TRUE(!list.items()[0] && list.items()[1].rep() == list.items()[2].rep());
    EXPECT_EQ(listBytes(list), bytes);
    EXPECT_EQ(gLive - live, 3);
    expectRefused(bytes, 8, "dispc/glist", true);
  }
  EXPECT_EQ(gLive, live);
  // Archives refuse malformed input and read other objects as null.
  zcGraphicList list;
  list.append(Handle(new zcGraphicGroup), false);
  // A count of -1; a count of three pointers with two bytes left.
  expectListRefused<zcArchive::BadCount>({0, 0xFF, 0xFF, 0xFF, 0xFF}, list);
  expectListRefused<zcArchive::BadCount>({0, 3, 0, 0, 0, 0, 0}, list);
  const Bytes group = archived(list.items()[0]);
  Bytes cycle(group.begin() + 8, group.end() - 5);  // a group whose one item refers back to it
  cycle.insert(cycle.end(), {1, 0, 0, 0, 2, 1, 0, 0, 0, 0});
  cycle.insert(cycle.begin(), {0, 1, 0, 0, 0});
  expectListRefused<zcArchive::BadReference>(cycle, list);
  Bytes deep = {0, 1, 0, 0, 0};
  for (int i = 0; i < zkMaxArchiveDepth; ++i) {
    deep.insert(deep.end(), group.begin() + 8, group.end() - 5);
    deep.insert(deep.end(), {1, 0, 0, 0});
  }
  expectListRefused<zcArchive::TooDeep>(deep, list);
  zcArchive out;
  int one = 1;
  unsigned char version = 0;
  zcShape* shape = new zcLineSeg;
  out || version || one;
  out.serializePointer(shape);
  delete shape;
  zcArchive in(out.bytes());
  in || list;
  ASSERT_EQ(list.items().size(), 1u);
  EXPECT_FALSE(list.items()[0]);
}

}  // namespace
