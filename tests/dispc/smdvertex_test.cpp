// Dimensions, length tolerances and the vertices of SMD polys.
#include "dispc/dimtol.h"
#include "dispc/wrfm/smdpoly.h"
#include "dispc/wrfm/smdvertex.h"

#include "zfound/archive.h"
#include "zfound/xformbase.h"

#include "support/archive_bytes.h"
#include "support/sketch_stream.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using Vertex = zcSMDGDPolyVertex;
using Bytes = std::vector<unsigned char>;

const zc_test::Bytes& kHeader = zc_test::kArchiveHeader;

using zc_test::ownBytes;
using zc_test::Stream;

// A vertex's archive form written by hand up to the label (3); what follows depends on
// the version. Point (1, 2), radius 0.5, span 90, fractions `prev` and 0.75.
Stream vertexPrefix(unsigned char version, const std::u16string& name, double prev = 0.25) {
  Stream b;
  b.bytes(kHeader).u8(version).u8(0).i32(static_cast<std::int32_t>(name.size()));  // base version, name
  for (char16_t unit : name) b.u8(unit).u8(0);
  b.point(1, 2).f64(0.5).f64(90).f64(prev).f64(0.75).i32(3);
  return b;
}

Vertex load(const Bytes& bytes, Vertex into = Vertex()) { return zc_test::loaded(bytes, into); }

// Every field away from its default.
Vertex unusual() {
  Vertex v(zcPoint(3, -4), 1.5, zcDegree(-60), 0.3, 0.7, 12, zcDimTol(8, 0.5, 1, zcDimTol::eOffsets));
  v.forwardExtension(0.25);
  v.backwardExtension(0.125);
  return v;
}

// Loads `bytes` into a vertex that must refuse them with an E and stay byte-identical.
// Returns where an UnknownVersion points, "refused" for other classes.
template <class E>
std::string refusalOf(const Bytes& bytes) {
  const Vertex original(zcPoint(7, 7), 0, 0.5, 0.5, 1);
  Vertex target = original;
  std::string result;
  zcArchive in(bytes);
  try {
    in || target;
    ADD_FAILURE() << "accepted";
  } catch (const E& e) {
    result = "refused";
    if constexpr (std::is_same_v<E, zcArchive::UnknownVersion>) result = e.where();
  }
  EXPECT_EQ(ownBytes(target), ownBytes(original));
  return result;
}

class CountingObserver : public zcMutationObserver {
public:
  void mutating(const zcPersistent& object) override {
    ++calls;
    seen = ownBytes(dynamic_cast<const Vertex&>(object));
  }
  int calls = 0;
  Bytes seen;
};

// Records what the transform form of drawSynthetic is handed.
class RecordingVertex : public Vertex {
public:
  using Vertex::drawSynthetic;
  void drawSynthetic(const zcXform<2>& xform, zcPelBuffer<unsigned char>&) const override { drawn.push_back(xform); }
  mutable std::vector<zcXform<2>> drawn;
};

using Dim = zcSMDDimension;
using Tol = zcDimTol;
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

TEST(SMDVertexConstruction, DefaultsFractionBoundsAndEqualityByToleranceWholeTurnsIgnoringTheName) {
  EXPECT_TRUE(Vertex() == Vertex(zcPoint(0, 0), 0, zcDegree(0), 0.5, 0.5, -1, zcDimTol()));
  const Vertex short4(zcPoint(1, 2), 0.2, 0.9, 4);
  EXPECT_TRUE(short4.segmentLengthTol() == zcDimTol(-1, -1, -1, zcDimTol::eOffsets));
  EXPECT_TRUE(short4 == Vertex(zcPoint(1, 2), 0, 0.2, 0.9, 4));

  // A refused setter leaves the vertex byte-identical and tells nobody.
  Vertex v = unusual();
  CountingObserver observer;
  v.track(&observer);
  const Bytes before = ownBytes(v);
  using Make = std::function<Vertex(double, double)>;
  const Make makers[] = {
      [](double p, double n) { return Vertex(zcPoint(), p, n, -1); },
      [](double p, double n) { return Vertex(zcPoint(), 1.0, p, n, -1); },
      [](double p, double n) { return Vertex(zcPoint(), 1.0, zcDegree(30), p, n, -1, zcDimTol()); },
  };
  for (const Make& make : makers) {
    const Vertex ends = make(0.01, 1.0);
    EXPECT_EQ(ends.percentPrevSegment(), 0.01);
    EXPECT_EQ(ends.percentNextSegment(), 1.0);
    for (double bad : {0.0099, 1.0001, std::nan("")}) {
      EXPECT_THROW(make(bad, 0.5), Vertex::invalidSegmentLength);
      EXPECT_THROW(make(0.5, bad), Vertex::invalidSegmentLength);
      EXPECT_THROW(v.percentPrevSegment(bad), Vertex::invalidSegmentLength);
      EXPECT_THROW(v.percentNextSegment(bad), Vertex::invalidSegmentLength);
    }
  }
  EXPECT_EQ(ownBytes(v), before);
  EXPECT_EQ(observer.calls, 0);
  // An accepted value tells the hook once, while the vertex is still as it was.
  v.percentPrevSegment(0.01);
  EXPECT_EQ(observer.calls, 1);
  EXPECT_EQ(observer.seen, before);
  EXPECT_EQ(v.percentPrevSegment(), 0.01);
  const Vertex base = unusual();
  Vertex a(zcPoint(), 0, zcDegree(90), 0.5, 0.5, -1, zcDimTol());
  Vertex b = a;
  b.segmentAngleSpan(zcDegree(450));
  EXPECT_TRUE(a == b);
  b.segmentAngleSpan(zcDegree(270));
  EXPECT_TRUE(a != b);
  // Spans (nudged by ten times as much) compare by their cosine and sine: at −60 degrees
  // the cosine moves by about 1.5e-11 per 1e-9 degree.
  const std::vector<std::function<void(Vertex&, double)>> nudges = {
      [](Vertex& v, double d) { v.point(v.point() + zcVector<2>(d, 0)); },
      [](Vertex& v, double d) { v.point(v.point() + zcVector<2>(0, d)); },
      [](Vertex& v, double d) { v.vertexRadius(v.vertexRadius() + d); },
      [](Vertex& v, double d) { v.percentPrevSegment(v.percentPrevSegment() + d); },
      [](Vertex& v, double d) { v.percentNextSegment(v.percentNextSegment() + d); },
      [](Vertex& v, double d) { v.forwardExtension(v.forwardExtension() + d); },
      [](Vertex& v, double d) { v.backwardExtension(v.backwardExtension() + d); },
      [](Vertex& v, double d) { v.segmentAngleSpan(zcDegree(v.segmentAngleSpan().value() + 10 * d)); },
  };
  for (std::size_t i = 0; i < nudges.size(); ++i) {
    SCOPED_TRACE(i);
    Vertex near = base, far = base;
    nudges[i](near, 1e-12);
    nudges[i](far, 1e-10);
    EXPECT_TRUE(near == base);
    EXPECT_TRUE(far != base);
    EXPECT_TRUE(zfRealEq(far, base, 1e-9));
  }
  Vertex label = base;
  label.subModelLabel(13);
  Vertex tol = base;
  tol.segmentLengthTol(zcDimTol(8, 0.5, 1, zcDimTol::ePercentages));
  EXPECT_FALSE(zfRealEq(label, base, 1.0) || zfRealEq(tol, base, 1.0));

  // A name comes only with an archive; it never counts.
  const Vertex named = load(vertexPrefix(0, u"pin 1"));
  EXPECT_EQ(named.name(), L"pin 1");
  EXPECT_TRUE(named == Vertex(zcPoint(1, 2), 0.5, zcDegree(90), 0.25, 0.75, 3, zcDimTol()));
}

TEST(SMDVertexArchive, Version2FormOlderVersionsAndMalformedInputThatLeavesTheVertexAsItWas) {
  const Bytes expected = Stream()
                            .bytes(kHeader).u8(2).u8(0).i32(0)  // versions, empty name
                            .point(3, -4).f64(1.5).f64(-60).f64(0.3).f64(0.7).i32(12)
                            .u8(0).f64(8).f64(0.5).f64(1).i32(zcDimTol::eOffsets);  // tolerance
  EXPECT_EQ(ownBytes(unusual()), expected);

  // The extensions are working values and stay behind.
  Vertex noExtensions = unusual();
  noExtensions.forwardExtension(0);
  noExtensions.backwardExtension(0);
  EXPECT_TRUE(load(expected) == noExtensions);

  // Version 0 ends with the label: no tolerance, of type limits.
  const Vertex v0 = load(vertexPrefix(0, u""), unusual());
  EXPECT_TRUE(v0.segmentLengthTol() == zcDimTol());
  EXPECT_EQ(v0.segmentLengthTol().tolType(), zcDimTol::eLimits);
  // Version 1: two offsets and an ignored 32-bit value, on the nominal already there.
  const Bytes b1 = vertexPrefix(1, u"").f64(0.1).f64(0.2).i32(std::int32_t(0xDEADBEEF));
  EXPECT_TRUE(load(b1).segmentLengthTol() == zcDimTol(-1, 0.1, 0.2, zcDimTol::eOffsets));
  EXPECT_TRUE(load(b1, unusual()).segmentLengthTol() == zcDimTol(8, 0.1, 0.2, zcDimTol::eOffsets));
  const Bytes good = ownBytes(unusual());
  Bytes v3 = good, base1 = good, tol1 = good;
  v3[kHeader.size()] = 3;
  base1[kHeader.size() + 1] = 1;
  tol1[tol1.size() - 29] = 1;
  EXPECT_EQ(refusalOf<zcArchive::UnknownVersion>(v3), "dispc/wrfm/smdvertex");
  EXPECT_EQ(refusalOf<zcArchive::UnknownVersion>(base1), "dispc/wrfm/smdvertex");
  EXPECT_EQ(refusalOf<zcArchive::UnknownVersion>(tol1), "dispc/dimtol");

  // Version-1 offsets are taken as stored, also an upper one without a nominal; a corner
  // fraction out of range no vertex can hold.
  EXPECT_TRUE(load(vertexPrefix(1, u"x").f64(-1).f64(0.2).i32(0)).segmentLengthTol() ==
              zcDimTol::fromStored(-1, -1, 0.2, zcDimTol::eOffsets));
  EXPECT_EQ(refusalOf<zcArchive::BadFormat>(vertexPrefix(0, u"x", 0.005)), "refused");

  // Cut anywhere, also after the name: the name is put back as well.
  const Bytes named = vertexPrefix(0, u"named").get();
  for (std::size_t size = kHeader.size(); size < named.size(); ++size) {
    EXPECT_EQ(refusalOf<zcArchive::Errors>(Bytes(named.begin(), named.begin() + static_cast<std::ptrdiff_t>(size))),
              "refused");
  }
}

TEST(SMDDescriptionDrawing, SyntheticDrawingThroughAHandleUsesTheLinearMapAtTheOrigin) {
  const RecordingVertex v;
  zcPelBuffer<unsigned char> buffer(4, 4);
  const zcXform<2> affine(zcMatrix<2>(2, 0, 0, 3), zcVector<2>(1, 1));
  v.drawSynthetic(zc2XformBasePtr(new zc2XformLinear(affine)), buffer);
  const zc2XformBasePtr lens(new zc2XformProjective(std::array<double, 9>{1, 0, 0, 0, 1, 0, 0.1, 0.2, 1}));
  v.drawSynthetic(lens, buffer);
  EXPECT_THROW(v.drawSynthetic(zc2XformBasePtr(), buffer), zcBadPointer);

  ASSERT_EQ(v.drawn.size(), 2u);
  EXPECT_EQ(v.drawn[0], affine);
  EXPECT_TRUE(zfRealEq(v.drawn[1], lens->linearXform(zcPoint(0, 0)), 1e-15));
  EXPECT_FALSE(zfRealEq(v.drawn[1], lens->linearXform(zcPoint(1, 1)), 1e-6));
}

// --- Dimensions and tolerances ---------------------------------------------------------------------

TEST(SMDDimension, EachRuleRaisesItsOwnMessageEachScaleTypeAndTheBounds) {
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
  EXPECT_EQ((std::vector<double>{perc.minDim(), perc.maxDim(), perc.minOffset(), perc.maxOffset()}),
            (std::vector<double>{9, 12, 1, 2}));

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

TEST(DimTolValidity, ProvisionalNominalAndRefusedSettersLeaveTheToleranceAsItWas) {
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
