// The special graphics: one table drives drawing, measures, maps and archives.
#include "support/archive_bytes.h"
#include "support/sketch_stream.h"
#include "support/tablet_screen.h"
#include "zfound/checks.h"

#include "dispc/glist.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace zc_test;
using Handle = zcPtrHandle<zcGraphic>;
constexpr zcUITablet::Layers eImage = zcUITablet::eImage;
const zcEllipseAnnulusSection kSection(zcEllipseAnnulus(zcEllipse(zcPoint(30, 20), 12, 6, zcRadian(0.3)), 0.5),
                                       zcRadian(0.4), zcRadian(2));
const zcCross kCross(zcPoint(7, 9), zcRadian(0.5), 5);
const zcUIFormat kFormat(3, zcUIFormat::eBottomRight);
const zcPoint kProbe(10, 13);
const std::string kSectionName = "zcGraphicEllipseAnnulusSection";

Bytes archived(const zcGraphic& g) { return archivedPointer(const_cast<zcGraphic*>(&g)); }
// Where an archive read refuses its version, or "accepted".
std::string refusal(const Bytes& bytes) {
  try {
    Handle(loadedPointer<zcGraphic>(bytes));
  } catch (const zcArchive::UnknownVersion& e) {
    return e.where() + (e.line() == 0 ? " without a line" : "");
  }
  return "accepted";
}

struct Row {
  std::string name;
  Handle graphic;
  std::function<void(zcUITablet&)> direct;
  zcRect box;
  double distance;  // to kProbe
};

TEST(SpecialGraphics, DrawMeasureMapAndArchiveUnderTheirNames) {
  const zcGraphicProps p = pen(zcColor::red, 2);
  const Row rows[] = {
      {"zcGraphicText",
       Handle(new zcGraphicText(L"AB", zcPoint(4, 5), zcColor::green, zcColor::blue, kFormat, zcVector<2>(2.7, -3.9))),
       [](zcUITablet& t) {
         t.drawStart(zcPoint(4, 5), eImage);
         t.moveToRelPels(2, -3, eImage);  // the offset truncated toward zero
         t.draw(L"AB", zcUITablet::drawPointArg_, zcColor::green, zcColor::blue, kFormat, eImage);
       },
       zcRect(), 1e308},
      {"zcGraphicCross", Handle(new zcGraphicCross(kCross, p)), [&](zcUITablet& t) { t.draw(kCross, p, eImage); },
       zcRect(), 5},
      {"zcGraphicPointIcon", Handle(new zcGraphicPointIcon(zcPoint(10, 20), p)),
       [&](zcUITablet& t) { t.drawPointIcon(zcPoint(10, 20), p, eImage); }, zcRect(10, 20, 1, 1), 7},
      {kSectionName, Handle(new zcGraphicEllipseAnnulusSection(kSection, zcColor::red, true, false)),
       [](zcUITablet& t) { t.draw(kSection, zcColor::red, true, false, eImage); }, kSection.boundingBox(),
       kSection.distToPoint(kProbe)}};
  for (const Row& r : rows) {
    const zcGraphic& g = *r.graphic;
    SCOPED_TRACE(r.name);
    zcUITablet viaGraphic, direct;
    viaGraphic.draw(g, eImage);
    r.direct(direct);
    EXPECT_FALSE(direct.sketch().isNull());
    EXPECT_EQ(bytesOf(viaGraphic.sketch()), bytesOf(direct.sketch()));
    Screen drawn, replayed;
    // Drawn inside the frame a replay makes: a screen lock and drawing optimization.
    drawn.tablet.lockScreenUpdatesPush(true, eImage);
    drawn.tablet.optimizeDrawing(true, eImage);
    drawn.tablet.draw(g, eImage);
    drawn.tablet.optimizeDrawing(false, eImage);
    drawn.tablet.lockScreenUpdatesPop(eImage);
    replayed.tablet.draw(viaGraphic.sketch(), zcPoint(), eImage);
    EXPECT_EQ(replayed.image.calls(), drawn.image.calls());
    EXPECT_EQ(std::make_tuple(g.encloseRect(), g.distToPoint(kProbe)), std::make_tuple(r.box, r.distance));
    const zcXform<2> shift = zcXform<2>::translation(zcVector<2>(1, 2));
    const Handle image = g.map(shift);
    EXPECT_NEAR(image->distToPoint(shift.mapPoint(kProbe)), r.distance, 1e-9);
    EXPECT_EQ(image->props(), g.props());

    const Bytes bytes = archived(g);
    const Handle back(loadedPointer<zcGraphic>(bytes));
    EXPECT_EQ(zc_Instantiator::nameOf(*back), r.name);
    EXPECT_EQ(archived(*back), bytes);
    EXPECT_EQ(archived(*g.clone()) == bytes, r.name != "zcGraphicText");  // a text's clone drops the offset
    // Header, pointer tag, name length and name; then the class's and the graphic's versions.
    const std::size_t at = 8 + 2 + r.name.size();
    EXPECT_EQ(bytes[at], r.name == kSectionName ? 1 : 0);
    for (const std::size_t level : {at, at + 1}) EXPECT_EQ(refusal(withByte(bytes, level, 2)), "dispc/glist") << level;
  }
}

TEST(SpecialGraphics, TextsCloneWithoutOffsetOrPenAndAreNullWhenEmpty) {
  zcGraphicText text(L"AB", zcPoint(4, 5), zcColor::green, zcColor::blue, kFormat, zcVector<2>(5, 5));
  text.props().penWidth(3);
  const Handle copies[] = {text.clone(), text.map(zcXform<2>::scaling(2, 3))};
  for (int i = 0; i < 2; ++i) {
    const auto& t = dynamic_cast<const zcGraphicText&>(*copies[i]);
    EXPECT_EQ(std::make_tuple(t.item(), t.location(), t.offset(), t.props(), t.backgroundColor(), t.format()),
              std::make_tuple(std::wstring(L"AB"), i ? zcPoint(8, 15) : zcPoint(4, 5), zcVector<2>(0, 0),
                              pen(zcColor::green, 1), zcColor::blue, kFormat));
  }
  zcGraphicText empty;
  EXPECT_TRUE(empty.isNull());
  empty.item() = L"A";
  EXPECT_FALSE(empty.isNull());
}

TEST(SpecialGraphics, SectionsKeepArrowFlagsInTheirPropertiesAndReadVersionZero) {
  // Recorded as opcode 7 only with both flags, else 39 with the flags after the section;
  // painted with arrow heads only when the head flag is set.
  for (const bool head : {false, true})
    for (const bool forward : {false, true}) {
      const zcGraphicEllipseAnnulusSection s(kSection, zcColor::red, head, forward);
      EXPECT_EQ(std::make_pair(s.drawArrowHead(), s.drawArrowHeadForward()), std::make_pair(head, forward));
      zcUITablet t;
      t.draw(s, eImage);
      const std::vector<Op> ops = opsOf(t.sketch());
      ASSERT_EQ(ops.size(), 1u);
      EXPECT_EQ(ops[0].opcode, head && forward ? 7 : 39);
      if (ops[0].opcode == 39) {
        EXPECT_EQ(Bytes(ops[0].payload.end() - 2, ops[0].payload.end()), (Bytes{head, forward}));
      }
      Screen screen;
      screen.tablet.draw(s, eImage);
      EXPECT_EQ(screen.image.count("drawToRelPels"), head ? 2u : 0u);  // the two arms of the head
    }
  EXPECT_EQ(zc_Instantiator::nameOf(*zcGraphic::makeShapeGraphic(kSection, pen(zcColor::red, 1))), kSectionName);
  // Version 0: the same record with the two bools after the section.
  Bytes v0 = withByte(archived(zcGraphicEllipseAnnulusSection(kSection, zcColor::red, false, false)),
                      8 + 2 + kSectionName.size(), 0);
  v0.insert(v0.end(), {1, 0});
  const Handle back(loadedPointer<zcGraphic>(v0));
  EXPECT_EQ(archived(*back), archived(zcGraphicEllipseAnnulusSection(kSection, zcColor::red, true, false)));
}

}  // namespace
