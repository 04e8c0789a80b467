// Sketches: the byte buffer, its operation records, walking and archiving them.
#include "dispc/sketchop.h"
#include "dispc/uierror.h"
#include "dispc/uisketch.h"
#include "dispc/uitablet.h"

#include "zfound/archive.h"
#include "zfound/bytes.h"
#include "zfound/handle.h"
#include "support/sketch_stream.h"
#include "support/tablet_screen.h"
#include "zfound/checks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using RecordPtr = zcPtrHandle<zc_UISketchOpData>;
using zc_test::bytesOf;
using zc_test::sketchOf;

Bytes payloadOf(const zc_UISketchOpData& record) {
  zcUISketch s;
  record.populateSketch(s);
  return bytesOf(s);
}

Bytes archived(const zcUISketch& s) { return zc_test::ownBytes(s); }

zcUISketch loaded(const Bytes& archive) { return zc_test::loaded<zcUISketch>(archive); }

zcUIFormat format(long font, int alignment) { return zcUIFormat(font, static_cast<zcUIFormat::Alignment>(alignment)); }

zcPelBuffer<unsigned char> ramp(long w, long h) {
  zcPelBuffer<unsigned char> pels(w, h);
  for (long y = 0; y < h; ++y)
    for (long x = 0; x < w; ++x) pels.set(x, y, static_cast<unsigned char>(10 * y + x));
  pels.offset(zcPair<long>(3, -2));
  pels.imageFromClientXform(zcXform<2>(zcMatrix<2>(2, 0, 0, 2), zcVector<2>(1, 1)));
  return pels;
}

zc_UISketchPolyData squarePoly() {
  zc_UISketchPolyData d;
  d.xform = zcXform<2>(zcMatrix<2>(1, 0, 0, 1), zcVector<2>(5, 6));
  d.editable = d.open = true;
  for (const zcPoint& c : {zcPoint(0, 0), zcPoint(4, 0), zcPoint(4, 4)}) {
    d.vertices.push_back({c, 0.5, 0, {4, 3.9, 4.1}, 0x0000000100000002ull});
    d.roundedStarts.push_back(c + zcVector<2>(0.1, 0));
    d.roundedEnds.push_back(c + zcVector<2>(0, 0.1));
    d.roundedSpans.push_back(90);
  }
  return d;
}

zcEllipseAnnulusSection section() {
  const zcEllipse inner(zcPoint(0, 0), 2, 1, zcRadian(0.2));
  const zcEllipse outer(zcPoint(0, 0), 4, 2, zcRadian(0.2));
  return zcEllipseAnnulusSection(zcEllipseAnnulus(inner, outer), zcRadian(0.1), zcRadian(1.5), true, false);
}

// An arc of a left-handed ellipse running backwards.
zcEllipseArc2 leftArc2() {
  return zcEllipseArc2(zcEllipse2(zcVector<2>(3, 2), zcRadian(0.5), zcPoint(1, 2), false, zcRadian(0.25)), zcRadian(1),
                       zcRadian(-2));
}

// A properties block (cyan, width 4, filled) and the header of opcode 4 on the overlay:
// 30 bytes.
zcUISketch headed(const zcColor& color = zcColor::red) {
  zcUISketch s;
  s.opcode(40, zcGraphicProps(zcColor::cyan, 4, zcGraphicProps::ePenStyleDefault, true));
  s.opcode(4, 1, color);
  return s;
}

struct Sample {
  std::function<zc_UISketchOpData*()> make;
  long length;  // the payload length the layout gives for this value
};

// The plain kind whose record class R is.
long opcodeFor(const zc_UISketchOpData& record) {
  for (const zcUISketchOpKind& kind : zfUISketchOpKinds()) {
    RecordPtr made(zfCreateUISketchOpData(kind.opcode));
    if (!kind.filled && typeid(*made) == typeid(record)) return kind.opcode;
  }
  return -1;
}

// Samples of the kinds, every field away from its default.
std::vector<Sample> samples() {
  const zcBezierCurve b1(zcPoint(0, 0), zcPoint(1, 2), zcPoint(3, 2), zcPoint(4, 0), 1, 2, 2, 1);
  const zcBezierCurve b2(zcPoint(4, 0), zcPoint(5, -1), zcPoint(6, 1), zcPoint(7, 0));
  const zcRLEBuffer rle = zcRLEBuffer::encode(ramp(3, 2));
  zcUISketch nested;
  nested.opcode(40, zcGraphicProps(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, true));
  nested.opcode(0, 1, zcColor::red);
  nested.append(16);
  const zcEllipse e(zcPoint(1, 1), 3, 2, zcRadian(0.4));
  const zcGenRect inner(zcVector<2>(0, 0), zcVector<2>(1, 1), zcRadian(0), zcVector<2>(0, 0));
  const zcGenRect outer(zcVector<2>(0, 0), zcVector<2>(3, 2), zcRadian(0), zcVector<2>(0.5, 0.5));
  const zcAffineRectangle affine(zcPoint(0, 0), zcPoint(3, 1), zcPoint(-1, 2));
  const zcGenRect turned(zcVector<2>(1, 2), zcVector<2>(3, 2), zcRadian(0.3), zcVector<2>(1, 0.5));
  const std::wstring accented = L"\u00e9t\u00e9 \U0001F600";
  const long rleLength = static_cast<long>(16 + 3 + 4 + 3 + 8 + rle.runData().size());
  return {
      {[] { return new zc_UISketchOpPoint(zcPoint(1.5, -2)); }, 16},
      {[] { return new zc_UISketchOpPointIcon(zcPoint(3, 4)); }, 16},
      {[] { return new zc_UISketchOpLineSeg(zcLineSeg(zcPoint(1, 2), zcPoint(3, 4))); }, 32},
      {[] { return new zc_UISketchOpLine(zcLine(zcPoint(1, 2), zcRadian(0.3))); }, 32},
      {[] { return new zc_UISketchOpCircle(zcCircle(zcPoint(1, 2), 3)); }, 24},
      {[e] { return new zc_UISketchOpEllipse(e); }, 48},
      {[e] { return new zc_UISketchOpEllipseArc(zcEllipseArc(e, zcRadian(0.1), zcRadian(2.0))); }, 192},
      {[] { return new zc_UISketchOpEllipseAnnSect(section()); }, 552},
      {[turned] { return new zc_UISketchOpGenRect(turned); }, 152},
      {[=] { return new zc_UISketchOpGenAnn(zcGenAnnulus(inner, outer)); }, 360},
      {[] { return new zc_UISketchOpCoordAxes(zcCoordAxes(zcPoint(1, 1), zcPoint(5, 1), zcPoint(1, 6))); }, 48},
      {[] { return new zc_UISketchOpString("abc", zcPoint(1, 2), zcColor::blue, format(3, 4)); }, 30 + 4},
      {[] { return new zc_UISketchOpPelBuf8(ramp(3, 2), zcPoint(7, 8), true, 9, true); }, 91 + 6},
      {[rle] { return new zc_UISketchOpRleBuf(rle, zcPoint(1, 1), {5, 6, 7}, true, 3, false); }, rleLength},
      {[nested] { return new zc_UISketchOpSketch(nested, zcPoint(2, 3)); }, 20 + 22 + 8 + 16},
      {[] { return new zc_UISketchOpSet(zcUIRect(1, 2, 3, 4)); }, 17},
      {[] { return new zc_UISketchOpSet(zcRect(1.5, 2, 3, 4)); }, 89},
      {[] { return new zc_UISketchOpSetAll(); }, 0},
      {[] { return new zc_UISketchOpSetComp(zcUIRect(-1, -2, 30, 40)); }, 17},
      {[] { return new zc_UISketchOpFill(zcPair<long>(5, -6), zcColor::green, 0); }, 19},
      {[] { return new zc_UISketchOpFill(zcPoint(5.5, 6), zcColor(1, 2, 3), 1); }, 27},
      {[] { return new zc_UISketchOpDrawStart(zcPoint(1, 2)); }, 16},
      {[] { return new zc_UISketchOpDrawTo(zcPoint(3, 4)); }, 16},
      {[] { return new zc_UISketchOpDrawToRelPels(5, -6); }, 8},
      {[] { return new zc_UISketchOpMoveToRelPels(-7, 8); }, 8},
      {[] { return new zc_UISketchOpOutline3d(zcUIRect(1, 2, 3, 4), zcColor::white, zcColor::dkGrey, 2); }, 33},
      {[] { return new zc_UISketchOpOutline3d(zcRect(1, 2, 3, 4), zcColor::yellow, zcColor::blue, 3); }, 105},
      {[] { return new zc_UISketchOpArrow(zcPoint(1, 2), zcVector<2>(0, 1), 7.5f); }, 36},
      {[affine] { return new zc_UISketchOpAffineRect(affine); }, 232},
      {[] { return new zc_UISketchOpPolygon(zcPolygon({}, zcPolygon::eWinding)); }, 8},
      {[] { return new zc_UISketchOpPolygon(zcPolygon({zcPoint(0, 0), zcPoint(1, 0), zcPoint(0, 1)})); }, 8 + 48},
      {[] { return new zc_UISketchOpRect(zcRect(1, 2, 3, 4)); }, 32},
      {[] { return new zc_UISketchOpGenShape(zcColor::orange, zcUIRect(0, 0, 5, 5), {1, 2, 3, 4, 5}); }, 31},
      {[] { return new zc_UISketchOpGenPoly(squarePoly()); }, 68 + 104 * 3},
      {[] { return new zc_UISketchOpUnicodeString(L"", zcPoint(1, 2), zcColor::black, format(-1, 0)); }, 32},
      {[accented] { return new zc_UISketchOpUnicodeString(accented, zcPoint(1, 2), zcColor(9), format(2, 8)); },
       30 + 2 * (6 + 1)},
      {[] { return new zc_UISketchOpCross(zcCross(zcPoint(1, 2), zcRadian(0.5), 9)); }, 32},
      {[] { return new zc_UISketchOpEllipseAnnSectArrowheadFlag(section(), false, true); }, 554},
      {[] { return new zc_UISketchOpWireframe(squarePoly()); }, 68 + 104 * 3},
      {[b1] { return new zc_UISketchOpBezierCurve(b1); }, 96},
      {[b1, b2] { return new zc_UISketchOpCubicSpline(zcCubicSpline({b1, b2})); }, 4 + 96 * 2},
      {[] { return new zc_UISketchOpPolyline(zcPolyline({zcPoint(0, 0), zcPoint(1, 1)}, true)); }, 5 + 32},
      {[] { return new zc_UISketchOpEllipse2(zcEllipse2(zcVector<2>(3, 2), zcRadian(0.5), zcPoint(1, 2))); }, 40},
      {[] { return new zc_UISketchOpEllipseArc2(leftArc2()); }, 65},
      {[] { return new zc_UISketchOpClipRect(zcRect(-1, -2, 3, 4)); }, 32},
  };
}

// Every kind of the table: its default record writes a payload of the kind's fixed
// length that reads back, refuses one byte less, archives, and describes itself.
TEST(SketchOpKinds, EveryKindOfTheTableWritesReadsAndArchives) {
  std::vector<long> codes;
  for (const zcUISketchOpKind& kind : zfUISketchOpKinds()) {
    SCOPED_TRACE(kind.name);
    codes.push_back(kind.opcode);
    EXPECT_EQ(zfUISketchOpKind(kind.opcode)->opcode, kind.opcode);
    EXPECT_STREQ(zfUISketchOpName(kind.opcode), kind.name);
    RecordPtr record(zfCreateUISketchOpData(kind.opcode));
    const Bytes payload = payloadOf(*record);
    if (kind.fixedLength >= 0) {
      EXPECT_EQ(static_cast<long>(payload.size()), kind.fixedLength);
    }
    EXPECT_FALSE(record->describe([](const zcColor&) { return std::string(); }).empty());
    // A filled kind shares the record class and the name of a plain kind.
    if (kind.filled) {
      EXPECT_STREQ(zfUISketchOpName(opcodeFor(*record)), kind.name);
    }
    zcUISketch one;
    zc_UISketchOpHeader(kind.opcode, zcUITablet::eImage, zcColor::red, zcGraphicProps()).populateSketch(one);
    record->populateSketch(one);
    zcUISketchCursor walk(one);
    EXPECT_EQ(typeid(walk.next()), typeid(*record));
    EXPECT_EQ(walk.position(), one.size());
    if (!payload.empty()) {
      EXPECT_THROW(zcUISketchCursor(sketchOf(Bytes(one.data(), one.data() + one.size() - 1))).next(),
                   zcUIError::InvalidUISketch);
    }
    if (dynamic_cast<zc_UISketchOpSketch*>(&*record)) continue;  // cannot be archived
    EXPECT_EQ(bytesOf(loaded(archived(one))), bytesOf(one));
  }
  ASSERT_TRUE(std::is_sorted(codes.begin(), codes.end()));
  // Codes outside the table have no kind, the properties-block byte among them.
  for (long op = -1; op <= 256; ++op) {
    if (std::binary_search(codes.begin(), codes.end(), op)) continue;
    EXPECT_THROW(zfCreateUISketchOpData(op), zcUIError::InvalidUISketch) << op;
    EXPECT_EQ(zfUISketchOpName(op), nullptr);
    EXPECT_EQ(zfUISketchOpKind(op), nullptr);
  }
  EXPECT_EQ(zfUISketchOpKind(zcUISketch::kPropsOpcode), nullptr);
}

// Every sample parses back to the same payload, with and without a bound. A
// non-finite number written anywhere in it is refused, or read as something other
// than a number (what the record describes is finite).
TEST(SketchOpKinds, EveryPayloadParsesBackAndRefusesNonFiniteNumbers) {
  auto words = [](const zcColor&) { return std::string(); };
  for (const Sample& sample : samples()) {
    RecordPtr record(sample.make());
    const Bytes payload = payloadOf(*record);
    const long opcode = opcodeFor(*record);
    SCOPED_TRACE(zfUISketchOpName(opcode));
    EXPECT_EQ(static_cast<long>(payload.size()), sample.length);
    for (long bound : {-1L, static_cast<long>(payload.size())}) {
      RecordPtr back(zfCreateUISketchOpData(opcode));
      EXPECT_EQ(bound < 0 ? back->parseByteStream(payload.data()) : back->parseByteStream(payload.data(), bound),
                sample.length);
      EXPECT_EQ(payloadOf(*back), payload);
    }
    for (std::size_t at = 0; at + 8 <= payload.size(); ++at) {
      for (double bad : {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
        Bytes changed = payload;
        zfStoreF64(changed.data() + at, bad);
        RecordPtr back(zfCreateUISketchOpData(opcode));
        try {
          back->parseByteStream(changed.data(), static_cast<long>(changed.size()));
        } catch (const zcUIError::InvalidUISketch&) {
          continue;
        }
        const std::string said = back->describe(words);
        EXPECT_TRUE(said.find("nan") == std::string::npos && said.find("inf") == std::string::npos)
            << "at byte " << at << ": " << said;
      }
    }
  }
}

TEST(SketchOpKinds, ValuesSurviveTheirPayloadsAndBoundedReadersRefuseBadCounts) {
  zc_UISketchOpEllipseArc2 arc;
  const Bytes a = payloadOf(zc_UISketchOpEllipseArc2(leftArc2()));
  arc.parseByteStream(a.data());
  EXPECT_FALSE(arc.ellipseArc().ellipse().isRightHanded());
  EXPECT_DOUBLE_EQ(arc.ellipseArc().phiSpan().value(), -2);
  EXPECT_EQ(a[40], 0);  // the handedness byte
  zc_UISketchOpUnicodeString unicode;
  const Bytes t = payloadOf(zc_UISketchOpUnicodeString(L"\U0001F600", zcPoint(), zcColor::red, format(1, 2)));
  unicode.parseByteStream(t.data());
  EXPECT_EQ(unicode.text(), L"\U0001F600");
  EXPECT_EQ(Bytes(t.begin() + 30, t.begin() + 32), (Bytes{0x3D, 0xD8}));  // the high surrogate D83D, little-endian
  zc_UISketchOpPelBuf8 pels;
  const Bytes p = payloadOf(zc_UISketchOpPelBuf8(ramp(3, 2), zcPoint(7, 8), true, 9, false));
  pels.parseByteStream(p.data());
  EXPECT_EQ(pels.pels().get(5, -1), 12);  // at the offset (3, -2)
  EXPECT_EQ(pels.value(), 9);
  EXPECT_FALSE(pels.flag2());

  // Bounded readers refuse bad counts and values, each with InvalidUISketch.
  auto polygon = [](std::int32_t mode, std::int32_t count) {
    Bytes b(8, 0);
    zfStoreI32(b.data(), mode);
    zfStoreI32(b.data() + 4, count);
    return b;
  };
  Bytes text = payloadOf(zc_UISketchOpString("abc", zcPoint(), zcColor::red, format(1, 1)));
  text.pop_back();  // no terminator
  // A negative radius: the foundation refuses it, the walk reports it.
  const Bytes circle = zc_test::withDouble(payloadOf(zc_UISketchOpCircle(zcCircle(zcPoint(), 1))), 16, -1);
  const Bytes set = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // a form byte other than 0 and 1
  const struct {
    long opcode;
    Bytes payload;
    long available;
  } rows[] = {{28, polygon(0, -1), 8}, {28, polygon(0, 0x10000000), 8}, {28, polygon(7, 0), 8},
              {11, text, static_cast<long>(text.size())}, {4, circle, 24}, {16, set, 17}, {16, set, -1}};
  for (const auto& row : rows) {
    RecordPtr record(zfCreateUISketchOpData(row.opcode));
    EXPECT_THROW(record->parseByteStream(row.payload.data(), row.available), zcUIError::InvalidUISketch)
        << zfUISketchOpName(row.opcode) << " " << row.available;
  }
}

TEST(SketchOpHeader, ParsesBlocksCarriesPropertiesForwardKeepsEachColorsBytesAndRefusesMalformedFraming) {
  zcUISketch s = headed();
  s.opcode(5, 0, zcColor(1, 2, 3));  // a header without a block, in an RGB color
  EXPECT_EQ(Bytes(s.data() + 30, s.data() + 38), (Bytes{5, 0, 2, 0, 1, 2, 3, 0}));

  zc_UISketchOpHeader h;
  EXPECT_EQ(h.parseByteStream(s.data()), 30);
  EXPECT_TRUE(h.hasProps());
  EXPECT_EQ(h.layer(), zcUITablet::eOverlay);
  EXPECT_TRUE(h.props().fill());
  EXPECT_EQ(h.props().penColor(), zcColor::red);  // the header color
  EXPECT_EQ(h.parseByteStream(s.data() + 30, 8), 8);
  EXPECT_TRUE(h.hasProps());  // carried forward
  EXPECT_EQ(h.props().penColor(), zcColor(1, 2, 3));
  EXPECT_EQ(h.color(), zcColor(1, 2, 3));
  // Writing headers back: a fresh header per operation gives the stream again; the
  // carried header holds properties in another color, which is a new block.
  zcUISketch out;
  zc_UISketchOpHeader first, second;
  first.parseByteStream(s.data());
  second.parseByteStream(s.data() + 30);
  EXPECT_FALSE(second.hasProps());
  first.populateSketch(out);
  second.populateSketch(out);
  EXPECT_EQ(bytesOf(out), bytesOf(s));
  h.populateSketch(out);
  EXPECT_EQ(out.size(), 30 + 8 + 30);

  // Colors that compare equal but are stored differently (a stock color, its index
  // and its triple), one after another: each header hands over its own bytes, and
  // the properties' pen color follows even where a caller changed it in between.
  const zcColor colors[] = {zcColor::red, zcColor(zcColor::red.index()), zcColor(zcColor::red.rgbStruct()),
                            zcColor(zcColor::red.rgbStruct()), zcColor::red};
  zcUISketch t;
  for (const zcColor& c : colors) t.opcode(2, 1, c);
  for (std::size_t i = 0; i < std::size(colors); ++i) {
    h.props().penColor(zcColor::blue);
    ASSERT_EQ(h.parseByteStream(t.data() + 8 * i, 8), 8);
    EXPECT_EQ(h.color().flags(), colors[i].flags()) << i;
    EXPECT_EQ(h.props().penColor().flags(), colors[i].flags()) << i;
    zcUISketch back;
    h.populateSketch(back);
    const Bytes own(t.data() + 8 * i, t.data() + 8 * i + 8);
    EXPECT_EQ(Bytes(back.data() + back.size() - 8, back.data() + back.size()), own) << i;
  }

  // Malformed framing is refused and the header kept: the block's version, a second
  // block, the layer, the width's top byte (negative); every cut.
  const Bytes bytes = bytesOf(headed());
  auto refused = [&](Bytes b, long available) {
    zc_UISketchOpHeader kept;
    kept.parseByteStream(bytes.data());
    EXPECT_THROW(kept.parseByteStream(b.data(), available), zcUIError::InvalidUISketch);
    EXPECT_EQ(kept.opcode(), 4);
    EXPECT_EQ(kept.props().penWidth(), 4);
  };
  for (const auto& [at, value] : {std::pair{1, 1}, {22, 40}, {23, 3}, {6, 0x80}})
    refused(zc_test::withByte(bytes, at, static_cast<unsigned char>(value)), 30);
  for (long n = 0; n < 30; ++n) refused(bytes, n);
  // The one-argument form reports a negative width as the properties do.
  EXPECT_THROW(zc_UISketchOpHeader().parseByteStream(zc_test::withByte(bytes, 6, 0x80).data()),
               zcGraphicProps::BadParams);
}

// A sketch with one operation of every sample, properties changing on the way.
zcUISketch mixedSketch(bool withNested = true) {
  zcUISketch s;
  long i = 0;
  for (const Sample& sample : samples()) {
    RecordPtr record(sample.make());
    const long opcode = opcodeFor(*record);
    if (!withNested && dynamic_cast<zc_UISketchOpSketch*>(&*record)) continue;
    const zcGraphicProps props(zcColor::green, i % 3, zcGraphicProps::ePenStyleDefault, i % 2 == 0);
    zc_UISketchOpHeader(opcode, static_cast<zcUITablet::Layers>(i % 3), zcColor::green, props, i % 4 != 0)
        .populateSketch(s);
    record->populateSketch(s);
    ++i;
  }
  return s;
}

// One operation returns its whole length, and offsets at the size or before the start
// are refused. Walks the mixed sketch, every prefix and every third one-byte change of
// it: only InvalidUISketch may come out, and a walk ends exactly at the size, after
// one operation per sample for the whole sketch.
TEST(SketchWalk, WholeLengthsAndOnlyInvalidSketchFromTruncatedOrCorruptedOnes) {
  zcUISketch one = headed();
  zc_UISketchOpCircle(zcCircle(zcPoint(1, 2), 3)).populateSketch(one);
  zc_UISketchOpHeader h;
  zc_UISketchOpData* record = nullptr;
  EXPECT_EQ(zfParseUISketch(one, 0, h, &record), 30 + 24);
  RecordPtr owned(record);
  EXPECT_EQ(dynamic_cast<zc_UISketchOpCircle&>(*record).circle().radius(), 3);
  EXPECT_THROW(zfParseUISketch(one, one.size(), h, nullptr), zcUIError::InvalidUISketch);
  EXPECT_THROW(zfParseUISketch(one, -1, h, nullptr), zcUIError::InvalidUISketch);
  const Bytes bytes = bytesOf(mixedSketch());
  auto walk = [](const zcUISketch& s) {
    zc_UISketchOpHeader header;
    long at = 0, count = 0;
    try {
      for (; at < s.size(); ++count) at += zfParseUISketch(s, at, header, nullptr);
      EXPECT_EQ(at, s.size());
    } catch (const zcUIError::InvalidUISketch&) {
    }
    return count;
  };
  EXPECT_EQ(walk(sketchOf(bytes)), static_cast<long>(samples().size()));
  for (std::size_t n = 0; n < bytes.size(); n += 1) walk(sketchOf(Bytes(bytes.begin(), bytes.begin() + n)));
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    Bytes changed = bytes;
    changed[i] ^= 0xA5;
    walk(sketchOf(changed));
  }
}

TEST(SketchArchive, ReadsVersion0ConvertingOldLayoutsAndImagesOfTheOlderShapesAndPolygons) {
  // Raw bytes in the old layouts: a Rect with its leading byte, a Set of four f64, a
  // one-color Outline3d and a GenShape without a color.
  using zc_test::kBlue;
  using zc_test::kRed;
  auto image = [](const zcColor& c) {
    Bytes b(zcColor::kImageSize);
    c.writeImage(zcImageOut<zcColor::kImageSize>(b.data(), b.size()));
    return b;
  };
  const zcGraphicProps q(zcColor::cyan, 2, zcGraphicProps::ePenStyleDefault, false);
  const Bytes old = zc_test::Stream()
                        .block(false, 2).header(32, 0, kRed).u8(0xEE).f64(1).f64(2).f64(3).f64(4)
                        .header(16, 1, kBlue).u8(0).f64(10).f64(11).f64(12).f64(13)
                        .header(25, 1, kBlue).u8(1).i32(5).i32(6).i32(7).i32(8).bytes(image(zcColor::dkRed)).i32(3)
                        .header(33, 2, image(zcColor::green)).i32(1).i32(1).i32(1).i32(1).i32(2).u8(0xAB).u8(0xCD);
  zcArchive out;
  signed char version = 0;
  long length = static_cast<long>(old.size());
  out || version || length;
  out.raw(const_cast<unsigned char*>(old.data()), old.size());
  const zcUISketch back = loaded(out.bytes());

  zcUISketch expected;
  zc_UISketchOpHeader(32, zcUITablet::eImage, zcColor::red, q).populateSketch(expected);
  zc_UISketchOpRect(zcRect(1, 2, 3, 4)).populateSketch(expected);
  zc_UISketchOpHeader(16, zcUITablet::eOverlay, zcColor::blue, q, false).populateSketch(expected);
  zc_UISketchOpSet(zcRect(10, 11, 12, 13)).populateSketch(expected);
  zc_UISketchOpHeader(25, zcUITablet::eOverlay, zcColor::blue, q, false).populateSketch(expected);
  zc_UISketchOpOutline3d(zcUIRect(5, 6, 7, 8), zcColor::whiteColor(), zcColor::dkRed, 3).populateSketch(expected);
  zc_UISketchOpHeader(33, zcUITablet::eBothLayers, zcColor::green, q, false).populateSketch(expected);
  zc_UISketchOpGenShape(zcColor(), zcUIRect(1, 1, 1, 1), {0xAB, 0xCD}).populateSketch(expected);
  EXPECT_EQ(bytesOf(back), bytesOf(expected));

  // A GenRect in its 96-byte form: center, matrix row by row, one ignored f64,
  // rounding fractions, 24 ignored bytes.
  Bytes v0(96, 0x77);
  const double numbers[] = {1, 2, 0.5, 0, 0, 0.25};
  for (int k = 0; k < 6; ++k) zfStoreF64(v0.data() + 8 * k, numbers[k]);
  zfStoreF64(v0.data() + 56, 0.5);
  zfStoreF64(v0.data() + 64, 0);
  zc_UISketchOpGenRect rect;
  EXPECT_EQ(rect.parseVersion0ByteStream(v0.data(), 96), 96);
  const zcGenRect genRect(zcVector<2>(1, 2), zcMatrix<2>(0.5, 0, 0, 0.25), zcVector<2>(0.5, 0));
  EXPECT_EQ(payloadOf(rect), payloadOf(zc_UISketchOpGenRect(genRect)));
  EXPECT_THROW(rect.parseVersion0ByteStream(v0.data(), 95), zcUIError::InvalidUISketch);
  // Polygons rebuild their tolerances.
  zc_UISketchPolyData poly = squarePoly();
  for (auto& v : poly.vertices) v.toleranceType = 0;  // limits: 3.9 <= 4 <= 4.1
  const Bytes good = payloadOf(zc_UISketchOpGenPoly(poly));
  zc_UISketchOpGenPoly read;
  EXPECT_EQ(read.parseVersion0ByteStream(good.data(), static_cast<long>(good.size())),
            static_cast<long>(good.size()));
  EXPECT_TRUE(read.poly() == poly);

  poly.vertices[1].tolerance[1] = 4.5;  // a lower limit above the nominal
  const Bytes bad = payloadOf(zc_UISketchOpGenPoly(poly));
  zc_UISketchOpGenPoly current, earlier;
  EXPECT_EQ(current.parseByteStream(bad.data(), static_cast<long>(bad.size())), static_cast<long>(bad.size()));
  EXPECT_THROW(earlier.parseVersion0ByteStream(bad.data(), static_cast<long>(bad.size())), zcUIError::InvalidUISketch);
}

TEST(SketchArchive, RoundTripsDropRedundantBlocksKeepBackReferencesAndMalformedArchivesLeaveTheSketchAsItWas) {
  zcUISketch source = mixedSketch(false);
  const Bytes bytes = archived(source);
  EXPECT_EQ(bytesOf(loaded(bytes)), bytesOf(source));
  // A nested sketch cannot be written.
  zcUISketch nested;
  zc_UISketchOpHeader(15, zcUITablet::eImage, zcColor::red, zcGraphicProps(), false).populateSketch(nested);
  zc_UISketchOpSketch(source, zcPoint(1, 1)).populateSketch(nested);
  zcArchive refused;
  EXPECT_THROW(refused || nested, zcUIError::NotImplemented);
  // Two operations that both carry the same block (joined from two recordings): the
  // second block is dropped.
  zcUISketch one = headed(zcColor::cyan);
  zc_UISketchOpCircle(zcCircle(zcPoint(1, 2), 3)).populateSketch(one);
  zcUISketch expected = one;
  expected.append(one.data() + 22, one.size() - 22);
  EXPECT_EQ(bytesOf(loaded(archived(one + one))), bytesOf(expected));
  zcUISketch empty;  // an empty image of any height
  zc_UISketchOpHeader(12, zcUITablet::eImage, zcColor::red, zcGraphicProps(), false).populateSketch(empty);
  zc_UISketchOpPelBuf8(zcPelBuffer<unsigned char>(0, 5000), zcPoint(), false, 0, false).populateSketch(empty);
  EXPECT_EQ(bytesOf(loaded(archived(empty))), bytesOf(empty));

  zcUISketch target;
  target.opcode(3, 0, zcColor::red);
  zc_UISketchOpLine().populateSketch(target);
  const Bytes before = bytesOf(target);
  for (std::size_t n = 8; n < bytes.size(); n += 7) {
    zcArchive in(Bytes(bytes.begin(), bytes.begin() + n));
    try {
      in || target;
      ADD_FAILURE() << "a cut archive was read whole at " << n;
    } catch (const zcUIError::Errors&) {
    } catch (const zcArchive::Errors&) {
    } catch (const zcBadPointer&) {
    }
    ASSERT_EQ(bytesOf(target), before) << n;
  }
  // Versions other than 0 and 1.
  zcArchive in(zc_test::ownBytes(static_cast<signed char>(2)));
  zc_test::expectUnknownVersion([&] { in || target; }, "dispc/uisketch");
  // A record's own version other than 0: the byte after its class name.
  const Bytes recordBytes = zc_test::ownBytes(RecordPtr(new zc_UISketchOpCircle(zcCircle(zcPoint(1, 2), 3))));
  const std::string name = "zc_UISketchOpCircle";
  auto at = std::search(recordBytes.begin(), recordBytes.end(), name.begin(), name.end());
  ASSERT_NE(at, recordBytes.end());
  const std::size_t recordVersion = static_cast<std::size_t>(at - recordBytes.begin()) + name.size();
  ASSERT_EQ(recordBytes[recordVersion], 0);
  zcArchive recordIn(zc_test::withByte(recordBytes, recordVersion, 1));
  RecordPtr back;
  zc_test::expectUnknownVersion([&] { recordIn || back; }, "dispc/sketchop");
  // Back references: one operation written, then a second one that refers back to the
  // first one's header and payload; both must still be alive when the reference is read.
  zcUISketch single;
  zc_UISketchOpHeader(4, zcUITablet::eImage, zcColor::red, zcGraphicProps(), false).populateSketch(single);
  zc_UISketchOpCircle(zcCircle(zcPoint(1, 2), 3)).populateSketch(single);
  Bytes refs = archived(single);
  ASSERT_EQ(refs[8], 1);                     // version
  ASSERT_EQ(zfLoadI32(refs.data() + 9), 1);  // count
  zfStoreI32(refs.data() + 9, 2);
  refs.insert(refs.end(), {2, 1, 0, 0, 0, 2, 2, 0, 0, 0});
  const zcUISketch twice = loaded(refs);
  EXPECT_EQ(bytesOf(twice), bytesOf(single + single));
  // The header referring to the payload's object is refused.
  refs.resize(refs.size() - 10);
  refs.insert(refs.end(), {2, 2, 0, 0, 0, 2, 2, 0, 0, 0});
  EXPECT_THROW(loaded(refs), zcArchive::WrongClass);
}

// --- The sketch buffer ------------------------------------------------------------------------------

TEST(GraphicPropsRecord, DefaultsGiveTheDocumentedBytesAndEveryFieldRoundTrips) {
  zcUISketch plain;
  const zcGraphicProps d;
  EXPECT_EQ(d.opcode(&plain, d), 21);
  EXPECT_EQ(bytesOf(plain), (Bytes{0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0}));
  EXPECT_EQ(d.opcode(nullptr, d), 0);
  // The enumerations given as plain numbers are stored as they are.
  zcGraphicProps p(zcColor::red, 0x01020304, -2, true);
  p.penJoin(5);
  p.penEndCap(0x7FFFFFFF);
  p.arrowHead(false);
  p.showVertex(true);
  zcUISketch s;
  p.opcode(&s, p);
  const Bytes b = bytesOf(s);
  ASSERT_EQ(b.size(), 21u);
  EXPECT_EQ((Bytes{b[1], b[2], b[5], b[6], b[18]}), (Bytes{1, 0x04, 0x01, 0xFE, 0}));  // fill, LE width, style -2
  zcGraphicProps back(zcColor::red, 1, zcGraphicProps::ePenStyleDefault, false);
  EXPECT_EQ(back.opcode(&back, b.data() + 1), 20);
  EXPECT_EQ(back, p);
  EXPECT_EQ(std::make_tuple(back.penStyle(), back.penJoin(), back.penEndCap()), std::make_tuple(-2, 5, 0x7FFFFFFF));
  EXPECT_EQ(back.opcode(nullptr, b.data() + 1), 0);
  EXPECT_EQ(back.opcode(&back, nullptr), 0);
  Bytes body(20, 0);  // a negative width is refused after the fill byte was taken
  body[0] = 1;
  body[1] = body[2] = body[3] = body[4] = 0xFF;
  zcGraphicProps target;
  EXPECT_THROW(target.opcode(&target, body.data()), zcGraphicProps::BadParams);
  EXPECT_TRUE(target.fill());
  EXPECT_EQ(target.penWidth(), 1);
}

TEST(SketchBuffer, GrowsExactlyThenDoublesFailsWithoutChangeCopiesForgetPropertiesAndMarksCutJoinInsertRemove) {
  zcUISketch s;
  EXPECT_EQ(s.data(), nullptr);
  EXPECT_TRUE(s.isNull());
  for (const auto& [n, capacity] : {std::pair<long, long>(10, 10), {1, 20}, {100, 111}}) {  // then size + n wins
    s.append(n);
    EXPECT_EQ(s.capacity(), capacity) << n;
  }
  EXPECT_EQ(s.size(), 111);
  EXPECT_THROW(s.append(-1), zcUIError::BadParams);
  zcUISketch small = sketchOf({1, 2, 3});
  const long capacity = small.capacity();
  try {
    small.append(std::numeric_limits<std::int32_t>::max());
    FAIL() << "growth beyond 2^31 - 1 bytes was accepted";
  } catch (const std::bad_alloc& e) {
    EXPECT_EQ(std::string(e.what()), "bad allocation");
  }
  EXPECT_EQ(bytesOf(small), (Bytes{1, 2, 3}));
  EXPECT_EQ(small.capacity(), capacity);
  // Copies take the bytes but not the remembered properties.
  const zcGraphicProps q(zcColor::red, 4, zcGraphicProps::ePenStyleDefault, true);
  zcUISketch held;
  held.opcode(40, q);
  held.opcode(4, 0, zcColor::red);
  zcUISketch copy(held);
  EXPECT_EQ(copy, held);
  EXPECT_EQ(copy.capacity(), held.capacity());
  copy.opcode(40, q);  // the copy does not remember q: a second block
  EXPECT_EQ(copy.size(), held.size() + 22);
  zcUISketch assigned;
  assigned.opcode(40, q);
  assigned = sketchOf({1});
  assigned.opcode(40, q);  // assignment kept the remembered q
  assigned = assigned;
  EXPECT_EQ(bytesOf(assigned), (Bytes{1}));
  zcUISketch joined = zcUISketch() + held;
  joined.opcode(40, q);
  EXPECT_EQ(joined.size(), held.size() + 22);
  held.eraseAndDelete();
  EXPECT_EQ(held.data(), nullptr);
  EXPECT_EQ(held.capacity(), 0);
  EXPECT_TRUE(held.isNull());
  // Marks cut, join, insert and remove.
  zcUISketch cut = sketchOf({0, 1, 2, 3, 4, 5});
  const zcUISketchMark a(2), b(4);
  EXPECT_EQ(bytesOf(cut.subSketch(a, b)), (Bytes{2, 3}));
  EXPECT_TRUE(cut.subSketch(b, b).isNull());
  EXPECT_TRUE(cut.subSketch(b, a).isNull());
  EXPECT_THROW(cut.subSketch(a, zcUISketchMark(7)), zcUIError::BadParams);
  EXPECT_THROW(cut.subSketch(zcUISketchMark(-1), a), zcUIError::BadParams);
  cut.remove(b, a);  // nothing
  EXPECT_EQ(cut.size(), 6);
  cut.remove(a, b);
  EXPECT_EQ(bytesOf(cut), (Bytes{0, 1, 4, 5}));
  cut.remove(zcUISketchMark(3), zcUISketchMark(99));  // clipped to the size
  EXPECT_EQ(bytesOf(cut), (Bytes{0, 1, 4}));
  cut.insert(sketchOf({7, 8}), zcUISketchMark(1));
  cut.insert(sketchOf({9}), cut.mark());
  EXPECT_EQ(bytesOf(cut), (Bytes{0, 7, 8, 1, 4, 9}));
  cut.insert(cut, zcUISketchMark(0));  // itself
  EXPECT_EQ(bytesOf(cut), (Bytes{0, 7, 8, 1, 4, 9, 0, 7, 8, 1, 4, 9}));
  EXPECT_THROW(cut.insert(cut, zcUISketchMark(13)), zcUIError::BadParams);
  zcUISketch t = sketchOf({1, 2});
  t += t;
  const zcUISketch sum = sketchOf({5}) + t;
  EXPECT_EQ(bytesOf(sum), (Bytes{5, 1, 2, 1, 2}));
  EXPECT_EQ(sum.capacity(), 5);  // one allocation of the joint size
  const Bytes mark = zc_test::expectOwnRoundTrip(zcUISketchMark(0x01020304));
  EXPECT_EQ(Bytes(mark.begin() + 8, mark.end()), (Bytes{0, 4, 3, 2, 1}));  // version, offset
}

}  // namespace
