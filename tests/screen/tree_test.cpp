// Tablet trees on a real screen: after stacking, moving, hiding, deleting, reparenting
// and drawing, an update from the root leaves the screen as a fresh screen on which
// the final tree is drawn whole. Images and point icons paint their pels, directly and
// through archived sketches; recorded changes and encloseRect cover what drawing
// changed.
#include "support/sketch_tablet.h"

#include "zscreen/screen.h"

#include "dispc/uibitmap.h"
#include "dispc/uitablet.h"

#include "zfound/archive.h"
#include "zfound/conics.h"
#include "zfound/lines.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr auto eImage = zcUITablet::eImage;
constexpr auto eOverlay = zcUITablet::eOverlay;
constexpr auto eBoth = zcUITablet::eBothLayers;
const zcRGB kBackground(40, 40, 40);

std::vector<std::uint32_t> pelsOf(const zcScreen& s) {
  const zcPelBuffer<zcPackedRGB32> all = s.composite();
  std::vector<std::uint32_t> out;
  for (long y = 0; y < s.height(); ++y)
    for (long x = 0; x < s.width(); ++x) out.push_back(all.get(x, y).value());
  return out;
}

// The box of the pels that differ between two composites of a w-wide screen.
zcUIRect diffBox(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, long w) {
  zcUIRect box;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) box |= zcUIRect(long(i) % w, long(i) / w, 1, 1);
  return box;
}

// A fresh screen with a copy of the tree below `from` (rectangles, held sketches,
// visibility), drawn whole.
struct Mirror {
  explicit Mirror(zcSketchTablet& from) : screen(120, 90, kBackground), root(&screen.image(), &screen.overlay()) {
    root.hold(from.held());
    copyKids(from, root);
    root.visible(true);
  }
  void copyKids(zcUITablet& from, zcSketchTablet& to) {
    for (zcUITablet* k = from.firstKid(); k; k = k->nextSib()) {
      auto& src = dynamic_cast<zcSketchTablet&>(*k);
      tablets.push_back(std::make_unique<zcSketchTablet>(to, src.scopeRect()));
      zcSketchTablet& copy = *tablets.back();
      copy.hold(src.held());
      if (src.visible()) copy.visible(true);
      copyKids(src, copy);
    }
  }
  zcScreen screen;
  zcSketchTablet root;
  std::vector<std::unique_ptr<zcSketchTablet>> tablets;
};

zcGraphicProps pen(const zcColor& c, long width, bool fill) {
  return zcGraphicProps(c, width, zcGraphicProps::ePenStyleDefault, fill);
}

// A kid that fills its area with a color on the image layer and draws a ring on the
// overlay.
void paintKid(zcSketchTablet& t, const zcColor& fill, const zcColor& ring) {
  t.paint([&](zcUITablet& u) {
    u.set(fill, eImage);
    u.draw(zcCircle(zcPoint(12, 12), 8), pen(ring, 2, false), eOverlay);
  });
}

}  // namespace

TEST(ScreenTree, EveryTreeChangeThenUpdateEqualsAFreshDrawing) {
  zcScreen screen(120, 90, kBackground);
  zcSketchTablet root(&screen.image(), &screen.overlay());
  root.paint([](zcUITablet& u) {
    u.set(zcColor(77), eImage);
    u.draw(zcLineSeg(zcPoint(0, 85), zcPoint(119, 5)), pen(zcColor::yellow, 1, false), eOverlay);
  });
  root.visible(true);
  auto a = std::make_unique<zcSketchTablet>(root, zcUIRect(10, 10, 40, 30));
  auto b = std::make_unique<zcSketchTablet>(root, zcUIRect(30, 20, 40, 30));
  auto c = std::make_unique<zcSketchTablet>(root, zcUIRect(80, 50, 30, 30));
  paintKid(*a, zcColor::red, zcColor::green);
  paintKid(*b, zcColor::blue, zcColor::white);
  paintKid(*c, zcColor::orange, zcColor::cyan);
  for (auto* t : {a.get(), b.get(), c.get()}) t->visible(true);

  // front() on the back kid changes the overlap only, to the back kid's pixels.
  std::vector<std::uint32_t> before = pelsOf(screen);
  a->front();
  const zcUIRect overlap = a->absRect() & b->absRect();
  EXPECT_TRUE(overlap.within(diffBox(before, pelsOf(screen), 120)));
  EXPECT_EQ(pelsOf(screen), pelsOf(Mirror(root).screen));

  const std::vector<std::pair<const char*, std::function<void()>>> steps = {
      {"back", [&] { a->back(); }},
      {"moveRel", [&] { b->moveRel(zcPair<long>(-12, 7)); }},
      {"grow", [&] { b->size(zcPair<long>(50, 35)); }},
      {"hide", [&] { c->visible(false); }},
      {"show", [&] { c->visible(true); }},
      {"delete", [&] { c.reset(); }},
      {"setParent", [&] { a->setParent(*b, zcUIRect(-5, 10, 30, 20)); }},
      {"draw on the parent",
       [&] { root.paint([](zcUITablet& u) { u.draw(zcRect(zcPoint(5, 5), zcVector<2>(100, 60)), pen(zcColor::purple, 3, false), eImage); }); }},
      {"draw on the overlay",
       [&] { root.paint([](zcUITablet& u) { u.draw(zcCircle(zcPoint(40, 40), 30), pen(zcColor::magenta, 4, false), eOverlay); }); }},
      {"front of a kid", [&] { a->front(); }},
      {"delete a parent first", [&] { b.reset(); }},
  };
  for (const auto& [name, step] : steps) {
    step();
    root.update(eBoth);
    EXPECT_EQ(pelsOf(screen), pelsOf(Mirror(root).screen)) << name;
  }
}

TEST(ScreenImages, PointIconIsItsZeroCellsUnderAnyScale) {
  std::wstring rows = L"/.....+0+...../.....+0+...../.....+0+...../...+00000+.../...0++0++0.../+++0++0++0+++/"
                     L"0000000000000/+++0++0++0+++/...0++0++0.../...+00000+.../.....+0+...../.....+0+...../"
                     L".....+0+...../";
  std::erase(rows, L'/');
  for (double scale : {1.0, 2.0}) {
    zcScreen screen(100, 100, kBackground);
    zcUITablet t(&screen.image(), &screen.overlay());
    t.baseMap(zcXform<2>(zcMatrix<2>(scale, 0, 0, scale), zcVector<2>()));
    t.visible(true);
    t.drawPointIcon(zcPoint(50 / scale, 50 / scale), zcColor::red, eImage);
    const std::vector<std::uint32_t> pels = pelsOf(screen);
    long red = 0;
    for (long y = 0; y < 100; ++y)
      for (long x = 0; x < 100; ++x) {
        const bool inIcon = std::abs(x - 50) <= 6 && std::abs(y - 50) <= 6;
        const bool zero = inIcon && rows[std::size_t((y - 44) * 13 + (x - 44))] == L'0';
        red += zero;
        EXPECT_EQ(pels[std::size_t(y * 100 + x)], zero ? 0xFF0000u : 0x282828u) << x << ", " << y;
      }
    EXPECT_EQ(red, 41);
  }
}

TEST(ScreenImages, ScaledAndRunLengthImagesDirectAndReplayed) {
  zcPelBuffer<unsigned char> image(3, 2);
  zcPelBuffer<unsigned char> doubled(6, 4);
  for (long y = 0; y < 2; ++y)
    for (long x = 0; x < 3; ++x) {
      image.set(x, y, static_cast<unsigned char>(100 + 40 * y + 20 * x));
      for (long dy = 0; dy < 2; ++dy)
        for (long dx = 0; dx < 2; ++dx) doubled.set(2 * x + dx, 2 * y + dy, image.get(x, y));
    }
  const zcRLEBuffer rle = zcRLEBuffer::encode(image);
  // Each case: the scale factor and the drawing; each is drawn directly and replayed
  // from an archived recording.
  struct Case {
    double scale;
    std::function<void(zcUITablet&)> draw;
    std::function<void(const zcScreen&)> check;
  };
  const std::vector<Case> cases = {
      {2.0, [&](zcUITablet& t) { t.draw(image, zcPoint(10, 10), false, 0, true, eImage); },
       [&](const zcScreen& s) {
         zcScreen plain(100, 80, kBackground);
         zcUITablet p(&plain.image(), &plain.overlay());
         p.visible(true);
         p.draw(doubled, zcPoint(20, 20), false, 0, true, eImage);
         EXPECT_EQ(pelsOf(s), pelsOf(plain));
       }},
      {0.5, [&](zcUITablet& t) { t.draw(zcPelBuffer<unsigned char>(8, 6), zcPoint(40, 40), false, 1, true, eImage); },
       [&](const zcScreen& s) {
         EXPECT_EQ(diffBox(pelsOf(s), pelsOf(zcScreen(100, 80, kBackground)), 100), zcUIRect(20, 20, 4, 3));
       }},
      {1.0, [&](zcUITablet& t) { t.draw(rle, zcPoint(5, 5), {7, 8, 9, 10, 11, 12}, true, 140, true, eImage); },
       [&](const zcScreen& s) {
         EXPECT_EQ(s.pel(5, 6), kBackground);  // the pass pel (100 + 40)
         EXPECT_EQ(s.pel(5, 5), zcRGB(100, 100, 100));
       }},
  };
  for (const Case& c : cases) {
    zcUITablet recorder;
    c.draw(recorder);
    zcArchive out;
    out || recorder.sketch();
    zcArchive in(out.bytes());
    zcUISketch loaded;
    in || loaded;
    for (int replay = 0; replay < 2; ++replay) {
      zcScreen screen(100, 80, kBackground);
      zcUITablet t(&screen.image(), &screen.overlay());
      t.scaleExact(zcPair<double>(c.scale, c.scale));
      t.visible(true);
      if (replay)
        t.draw(loaded, zcPoint(), eBoth);
      else
        c.draw(t);
      c.check(screen);
    }
  }
}

TEST(ScreenChanges, RecordedChangesAndEncloseRectCoverWhatDrawingChanged) {
  const std::vector<std::function<void(zcUITablet&)>> drawings = {
      [](zcUITablet& t) { t.draw(zcLineSeg(zcPoint(10, 10), zcPoint(50, 30)), pen(zcColor::red, 7, false), eImage); },
      [](zcUITablet& t) { t.draw(zcCircle(zcPoint(60, 40), 15), pen(zcColor::green, 1, true), eImage); },
      [](zcUITablet& t) { t.drawPointIcon(zcPoint(3, 3), zcColor::blue, eImage); },
      [](zcUITablet& t) {
        t.draw(L"text", zcPoint(70, 10), zcColor::white, zcColor::blue, zcUIFormat(zcUIFormat::eMiddleCenter), eImage);
      },
      [](zcUITablet& t) {
        t.draw(zcPolyline({zcPoint(80, 60), zcPoint(95, 75), zcPoint(99, 50)}, false), pen(zcColor::yellow, 4, false),
               eImage);
      },
  };
  for (const auto& drawing : drawings) {
    zcScreen screen(100, 80, kBackground);
    zcUITablet t(&screen.image(), &screen.overlay());
    t.visible(true);
    zcUITablet recorder;
    drawing(recorder);
    const zcUIRect enclosing = t.encloseRect(recorder.sketch(), zcPoint(), eImage);
    const std::vector<std::uint32_t> before = pelsOf(screen);
    t.recordChanges(true);
    drawing(t);
    zcUIRect changes[2];
    t.getChanges(changes, false);
    const zcUIRect changed = diffBox(before, pelsOf(screen), 100);
    ASSERT_FALSE(changed.isNull());
    EXPECT_TRUE(changes[0].within(changed));
    EXPECT_TRUE(enclosing.within(changed));
    // At most the pen's reach larger (width 7: ceil(7 / 2) + 2 pixels each side).
    const long margin = 6;
    EXPECT_TRUE(zcUIRect(changed.left() - margin, changed.top() - margin, changed.width() + 2 * margin,
                         changed.height() + 2 * margin)
                    .within(enclosing))
        << zcUIRect(enclosing).left() << "," << enclosing.top() << " " << enclosing.width() << "x"
        << enclosing.height();
  }
}

TEST(ScreenDragging, EraseRestoresThePelsOfTheStart) {
  zcScreen screen(40, 30, kBackground);
  zcUITablet t(&screen.image(), &screen.overlay());
  t.visible(true);
  const std::vector<std::uint32_t> start = pelsOf(screen);
  t.dragStart(eImage);
  EXPECT_TRUE(screen.image().dragging());
  t.draw(zcCircle(zcPoint(20, 15), 6), pen(zcColor::red, 2, true), eImage);
  EXPECT_NE(pelsOf(screen), start);
  t.dragErase(eImage);
  EXPECT_EQ(pelsOf(screen), start);
  t.dragStop(eImage);
  EXPECT_FALSE(screen.image().dragging());
}
