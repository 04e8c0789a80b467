// The tablet tree over logging scopes: the scope calls of stacking, moving, hiding and
// reparenting, layers refused before anything changes, tablets destroyed in any order;
// icons and recorded images.
#include "support/sketch_tablet.h"
#include "support/tablet_screen.h"

#include "dispc/uibitmap.h"
#include "dispc/uierror.h"

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
using Kids = std::vector<zcUITablet*>;
constexpr auto eImage = zcUITablet::eImage;
constexpr auto eOverlay = zcUITablet::eOverlay;
constexpr auto eBoth = zcUITablet::eBothLayers;

Kids kidsOf(const zcUITablet& t) {
  Kids out;
  for (zcUITablet* k = t.firstKid(); k; k = k->nextSib()) out.push_back(k);
  return out;
}

// The calls logged on a scope and the logging scopes below it, after their labels; locks
// left out, but their stacks must be empty. The logs are emptied.
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

// A root over two logging scopes, the image opaque, with three shown kids a, b, c, back
// to front; each draws a point.
struct Tree : Screen {
  Tree() : a(root, zcUIRect(10, 10, 30, 30)), b(root, zcUIRect(30, 20, 30, 30)), c(root, zcUIRect(25, 30, 10, 10)) {
    image.opaque(true);
    for (zcSketchTablet* t : {&a, &b, &c}) {
      t->paint([](zcUITablet& u) { u.draw(zcPoint(1, 1), zcColor::red, eImage); });
      t->visible(true);
    }
    takeCalls(image);
  }
  zcUITablet& root = tablet;
  zcSketchTablet a, b, c;
};

}  // namespace

TEST(TabletTree, ScopeCallsOfStackingMovingHidingAndReparentingAndRefusalsChangeNothing) {
  Tree t;
  const struct {
    std::function<void()> act;
    Strings calls;
    Kids kids;
  } steps[] = {
      // The ends of the stack change nothing.
      {[&] { t.c.front(), t.a.back(), t.root.front(), t.root.back(); }, {}, {&t.a, &t.b, &t.c}},
      // The parts of b and c that covered a are repainted on a.
      {[&] { t.a.front(); },
       {"image/1: makeKidScope [20,10,10,20] temporary=1 -> image/1/1",
        "image/1: makeKidScope [15,20,10,10] temporary=1 -> image/1/2"},
       {&t.b, &t.c, &t.a}},
      // Back marks a changed; the next update repaints b and c, now in front, over a.
      {[&] { t.a.back(), t.root.update(eImage); },
       {"image/2: makeKidScope [-20,-10,30,30] temporary=1 -> image/2/1",
        "image/3: makeKidScope [-15,-20,30,30] temporary=1 -> image/3/1"},
       {&t.a, &t.b, &t.c}},
      // Erased by the opaque root, moved, drawn again; the same rectangle changes nothing.
      {[&] { t.a.moveRel(zcPair<long>(5, 0)), t.a.scopeRect(zcUIRect(15, 10, 30, 30)); },
       {"image: makeKidScope [10,10,30,30] temporary=1 -> image/4", "image/1: moved image [15,10,30,30]",
        "image/1: drawPoint (1,1) color=red width=1"},
       {&t.a, &t.b, &t.c}},
      // Hides nest: only the last show repaints. A new kid is hidden and draws nothing.
      {[&] {
         EXPECT_EQ((std::array{t.c.visible(false), t.c.visible(false), t.c.visible(true)}),
                   (std::array{true, false, false}));
         EXPECT_TRUE(t.c.visible(true) && !t.c.visible(true));
         zcUITablet(t.root, zcUIRect(0, 0, 9, 9)).draw(zcPoint(1, 1), zcColor::red, eImage);
       },
       {"image: makeKidScope [25,30,10,10] temporary=1 -> image/5",
        "image: makeKidScope [0,0,9,9] temporary=0 -> image/6", "image/3: drawPoint (1,1) color=red width=1"},
       {&t.a, &t.b, &t.c}},
      {[&] { t.a.setParent(t.b, zcUIRect(1, 2, 10, 10)); },
       {"image: makeKidScope [15,10,30,30] temporary=1 -> image/7",
        "image/2: makeKidScope [1,2,10,10] temporary=0 -> image/2/2", "image/2/2: moved image/2 [1,2,10,10]",
        "image/2/2: drawPoint (1,1) color=red width=1"},
       {&t.b, &t.c}},
      // Bad layers and cycles are refused before anything changes.
      {[&] {
         const std::size_t scopes = t.image.kids().size();
         EXPECT_THROW(t.a.update(zcUITablet::Layers(-1)), zcUIError::BadLayer);
         EXPECT_THROW(t.a.erase(zcUITablet::Layers(3)), zcUIError::BadLayer);
         EXPECT_THROW(t.a.opaque(eBoth, true), zcUIError::BadLayer);
         EXPECT_FALSE(t.a.opaque(eOverlay));
         EXPECT_THROW(t.b.setParent(t.a, zcUIRect(0, 0, 5, 5)), zcUIError::BadParams);
         EXPECT_THROW(t.a.setParent(t.a, zcUIRect(0, 0, 5, 5)), zcUIError::BadParams);
         EXPECT_EQ(t.image.kids().size(), scopes);
       },
       {},
       {&t.b, &t.c}},
  };
  for (const auto& step : steps) {
    step.act();
    EXPECT_EQ(takeCalls(t.image), step.calls);
    EXPECT_EQ(kidsOf(t.root), step.kids);
  }
}

// Root > mid > leaf and a sibling of mid destroyed in every order: kids whose parent
// went are roots without scopes, and no scope is left behind.
TEST(TabletTree, TabletsDestroyedInAnyOrder) {
  std::array<int, 4> order = {0, 1, 2, 3};
  do {
    zcLoggingScope image(zcPair<long>(60, 60)), overlay(zcPair<long>(60, 60));
    std::array<std::unique_ptr<zcUITablet>, 4> u;
    u[0] = std::make_unique<zcUITablet>(&image, &overlay);
    u[1] = std::make_unique<zcUITablet>(*u[0], zcUIRect(5, 5, 40, 40));
    u[2] = std::make_unique<zcUITablet>(*u[1], zcUIRect(5, 5, 20, 20));
    u[3] = std::make_unique<zcUITablet>(*u[0], zcUIRect(30, 30, 20, 20));
    for (auto& v : u) v->visible(true);
    for (int i : order) {
      u[std::size_t(i)].reset();
      for (std::size_t k = 1; k < 4; ++k)
        EXPECT_TRUE(!u[k] || u[k]->parent() || u[k]->currentScope(eOverlay) == zcUIRect::null) << i << k;
    }
    EXPECT_TRUE(image.kids().empty() && overlay.kids().empty());
  } while (std::next_permutation(order.begin(), order.end()));
}

// --- Icons and images --------------------------------------------------------------

const wchar_t* const kPointIcon =
    L"/.....+0+...../.....+0+...../.....+0+...../...+00000+.../...0++0++0.../"
    L"+++0++0++0+++/0000000000000/+++0++0++0+++/...0++0++0.../...+00000+.../"
    L".....+0+...../.....+0+...../.....+0+...../";

// The point icon's pels and hit tests against the cells of its pattern on a grid around
// it; patterns refused and read.
TEST(TabletIcons, PointIconPatternsAndHitTests) {
  const zcPelBuffer<unsigned char> icon = zcUITablet::pointIcon().image();
  ASSERT_EQ(zcPair<long>(icon.width(), icon.height()), zcPair<long>(13, 13));
  // The public pattern and cache are the ones the tablet uses.
  EXPECT_EQ(std::wstring(zcUITablet::pointIconData_), std::wstring(kPointIcon));
  EXPECT_EQ(&zcUITablet::pointIcon(), &zcUITablet::pointIcon_);
  for (long y = -9; y <= 9; ++y)
    for (long x = -9; x <= 9; ++x) {
      const bool inside = std::abs(x) <= 6 && std::abs(y) <= 6;
      const wchar_t cell = inside ? kPointIcon[1 + (y + 6) * 14 + (x + 6)] : L'.';
      EXPECT_TRUE(!inside || icon.get(x + 6, y + 6) == (cell == L'0' ? 0 : 243)) << x << ", " << y;
      const bool touched = cell == L'0' || cell == L'+';
      EXPECT_EQ(zcUITablet::pointIconTouched(zcPair<long>(x, y)), touched) << x << ", " << y;
      EXPECT_EQ(zcUITablet::iconTouched(kPointIcon, zcPair<long>(x + 6, y + 6), -1), touched) << x << ", " << y;
    }
  for (const wchar_t* bad : {L"/00/0/", L"/0a/"})
    EXPECT_THROW(zcUITablet::makeIcon(bad, {}), zcUIError::BadIconPattern);
  const zcPelBuffer<unsigned char> row = zcUITablet::makeIcon(L"/09/", {7}).image();
  ASSERT_EQ(zcPair<long>(row.width(), row.height()), zcPair<long>(2, 1));
  EXPECT_EQ(row.get(0, 0), 7);
  EXPECT_EQ(row.get(1, 0), 9);
}

// 8-bit and run-length draws record their images. A replay refuses sizes beyond the
// bytes, negative sizes and runs that overrun the width.
TEST(TabletImages, EightBitAndRunLengthRecordsAndTheirRefusals) {
  const zcRLEBuffer rle = zcUITablet::makeIcon(L"/01/10/", {});
  const zcUIBitmap bitmap(rle, {5, 6}, true, 1);
  zcUITablet recorder;
  recorder.draw(zcPelBuffer<unsigned char>(4, 3), zcPoint(1, 2), false, 0, false, eImage);
  recorder.draw(bitmap, zcPoint(), bitmap.colorMap(), bitmap.passThrough(), bitmap.passColor(), false, eOverlay);
  const std::vector<Op> ops = opsOf(recorder.sketch());
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].payload.size(), 91u + 12u);
  // The run-length payload: the map {5, 6}, width 2, height 2, the runs.
  SketchBytes rleTail = {5, 6, 2, 0, 0, 0, 2, 0, 0, 0};
  rleTail.insert(rleTail.end(), rle.runData().begin(), rle.runData().end());
  EXPECT_TRUE(std::equal(rleTail.rbegin(), rleTail.rend(), ops[1].payload.rbegin()));
  // (operation, payload byte, value): PelBuf8 width and height; RleBuf width and height.
  const struct {
    std::size_t op, at;
    std::int32_t value;
  } refused[] = {{0, 82, 1000}, {0, 86, -1}, {1, 29, 1000}, {1, 25, 1}};
  Screen s;
  for (const auto& r : refused) {
    SketchBytes bytes = bytesOf(recorder.sketch());
    const Op& op = ops[r.op];
    zfStoreI32(bytes.data() + op.offset + op.length - long(op.payload.size()) + long(r.at), r.value);
    EXPECT_THROW(s.tablet.draw(sketchOf(bytes), zcPoint(), eBoth), zcUIError::InvalidUISketch) << r.op << " " << r.at;
  }
  // A recording tablet's erase empties its sketch.
  recorder.erase(eBoth);
  EXPECT_EQ(recorder.sketch().size(), 0);
}
