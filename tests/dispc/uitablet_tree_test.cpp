// The tablet tree over logging scopes: kids and stacking, the scope calls that moving
// and stacking make, visibility counting, change tracking, layers refused, tablets
// destroyed in any order; icons and bitmaps.
#include "support/sketch_tablet.h"
#include "support/tablet_screen.h"

#include "dispc/uibitmap.h"
#include "dispc/uierror.h"
#include "dispc/uitablet.h"

#include "zfound/lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace zc_test;
using Strings = std::vector<std::string>;
constexpr auto eImage = zcUITablet::eImage;
constexpr auto eOverlay = zcUITablet::eOverlay;
constexpr auto eBoth = zcUITablet::eBothLayers;

std::vector<zcUITablet*> kidsOf(const zcUITablet& t) {
  std::vector<zcUITablet*> out;
  for (zcUITablet* k = t.firstKid(); k; k = k->nextSib()) out.push_back(k);
  return out;
}

// The log of a scope and of every logging scope below it, each entry after its
// scope's label, then the logs emptied.
// Lock and optimization entries are left out; every lock stack is checked empty.
Strings takeCalls(zcLoggingScope& scope) {
  Strings out;
  EXPECT_EQ(scope.lockDepth(), 0) << scope.label();
  for (const std::string& c : scope.calls())
    if (c.rfind("lock", 0) != 0 && c.rfind("optimize", 0) != 0) out.push_back(scope.label() + ": " + c);
  scope.clear();
  for (zcUIScope* kid : scope.kids()) {
    const Strings below = takeCalls(dynamic_cast<zcLoggingScope&>(*kid));
    out.insert(out.end(), below.begin(), below.end());
  }
  return out;
}

// A root over two logging scopes with three shown kids a, b, c (back to front).
struct Tree {
  Tree()
      : image(zcPair<long>(100, 80), zcPair<long>(), "image"),
        overlay(zcPair<long>(100, 80), zcPair<long>(), "overlay"),
        root(&image, &overlay),
        a(root, zcUIRect(10, 10, 30, 30)),
        b(root, zcUIRect(30, 20, 30, 30)),
        c(root, zcUIRect(70, 50, 10, 10)) {
    image.opaque(true);
    for (zcSketchTablet* t : {&root, &a, &b, &c}) {
      t->paint([](zcUITablet& u) { u.draw(zcPoint(1, 1), zcColor::red, eImage); });
      t->visible(true);
    }
    clear();
  }
  void clear() {
    takeCalls(image);
    takeCalls(overlay);
  }
  zcLoggingScope image, overlay;
  zcSketchTablet root, a, b, c;
};

}  // namespace

TEST(TabletTree, KidsStandBackToFrontAndEndsOfTheStackChangeNothing) {
  Tree t;
  EXPECT_EQ(kidsOf(t.root), (std::vector<zcUITablet*>{&t.a, &t.b, &t.c}));
  EXPECT_EQ(t.root.numKids(), 3);
  EXPECT_EQ(t.b.prevSib(), &t.a);
  EXPECT_EQ(t.a.prevSib(), nullptr);
  EXPECT_EQ(t.c.nextSib(), nullptr);
  EXPECT_EQ(t.root.nextSib(), nullptr);
  EXPECT_EQ(t.root.lastKid(), &t.c);
  t.c.front();
  t.a.back();
  t.root.front();
  EXPECT_EQ(kidsOf(t.root), (std::vector<zcUITablet*>{&t.a, &t.b, &t.c}));
  EXPECT_TRUE(t.image.calls().empty());
  EXPECT_TRUE(t.image.kids().size() == 3);
  t.a.front();
  EXPECT_EQ(kidsOf(t.root), (std::vector<zcUITablet*>{&t.b, &t.c, &t.a}));
  t.a.back();
  EXPECT_EQ(kidsOf(t.root), (std::vector<zcUITablet*>{&t.a, &t.b, &t.c}));
}

TEST(TabletTree, ScopeCallsOfStackingMovingAndReparenting) {
  Tree t;
  const std::vector<std::pair<std::function<void()>, Strings>> steps = {
      // The part of b that covered a is repainted on a.
      {[&] { t.a.front(); }, {"image/1: makeKidScope [20,10,10,20] temporary=1 -> image/1/1"}},
      // Back marks a changed; the next update repaints b, now in front, over a.
      {[&] { t.a.back(); }, {}},
      {[&] { t.root.update(eImage); }, {"image/2: makeKidScope [-20,-10,30,30] temporary=1 -> image/2/1"}},
      // Erased by the opaque root, moved, drawn again.
      {[&] { t.a.moveRel(zcPair<long>(5, 0)); },
       {"image: makeKidScope [10,10,30,30] temporary=1 -> image/4", "image/1: moved image [15,10,30,30]",
        "image/1: drawPoint (1,1) color=red width=1"}},
      {[&] { t.a.scopeRect(zcUIRect(15, 10, 30, 30)); }, {}},
      {[&] { t.a.setParent(t.b, zcUIRect(1, 2, 10, 10)); },
       {"image: makeKidScope [15,10,30,30] temporary=1 -> image/5",
        "image/2: makeKidScope [1,2,10,10] temporary=0 -> image/2/2", "image/2/2: drawPoint (1,1) color=red width=1"}},
  };
  for (const auto& [step, expected] : steps) {
    step();
    EXPECT_EQ(takeCalls(t.image), expected);
  }
  EXPECT_EQ(t.a.parent(), &t.b);
  EXPECT_EQ(t.a.scopeOrg(), zcPair<long>(31, 22));
  EXPECT_EQ(kidsOf(t.root), (std::vector<zcUITablet*>{&t.b, &t.c}));
}

TEST(TabletTree, NewKidsAreHiddenAndHidesNest) {
  Screen s;
  zcUITablet kid(s.tablet, zcUIRect(5, 5, 20, 20));
  EXPECT_EQ(takeCalls(s.image), (Strings{"image: makeKidScope [5,5,20,20] temporary=0 -> image/1"}));
  kid.draw(zcPoint(1, 1), zcColor::red, eImage);
  EXPECT_TRUE(takeCalls(s.image).empty());
  EXPECT_TRUE(kid.visible(true));
  EXPECT_FALSE(kid.visible(true));
  kid.draw(zcPoint(1, 1), zcColor::red, eImage);
  EXPECT_EQ(s.image.kids().size(), 1u);
  EXPECT_TRUE(kid.modified(eImage));
  EXPECT_TRUE(s.tablet.modified(eImage));  // through its kid
  EXPECT_TRUE(kid.visible(false));
  EXPECT_FALSE(kid.visible(false));
  EXPECT_FALSE(kid.visible(true));
  EXPECT_FALSE(kid.visible());
  EXPECT_TRUE(kid.visible(true));
}

TEST(TabletTree, ChangesErasingAndRecordedSketches) {
  zcLoggingScope image(zcPair<long>(50, 40), zcPair<long>(), "image");
  zcUITablet t(&image, nullptr);
  t.visible(true);
  t.recordOn() = true;
  t.recordChanges(true);
  EXPECT_TRUE(t.recordChanges());
  t.draw(zcPoint(3, 4), zcColor::red, eImage);
  t.draw(zcPoint(30, 20), zcColor::red, eImage);
  zcUIRect changes[2];
  t.getChanges(changes, true);
  EXPECT_EQ(changes[0], zcUIRect(3, 4, 28, 17));
  EXPECT_EQ(changes[1], zcUIRect::null);
  t.getChanges(changes, false);
  EXPECT_FALSE(t.recordChanges());
  EXPECT_GT(t.sketch().size(), 0);
  t.erase(eBoth);
  EXPECT_EQ(t.sketch().size(), 0);
}

TEST(TabletTree, BadLayersAndCyclesChangeNothing) {
  Tree t;
  const std::vector<std::function<void(zcUITablet::Layers)>> upToBoth = {
      [&](auto l) { t.a.update(l); },
      [&](auto l) { t.a.update(zcUIRect(0, 0, 5, 5), l, false); },
      [&](auto l) { t.a.erase(l); },
      [&](auto l) { t.a.lockScreenUpdatesPush(true, l); },
  };
  const std::vector<std::function<void(zcUITablet::Layers)>> oneLayer = {
      [&](auto l) { t.a.setScope(l, nullptr, false); }, [&](auto l) { t.a.activeScope(l); },
      [&](auto l) { t.a.currentScope(l); },              [&](auto l) { t.a.modified(l, true); },
      [&](auto l) { t.a.opaque(l, true); },              [&](auto l) { t.a.dragStart(l); },
      [&](auto l) { t.a.dragAnimate(true, l); },         [&](auto l) { t.a.encloseRect(zcUISketch(), zcPoint(), l); },
  };
  for (auto bad : {zcUITablet::Layers(-1), zcUITablet::Layers(3)})
    for (const auto& f : upToBoth) EXPECT_THROW(f(bad), zcUIError::BadLayer);
  for (const auto& f : oneLayer) EXPECT_THROW(f(eBoth), zcUIError::BadLayer);
  EXPECT_TRUE(takeCalls(t.image).empty());
  t.b.setParent(t.a, zcUIRect(0, 0, 5, 5));
  t.clear();
  EXPECT_THROW(t.a.setParent(t.b, zcUIRect(0, 0, 5, 5)), zcUIError::BadParams);
  EXPECT_THROW(t.a.setParent(t.a, zcUIRect(0, 0, 5, 5)), zcUIError::BadParams);
  EXPECT_EQ(t.a.parent(), &t.root);
  EXPECT_TRUE(t.a.visible());
  EXPECT_TRUE(takeCalls(t.image).empty());
}

TEST(TabletTree, TabletsDestroyedInAnyOrderLeaveNoScopeBehind) {
  // root > mid > leaf, and a sibling of mid; every order of destroying the four.
  std::array<int, 4> order = {0, 1, 2, 3};
  do {
    zcLoggingScope image(zcPair<long>(60, 60)), overlay(zcPair<long>(60, 60));
    std::array<std::unique_ptr<zcUITablet>, 4> t;
    t[0] = std::make_unique<zcUITablet>(&image, &overlay);
    t[1] = std::make_unique<zcUITablet>(*t[0], zcUIRect(5, 5, 40, 40));
    t[2] = std::make_unique<zcUITablet>(*t[1], zcUIRect(5, 5, 20, 20));
    t[3] = std::make_unique<zcUITablet>(*t[0], zcUIRect(30, 30, 20, 20));
    for (auto& u : t) u->visible(true);
    for (int i : order) {
      t[std::size_t(i)].reset();
      for (auto& u : t) {
        if (!u) continue;
        // A tablet whose parent went is a root without scopes, and so is its subtree.
        const bool orphan = !u->parent() && u.get() != t[0].get();
        if (orphan) {
          EXPECT_EQ(u->currentScope(eImage), zcUIRect::null);
        }
        for (zcUITablet* k = u->firstKid(); k; k = k->nextSib()) EXPECT_EQ(k->parent(), u.get());
      }
    }
    EXPECT_TRUE(image.kids().empty());
    EXPECT_TRUE(overlay.kids().empty());
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(TabletTree, RootScopesReplacedForTheWholeTree) {
  Tree t;
  zcLoggingScope bigger(zcPair<long>(200, 150), zcPair<long>(), "big");
  t.b.setScope(eImage, &bigger, false);
  EXPECT_EQ(t.root.scopeRect(), zcUIRect(0, 0, 200, 150));
  EXPECT_TRUE(t.image.kids().empty());
  EXPECT_EQ(bigger.kids().size(), 3u);
  EXPECT_EQ(t.a.currentScope(eImage), zcUIRect(0, 0, 30, 30));
  t.root.setScope(nullptr, nullptr, false);
  EXPECT_EQ(t.a.currentScope(eImage), zcUIRect::null);
  EXPECT_EQ(t.a.currentScope(eOverlay), zcUIRect::null);
  EXPECT_TRUE(bigger.kids().empty());
}

// --- Icons and bitmaps ------------------------------------------------------------------

TEST(TabletIcons, PointIconAndPatterns) {
  const zcRLEBuffer& icon = zcUITablet::pointIcon();
  const zcPelBuffer<unsigned char> pels = icon.image();
  EXPECT_EQ(icon.width(), 13);
  EXPECT_EQ(icon.height(), 13);
  EXPECT_EQ(pels.get(6, 6), 0);
  for (auto [x, y] : {std::pair{0, 0}, {12, 0}, {0, 12}, {12, 12}}) EXPECT_EQ(pels.get(x, y), 243);
  for (const wchar_t* bad : {L"/00/0/", L"/0a/", L"/0/00/"})
    EXPECT_THROW(zcUITablet::makeIcon(bad, {}), zcUIError::BadIconPattern);
  const zcPelBuffer<unsigned char> row = zcUITablet::makeIcon(L"/09/", {7}).image();
  EXPECT_EQ(row.width(), 2);
  EXPECT_EQ(row.height(), 1);
  EXPECT_EQ(row.get(0, 0), 7);
  EXPECT_EQ(row.get(1, 0), 9);
  // A 0 ends the row it stands in; a separator that is also a cell character ends rows.
  EXPECT_EQ(zcUITablet::makeIcon(L"/0+", {}).image().width(), 2);
  EXPECT_EQ(zcUITablet::makeIcon(L".0+.1 .", {}).image().height(), 2);

  EXPECT_FALSE(zcUITablet::iconTouched(nullptr, zcPair<long>(), -1));
  // Without a second separator the rest is one row.
  EXPECT_TRUE(zcUITablet::iconTouched(L"/.+", zcPair<long>(1, 0), -1));
  EXPECT_FALSE(zcUITablet::iconTouched(L"/.+", zcPair<long>(0, 1), -1));
  EXPECT_FALSE(zcUITablet::iconTouched(L"/.+", zcPair<long>(0, 0x7FFFFFFFFFFFFFFL), -1));
}

TEST(TabletIcons, HitTestAgreesWithTheCellsOnAGridAroundTheIcon) {
  const std::wstring pattern = L"/.....+0+...../.....+0+...../.....+0+...../...+00000+.../...0++0++0.../"
                               L"+++0++0++0+++/0000000000000/+++0++0++0+++/...0++0++0.../...+00000+.../"
                               L".....+0+...../.....+0+...../.....+0+...../";
  for (long y = -9; y <= 9; ++y)
    for (long x = -9; x <= 9; ++x) {
      const bool inside = std::abs(x) <= 6 && std::abs(y) <= 6;
      const wchar_t cell = inside ? pattern[std::size_t(1 + (y + 6) * 14 + (x + 6))] : L'.';
      const bool expected = cell == L'0' || cell == L'+';
      EXPECT_EQ(zcUITablet::pointIconTouched(zcPair<long>(x, y)), expected) << x << ", " << y;
      EXPECT_EQ(zcUITablet::iconTouched(pattern.c_str(), zcPair<long>(x + 6, y + 6), -1), expected) << x << ", " << y;
    }
}

TEST(TabletImages, EightBitAndRunLengthDrawsRecordTheOthersDoNot) {
  const zcRLEBuffer rle = zcUITablet::makeIcon(L"/01/10/", {});
  const zcUIBitmap bitmap(rle, {5, 6}, true, 1);
  zcUITablet recorder;
  zcPelBuffer<unsigned char> gray(4, 3);
  recorder.draw(gray, zcPoint(1, 2), false, 0, false, eImage);
  recorder.draw(bitmap, zcPoint(), bitmap.colorMap(), bitmap.passThrough(), bitmap.passColor(), false, eOverlay);
  const long size = recorder.sketch().size();
  recorder.draw(zcPelBuffer<unsigned short>(2, 2), zcPoint(), false, 0, eImage);
  recorder.draw(zcPelBuffer<zcPackedRGB16>(2, 2), zcPoint(), false, zcPackedRGB16(), eImage);
  recorder.draw(zcPelBuffer<zcPackedRGB32>(2, 2), zcPoint(), false, zcPackedRGB32(), eImage);
  EXPECT_EQ(recorder.sketch().size(), size);
  const std::vector<Op> ops = opsOf(recorder.sketch());
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].payload.size(), 91u + 12u);
  // The run-length payload ends with the map and the runs.
  const SketchBytes& p = ops[1].payload;
  const std::vector<unsigned char>& runs = rle.runData();
  EXPECT_TRUE(std::search(p.begin(), p.end(), runs.begin(), runs.end()) != p.end());
  const std::vector<unsigned char> map = {5, 6};
  EXPECT_TRUE(std::search(p.begin(), p.end(), map.begin(), map.end()) != p.end());
}
