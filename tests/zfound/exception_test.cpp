#include "zfound/archive.h"
#include "zfound/exception.h"

#include "checks.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <stdexcept>
#include <string>

TEST(FoundationExceptions, StatusTableBasesRethrownCopiesAndRegistryRoundTripsKeepTheirData) {
  EXPECT_NO_THROW(zfThrowExceptionOnFailure(0));
  EXPECT_NO_THROW(zfThrowExceptionOnFailure(17));
  EXPECT_THROW(zfThrowExceptionOnFailure(-1), zcShapesError::BadParams);
  EXPECT_THROW(zfThrowExceptionOnFailure(-2), zcShapesError::BadGeom);
  EXPECT_THROW(zfThrowExceptionOnFailure(-3), zcShapesError::DegenerateShape);
  EXPECT_THROW(zfThrowExceptionOnFailure(-4), zcShapesError::BadRadius);
  EXPECT_THROW(zfThrowExceptionOnFailure(-5), zcShapesError::BadCoef);
  EXPECT_THROW(zfThrowExceptionOnFailure(-6), zcShapesError::EmptyShape);
  EXPECT_THROW(zfThrowExceptionOnFailure(-7), zcMathError::Singular);
  EXPECT_THROW(zfThrowExceptionOnFailure(-8), zcPel::BadCoord);
  EXPECT_THROW(zfThrowExceptionOnFailure(-9), zcPel::UnboundWindow);
  EXPECT_THROW(zfThrowExceptionOnFailure(-10), zcBadPointer);
  EXPECT_THROW(zfThrowExceptionOnFailure(-11), std::length_error);
  EXPECT_THROW(zfThrowExceptionOnFailure(-12), std::bad_alloc);
  EXPECT_THROW(zfThrowExceptionOnFailure(-13), zcMalformedData);
  try {
    zfThrowExceptionOnFailure(-99);
    FAIL() << "no exception for -99";
  } catch (const zcFailedStatus& e) {
    EXPECT_EQ(e.status(), -99);
    EXPECT_EQ(e.message(), L"failed status -99");
  }
  try {
    throw zcShapesError::NotRegion(L"an open contour");
  } catch (const zcShapesError::Errors& e) {
    EXPECT_EQ(e.messageString(), L"an open contour");
  }
  try {
    throw zcMathError::Singular();
  } catch (const zcException& e) {
    EXPECT_EQ(e.errorNumber(), 0x10000201);
    EXPECT_EQ(e.what(), "zcMathError::Singular (error 0x10000201)");
  }
  try {
    throw zcArchive::UnknownVersion("dispc/color", 120);
  } catch (const zcExceptionWithString& e) {
    EXPECT_EQ(e.what(), "zcArchive::UnknownVersion (error 0x10000401): unknown version in dispc/color line 120");
  }

  zcException* heap = new zcShapesError::BadRadius(L"negative radius");
  try {
    heap->suicideAndRethrow();
    FAIL() << "did not throw";
  } catch (const zcShapesError::BadRadius& e) {
    EXPECT_EQ(e.messageString(), L"negative radius");  // the leak checker sees the free
  }
  zcArchive out;
  zcException* written[] = {new zcArchive::UnknownVersion("dispc/glist", 77), new zcFailedStatus(-42),
                            new zcShapesError::SampleOverflow(L"too many points")};
  for (zcException* e : written) out.serializePointer(e);

  zcArchive in(out.bytes());
  for (zcException* e : written) {
    zcException* r = nullptr;
    in.serializePointer(r);
    std::unique_ptr<zcException> owned(r);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->what(), e->what());
    EXPECT_EQ(std::string(zc_Instantiator::nameOf(*r)), zc_Instantiator::nameOf(*e));
    delete e;
  }
  auto* version = dynamic_cast<zcArchive::UnknownVersion*>(zc_Instantiator::create("zcArchive::UnknownVersion"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->line(), 0);
  delete version;
  EXPECT_EQ(zc_Instantiator::create("zcArchive::Errors"), nullptr);  // abstract: never registered

  // In place: leaf, family, zcExceptionWithString, zcException: one version byte each,
  // then the message.
  zcArchive own;
  zcShapesError::BadGeom geom(L"m");
  own || geom;
  EXPECT_EQ(own.bytes(), (zc_test::Bytes{'z', 'f', 'A', 'R', 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'm', 0}));
  const char* names[] = {"zcShapesError::BadGeom", "zcShapesError::Errors", "zcExceptionWithString", "zcException"};
  for (std::size_t level = 8; level < 12; ++level) {
    zcArchive bad(zc_test::withByte(own.bytes(), level, 1));
    zc_test::expectUnknownVersion([&] { bad || geom; }, names[level - 8], 0);
  }
}
