// Graphics, groups and lists. Every instance of the shape graphics is one row of a table
// that is drawn (against the tablet call it stands for, directly and through its
// recording), mapped (against the shape mapped directly) and archived (round trip,
// rewriting, refused versions at each level).
#include "support/archive_bytes.h"
#include "support/tablet_screen.h"

#include "dispc/graphic.h"
#include "dispc/uierror.h"

#include "zfound/archive.h"
#include "zfound/trees.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace zc_test;
using Layers = zcUITablet::Layers;
using Handle = zcPtrHandle<zcGraphic>;

zcGraphicProps pen(const zcColor& color, long width, bool fill = false) {
  return zcGraphicProps(color, width, zcGraphicProps::ePenStyleDefault, fill);
}

std::string nameOf(const zcGraphic& g) { return zc_Instantiator::nameOf(g); }

// The three maps of the mapping test: a similarity, a shear, an axis scaling.
const zcXform<2> kMaps[] = {zcXform<2>::rotation(zcRadian(zcDegree(30))) * zcXform<2>::translation(zcVector<2>(3, 1)),
                            zcXform<2>(zcMatrix<2>(1, 0.4, 0, 1), zcVector<2>(2, -1)),
                            zcXform<2>::scaling(2, 0.5)};

// One instance: the graphic, the tablet call it stands for, and the class its map gives
// under each of kMaps (empty: its own class).
struct Row {
  Handle graphic;
  std::function<void(zcUITablet&, const zcGraphicProps&, Layers)> direct;
  std::function<double(const zcXform<2>&, const zcPoint&)> mappedDistance;
  std::string mapsTo[3];
};

template <class G, class S>
Row row(const S& shape, const zcGraphicProps& props, std::string a = "", std::string b = "", std::string c = "") {
  Row r{Handle(new G(shape, props)), [shape](zcUITablet& t, const zcGraphicProps& p, Layers l) { t.draw(shape, p, l); },
        nullptr, {a, b, c}};
  if constexpr (std::is_same_v<S, zcPoint>)
    r.mappedDistance = [shape](const zcXform<2>& x, const zcPoint& p) { return x.mapPoint(shape).distance(p); };
  else if constexpr (std::is_base_of_v<zcGenPoly, S>)  // answers in its own frame: compare with its own map
    r.mappedDistance = [shape](const zcXform<2>& x, const zcPoint& p) { return shape.map(x).distToPoint(p); };
  else
    r.mappedDistance = [shape](const zcXform<2>& x, const zcPoint& p) { return shape.mapShape(x)->distToPoint(p); };
  return r;
}

const zcEllipse kEllipse(zcPoint(30, 20), 12, 6, zcRadian(0.3));
// Axis-aligned: a turned ellipse's recorded form rounds in the last bit on replay.
const zcEllipse2 kEllipse2(zcXform<2>(zcMatrix<2>(12, 0, 0, 6), zcVector<2>(30, 20)));
const zcGenRect kGenRect(zcVector<2>(20, 30), zcVector<2>(8, 5), zcRadian(0.2), zcVector<2>(2, 1));

std::vector<Row> rows(const zcGraphicProps& p) {
  const std::vector<zcPoint> pts = {zcPoint(2, 3), zcPoint(20, 8), zcPoint(12, 25), zcPoint(30, 30)};
  const std::string genRect = "zcGraphicWithFill<zcGenRect,zcGenRect>", ell2 = "zcGraphicWithFill<zcEllipse2,zcEllipse2>",
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
      row<zcGraphicSimple<zcEllipseArc>>(zcEllipseArc(kEllipse, zcRadian(0.5), zcRadian(2)), p),
      row<zcGraphicSimple<zcEllipseArc2>>(zcEllipseArc2(kEllipse2, zcRadian(0.5), zcRadian(2)), p),
      row<zcGraphicSimple<zcGenAnnulus>>(zcGenAnnulus(zcGenRect(zcRect(8, 8, 4, 4)), zcGenRect(zcRect(4, 4, 12, 12))), p),
      row<zcGraphicSimple<zcAffineRectangle>>(zcAffineRectangle(pts[0], pts[1], pts[2]), p),
      row<zcGraphicSimple<zcCoordAxes>>(zcCoordAxes(pts[0], pts[1], pts[2]), p),
      row<zcGraphicSimple<zcGenPoly>>(zcGenPoly(zcRect(5, 5, 20, 10)), p),
      row<zcGraphicSimple<zc2Wireframe>>(zc2Wireframe(zcGenPoly(zcCircle(zcPoint(10, 10), 5))), p),
      row<zcGraphicSimple<zcBezierCurve>>(zcBezierCurve(pts[0], pts[1], pts[2], pts[3]), p),
      row<zcGraphicSimple<zcDeBoorSpline>>(zcDeBoorSpline(pts), p),
      row<zcGraphicSimple<zcInterpSpline>>(zcInterpSpline(pts), p),
      row<zcGraphicSimple<zcHermiteSpline>>(zcHermiteSpline(pts, std::vector<zcVector<2>>(4, zcVector<2>(1, 0))), p),
      row<zcGraphicWithFill<zcRect, zcGenRect>>(zcRect(5, 6, 20, 10), p, genRect, genRect),
      row<zcGraphicWithFill<zcGenRect, zcGenRect>>(kGenRect, p),
      row<zcGraphicWithFill<zcCircle, zcEllipse2>>(zcCircle(zcPoint(10, 12), 5), p, "", ell2, ell2),
      row<zcGraphicWithFill<zcCircle, zcEllipse>>(zcCircle(zcPoint(10, 12), 5), p, "zcGraphicWithFill<zcEllipse,zcEllipse>",
                                                  "zcGraphicWithFill<zcEllipse,zcEllipse>",
                                                  "zcGraphicWithFill<zcEllipse,zcEllipse>"),
      row<zcGraphicWithFill<zcEllipse, zcEllipse>>(kEllipse, p),
      row<zcGraphicWithFill<zcEllipse2, zcEllipse2>>(kEllipse2, p),
      row<zcGraphicWithFill<zcAnnulus, zcGenAnnulus>>(zcAnnulus(zcPoint(10, 10), 3, 6), p, "", genAnn, genAnn),
      row<zcGraphicWithFill<zcGenAnnulus, zcGenAnnulus>>(
          zcGenAnnulus(zcGenRect(zcRect(8, 8, 4, 4)), zcGenRect(zcRect(4, 4, 12, 12))), p),
      row<zcGraphicWithFill<zcEllipseAnnulus, zcEllipseAnnulus>>(zcEllipseAnnulus(kEllipse, 0.5), p),
  };
}

Bytes archived(const Handle& g) {
  zcArchive out;
  zcGraphic* rep = g.rep();
  out.serializePointer(rep);
  return out.bytes();
}

Handle loaded(const Bytes& bytes) {
  zcArchive in(bytes);
  zcGraphic* rep = nullptr;
  in.serializePointer(rep);
  return Handle(rep);
}

// The version byte at `at` replaced by 2 must raise UnknownVersion naming `where`.
void expectRefused(Bytes bytes, std::size_t at, const std::string& where, bool list = false) {
  bytes[at] = 2;
  try {
    zcGraphicList into;
    zcArchive in(bytes);
    if (list)
      in || into;
    else
      loaded(bytes);
    ADD_FAILURE() << "accepted version 2 at " << at;
  } catch (const zcArchive::UnknownVersion& e) {
    EXPECT_EQ(e.where(), where);
    EXPECT_EQ(e.line() != 0, where == "dispc/glist");
  }
}

std::vector<std::string> popsUnanswered(std::vector<std::string> calls) {
  for (std::string& c : calls)
    if (c.rfind("lockScreenUpdatesPop", 0) == 0) c = "lockScreenUpdatesPop";
  return calls;
}

TEST(ShapeGraphics, EveryInstanceDrawsAsItsTabletCallDirectlyAndThroughItsRecording) {
  // Width 1: a point set's replay paints its points with the whole pen.
  const std::vector<Row> table = rows(pen(zcColor::red, 1));
  ASSERT_EQ(table.size(), 29u);
  for (const Row& r : table) {
    for (const bool fill : {false, true}) {
      SCOPED_TRACE(nameOf(*r.graphic) + (fill ? " filled" : ""));
      r.graphic->props().fill(fill);
      zcUITablet viaGraphic, direct;
      viaGraphic.draw(*r.graphic, zcUITablet::eOverlay);
      r.direct(direct, r.graphic->props(), zcUITablet::eOverlay);
      EXPECT_FALSE(direct.sketch().isNull());
      EXPECT_EQ(bytesOf(viaGraphic.sketch()), bytesOf(direct.sketch()));

      Screen painted, replayed;
      for (Screen* s : {&painted, &replayed}) {
        s->tablet.scaleExact(zcPair<double>(2, 2));
        s->clear();
      }
      painted.tablet.draw(*r.graphic, zcUITablet::eImage);
      EXPECT_FALSE(painted.image.calls().empty());
      EXPECT_TRUE(painted.tablet.drawOn() && !painted.tablet.recordOn());
      EXPECT_EQ(painted.tablet.scaleExact(), zcPair<double>(2, 2));
      zcUITablet recorder;
      recorder.draw(*r.graphic, zcUITablet::eImage);
      replayed.tablet.draw(recorder.sketch(), zcPoint(0, 0), zcUITablet::eImage);
      // A replay runs inside a lock of its own, so the pops answer differently; a point
      // set's points replay with the whole pen, fill included.
      std::vector<std::string> calls = popsUnanswered(replayed.image.calls());
      ASSERT_GE(calls.size(), 4u);
      if (!fill || !dynamic_cast<const zcGraphicSimple<zcPointSet>*>(r.graphic.rep())) {
        EXPECT_EQ(std::vector<std::string>(calls.begin() + 2, calls.end() - 2), popsUnanswered(painted.image.calls()));
      }
    }
  }
}

TEST(ShapeGraphics, MapsGiveTheTablesClassWithPropertiesAndTheMappedShape) {
  const zcGraphicProps props = pen(zcColor::green, 3, true);
  const zcPoint probes[] = {zcPoint(0, 0), zcPoint(17, -4), zcPoint(40, 33)};
  for (const Row& r : rows(props)) {
    for (int m = 0; m < 3; ++m) {
      SCOPED_TRACE(nameOf(*r.graphic) + " map " + std::to_string(m));
      const Handle image = r.graphic->map(kMaps[m]);
      EXPECT_EQ(nameOf(*image), r.mapsTo[m].empty() ? nameOf(*r.graphic) : r.mapsTo[m]);
      EXPECT_EQ(image->props(), props);
      for (const zcPoint& p : probes) EXPECT_NEAR(image->distToPoint(p), r.mappedDistance(kMaps[m], p), 1e-9);
    }
    const Handle copy = r.graphic->clone();
    EXPECT_NE(copy.rep(), r.graphic.rep());
    EXPECT_EQ(archived(copy), archived(r.graphic));
  }
}

TEST(ShapeGraphics, ArchivesRoundTripAndRefuseUnknownVersionsAtEachLevel) {
  for (const Row& r : rows(pen(zcColor::blue, 4, true))) {
    const std::string name = nameOf(*r.graphic);
    SCOPED_TRACE(name);
    const Bytes bytes = archived(r.graphic);
    const Handle back = loaded(bytes);
    EXPECT_EQ(nameOf(*back), name);
    EXPECT_EQ(archived(back), bytes);
    // Header, pointer tag, name length and name; then the levels' version bytes.
    const std::size_t at = 8 + 2 + name.size();
    for (std::size_t level = 0; level < 2; ++level) expectRefused(bytes, at + level, name);
    expectRefused(bytes, at + 2, "dispc/glist");
  }
}

TEST(ShapeGraphics, OldRecordsReadTheColorAndTheFillFlag) {
  const Handle rect(new zcGraphicWithFill<zcRect, zcGenRect>(zcRect(1, 2, 3, 4), zcColor::red, true));
  EXPECT_EQ(rect->props(), pen(zcColor::red, 1, true));
  Bytes v1 = archived(rect);
  const std::string name = nameOf(*rect);
  // Version 0 of both the fill level and the graphic level: a color, then the fill bool.
  Bytes v0(v1.begin(), v1.begin() + 8 + 2 + name.size());
  v0.insert(v0.end(), {0, 0, 0});
  zcArchive color;
  zcColor green = zcColor::green;
  color || green;
  v0.insert(v0.end(), color.bytes().begin() + 8, color.bytes().end());
  zcArchive shape;
  zcRect r(1, 2, 3, 4);
  shape || r;
  v0.insert(v0.end(), shape.bytes().begin() + 8, shape.bytes().end());
  v0.push_back(1);
  const Handle back = loaded(v0);
  EXPECT_EQ(back->props(), pen(zcColor::green, 1, true));
  rect->color(zcColor::green);
  EXPECT_EQ(archived(back), archived(rect));
}

TEST(GraphicFactory, RowsTreesAndKindsWithoutGraphic) {
  const zcGraphicProps props = pen(zcColor::red, 2, true);
  const std::pair<zcShapePtr, std::string> made[] = {
      {new zc2Point(zcPoint(1, 1)), "zcGraphicSimple<zc2Point>"},
      {new zcFLine(zcPoint(0, 0), zcPoint(1, 1)), "zcGraphicSimple<zcFLine>"},
      {new zcRect(0, 0, 2, 2), "zcGraphicWithFill<zcRect,zcGenRect>"},
      {new zcCircle(zcPoint(0, 0), 2), "zcGraphicWithFill<zcCircle,zcEllipse2>"},
      {new zcContourTree({new zcLineSeg(zcPoint(0, 0), zcPoint(1, 0))}, false), "zcGraphicGroup"},
      {new zcAnnulus(zcPoint(0, 0), 1, 2), "zcGraphicWithFill<zcAnnulus,zcGenAnnulus>"},
      {new zcGenAnnulus(), "zcGraphicSimple<zcGenAnnulus>"},
      {new zc2Wireframe(), "zcGraphicSimple<zc2Wireframe>"},
      {new zcEllipseAnnulus(), "zcGraphicWithFill<zcEllipseAnnulus,zcEllipseAnnulus>"},
      {new zcInterpSpline(), "zcGraphicSimple<zcInterpSpline>"},
      {new zcLineSegSet(), "zcGraphicSimple<zcLineSegSet>"}};
  for (const auto& [shape, name] : made) {
    const Handle g = zcGraphic::makeShapeGraphic(zcShapePtr_const(shape), props);
    EXPECT_EQ(nameOf(*g), name);
    EXPECT_EQ(g->props(), props);
  }
  EXPECT_FALSE(zcGraphic::makeShapeGraphic(zcShapePtr_const(), props));
  for (const zcShapePtr& shape : {zcShapePtr(new zcPointSet), zcShapePtr(new zcPolygon), zcShapePtr(new zcEllipse),
                                  zcShapePtr(new zcEllipseArc), zcShapePtr(new zcCoordAxes), zcShapePtr(new zcGenShape)}) {
    try {
      zcGraphic::makeShapeGraphic(*shape, props);
      ADD_FAILURE() << "a graphic for " << zc_Instantiator::nameOf(*shape);
    } catch (const zcGraphic::NoGraphicForShape& e) {
      EXPECT_TRUE(e.messageString().empty());
    }
  }
  const zcShapeTree tree({new zcLineSeg(zcPoint(0, 0), zcPoint(1, 1)), new zcCircle(zcPoint(2, 2), 1),
                          new zcShapeTree({new zcRect(0, 0, 1, 1)})});
  const Handle g = zcGraphic::makeShapeGraphic(tree, props);
  const auto& group = dynamic_cast<const zcGraphicGroup&>(*g);
  ASSERT_EQ(group.numItems(), 3);
  EXPECT_EQ(nameOf(*group.item(1)), "zcGraphicWithFill<zcCircle,zcEllipse2>");
  EXPECT_EQ(dynamic_cast<const zcGraphicGroup&>(*group.item(2)).item(0)->props(), props);
  const zcShapeTree bad({new zcLineSeg(), new zcPolygon()});
  EXPECT_THROW(zcGraphic::makeShapeGraphic(bad, props), zcGraphic::NoGraphicForShape);
}

// A graphic from outside the core that counts its live objects; it may clear its
// builtin flag.
int gLive = 0;
class Counted : public zcGraphicSimple<zcLineSeg> {
public:
  Counted(bool builtinFlag = true) : zcGraphicSimple(zcLineSeg(zcPoint(0, 0), zcPoint(4, 0)), zcColor::red) {
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

TEST(GraphicGroups, PropertiesFollowTheItemsAndArePushedToEveryDepth) {
  zcGraphicGroup empty;
  zcUITablet t;
  t.draw(empty, zcUITablet::eImage);
  EXPECT_TRUE(t.sketch().isNull() && empty.isNull());
  EXPECT_TRUE(empty.encloseRect().isEmpty());
  EXPECT_EQ(empty.distToPoint(zcPoint(1, 1)), HUGE_VAL);
  empty.props(pen(zcColor::blue, 5));
  const Handle seg(new zcGraphicSimple<zcLineSeg>(zcLineSeg(zcPoint(1, 1), zcPoint(3, 1)), zcColor::red));
  zcGraphicGroup group;
  group.items({Handle(), Handle(new zcGraphicGroup(empty)), seg});
  EXPECT_FALSE(group.isNull());
  EXPECT_EQ(group.props(), seg->props());
  EXPECT_NE(group.item(2).rep(), seg.rep());
  zcGraphicGroup nullGroup;
  nullGroup.items({Handle(), Handle(new zcGraphicGroup(empty))});
  EXPECT_TRUE(nullGroup.isNull());
  EXPECT_EQ(nullGroup.props(), empty.props());
  for (const long bad : {-1L, 3L}) {
    try {
      group.item(bad);
      ADD_FAILURE();
    } catch (const zcGraphic::BadParams& e) {
      EXPECT_EQ(e.messageString(), L"Item index out of range");
    }
  }
  zcGraphicGroup outer;
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
  zcUITablet direct, viaGroup;
  for (const zcPtrHandle_const<zcGraphic>& g : items) direct.draw(*g, zcUITablet::eImage);
  viaGroup.draw(outer, zcUITablet::eImage);
  EXPECT_EQ(bytesOf(viaGroup.sketch()), bytesOf(direct.sketch()));
  Counted refused(false);
  EXPECT_THROW(t.draw(refused, zcUITablet::eImage), zcUIError::NotImplemented);
  zcGraphicGroup holder;
  holder.items({Handle(new Counted(refused))});
  t.draw(holder, zcUITablet::eImage);
  EXPECT_FALSE(t.sketch().isNull());
}

TEST(GraphicGroups, DistancesTakeNaNAndCopiesAndMapsAreDeep) {
  zcGraphicGroup group;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  group.items({Handle(new Counted), Handle(new Counted)});
  EXPECT_EQ(group.distToPoint(zcPoint(-2, 0)), -2);
  EXPECT_TRUE(std::isnan(group.distToPoint(zcPoint(nan, 0))));
  const Handle outer = [&] {
    zcGraphicGroup g;
    g.items({Handle(new zcGraphicGroup(group)), Handle()});
    return Handle(new zcGraphicGroup(g));
  }();
  const Bytes before = archived(outer);
  for (const Handle& copy : {outer->clone(), outer->map(kMaps[0])}) {
    copy->props(pen(zcColor::yellow, 9));
    EXPECT_EQ(archived(outer), before);
  }
  zcGraphicGroup assigned;
  assigned = dynamic_cast<const zcGraphicGroup&>(*outer);
  assigned.props(pen(zcColor::yellow, 9));
  EXPECT_EQ(archived(outer), before);
  // Archives: nested groups with a null item, and every refused version.
  EXPECT_EQ(archived(loaded(before)), before);
  const std::size_t at = 8 + 2 + std::string("zcGraphicGroup").size();
  expectRefused(before, at, "dispc/glist");
  expectRefused(before, at + 1, "dispc/glist");
  const Bytes bare = archived(Handle(new zcGraphicGroup));
  expectRefused(bare, bare.size() - 6, "");
}

Bytes listBytes(zcGraphicList& list) {
  zcArchive out;
  out || list;
  return out.bytes();
}

TEST(GraphicLists, SharingCloningDrawingAndOwnership) {
  const int live = gLive;
  {
    const Handle g(new Counted);
    zcGraphicList list, other;
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
    EXPECT_EQ(bytesOf(other.sketch(zcUITablet::eOverlay)), [&] {
      zcUITablet t;
      other.draw(t, zcUITablet::eOverlay);
      return bytesOf(t.sketch());
    }());
    // Null handles: the members before them are drawn or appended.
    other.items().insert(other.items().begin() + 1, Handle());
    zcUITablet t;
    EXPECT_THROW(other.draw(t, zcUITablet::eImage), zcBadPointer);
    zcUITablet first;
    first.draw(*other.items()[0], zcUITablet::eImage);
    EXPECT_EQ(bytesOf(t.sketch()), bytesOf(first.sketch()));
    zcGraphicList clones;
    EXPECT_THROW(clones.append(other, true), zcBadPointer);
    EXPECT_EQ(clones.items().size(), 1u);
    EXPECT_THROW(clones.append(Handle(), true), zcBadPointer);
    EXPECT_THROW(list = other, zcBadPointer);
    EXPECT_EQ(list.items().size(), 2u);
  }
  EXPECT_EQ(gLive, live);
}

// Reading the archive of `tail` into `list` raises E and leaves the list as it was.
template <class E>
void expectListRefused(const Bytes& tail, zcGraphicList& list) {
  const Bytes before = listBytes(list);
  Bytes b = kArchiveHeader;
  b.insert(b.end(), tail.begin(), tail.end());
  zcArchive a(b);
  EXPECT_THROW(a || list, E);
  EXPECT_EQ(listBytes(list), before);
}

TEST(GraphicLists, ArchivesShareMembersAndRefuseMalformedInput) {
  const int live = gLive;
  {
  zcGraphicList list;
  const Handle g(new Counted);
  list.items() = {Handle(), g, g, rows(pen(zcColor::red, 1))[2].graphic};
  const Bytes bytes = listBytes(list);
  zcGraphicList back;
  back.append(Handle(new Counted), false);
  zcArchive in(bytes);
  in || back;
  ASSERT_EQ(back.items().size(), 4u);
  EXPECT_FALSE(back.items()[0]);
  EXPECT_EQ(back.items()[1].rep(), back.items()[2].rep());
  EXPECT_EQ(gLive - live, 2);
  EXPECT_EQ(listBytes(back), bytes);
  expectRefused(bytes, 8, "dispc/glist", true);

  expectListRefused<zcArchive::BadCount>({0, 0xFF, 0xFF, 0xFF, 0xFF}, back);  // count -1
  expectListRefused<zcArchive::BadCount>({0, 3, 0, 0, 0, 0, 0}, back);        // three pointers, two bytes left
  const Bytes group = archived(Handle(new zcGraphicGroup));
  Bytes cycle(group.begin() + 8, group.end() - 5);  // a group whose one item refers back to it
  cycle.insert(cycle.end(), {1, 0, 0, 0, 2, 1, 0, 0, 0, 0});
  cycle.insert(cycle.begin(), {0, 1, 0, 0, 0});
  expectListRefused<zcArchive::BadReference>(cycle, back);
  Bytes deep = {0, 1, 0, 0, 0};
  for (int i = 0; i < zkMaxArchiveDepth; ++i) {
    deep.insert(deep.end(), group.begin() + 8, group.end() - 5);
    deep.insert(deep.end(), {1, 0, 0, 0});
  }
  expectListRefused<zcArchive::TooDeep>(deep, back);
  // An item that is not a graphic reads as null.
  zcArchive out;
  int one = 1;
  unsigned char version = 0;
  out || version || one;
  zcShape* shape = new zcLineSeg;
  out.serializePointer(shape);
  delete shape;
  zcArchive again(out.bytes());
  again || back;
  ASSERT_EQ(back.items().size(), 1u);
  EXPECT_FALSE(back.items()[0]);
  }
  EXPECT_EQ(gLive, live);
}

}  // namespace
