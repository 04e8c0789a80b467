#include "dispc/wrfm/smdvertex.h"

#include "zfound/archive.h"
#include "zfound/xformbase.h"

#include "support/archive_bytes.h"
#include "support/sketch_stream.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
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

Vertex load(const Bytes& bytes, Vertex into = Vertex()) {
  zcArchive in(bytes);
  in || into;
  EXPECT_EQ(in.remaining(), 0u);
  return into;
}

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

}  // namespace

TEST(SMDVertexConstruction, DefaultsAndFractionBounds) {
  const Vertex def;
  EXPECT_TRUE(def.segmentLengthTol() == zcDimTol());
  EXPECT_EQ(def.segmentLengthTol().tolType(), zcDimTol::eLimits);
  EXPECT_TRUE(def == Vertex(zcPoint(0, 0), 0, zcDegree(0), 0.5, 0.5, -1, zcDimTol()));
  const Vertex short4(zcPoint(1, 2), 0.2, 0.9, 4);
  EXPECT_TRUE(short4.segmentLengthTol() == zcDimTol(-1, -1, -1, zcDimTol::eOffsets));
  EXPECT_TRUE(short4 == Vertex(zcPoint(1, 2), 0, 0.2, 0.9, 4));
  EXPECT_EQ(Vertex(zcPoint(1, 2), -2, 0.2, 0.9, 4).vertexRadius(), -2);

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
    }
  }
}

TEST(SMDVertexSetters, RefusedFractionLeavesTheVertexByteIdenticalAndUntold) {
  Vertex v = unusual();
  CountingObserver observer;
  v.track(&observer);
  const Bytes before = ownBytes(v);
  for (double bad : {0.0099, 1.0001}) {
    EXPECT_THROW(v.percentPrevSegment(bad), Vertex::invalidSegmentLength);
    EXPECT_THROW(v.percentNextSegment(bad), Vertex::invalidSegmentLength);
  }
  EXPECT_EQ(ownBytes(v), before);
  EXPECT_EQ(observer.calls, 0);

  // An accepted value tells the hook once, while the vertex is still as it was.
  v.percentPrevSegment(0.01);
  EXPECT_EQ(observer.calls, 1);
  EXPECT_EQ(observer.seen, before);
  EXPECT_EQ(v.percentPrevSegment(), 0.01);
}

TEST(SMDVertexEquality, ToleranceWholeTurnsAndIgnoredName) {
  const Vertex base = unusual();
  Vertex a(zcPoint(), 0, zcDegree(90), 0.5, 0.5, -1, zcDimTol());
  Vertex b = a;
  b.segmentAngleSpan(zcDegree(450));
  EXPECT_TRUE(a == b);
  b.segmentAngleSpan(zcDegree(270));
  EXPECT_TRUE(a != b);
  // At −60 degrees the cosine moves by about 1.5e-11 per 1e-9 degree.
  Vertex c = base;
  c.segmentAngleSpan(zcDegree(-60 + 1e-9));
  EXPECT_TRUE(c != base);
  c.segmentAngleSpan(zcDegree(-60 + 1e-11));
  EXPECT_TRUE(c == base);

  const std::vector<std::function<void(Vertex&, double)>> nudges = {
      [](Vertex& v, double d) { v.point(v.point() + zcVector<2>(d, 0)); },
      [](Vertex& v, double d) { v.point(v.point() + zcVector<2>(0, d)); },
      [](Vertex& v, double d) { v.vertexRadius(v.vertexRadius() + d); },
      [](Vertex& v, double d) { v.percentPrevSegment(v.percentPrevSegment() + d); },
      [](Vertex& v, double d) { v.percentNextSegment(v.percentNextSegment() + d); },
      [](Vertex& v, double d) { v.forwardExtension(v.forwardExtension() + d); },
      [](Vertex& v, double d) { v.backwardExtension(v.backwardExtension() + d); },
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

TEST(SMDVertexTransforms, ScalingAndRigidMotion) {
  const Vertex named = load(vertexPrefix(0, u"n"));
  const Vertex doubled = 2.0 * unusual();
  Vertex expected(zcPoint(6, -8), 3.0, zcDegree(-60), 0.3, 0.7, 12, zcDimTol(16, 0.5, 1, zcDimTol::eOffsets));
  expected.forwardExtension(0.25);
  expected.backwardExtension(0.125);
  EXPECT_TRUE(doubled == expected);
  EXPECT_TRUE((2.0 * named).name().empty());

  const zc2Rigid motion(zcRadian(zcDegree(90)), zcVector<2>(10, 0));
  const Vertex moved = motion * named;
  EXPECT_TRUE(zfRealEq(moved.point(), zcPoint(8, 1), 1e-12));
  EXPECT_EQ(moved.name(), L"n");
  Vertex onlyMoved = named;
  onlyMoved.point(moved.point());
  EXPECT_TRUE(moved == onlyMoved);
}

TEST(SMDVertexArchive, Version2FormAndOlderVersions) {
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
}

TEST(SMDVertexArchive, MalformedInputLeavesTheVertexAsItWas) {
  const Bytes good = ownBytes(unusual());
  Bytes v3 = good, base1 = good, tol1 = good;
  v3[kHeader.size()] = 3;
  base1[kHeader.size() + 1] = 1;
  tol1[tol1.size() - 29] = 1;
  EXPECT_EQ(refusalOf<zcArchive::UnknownVersion>(v3), "dispc/wrfm/smdvertex");
  EXPECT_EQ(refusalOf<zcArchive::UnknownVersion>(base1), "dispc/wrfm/smdvertex");
  EXPECT_EQ(refusalOf<zcArchive::UnknownVersion>(tol1), "dispc/dimtol");

  // What no vertex can hold: a corner fraction out of range, version-1 offsets that make
  // no tolerance (an upper one without a nominal).
  EXPECT_EQ(refusalOf<zcArchive::BadFormat>(vertexPrefix(0, u"x", 0.005)), "refused");
  EXPECT_EQ(refusalOf<zcArchive::BadFormat>(vertexPrefix(1, u"x").f64(-1).f64(0.2).i32(0)), "refused");

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
