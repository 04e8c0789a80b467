// Graphic lists to and from the graphics list, and graphics lists drawn onto tablets.
#include "support/archive_bytes.h"
#include "support/tablet_screen.h"

#include "dispc/glexport.h"
#include "dispc/graphic.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace zc_test;
using Handle = zcPtrHandle<zcGraphic>;
constexpr zcUITablet::Layers eOverlay = zcUITablet::eOverlay;

struct Records {
  Records() { zgr_list_init(&l); }
  ~Records() { zgr_list_free(&l); }
  Bytes bytes() const { return l.count ? Bytes(l.records, l.records + l.used) : Bytes(); }
  zgr_list l;
};

Bytes archived(const Handle& g) { return archivedPointer(g.rep()); }
std::string nameOf(const Handle& g) { return zc_Instantiator::nameOf(*g); }
zcGraphicText* text(const std::wstring& s, const zcColor& c, unsigned alignment, const zcVector<2>& offset) {
  return new zcGraphicText(s, zcPoint(3, 4), c, zcColor::blue, zcUIFormat(zcUIFormat::Alignment(alignment)), offset);
}

TEST(GraphicListExport, ExportableKindsRoundTripInTheirColorsAndTheRestIsLeftOut) {
  const zcColor rgb(10, 20, 30), stock = zcColor::red;
  const zcRect rect(1, 2, 3, 4);
  const zcGenRect genRect(zcVector<2>(5, 6), zcVector<2>(4, 2), zcRadian(0), zcVector<2>(1, 0.5));
  const zcPolyline poly({zcPoint(0, 0), zcPoint(2, 1), zcPoint(1, 3)}, true);
  const zcLineSegSet set({zcLineSeg(zcPoint(0, 0), zcPoint(1, 1)), zcLineSeg(zcPoint(2, 2), zcPoint(2, 2))}, true);
  const zcGraphicProps filled(rgb, 3, zcGraphicProps::ePenStyleDefault, true);
  zcGraphicGroup group;
  group.items({Handle(new zcGraphicPointIcon(zcPoint(1, 1), stock))});
  // What each graphic exports as (null: left out) and what it imports as.
  const struct {
    Handle graphic;
    Handle back;
  } rows[] = {
      {new zcGraphicPointIcon(zcPoint(1, 2), stock), nullptr},
      {new zcGraphicGroup(group), nullptr},
      {text(L"A\U0001F600", rgb, 9, zcVector<2>(2.5, -1)), text(L"A\U0001F600", rgb, 0, zcVector<2>(2.5, -1))},
      {text(std::wstring(L"A\0B", 3), stock, 8, zcVector<2>()), text(L"A", stock, 8, zcVector<2>())},
      {new zcGraphicSimple<zcLineSeg>(zcLineSeg(zcPoint(1, 2), zcPoint(3, 4)), rgb), nullptr},
      {new zcGraphicSimple<zcLine>(zcLine(zcVector<2>(0, 2), zcPoint(1, 1)), stock), nullptr},
      {new zcGraphicWithFill<zcRect, zcGenRect>(rect, filled), new zcGraphicWithFill<zcRect, zcGenRect>(rect, rgb, false)},
      {new zcGraphicWithFill<zcGenRect, zcGenRect>(genRect, stock, false), nullptr},
      {new zcGraphicSimple<zcAffineRectangle>(zcAffineRectangle(zcPoint(1, 1), zcPoint(4, 2), zcPoint(0, 3)), rgb), nullptr},
      {new zcGraphicSimple<zcPolyline>(poly, zcColor(42)), new zcGraphicSimple<zcPolyline>(poly, zcColor(0, 0, 0))},
      {new zcGraphicSimple<zcLineSegSet>(set, stock), nullptr},
  };
  const Handle leftOut[] = {new zcGraphicSimple<zcPoint>(zcPoint(1, 1), stock),
                            new zcGraphicCross(zcCross(zcPoint(7, 9), zcRadian(0.5), 5), stock),
                            new zcGraphicWithFill<zcCircle, zcEllipse2>(zcCircle(zcPoint(1, 1), 2), stock, true),
                            new zcGraphicSimple<zcPolygon>(zcPolygon({zcPoint(0, 0), zcPoint(1, 0), zcPoint(0, 1)}, zcPolygon::eWinding), stock)};
  zcGraphicList list;
  std::vector<Handle> expected;
  for (const auto& r : rows) {
    list.append(r.graphic, false);
    const bool exported = nameOf(r.graphic) != "zcGraphicGroup";
    EXPECT_EQ(zfGraphicListExportable(*r.graphic), exported) << nameOf(r.graphic);
    if (exported) expected.push_back(r.back ? r.back : r.graphic);
  }
  for (const Handle& g : leftOut) {
    EXPECT_FALSE(zfGraphicListExportable(*g)) << nameOf(g);
    list.append(g, false);
  }
  Records records;
  zfGraphicListAppend(&records.l, list);
  ASSERT_EQ(records.l.count, static_cast<std::int32_t>(expected.size()));
  zcGraphicList back;
  back.append(Handle(new zcGraphicSimple<zcPoint>(zcPoint(), stock)), false);  // import appends after it
  zfGraphicListAppend(back, &records.l);
  ASSERT_EQ(back.items().size(), expected.size() + 1);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(nameOf(back.items()[i + 1]), nameOf(expected[i]));
    EXPECT_EQ(archived(back.items()[i + 1]), archived(expected[i])) << nameOf(expected[i]);
  }
  back.items().erase(back.items().begin());
  Records again;
  zfGraphicListAppend(&again.l, back);
  EXPECT_EQ(again.bytes(), records.bytes());

  // Records export never writes: circles, ellipses, kinds above 10, polyline flag 2.
  Records more;
  const double circle[] = {1, 2, 3};
  zmath_shapeEllipse ellipse;
  const zmath_vector center{5, 6}, radii{4, 2}, v[] = {{0, 0}, {1, 0}, {1, 1}};
  ASSERT_EQ(zmath_shapeEllipse_init(&ellipse, &center, &radii, 0), 0);
  ASSERT_EQ(zgr_list_appendRaw(&more.l, ZGR_KIND_CIRCLE, 0x0A141E80, circle, sizeof circle), 0);
  ASSERT_EQ(zgr_list_appendRaw(&more.l, ZGR_KIND_ELLIPSE, 11, &ellipse, sizeof ellipse), 0);
  ASSERT_EQ(zgr_list_appendRaw(&more.l, 11, 16, &center, 16), 0);
  ASSERT_EQ(zgr_list_appendPolyline(&more.l, 127, v, 3, 2), 0);
  back.reset();
  zfGraphicListAppend(back, &more.l);
  const Handle wanted[] = {
      new zcGraphicWithFill<zcEllipse2, zcEllipse2>(zcEllipse2(zcVector<2>(3, 3), zcRadian(0), zcPoint(1, 2)), rgb, false),
      new zcGraphicWithFill<zcEllipse2, zcEllipse2>(zcEllipse2(zcVector<2>(4, 2), zcRadian(0), zcPoint(5, 6)), zcColor::cyan, false),
      new zcGraphicPointIcon(zcPoint(5, 6), zcColor::black), new zcGraphicSimple<zcPolyline>(zcPolyline({zcPoint(0, 0), zcPoint(1, 0), zcPoint(1, 1)}, true), zcColor::black)};
  ASSERT_EQ(back.items().size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(archived(back.items()[i]), archived(wanted[i])) << i;
}

// A random well-formed list: every kind, colors of every form, texts at every
// alignment code with fractional offsets, sometimes at the drawing-point argument.
void randomRecords(zgr_list* l, std::mt19937& rng, int count) {
  auto num = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng) / 4.0; };
  auto vec = [&](int lo = -400, int hi = 400) { return zmath_vector{num(lo, hi), num(lo, hi)}; };
  const zgr_color colors[] = {0, 3, 15, 16, 127, 0x10203080, -1};
  for (int i = 0; i < count; ++i) {
    const zgr_color c = colors[rng() % 7];
    const zmath_vector a = vec(), b = vec(), pos = vec(1, 40), half = vec(8, 40), round = vec(0, 8);
    const double angle = num(-12, 12);
    std::vector<zmath_vector> points(rng() % 4);
    for (zmath_vector& p : points) p = vec();
    zmath_shapeAffineRect affine;
    zmath_shapeEllipse ellipse;
    zmath_shapeAffineRect_initPoints(&affine, &a, &b, &pos);
    zmath_shapeEllipse_init(&ellipse, &a, &half, angle);
    const double circle[] = {a.x, a.y, pos.x};
    const zmath_vector at = rng() % 3 ? a : zmath_vector{0, 0};
    switch (rng() % 12) {
      case 0: zgr_list_appendPoint(l, c, &a); break;
      case 1: zgr_list_appendLineSeg(l, c, &a, &b); break;
      case 2: zgr_list_appendLineDirPoint(l, c, &pos, &b); break;
      case 3: zgr_list_appendRect(l, c, &a, &pos); break;
      case 4: zgr_list_appendGenRect(l, c, &a, &half, &angle, &round); break;
      case 5: zgr_list_appendRaw(l, ZGR_KIND_CIRCLE, c, circle, sizeof circle); break;
      case 6: zgr_list_appendRaw(l, ZGR_KIND_ELLIPSE, c, &ellipse, sizeof ellipse); break;
      case 7: zgr_list_appendPolyline(l, c, points.data(), static_cast<std::int32_t>(points.size()), rng() % 3); break;
      case 8: zgr_list_appendShapeAffineRect(l, c, &affine); break;
      case 9: zgr_list_appendTextEx(l, L"Tx\U0001F600", &at, c, colors[rng() % 7], rng() % 11, &b); break;
      case 10: zgr_list_appendLineSegSet(l, c, points.empty() ? nullptr : &points[0].x, static_cast<std::int32_t>(points.size() / 2)); break;
      default: zgr_list_appendRaw(l, 11 + rng() % 100, c, &a, 16);
    }
  }
}

TEST(GraphicListDraw, DrawingRecordsPaintsAndRecordsAsTheirImportDoes) {
  std::mt19937 rng(19);
  for (int round = 0; round < 40; ++round) {
    Records records;
    randomRecords(&records.l, rng, round % 13);
    zcGraphicList imported;
    zfGraphicListAppend(imported, &records.l);
    ASSERT_EQ(imported.items().size(), std::size_t(round % 13));
    zcUITablet recorder;
    zfUITabletDraw(recorder, &records.l, eOverlay);
    EXPECT_EQ(bytesOf(recorder.sketch()), bytesOf(imported.sketch(eOverlay))) << round;
    Screen direct, viaList;
    zfUITabletDraw(direct.tablet, &records.l, eOverlay);
    imported.draw(viaList.tablet, eOverlay);
    EXPECT_EQ(direct.overlay.calls(), viaList.overlay.calls()) << round;
    EXPECT_EQ(direct.overlay.calls().empty(), round % 13 == 0);
    EXPECT_TRUE(direct.image.calls().empty());
  }
}

TEST(GraphicListRead, FailuresKeepWhatWentBeforeAndMalformedListsChangeNothing) {
  const Handle a(new zcGraphicPointIcon(zcPoint(1, 2), zcColor::red));
  zcGraphicList withNull;
  withNull.items() = {a, Handle(), a};
  Records records;
  EXPECT_THROW(zfGraphicListAppend(&records.l, withNull), zcBadPointer);
  EXPECT_EQ(records.l.count, 1);
  zcGraphicList graphics;
  EXPECT_THROW(zfGraphicListAppend(graphics, nullptr), zcBadPointer);
  zmath_shapeEllipse singular{};
  zgr_list_appendPoint(&records.l, 0, &singular.center);
  ASSERT_EQ(zgr_list_appendRaw(&records.l, ZGR_KIND_ELLIPSE, 0, &singular, sizeof singular), 0);
  EXPECT_THROW(zfGraphicListAppend(graphics, &records.l), zcMathError::Singular);
  EXPECT_EQ(graphics.items().size(), 2u);

  // Cut short at every size and with every byte flipped: a malformed list appends and
  // draws nothing; anything else is a whole list or a shape's refusal.
  std::mt19937 rng(6);
  Records whole;
  randomRecords(&whole.l, rng, 30);
  const std::size_t used = whole.l.used;
  for (std::size_t i = 0; i < 2 * used; ++i) {
    Records damaged;
    damaged.l.records = static_cast<unsigned char*>(std::malloc(used));
    std::memcpy(damaged.l.records, whole.l.records, used);
    damaged.l.capacity = used;
    damaged.l.count = whole.l.count;
    damaged.l.used = i < used ? i : used;
    if (i >= used) damaged.l.records[i - used] ^= 0xFF;
    zcGraphicList read;
    read.append(a, false);
    zcUITablet recorder;
    try {
      zfUITabletDraw(recorder, &damaged.l, eOverlay);
      zfGraphicListAppend(read, &damaged.l);
    } catch (const zcMalformedData&) {
      EXPECT_EQ(read.items().size(), 1u);
      EXPECT_TRUE(recorder.sketch().isNull());
    } catch (const zcShapesError::Errors&) {
    } catch (const zcMathError::Errors&) {
    }
    EXPECT_TRUE(i >= used || read.items().size() == 1u) << "cut at " << i;
  }
}

}  // namespace
