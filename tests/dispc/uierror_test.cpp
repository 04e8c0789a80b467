#include "dispc/dispprop.h"
#include "dispc/glist.h"
#include "dispc/uierror.h"
#include "dispc/wrfm/smdpoly.h"

#include "zfound/archive.h"

#include "support/archive_bytes.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const zc_test::Bytes& kHeader = zc_test::kArchiveHeader;

using Levels = std::vector<std::string>;  // the class levels below the leaf, outermost first
const Levels kUI = {"zcUIError::Errors", "zcException"};
const Levels kGraphic = {"zcGraphic::Errors", "zcExceptionWithString", "zcException"};
const Levels kPlain = {"zcException"};
const Levels kPoly = {"zcSMDGDPoly::Errors", "zcException"};
const Levels kModel = {"zcSMDGDModel::Errors", "zcException"};
const Levels kVertex = {"zcSMDGDPolyVertex::Errors", "zcException"};
const Levels kDimension = {"zcSMDDimension::Errors", "zcSMDDimensionErrors", "zcException"};

struct Row {
  const char* name;
  long number;
  const Levels& levels;
  const char* message = "";  // the fixed message, if any
};

// Every exception class of the display core.
const Row kClasses[] = {
    {"zcUIError::BadLayer", 0x10002B00, kUI},
    {"zcUIError::BadIconPattern", 0x10002B01, kUI},
    {"zcUIError::FlagStackUnderflow", 0x10002B02, kUI},
    {"zcUIError::FlagStackOverflow", 0x10002B03, kUI},
    {"zcUIError::FlagStackOutOfRange", 0x10002B04, kUI},
    {"zcUIError::NotAvailable", 0x10002B06, kUI},
    {"zcUIError::NotEnabled", 0x10002B07, kUI},
    {"zcUIError::BadKeyValue", 0x10002B08, kUI},
    {"zcUIError::InvalidColorMapSize", 0x10002B09, kUI},
    {"zcUIError::NotImplemented", 0x10002B12, kUI},
    {"zcUIError::BadParams", 0x10002B13, kUI},
    {"zcUIError::NotRGBColor", 0x10002B14, kUI},
    {"zcUIError::NotIndexColor", 0x10002B15, kUI},
    {"zcUIError::NoLongerSupported", 0x10002B16, kUI},
    {"zcUIError::InvalidUISketch", 0x10002B17, kUI},
    {"zcUIError::InitFailed", 0x10002B18, kUI},
    {"zcGraphic::BadParams", 0x10009600, kGraphic},
    {"zcGraphic::NoGraphicForShape", 0x10009601, kGraphic},
    {"zcGraphicProps::BadParams", 0x10004513, kPlain},
    {"zcSMDGDPoly::invalidVertices", 0x11000360, kPoly, "Invalid poly vertices."},
    {"zcSMDGDPoly::crossingSegments", 0x11000361, kPoly, "Two or more poly segments cross."},
    {"zcSMDGDPoly::invalidIndex", 0x11000362, kPoly, "Invalid index for poly vertex or segment."},
    {"zcSMDGDPoly::invalidRounding", 0x11000363, kPoly, "Invalid radius for poly vertex rounding."},
    {"zcSMDGDPoly::noPelBuffer", 0x11000364, kPoly, "No pel buffer to draw on."},
    {"zcSMDGDPoly::badSubModel", 0x11000365, kPoly, "The specified sub-model is not 2D"},
    {"zcSMDGDPoly::notClosed", 0x11000366, kPoly, "An operation was performed which requires a closed poly."},
    {"zcSMDGDModel::invalidIndex", 0x11000370, kModel, "Invalid poly index specified."},
    {"zcSMDGDModel::crossingPolys", 0x11000371, kModel, "At least two polys intersect."},
    {"zcSMDGDModel::nestedPolys", 0x11000372, kModel, "At least one of the polys is nested."},
    {"zcSMDGDPolyVertex::invalidSegmentLength", 0x11000350, kVertex, "Invalid poly segment length specified at vertex."},
    {"zcSMDDimension::badDimensionValue", 0x11000b00, kDimension},
};

std::string hex(long number) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(number));
  return text;
}

std::unique_ptr<zcException> create(const char* name) {
  zcPersistent* made = zc_Instantiator::create(name);
  auto* e = dynamic_cast<zcException*>(made);
  if (made && !e) delete made;
  return std::unique_ptr<zcException>(e);
}

class CountingObserver : public zcMutationObserver {
public:
  void mutating(const zcPersistent&) override { ++calls; }
  int calls = 0;
};

}  // namespace

// Every class: registered with its number, described by what() with its fixed message,
// archived as one version byte 0 per class level (a class carrying a message string
// ends with an empty one), an unknown version at any level naming that level, and
// rethrown as itself.
TEST(UIErrorClasses, EveryClassIsRegisteredWithItsNumberArchivesItsLevelsAndCopiesKeepTheMessage) {
  for (const Row& row : kClasses) {
    SCOPED_TRACE(row.name);
    std::unique_ptr<zcException> e = create(row.name);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->errorNumber(), row.number);
    ASSERT_NE(zc_Instantiator::nameOf(*e), nullptr);
    EXPECT_EQ(std::string(zc_Instantiator::nameOf(*e)), row.name);
    EXPECT_EQ(dynamic_cast<zcUIError::Errors*>(e.get()) != nullptr, &row.levels == &kUI);
    EXPECT_EQ(dynamic_cast<zcGraphic::Errors*>(e.get()) != nullptr, &row.levels == &kGraphic);
    EXPECT_EQ(e->what(), std::string(row.name) + " (error " + hex(row.number) + ")" + (*row.message ? ": " : "") +
                             row.message);

    zcArchive out;
    out || *e;
    Levels levels = row.levels;
    levels.insert(levels.begin(), row.name);
    std::vector<unsigned char> expected = kHeader;
    expected.insert(expected.end(), levels.size(), 0);
    if (&row.levels == &kGraphic) expected.insert(expected.end(), 4, 0);
    EXPECT_EQ(out.bytes(), expected);
    for (std::size_t level = 0; level < levels.size(); ++level) {
      zcArchive in(zc_test::withByte(out.bytes(), kHeader.size() + level, 1));
      std::unique_ptr<zcException> r = create(row.name);
      zc_test::expectUnknownVersion([&] { in || *r; }, levels[level], 0);
    }
    try {
      e.release()->suicideAndRethrow();  // frees it: the leak checker of the asan preset sees it
      ADD_FAILURE() << "did not throw";
    } catch (const zcException& thrown) {
      EXPECT_EQ(std::string(zc_Instantiator::nameOf(thrown)), row.name);
      EXPECT_EQ(thrown.errorNumber(), row.number);
    }
  }
  // The families are abstract and never registered; a dimension's message is not archived.
  EXPECT_EQ(zc_Instantiator::create("zcUIError::Errors"), nullptr);
  EXPECT_EQ(zc_Instantiator::create("zcGraphic::Errors"), nullptr);
  EXPECT_EQ(zc_test::ownBytes(zcSMDDimension::badDimensionValue(L"Nominal must be >= minimum")),
            zc_test::ownBytes(zcSMDDimension::badDimensionValue()));
  CountingObserver observer;
  zcGraphic::BadParams target(L"old");
  target.track(&observer);
  target = zcGraphic::BadParams(L"new");
  zcUIError::BadLayer layer;
  layer.track(&observer);
  layer = zcUIError::BadLayer();
  EXPECT_EQ(observer.calls, 2);
  EXPECT_TRUE(target.isTracked());
  // A copy is not tracked and keeps the message.
  const zcGraphic::BadParams copy(target);
  EXPECT_FALSE(copy.isTracked());
  EXPECT_EQ(copy.messageString(), L"new");
}
