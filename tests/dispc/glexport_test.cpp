// Graphic lists to and from the graphics list, and graphics lists drawn onto tablets.
#include "support/archive_bytes.h"
#include "support/grlist_records.h"
#include "support/tablet_screen.h"

#include "dispc/glexport.h"
#include "dispc/glist.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
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
  zcGraphicGroup group;
  group.items({Handle(new zcGraphicPointIcon(zcPoint(1, 1), stock))});
  // Each graphic, what it imports as (null: itself), and whether export leaves it out.
  const struct {
    Handle graphic, back;
    bool out = false;
  } rows[] = {
      {new zcGraphicPointIcon(zcPoint(1, 2), stock), nullptr},
      {new zcGraphicGroup(group), nullptr, true},
      {text(L"A\U0001F600", rgb, 9, zcVector<2>(2.5, -1)), text(L"A\U0001F600", rgb, 0, zcVector<2>())},
      {text(std::wstring(L"A\0B", 3), stock, 8, zcVector<2>()), text(L"A", stock, 8, zcVector<2>())},
      {new zcGraphicSimple<zcLineSeg>(zcLineSeg(zcPoint(1, 2), zcPoint(3, 4)), rgb), nullptr},
      {new zcGraphicSimple<zcLine>(zcLine(zcVector<2>(0, 2), zcPoint(1, 1)), stock), nullptr},
      {new zcGraphicWithFill<zcRect, zcGenRect>(rect, zcGraphicProps(rgb, 3, zcGraphicProps::ePenStyleDefault, true)),
       new zcGraphicWithFill<zcRect, zcGenRect>(rect, rgb, false)},
      {new zcGraphicWithFill<zcGenRect, zcGenRect>(genRect, stock, false), nullptr},
      {new zcGraphicSimple<zcAffineRectangle>(zcAffineRectangle(zcPoint(1, 1), zcPoint(4, 2), zcPoint(0, 3)), rgb), nullptr},
      {new zcGraphicSimple<zcPolyline>(poly, zcColor(42)), new zcGraphicSimple<zcPolyline>(poly, zcColor(0, 0, 0))},
      {new zcGraphicSimple<zcLineSegSet>(set, stock), nullptr},
      {new zcGraphicSimple<zcPoint>(zcPoint(1, 1), stock), nullptr, true},
      {new zcGraphicCross(zcCross(zcPoint(7, 9), zcRadian(0.5), 5), stock), nullptr, true},
      {new zcGraphicWithFill<zcCircle, zcEllipse2>(zcCircle(zcPoint(1, 1), 2), stock, true), nullptr, true},
  };
  zcGraphicList list, back;
  std::vector<Handle> expected;
  for (const auto& r : rows) {
    list.append(r.graphic, false);
    EXPECT_EQ(zfGraphicListExportable(*r.graphic), !r.out) << nameOf(r.graphic);
    if (!r.out) expected.push_back(r.back ? r.back : r.graphic);
  }
  Records records, again, more;
  zfGraphicListAppend(&records.l, list);
  ASSERT_EQ(records.l.count, static_cast<std::int32_t>(expected.size()));
  back.append(rows[0].graphic, false);  // import appends after it
  zfGraphicListAppend(back, &records.l);
  back.items().erase(back.items().begin());
  ASSERT_EQ(back.items().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(archived(back.items()[i]), archived(expected[i])) << i;
  zfGraphicListAppend(&again.l, back);
  // The first text's offset goes out (after the point icon's 24 bytes and the text's
  // header and 24 payload bytes) but does not come back: the list receives clones.
  Bytes sent = records.bytes();
  EXPECT_EQ(std::make_pair(zfLoadF64(sent.data() + 56), zfLoadF64(sent.data() + 64)), std::make_pair(2.5, -1.0));
  std::fill_n(sent.begin() + 56, 16, 0);
  EXPECT_EQ(again.bytes(), sent);

  // Records export never writes: circles, ellipses, kinds above 10, polyline flag 2.
  const double circle[] = {1, 2, 3};
  zmath_shapeEllipse ellipse;
  const zmath_vector center{5, 6}, radii{4, 2}, v[] = {{0, 0}, {2, 1}, {1, 3}};
  ASSERT_EQ(zmath_shapeEllipse_init(&ellipse, &center, &radii, 0), 0);
  zgr_list_appendRaw(&more.l, ZGR_KIND_CIRCLE, 0x0A141E80, circle, sizeof circle);
  zgr_list_appendRaw(&more.l, ZGR_KIND_ELLIPSE, 11, &ellipse, sizeof ellipse);
  zgr_list_appendRaw(&more.l, 11, 16, &center, 16);
  zgr_list_appendPolyline(&more.l, 127, v, 3, 2);
  back.reset();
  zfGraphicListAppend(back, &more.l);
  using Ellipse = zcGraphicWithFill<zcEllipse2, zcEllipse2>;
  const Handle wanted[] = {new Ellipse(zcEllipse2(zcVector<2>(3, 3), zcRadian(0), zcPoint(1, 2)), rgb, false),
                           new Ellipse(zcEllipse2(zcVector<2>(4, 2), zcRadian(0), zcPoint(5, 6)), zcColor::cyan, false),
                           new zcGraphicPointIcon(zcPoint(5, 6), zcColor::black),
                           new zcGraphicSimple<zcPolyline>(poly, zcColor::black)};
  ASSERT_EQ(back.items().size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(archived(back.items()[i]), archived(wanted[i])) << i;
}

TEST(GraphicListDraw, DrawingRecordsPaintsAndRecordsAsTheirImportDoes) {
  std::mt19937 rng(19);
  for (int round = 0; round < 40; ++round) {
    // Imported texts lose their pixel offsets: lists with offsets draw alike only
    // without texts.
    const bool offsets = round % 2 != 0;
    Records records;
    randomRecords(&records.l, rng, round % 13, offsets);
    zcGraphicList imported;
    zfGraphicListAppend(imported, &records.l);
    ASSERT_EQ(imported.items().size(), std::size_t(round % 13));
    bool texts = false;
    for (const Handle& g : imported.items())
      if (const auto* t = dynamic_cast<const zcGraphicText*>(g.rep())) {
        texts = true;
        EXPECT_EQ(t->offset(), zcVector<2>(0, 0)) << round;
      }
    const bool alike = !offsets || !texts;
    zcUITablet recorder;
    zfUITabletDraw(recorder, &records.l, eOverlay);
    EXPECT_TRUE(!alike || bytesOf(recorder.sketch()) == bytesOf(imported.sketch(eOverlay))) << round;
    Screen direct, viaList;
    zfUITabletDraw(direct.tablet, &records.l, eOverlay);
    imported.draw(viaList.tablet, eOverlay);
    EXPECT_TRUE(!alike || direct.overlay.calls() == viaList.overlay.calls()) << round;
    EXPECT_EQ(direct.overlay.calls().empty(), round % 13 == 0);
    EXPECT_TRUE(direct.image.calls().empty());
  }
}

// 0 done, 1 refused as malformed, 2 refused by a shape.
int outcome(const std::function<void()>& f) {
  try {
    f();
    return 0;
  } catch (const zcMalformedData&) {
    return 1;
  } catch (const zcShapesError::Errors&) {
  } catch (const zcMathError::Errors&) {
  }
  return 2;
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
    const int drawn = outcome([&] { zfUITabletDraw(recorder, &damaged.l, eOverlay); });
    const int imported = outcome([&] { zfGraphicListAppend(read, &damaged.l); });
    EXPECT_EQ(drawn == 1, imported == 1) << i;
    EXPECT_TRUE(imported != 1 || (read.items().size() == 1 && recorder.sketch().isNull())) << i;
    EXPECT_TRUE(i >= used || imported == 1) << "cut at " << i;
  }
}

}  // namespace
