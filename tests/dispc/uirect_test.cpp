#include "dispc/uiscope.h"

#include "dispc/color.h"
#include "dispc/uierror.h"
#include "dispc/uistring.h"

#include "support/logging_scope.h"

#include "zfound/archive.h"
#include "zfound/exception.h"
#include "zfound/pelbuf.h"
#include "zfound/rle.h"

#include "support/archive_bytes.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

const zc_test::Bytes& kHeader = zc_test::kArchiveHeader;

using zc_test::withHeader;

zcUIRect rect(long x, long y, long w, long h) { return zcUIRect(x, y, w, h); }

// Pels of a window, row by row.
template <class T>
std::vector<std::vector<T>> pelsOf(const zcPelBuffer_const<T>& buffer) {
  std::vector<std::vector<T>> rows;
  for (long r = 0; r < buffer.height(); ++r) {
    std::vector<T> row;
    for (long c = 0; c < buffer.width(); ++c) row.push_back(buffer.get(buffer.offset().x() + c, buffer.offset().y() + r));
    rows.push_back(row);
  }
  return rows;
}

// An image from its pels, row by row.
template <class T>
zcPelBuffer<T> imageOf(const std::vector<std::vector<T>>& rows) {
  zcPelBuffer<T> image(static_cast<long>(rows[0].size()), static_cast<long>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c) image.set(static_cast<long>(c), static_cast<long>(r), rows[r][c]);
  return image;
}
using Rows = std::vector<std::vector<unsigned char>>;

// A w × h 8-bit image whose pel (c, r) is 10 r + c.
zcPelBuffer<unsigned char> ramp(long w, long h) {
  zcPelBuffer<unsigned char> image(w, h);
  for (long r = 0; r < h; ++r)
    for (long c = 0; c < w; ++c) image.set(c, r, static_cast<unsigned char>(10 * r + c));
  return image;
}

// The change flags that are set, by initials: some, all, opaque, any, tracking.
std::string flagsOf(const zcLoggingScope& s) {
  std::string out;
  for (const auto& [on, initial] : {std::pair{s.someChanged(), 's'}, {s.allChanged(), 'a'}, {s.opaque(), 'o'},
                                    {s.anyChanged(), 'y'}, {s.trackChanges(), 't'}})
    if (on) out += initial;
  return out;
}

using Links = std::vector<const zcUIScope*>;  // parent, root
Links linksOf(const zcLoggingScope& s) { return {s.parent(), s.root()}; }

// Opens up the protected image helpers without touching the logging scope's log.
class ImageScope : public zcLoggingScope {
public:
  using zcLoggingScope::zcLoggingScope;
};

}  // namespace

TEST(FlagStack, PushPopIndexAndAssignmentKeepTheBottomAndRefuseOverflow) {
  EXPECT_FALSE(zcFlagStack());
  EXPECT_EQ(zcFlagStack().depth(), 1);
  zcFlagStack s(true);
  s.push(false);
  s.push(true);
  EXPECT_EQ(s.depth(), 3);
  EXPECT_EQ((std::vector<bool>{s, s[0], s[1], s[2]}), (std::vector<bool>{true, true, false, true}));
  EXPECT_THROW(s[3], zcUIError::FlagStackOutOfRange);
  EXPECT_THROW(s[-1], zcUIError::FlagStackOutOfRange);
  s = false;  // replaces the top only
  EXPECT_EQ(s.depth(), 3);
  EXPECT_EQ((std::vector<bool>{s.pop(), s.pop(), s}), (std::vector<bool>{false, false, true}));
  EXPECT_THROW(s.pop(), zcUIError::FlagStackUnderflow);
  EXPECT_TRUE(s);
  EXPECT_EQ(s.depth(), 1);

  // 31 pushes reach maxDepth; the 32nd is refused and the stack stays as it was.
  for (int i = 0; i < 31; ++i) s.push(i % 3 == 0);
  EXPECT_EQ(s.depth(), zcFlagStack::maxDepth);
  const zcFlagStack full = s;
  EXPECT_THROW(s.push(true), zcUIError::FlagStackOverflow);
  EXPECT_EQ(s, full);
  // Entries come back in reverse order, the deepest ones included.
  for (int i = 30; i >= 0; --i) EXPECT_EQ(s.pop(), i % 3 == 0) << i;
  EXPECT_TRUE(s);
}

TEST(UIRect, EmptyRectanglesBecomeNullSetOperationsContainmentTranslationAndArchives) {
  const zcUIRect empty[] = {rect(5, 5, 0, 10), rect(5, 5, 10, 0), rect(5, 5, -3, 10), zcUIRect(),
                            zcUIRect(zcPair<long>(1, 2), zcPair<long>(3, -1))};
  for (std::size_t i = 0; i < std::size(empty); ++i) {
    EXPECT_TRUE(empty[i].isNull()) << "row " << i;
    EXPECT_EQ(empty[i], zcUIRect::null) << "row " << i;
  }

  const zcUIRect r(2, 3, 4, 5);  // right, bottom; the other corners
  EXPECT_EQ((std::vector<zcPair<long>>{{r.right(), r.bottom()}, r.ur(), r.ll(), r.lr()}),
            (std::vector<zcPair<long>>{{6, 8}, {6, 3}, {2, 8}, {6, 8}}));

  zcUIRect m = r;
  m.ul(zcPair<long>(-1, -1));
  EXPECT_EQ(m, rect(-1, -1, 4, 5));
  m.sz(zcPair<long>(7, 0));
  EXPECT_EQ(m, zcUIRect::null);
  m.ul(zcPair<long>(9, 9));  // a null rectangle does not move
  EXPECT_EQ(m, zcUIRect::null);
  // Both orders: a, b, a & b, a | b.
  const std::array<zcUIRect, 4> rows[] = {
      {rect(0, 0, 10, 10), rect(10, 0, 5, 5), zcUIRect::null, rect(0, 0, 15, 10)},
      {rect(0, 0, 10, 10), rect(5, -2, 20, 4), rect(5, 0, 5, 2), rect(0, -2, 25, 12)},
      {rect(0, 0, 10, 10), zcUIRect::null, zcUIRect::null, rect(0, 0, 10, 10)},
      {rect(3, 4, 5, 6), zcUIRect::null, zcUIRect::null, rect(3, 4, 5, 6)},
      {rect(0, 0, 2, 2), rect(5, -3, 1, 1), zcUIRect::null, rect(0, -3, 6, 5)}};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const auto& [a, b, both, either] = rows[i];
    EXPECT_EQ(a & b, both) << "row " << i;
    EXPECT_EQ(b & a, both) << "row " << i;
    EXPECT_EQ(a | b, either) << "row " << i;
    EXPECT_EQ(b | a, either) << "row " << i;
  }

  zcUIRect a = rect(0, 0, 10, 10);
  a &= rect(20, 20, 1, 1);
  EXPECT_EQ(a, zcUIRect::null);
  a |= rect(1, 1, 1, 1);
  EXPECT_EQ(a, rect(1, 1, 1, 1));

  const zcUIRect four = rect(0, 0, 4, 4);
  EXPECT_TRUE(four.within(rect(2, 2, 2, 2)) && four.within(zcPair<long>(3, 0)));
  EXPECT_FALSE(four.within(rect(2, 2, 3, 2)) || four.within(zcPair<long>(4, 0)) || four.within(zcPair<long>(0, -1)));

  const std::pair<zcUIRect, bool> disjoint[] = {
      {rect(4, 0, 4, 4), true}, {rect(0, -4, 4, 4), true}, {rect(3, 3, 4, 4), false}, {zcUIRect::null, true}};
  for (std::size_t i = 0; i < std::size(disjoint); ++i) {
    EXPECT_EQ(four.nullIntersection(disjoint[i].first), disjoint[i].second) << "row " << i;
    EXPECT_EQ(disjoint[i].first.nullIntersection(four), disjoint[i].second) << "row " << i;
  }
  EXPECT_EQ(rect(1, 2, 3, 4) + zcPair<long>(10, -20), rect(11, -18, 3, 4));
  EXPECT_EQ(rect(1, 2, 3, 4) - zcPair<long>(1, 2), rect(0, 0, 3, 4));
  EXPECT_EQ(zcUIRect::null + zcPair<long>(5, 5), zcUIRect::null);

  // In place, a null rectangle moves but stays null (its width is 0).
  zcUIRect n;
  n += zcPair<long>(5, 6);
  EXPECT_EQ(n.ul(), zcPair<long>(5, 6));
  EXPECT_TRUE(n.isNull());
  n -= zcPair<long>(5, 6);
  EXPECT_EQ(n, zcUIRect::null);
  EXPECT_NE(rect(0, 0, 1, 1), rect(0, 0, 1, 2));
  // Archives.
  EXPECT_EQ(zc_test::expectOwnRoundTrip(rect(1, -2, 3, 4)),
            withHeader({0, 1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 4, 0, 0, 0}));
  // A stored rectangle without area loads as null.
  EXPECT_EQ(zc_test::loaded(withHeader({0, 5, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0}), rect(9, 9, 9, 9)),
            zcUIRect::null);

  zcUIRect kept(7, 8, 9, 10);
  zcArchive wrongVersion(withHeader({1, 1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 4, 0, 0, 0}));
  zc_test::expectUnknownVersion([&] { wrongVersion || kept; }, "dispc/uirect");
  EXPECT_EQ(kept, rect(7, 8, 9, 10));
  zc_test::expectRefused<zcArchive::UnexpectedEnd>(withHeader({0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0}), kept);
}

TEST(UIFormat, AlignRectAroundTheAnchorTheCheckedProcessWideDefaultFontAndArchives) {
  const zcUIRect box(100, 100, 10, 7);
  const std::vector<zcPair<long>> corners = {{100, 100}, {95, 100}, {90, 100}, {100, 97}, {95, 97},
                                             {90, 97},   {100, 93}, {95, 93},  {90, 93}};
  for (std::uint32_t a = 0; a <= 8; ++a) {
    const zcUIFormat f(0, static_cast<zcUIFormat::Alignment>(a));
    EXPECT_EQ(f.alignRect(box), zcUIRect(corners[a], zcPair<long>(10, 7))) << a;
  }
  EXPECT_EQ(zcUIFormat(0, zcUIFormat::eMiddleCenter).alignRect(zcUIRect::null), zcUIRect::null);
  EXPECT_EQ(zcUIFormat(0, static_cast<zcUIFormat::Alignment>(9)).alignRect(box), box);
  EXPECT_EQ(zcUIFormat::defaultFontId(), -1);
  EXPECT_EQ(zcUIFormat().fontId(), -1);
  EXPECT_EQ(zcUIFormat().alignment(), zcUIFormat::eTopLeft);

  zcUIFormat::defaultFontId(12);
  EXPECT_EQ(zcUIFormat(zcUIFormat::eBottomLeft).fontId(), 12);
  EXPECT_EQ(zcUIFormat(zcUIFormat::eBottomLeft).alignment(), zcUIFormat::eBottomLeft);
  EXPECT_THROW(zcUIFormat::defaultFontId(1L << 40), zcUIError::BadParams);
  EXPECT_EQ(zcUIFormat::defaultFontId(), 12);
  zcUIFormat::defaultFontId(-1);

  zcUIFormat f(3, zcUIFormat::eTopRight);
  EXPECT_THROW(f.fontId(-(1L << 40)), zcUIError::BadParams);
  EXPECT_EQ(f, zcUIFormat(3, zcUIFormat::eTopRight));
  EXPECT_THROW(zcUIFormat(1L << 33, zcUIFormat::eTopLeft), zcUIError::BadParams);
  // Archives.
  EXPECT_EQ(zc_test::expectOwnRoundTrip(zcUIFormat(7, zcUIFormat::eBottomRight)),
            withHeader({0, 7, 0, 0, 0, 8, 0, 0, 0}));
  zcUIFormat kept(1, zcUIFormat::eTopLeft);
  zcArchive wrongVersion(withHeader({2, 7, 0, 0, 0, 8, 0, 0, 0}));
  zc_test::expectUnknownVersion([&] { wrongVersion || kept; }, "dispc/uistring", zc_test::kNoLine);
  EXPECT_EQ(kept, zcUIFormat(1, zcUIFormat::eTopLeft));
  zc_test::expectRefused<zcArchive::BadFormat>(withHeader({0, 5, 0, 0, 0, 9, 0, 0, 0}), kept);
}

TEST(ScopePixels, ToleranceFloorAndCeiling) {
  for (const auto& [v, floor] : {std::pair{2.99999999999999, 3L}, {-0.5, -1L}, {2.9999, 2L}, {-3.00000000000001, -3L},
                                 {-2.5, -3L}, {0.0, 0L}})
    EXPECT_EQ(zcUIScope::floorTol(v), floor) << v;
  for (const auto& [v, ceil] : {std::pair{3.00000000000001, 3L}, {3.0001, 4L}, {-0.5, 0L}, {-2.99999999999999, -3L}})
    EXPECT_EQ(zcUIScope::ceilTol(v), ceil) << v;
  EXPECT_THROW(zcUIScope::floorTol(std::nan("")), zcShapesError::BadParams);
  EXPECT_THROW(zcUIScope::ceilTol(INFINITY), zcShapesError::BadParams);
}

TEST(ScopeColors, NearestColorTakesTheFirstOfEqualsAndStopsAtAnExactMatch) {
  // An index color (flags 4).
  EXPECT_EQ(zcUIScope::nearestColor(zcColor(10, 10, 10), {zcRGB(0, 0, 0), zcRGB(20, 20, 20)}).flags(), 4);
  // Distances use every channel: (0, 30, 0) is nearer to (0, 0, 0) than (25, 25, 25) is.
  const struct {
    zcColor color;
    std::vector<zcRGB> palette;
    long index;
  } rows[] = {{zcColor(10, 10, 10), {zcRGB(0, 0, 0), zcRGB(20, 20, 20)}, 0},
              {zcColor(10, 10, 10), {zcRGB(9, 9, 9), zcRGB(10, 10, 10), zcRGB(10, 10, 10)}, 1},
              {zcColor(200, 0, 0), {zcRGB(0, 0, 0), zcRGB(255, 255, 255), zcRGB(190, 10, 5)}, 2},
              {zcColor(0, 30, 0), {zcRGB(25, 25, 25), zcRGB(0, 0, 0)}, 1},
              {zcColor::red, {zcRGB(0, 0, 0), zcRGB(250, 5, 5)}, 1},
              {zcColor(1, 2, 3), {}, 0}};
  for (std::size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(zcUIScope::nearestColor(rows[i].color, rows[i].palette).index(), rows[i].index) << "row " << i;
}

TEST(ScopeChanges, ChangeClipsToTheScopeCollectsClientChangesUnclippedAndAllChangeDependsOnInhibition) {
  zcLoggingScope scope(zcPair<long>(100, 50), zcPair<long>(5, 7));
  scope.clientChangeEnable(true);
  scope.change(rect(-10, -10, 30, 30), true);  // opaque only for a change of the whole scope
  EXPECT_EQ(scope.changeRect(), rect(5, 7, 20, 20));
  EXPECT_EQ(flagsOf(scope), "syt");
  EXPECT_FALSE(scope.modified());

  scope.clearAnyChanged();
  scope.change(rect(200, 0, 10, 10), false);  // outside: only the client rectangle grows
  EXPECT_EQ(scope.changeRect(), rect(5, 7, 20, 20));
  EXPECT_EQ(flagsOf(scope), "st");
  scope.change(rect(-5, 0, 120, 60), true);  // collecting client changes keeps tracking on
  EXPECT_EQ(flagsOf(scope), "saoyt");

  EXPECT_EQ(scope.clientChangedRect(false), rect(-5, -3, 220, 70));
  EXPECT_FALSE(scope.clientChangeEnable());
  EXPECT_FALSE(scope.trackChanges());
  scope.change(rect(-50, -50, 1, 1), false);
  EXPECT_EQ(scope.clientChangedRect(true), rect(-5, -3, 220, 70));

  // allChange depends on inhibition.
  zcLoggingScope small(zcPair<long>(30, 20), zcPair<long>(1, 2));
  small.allChange();
  EXPECT_EQ(flagsOf(small), "say");
  EXPECT_EQ(small.changeRect(), rect(1, 2, 30, 20));
  EXPECT_EQ(small.clientChangedRect(true), zcUIRect::inf + zcPair<long>(1, 2));
  small.noChange();
  small.clearAnyChanged();
  small.setInhibited(true);
  small.allChange();
  EXPECT_EQ(flagsOf(small), "ay");
  // After noChange a change of part of the scope leaves all-changed clear; the rest sets it.
  small.noChange();
  small.change(rect(0, 0, 30, 10), false);
  EXPECT_FALSE(small.allChanged());
  small.change(rect(0, 10, 30, 10), false);
  EXPECT_TRUE(small.allChanged());
}

TEST(ScopeTree, MoveAndSubsetSetOriginsListsAndRootsAndDeletingTheRootClearsTheLinksToIt) {
  zcLoggingScope root(zcPair<long>(200, 100), zcPair<long>(0, 0), "root");
  zcLoggingScope kid(zcPair<long>(1, 1), zcPair<long>(0, 0), "kid");
  kid.change(rect(0, 0, 1, 1), false);
  ASSERT_TRUE(kid.allChanged());

  kid.move(root, rect(10, -5, 30, 20));  // and forgets its changes
  EXPECT_EQ(kid.origin(), zcPair<long>(0, 5));
  EXPECT_EQ(linksOf(kid), (Links{&root, &root}));
  EXPECT_EQ(root.kids(), (std::list<zcUIScope*>{&kid}));
  EXPECT_FALSE(kid.allChanged() || kid.someChanged());

  // subset: the origin is the larger of the rectangle's corner and the parent's origin.
  zcLoggingScope offset(zcPair<long>(50, 50), zcPair<long>(3, 4), "offset");
  zcLoggingScope sub(zcPair<long>(1, 1), zcPair<long>(), "sub");
  sub.subset(offset, rect(10, 2, 5, 5));
  EXPECT_EQ(sub.origin(), zcPair<long>(10, 4));
  EXPECT_EQ(sub.last(), "moved offset [7,-2,5,5]");
  EXPECT_EQ(sub.root(), &offset);

  // Moving to another parent leaves the old list; the scopes below follow the root.
  zcLoggingScope grandkid(zcPair<long>(1, 1), zcPair<long>(), "grandkid");
  grandkid.move(kid, rect(0, 0, 1, 1));
  zcLoggingScope otherRoot(zcPair<long>(10, 10), zcPair<long>(), "other");
  kid.move(otherRoot, rect(1, 1, 2, 2));
  EXPECT_TRUE(root.kids().empty());
  EXPECT_EQ(otherRoot.kids(), (std::list<zcUIScope*>{&kid}));
  EXPECT_EQ(grandkid.root(), &otherRoot);
  // A scope cannot go below itself; nothing changes.
  EXPECT_THROW(otherRoot.move(grandkid, rect(0, 0, 1, 1)), zcUIError::BadParams);
  EXPECT_EQ(linksOf(otherRoot), (Links{nullptr, &otherRoot}));
  EXPECT_TRUE(grandkid.kids().empty());
  // Deleting the root clears the parent and root of its kids, the root of all below.
  auto doomed = std::make_unique<zcLoggingScope>(zcPair<long>(100, 100), zcPair<long>(), "doomed");
  zcLoggingScope orphan(zcPair<long>(1, 1), zcPair<long>(), "orphan");
  zcLoggingScope grandOrphan(zcPair<long>(1, 1), zcPair<long>(), "grandOrphan");
  orphan.move(*doomed, rect(0, 0, 50, 50));
  grandOrphan.move(orphan, rect(0, 0, 10, 10));
  doomed.reset();
  EXPECT_EQ(linksOf(orphan), (Links{nullptr, nullptr}));
  EXPECT_EQ(linksOf(grandOrphan), (Links{&orphan, nullptr}));
  // Without a root nothing reaches the deleted scope.
  grandOrphan.change(rect(0, 0, 2, 2), false);
  EXPECT_FALSE(grandOrphan.anyChanged());
  grandOrphan.clearAnyChanged();
}

TEST(ScopeRunLength, SamplingCarriesRemaindersAcrossRunsAndExpansionMagnifiesOnlyWhatReachesTheScope) {
  const zcRLEBuffer image(10, {{1, 3, 2, 4, 3, 3, 0, 0},
                               {9, 10, 0, 0},
                               {5, 1, 6, 1, 7, 8, 0, 0},
                               {4, 10, 0, 0},
                               {8, 10, 0, 0}});
  zcLoggingScope scope;
  const zcPoint at(4, 5);
  scope.sample(image, at, {0, 10, 20}, zcPair<double>(0.5, 0.5), true, 3, true);
  // Row 0: 3 → 1 (carry 1), 4 + 1 → 2 (carry 1), 3 + 1 → 2. Row 2 (source row 2): 1 →
  // nothing (carry 1), 1 + 1 → 1, 8 → 4. Source rows 1, 3 and 4 are skipped.
  EXPECT_EQ(scope.calls(), std::vector<std::string>{
                               "drawRLE (4,5) size=5x2 map=[0,10,20] pass=1/3 flag=1 runs=1,1,2,2,3,2,0,0;6,1,7,4,0,0"});
  EXPECT_EQ(scope.lastRLE().width(), 5);

  // The factor form of slot 33 reduces by 3; empty runs are dropped.
  scope.clear();
  scope.sample(image, at, {}, zcPair<long>(3, 3), false, 0, false);
  EXPECT_EQ(scope.calls(),
            std::vector<std::string>{"drawRLE (4,5) size=3x1 map=[] pass=0/0 flag=0 runs=1,1,2,1,3,1,0,0"});

  // Nothing is drawn when the result would be empty or the factor is not positive.
  scope.clear();
  scope.sample(image, at, {}, zcPair<long>(11, 1), false, 0, false);
  scope.sample(image, at, {}, zcPair<long>(0, 1), false, 0, false);
  scope.sample(image, at, {}, zcPair<double>(-0.5, 0.5), false, 0, false);
  scope.sample(zcRLEBuffer(), at, {}, zcPair<double>(0.5, 0.5), false, 0, false);
  EXPECT_TRUE(scope.calls().empty());

  // Other scales go mapped to the reducing slot.
  scope.sample(zcRLEBuffer(4, {{1, 2, 2, 2, 0, 0}}), at, {0, 10, 20}, zcPair<double>(0.4, 0.4), true, 2, false);
  EXPECT_EQ(scope.calls(), std::vector<std::string>{
                               "drawReducedPel8 (4,5) scale=(0.4,0.4) size=4x1 pass=1/20 flag=0 pels=10,10,20,20"});

  // Expansion magnifies only what reaches the scope.
  const zcRLEBuffer twoRows(3, {{1, 2, 2, 1, 0, 0}, {3, 3, 0, 0}});
  zcLoggingScope narrow(zcPair<long>(4, 3));
  narrow.expand(twoRows, zcPoint(0, 0), {7}, zcPair<double>(2, 2), false, 0, false, 0);
  // Whole blocks: the pels that reach the far edges are magnified entirely.
  EXPECT_EQ(narrow.last(), "drawRLE (0,0) size=4x4 map=[7] pass=0/0 flag=0 runs=1,4,0,0;1,4,0,0;3,4,0,0;3,4,0,0");

  // Cut off on the left and at the top: the first column (three magnified pels) lies
  // outside, the first block that shows starts one pel before the scope.
  narrow.expand(twoRows, zcPoint(-3, -1), {}, zcPair<long>(2, 2), true, 1, true, 0);
  EXPECT_EQ(narrow.last(),
            "drawRLE (-1,-1) size=4x4 map=[] pass=1/1 flag=1 runs=1,2,2,2,0,0;1,2,2,2,0,0;3,4,0,0;3,4,0,0");
  // A factor above 4096 cuts its blocks at the scope's edges instead.
  narrow.expand(twoRows, zcPoint(-3, -1), {}, zcPair<long>(5000, 5000), false, 0, false, 0);
  EXPECT_EQ(narrow.last(), "drawRLE (0,0) size=4x3 map=[] pass=0/0 flag=0 runs=1,4,0,0;1,4,0,0;1,4,0,0");

  // Long runs are split at 255.
  const zcRLEBuffer wide(200, {{9, 200, 0, 0}});
  narrow.setSize(zcPair<long>(1000, 10));
  narrow.expand(wide, zcPoint(0, 0), {}, zcPair<double>(2, 2), false, 0, false, 0);
  EXPECT_EQ(narrow.last(), "drawRLE (0,0) size=400x2 map=[] pass=0/0 flag=0 runs=9,255,9,145,0,0;9,255,9,145,0,0");

  // A fractional scale decodes and maps the image for the magnifying slot.
  narrow.clear();
  narrow.expand(twoRows, zcPoint(1, 2), {5, 6, 7, 8}, zcPair<double>(1.5, 1.5), false, 0, false, 3);
  EXPECT_EQ(narrow.last(), "drawMagnifiedPel8 (1,2) scale=(1.5,1.5) size=3x2 pass=0/5 flag=0 mode=3 pels=6,6,7;8,8,8");

  // Entirely outside the scope: nothing.
  narrow.clear();
  narrow.expand(twoRows, zcPoint(1000, 0), {}, zcPair<double>(2, 2), false, 0, false, 0);
  narrow.expand(twoRows, zcPoint(-6, 0), {}, zcPair<double>(2, 2), false, 0, false, 0);
  EXPECT_TRUE(narrow.calls().empty());
}

TEST(ScopePelForms, IntegerFactorsBecomeScalesOfThePaintingSlots) {
  zcLoggingScope scope;
  const zcPelBuffer<unsigned char> small = imageOf(Rows{{4, 5}});
  scope.sample(small, zcPoint(1, 1), zcPair<long>(2, 4), true, static_cast<unsigned char>(9), false);
  scope.expand(zcPelBuffer<zcPackedRGB32>(1, 1, zcPackedRGB32(1, 2, 3)), zcPoint(0, 0), zcPair<long>(3, 2), false,
               zcPackedRGB32(), true, 1);
  scope.sample(small, zcPoint(1, 1), zcPair<long>(0, 4), true, static_cast<unsigned char>(9), false);
  scope.expand(zcPelBuffer<unsigned short>(1, 1, 7), zcPoint(0, 0), zcPair<long>(2, -1), false,
               static_cast<unsigned short>(0), false, 0);
  EXPECT_EQ(scope.calls(),
            (std::vector<std::string>{
                "drawReducedPel8 (1,1) scale=(0.5,0.25) size=2x1 pass=1/9 flag=0 pels=4,5",
                "drawMagnifiedRGB32 (0,0) scale=(3,2) size=1x1 pass=0/0x000000 flag=1 mode=1 pels=0x010203"}));
}

TEST(ScopePelExpandAndScale, ReplicateBlocksShortenTheFirstForNegativeOffsetsAndReduceNearestOrBilinear) {
  ImageScope scope;
  const zcPelBuffer<unsigned char> source = imageOf(Rows{{1, 2, 3}, {4, 5, 6}});

  zcPelBuffer<unsigned char> target;
  zcUIRect area(0, 0, 100, 100);
  ASSERT_TRUE(scope.pelExpand(source, target, 3, 2, area, zcPair<long>(-2, -1)));
  EXPECT_EQ(pelsOf<unsigned char>(target), (Rows{{1, 2, 2, 2, 3, 3, 3}, {4, 5, 5, 5, 6, 6, 6}, {4, 5, 5, 5, 6, 6, 6}}));
  EXPECT_EQ(area, rect(0, 0, 7, 3));

  // Whole blocks are skipped when the offset passes a block; the rectangle cuts the
  // right and bottom edges.
  zcUIRect small(0, 0, 4, 2);
  ASSERT_TRUE(scope.pelExpand(source, target, 3, 2, small, zcPair<long>(-4, 0)));
  EXPECT_EQ(pelsOf<unsigned char>(target), (Rows{{2, 2, 3, 3}, {2, 2, 3, 3}}));
  EXPECT_EQ(small, rect(0, 0, 4, 2));

  // Packed RGB pels replicate the same way.
  const zcPackedRGB32 a(0x112233), b(0x445566);
  zcPelBuffer<zcPackedRGB32> rgbTarget;
  zcUIRect rgbArea(0, 0, 50, 50);
  ASSERT_TRUE(scope.pelExpand(imageOf<zcPackedRGB32>({{a, b}}), rgbTarget, 2, 2, rgbArea, zcPair<long>(-1, 0)));
  EXPECT_EQ(pelsOf<zcPackedRGB32>(rgbTarget), (std::vector<std::vector<zcPackedRGB32>>{{a, b, b}, {a, b, b}}));

  // Refusals leave target and rectangle as they were.
  const zcPelBuffer<unsigned char> kept = target;
  zcUIRect keptArea(1, 1, 5, 5);
  EXPECT_FALSE(scope.pelExpand(source, target, 0, 2, keptArea, zcPair<long>()));
  EXPECT_FALSE(scope.pelExpand(source, target, 3, 2, keptArea, zcPair<long>(-9, 0)));
  EXPECT_FALSE(scope.pelExpand(zcPelBuffer<unsigned char>(), target, 3, 2, keptArea, zcPair<long>()));
  EXPECT_TRUE(target.sharesStorage(kept));
  EXPECT_EQ(keptArea, rect(1, 1, 5, 5));

  // pelScale, factor 2 given either way: every second pel, the part inside the rectangle.
  const zcPelBuffer<unsigned char> ramped = ramp(6, 4);
  for (const double scale : {2.0, 0.5}) {
    zcPelBuffer<unsigned char> reduced;
    zcUIRect inside(11, 20, 100, 100);
    ASSERT_TRUE(scope.pelScale(ramped, reduced, scale, inside, zcPair<long>(10, 20), 0));
    EXPECT_EQ(inside, rect(11, 20, 2, 2));
    EXPECT_EQ(pelsOf<unsigned char>(reduced), (Rows{{2, 4}, {22, 24}})) << scale;
  }
  // A fractional factor samples the nearest pel: column truncate(c × 1.5).
  area = zcUIRect::firstQuad;
  ASSERT_TRUE(scope.pelScale(ramped, target, 1.5, area, zcPair<long>(), 0));
  EXPECT_EQ(area, rect(0, 0, 4, 3));
  EXPECT_EQ(pelsOf<unsigned char>(target), (Rows{{0, 1, 3, 4}, {10, 11, 13, 14}, {30, 31, 33, 34}}));

  // Bilinear mode on an 8 × 8 source blends each pair of columns.
  const zcPelBuffer<unsigned char> columns = imageOf(Rows(8, {0, 10, 20, 30, 40, 50, 60, 70}));
  zcUIRect whole(0, 0, 100, 100);
  ASSERT_TRUE(scope.pelScale(columns, target, 2.0, whole, zcPair<long>(), zcAffineSamplingParams::eBilinear));
  EXPECT_EQ(whole, rect(0, 0, 4, 4));
  EXPECT_EQ(pelsOf<unsigned char>(target), Rows(4, std::vector<unsigned char>{5, 25, 45, 65}));
  whole = rect(0, 0, 100, 100);
  ASSERT_TRUE(scope.pelScale(columns, target, 2.0, whole, zcPair<long>(), 0));
  EXPECT_EQ(pelsOf<unsigned char>(target), Rows(4, std::vector<unsigned char>{0, 20, 40, 60}));

  // Refusals leave target and rectangle unchanged.
  const zcPelBuffer<unsigned char> scaled = target;
  zcUIRect outside(50, 50, 5, 5);
  EXPECT_FALSE(scope.pelScale(ramped, target, 2.0, outside, zcPair<long>(), 0));
  EXPECT_FALSE(scope.pelScale(ramped, target, 0.0, outside, zcPair<long>(50, 50), 0));
  EXPECT_FALSE(scope.pelScale(zcPelBuffer<unsigned char>(), target, 2.0, outside, zcPair<long>(50, 50), 0));
  EXPECT_TRUE(target.sharesStorage(scaled));
  EXPECT_EQ(outside, rect(50, 50, 5, 5));
}

TEST(PelCopyVid, CopiesRowsWithIndependentPitches) {
  std::vector<unsigned char> src(18);
  for (unsigned char i = 0; i < 18; ++i) src[i] = i;
  std::vector<unsigned char> dst(15, 0xEE);
  zf_PelCopyVid(dst.data(), 5, src.data(), 6, 4, 3);
  EXPECT_EQ(dst, (std::vector<unsigned char>{0, 1, 2, 3, 0xEE, 6, 7, 8, 9, 0xEE, 12, 13, 14, 15, 0xEE}));

  // A source pitch of 0 repeats one row; a negative pitch runs upward.
  std::vector<unsigned char> repeated(9, 0);
  zf_PelCopyVid(repeated.data(), 3, src.data() + 1, 0, 3, 3);
  EXPECT_EQ(repeated, (std::vector<unsigned char>{1, 2, 3, 1, 2, 3, 1, 2, 3}));
  std::vector<unsigned char> flipped(6, 0);
  zf_PelCopyVid(flipped.data() + 4, -2, src.data(), 6, 2, 3);
  EXPECT_EQ(flipped, (std::vector<unsigned char>{12, 13, 6, 7, 0, 1}));

  const std::vector<unsigned char> before = dst;
  zf_PelCopyVid(dst.data(), 5, src.data(), 6, 4, 0);
  zf_PelCopyVid(dst.data(), 5, src.data(), 6, 4, -2);
  zf_PelCopyVid(dst.data(), 5, src.data(), 6, 0, 3);
  EXPECT_EQ(dst, before);
}
