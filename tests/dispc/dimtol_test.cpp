#include "dispc/dimtol.h"
#include "dispc/wrfm/smdpoly.h"

#include "zfound/archive.h"

#include "support/archive_bytes.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Dim = zcSMDDimension;
using Tol = zcDimTol;
using Bytes = std::vector<unsigned char>;

const zc_test::Bytes& kHeader = zc_test::kArchiveHeader;

using zc_test::putDouble;

// The message of the badDimensionValue that `make` raises; "" when it raises none.
std::wstring failureOf(const std::function<void()>& make) {
  try {
    make();
  } catch (const Dim::badDimensionValue& e) {
    EXPECT_EQ(e.errorNumber(), 0x11000b00);
    return e.message();
  }
  return L"";
}

void expectDim(const Dim& d, double nom, double min, double max, Dim::ScaleType type) {
  EXPECT_DOUBLE_EQ(d.nomDim(), nom);
  EXPECT_DOUBLE_EQ(d.minDim(), min);
  EXPECT_DOUBLE_EQ(d.maxDim(), max);
  EXPECT_EQ(d.scaleType(), type);
}

void expectTol(const Tol& t, double nom, double min, double max, Tol::TolType type) {
  EXPECT_DOUBLE_EQ(t.nomDim(), nom);
  EXPECT_DOUBLE_EQ(t.minTol(), min);
  EXPECT_DOUBLE_EQ(t.maxTol(), max);
  EXPECT_EQ(t.tolType(), type);
}

bool tolValid(double nom, double min, double max, Tol::TolType type) {
  try {
    Tol(nom, min, max, type);
    return true;
  } catch (const zcShapesError::BadGeom&) {
    return false;
  }
}

}  // namespace

TEST(SMDDimensionValidation, EachRuleRaisesItsOwnMessageAndSetChangesNothing) {
  struct Case {
    double nom, min, max;
    const wchar_t* message;  // empty: valid
  };
  const Case cases[] = {
      {-1, -1, -1, L""}, {5, 4, 6, L""}, {5, 5, 5, L""}, {5, -1, 6, L""}, {5, 4, -1, L""},
      {0, -1, -1, L"Nominal dimension must be > 0 or -1"},
      {-0.5, 4, 6, L"Nominal dimension must be > 0 or -1"},
      {std::nan(""), -1, -1, L"Nominal dimension must be > 0 or -1"},
      {0, 0, 0, L"Nominal dimension must be > 0 or -1"},  // the rules apply in order
      {5, 0, 0, L"Minimum dimension must be > 0 or -1"},
      {5, 4, -1.5, L"Maximum dimension must be > 0 or -1"},
      {-1, 4, 6, L"Nominal must be set if minimum is > 0"},
      {5, 6, 7, L"Nominal must be >= minimum"},
      {-1, -1, 4, L"Nominal must be set if maximum is >= 0"},
      {5, -1, 4, L"Nominal must be <= maximum"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.nom << ", " << c.min << ", " << c.max);
    EXPECT_EQ(failureOf([&] { Dim(c.nom, c.min, c.max); }), c.message);
    Dim d(8, 7, 9, Dim::eScaleAll);
    EXPECT_EQ(failureOf([&] { d.set(c.nom, c.min, c.max, Dim::eScaleNominal); }), c.message);
    if (*c.message) expectDim(d, 8, 7, 9, Dim::eScaleAll);
    else expectDim(d, c.nom, c.min, c.max, Dim::eScaleNominal);
  }
  expectDim(Dim(), -1, -1, -1, Dim::eNoScaling);
  EXPECT_THROW(Dim(5, 6, 7), zcSMDDimensionErrors);
}

TEST(SMDDimensionScaling, EachScaleTypeAndTheUnsetNominal) {
  expectDim(2.0 * Dim(5, 4, 6, Dim::eScaleNominal), 10, 9, 11, Dim::eScaleNominal);
  expectDim(2.0 * Dim(5, 4, 6, Dim::eScaleAll), 10, 8, 12, Dim::eScaleAll);
  expectDim(2.0 * Dim(5, 4, 6, Dim::eNoScaling), 5, 4, 6, Dim::eNoScaling);
  expectDim(3.0 * Dim(2, -1, 3, Dim::eScaleNominal), 6, -1, 7, Dim::eScaleNominal);
  expectDim(3.0 * Dim(2, 1, -1, Dim::eScaleAll), 6, 3, -1, Dim::eScaleAll);
  for (Dim::ScaleType type : {Dim::eScaleNominal, Dim::eScaleAll}) {
    expectDim(2.0 * Dim(-1, -1, -1, type), -1, -1, -1, type);  // an unset nominal stays unset
  }
  expectDim(2.0 * Dim(5, 4, 6, static_cast<Dim::ScaleType>(7)), -1, -1, -1, Dim::eNoScaling);
  // The result is validated again: shrinking with kept offsets can cross zero.
  EXPECT_EQ(failureOf([] { (void)(0.05 * Dim(10, 9, 12, Dim::eScaleNominal)); }),
            L"Minimum dimension must be > 0 or -1");
  EXPECT_EQ(failureOf([] { (void)(0.0 * Dim(5, 4, 6, Dim::eScaleAll)); }), L"Nominal dimension must be > 0 or -1");

  EXPECT_TRUE(Dim(5, 4, 6) == Dim(5 + 4e-16, 4, 6));
  EXPECT_TRUE(Dim(5, 4, 6) != Dim(5, 4, 6 + 1e-14));
  EXPECT_TRUE(Dim(5, 4, 6) != Dim(5, 4, 6, Dim::eScaleAll));
}

TEST(DimensionBounds, WithinToleranceIsExclusiveAndScaledIsWithinIsInclusive) {
  const Dim d(5, 4, 6, Dim::eScaleNominal);
  EXPECT_FALSE(d.withinTolerance(4, 1));
  EXPECT_FALSE(d.withinTolerance(6, 1));
  EXPECT_TRUE(d.withinTolerance(4.000001, 1) && d.withinTolerance(5.999999, 1));
  // Scaled by 2 the bounds are 9 and 11; a dimension that does not scale keeps 4 and 6.
  EXPECT_FALSE(d.withinTolerance(9, 2) || d.withinTolerance(11, 2));
  EXPECT_TRUE(d.withinTolerance(10, 2));
  EXPECT_TRUE(Dim(5, 4, 6).withinTolerance(5, 2));

  const Tol t(5, 4, 6, Tol::eLimits);
  EXPECT_TRUE(t.isWithin(4) && t.isWithin(6));
  EXPECT_FALSE(t.isWithin(3.999) || t.isWithin(6.001));
  EXPECT_TRUE(Tol(5, -1, 6).isWithin(-100) && Tol(5, 4, -1).isWithin(1e12));
  EXPECT_FALSE(Tol(5, -1, 6).isWithin(6.5));
}

TEST(DimTolConversion, BetweenLimitsOffsetsAndPercentages) {
  const Tol perc(10, 0.1, 0.2, Tol::ePercentages);
  EXPECT_DOUBLE_EQ(perc.minDim(), 9);
  EXPECT_DOUBLE_EQ(perc.maxDim(), 12);
  EXPECT_DOUBLE_EQ(perc.minOffset(), 1);
  EXPECT_DOUBLE_EQ(perc.maxOffset(), 2);

  Tol t(10, 9, 12, Tol::eLimits);
  t.tolType(Tol::eOffsets);
  expectTol(t, 10, 1, 2, Tol::eOffsets);
  t.tolType(Tol::eLimits);
  expectTol(t, 10, 9, 12, Tol::eLimits);
  t.tolType(Tol::ePercentages);
  expectTol(t, 10, 0.1, 0.2, Tol::ePercentages);
  // A missing tolerance stays missing; a zero nominal (only scaling makes one) gives
  // zero fractions.
  EXPECT_EQ(Tol(10, -1, 3, Tol::eOffsets).minPerc(), -1);
  EXPECT_EQ((0.0 * Tol(10, 1, 2, Tol::eOffsets)).maxPerc(), 0.0);

  // A given tolerance without a nominal converts only into its own type.
  Tol bare(-1, 4, 6, Tol::eLimits);
  EXPECT_DOUBLE_EQ(bare.minDim(), 4);
  EXPECT_THROW(bare.minOffset(), zcShapesError::BadGeom);
  EXPECT_THROW(bare.tolType(Tol::eOffsets), zcShapesError::BadGeom);
  expectTol(bare, -1, 4, 6, Tol::eLimits);
}

TEST(DimTolValidity, ProvisionalNominalForTolerancesWithoutOne) {
  EXPECT_TRUE(tolValid(-1, 4, 6, Tol::eLimits));
  EXPECT_FALSE(tolValid(-1, 6, 4, Tol::eLimits));  // the middle, 5, lies below the minimum
  EXPECT_TRUE(tolValid(-1, -1, 1.5, Tol::eLimits));
  EXPECT_FALSE(tolValid(-1, -1, 1.0, Tol::eLimits));  // max − 1 is not > 0
  EXPECT_TRUE(tolValid(-1, 0.5, 2, Tol::eOffsets));
  EXPECT_FALSE(tolValid(-1, -1, 2, Tol::eOffsets));  // nothing to place an upper offset on
  EXPECT_TRUE(tolValid(-1, 0.99, 5, Tol::ePercentages));
  EXPECT_FALSE(tolValid(-1, 1.0, -1, Tol::ePercentages));  // lower limit 0 of nominal 1

  EXPECT_TRUE(tolValid(5, 0, 0, Tol::eOffsets));
  EXPECT_FALSE(tolValid(5, 5, 1, Tol::eOffsets));  // lower limit 0
  EXPECT_FALSE(tolValid(5, -0.5, 1, Tol::eOffsets));
  EXPECT_FALSE(tolValid(0, -1, -1, Tol::eOffsets));
}

TEST(DimTolSetters, RefusedValuesLeaveTheToleranceAsItWas) {
  Tol t(10, 1, 2, Tol::eOffsets);
  EXPECT_THROW(t.limits(11, 12), zcShapesError::BadGeom);
  EXPECT_THROW(t.offsets(12, 1), zcShapesError::BadGeom);
  EXPECT_THROW(t.nomDim(0.5), zcShapesError::BadGeom);  // lower limit −0.5
  expectTol(t, 10, 1, 2, Tol::eOffsets);

  t.percentages(0.5, 0.2);  // two arguments keep the nominal
  expectTol(t, 10, 0.5, 0.2, Tol::ePercentages);
  t.offsets(20, 3, 4);
  expectTol(t, 20, 3, 4, Tol::eOffsets);
  t.nomDim(3.5);
  EXPECT_DOUBLE_EQ(t.minDim(), 0.5);

  // Scaling touches the nominal alone and does not validate.
  expectTol(2.0 * Tol(5, 4, 6, Tol::eLimits), 10, 4, 6, Tol::eLimits);
  EXPECT_TRUE(Tol(5, 1, 2, Tol::eOffsets) == Tol(5, 1 + 5e-16, 2, Tol::eOffsets));
  EXPECT_TRUE(Tol(5, 1, 2, Tol::eOffsets) != Tol(5, 1, 2 + 1e-14, Tol::eOffsets));
  EXPECT_TRUE(Tol(10, 9, 12) != Tol(10, 1, 2, Tol::eOffsets));
}

TEST(DimensionArchive, ByteFormsRoundTripsAndRefusedVersions) {
  Tol t(10, 0.1, 0.25, Tol::ePercentages);
  Dim d(5, 4, 6, Dim::eScaleAll);
  zcArchive out;
  out || t || d;
  Bytes expected = kHeader;
  expected.push_back(0);
  for (double v : {10.0, 0.1, 0.25}) putDouble(expected, v);
  expected.insert(expected.end(), {2, 0, 0, 0, 0});  // tolerance type (32 bits), dimension version
  for (double v : {5.0, 4.0, 6.0}) putDouble(expected, v);
  expected.push_back(2);  // scale type, one byte
  EXPECT_EQ(out.bytes(), expected);
  // A dimension is loaded as it is, valid or not: here with a nominal of 0.
  Bytes loose = expected;
  std::memset(loose.data() + 8 + 30, 0, 8);
  zcArchive in(loose);
  Tol t2;
  Dim d2;
  in || t2 || d2;
  EXPECT_TRUE(t2 == t);
  expectDim(d2, 0, 4, 6, Dim::eScaleAll);

  // An unknown version or a cut leaves the value being read as it was.
  const Tol keptTol(2, 1, 3);
  const Dim keptDim(2, 1, 3);
  Bytes tolV1 = expected, dimV1 = expected;
  tolV1[8] = 1;
  dimV1[8 + 29] = 1;
  Tol t3 = keptTol;
  Dim d3 = keptDim;
  for (const Bytes* bytes : {&tolV1, &dimV1}) {
    zcArchive bad(*bytes);
    zc_test::expectUnknownVersion([&] { bad || t3 || d3; }, bytes == &tolV1 ? "dispc/dimtol" : "", zc_test::kNoLine);
    EXPECT_TRUE(t3 == (bytes == &tolV1 ? keptTol : t) && d3 == keptDim);
  }
  for (std::size_t size = kHeader.size(); size < expected.size(); ++size) {
    zcArchive cut(Bytes(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(size)));
    Tol t4 = keptTol;
    Dim d4 = keptDim;
    EXPECT_THROW(cut || t4 || d4, zcArchive::UnexpectedEnd);
    EXPECT_TRUE(d4 == keptDim && t4 == (size < 8 + 29 ? keptTol : t));
  }
}

TEST(SMDConversions, TypesCorrespondAndDimTolRoundTrips) {
  constexpr auto dimTol = &zcSMDGDPolyPrivate::dimTol;
  constexpr auto scaleType = &zcSMDGDPolyPrivate::scaleType;
  constexpr auto tolType = &zcSMDGDPolyPrivate::tolType;
  EXPECT_EQ(tolType(static_cast<Dim::ScaleType>(5)), Tol::eOffsets);
  EXPECT_EQ(scaleType(static_cast<Tol::TolType>(-3)), Dim::eScaleNominal);

  expectTol(dimTol(Dim(10, 9, 12, Dim::eScaleNominal)), 10, 1, 2, Tol::eOffsets);
  expectTol(dimTol(Dim(10, 9, 12, Dim::eScaleAll)), 10, 0.1, 0.2, Tol::ePercentages);
  expectDim(Dim(Tol(10, 0.1, 0.2, Tol::ePercentages)), 10, 9, 12, Dim::eScaleAll);
  // Offsets without a nominal are a valid tolerance but give no limits.
  EXPECT_THROW(Dim(Tol(-1, 0.5, 2, Tol::eOffsets)), zcShapesError::BadGeom);
  for (const Dim& d : {Dim(10, 9, 12), Dim(10, -1, 12, Dim::eScaleNominal), Dim(4, 3, 4, Dim::eScaleAll)}) {
    EXPECT_TRUE(Dim(dimTol(d)) == d);  // each type maps back to its own
  }
}
