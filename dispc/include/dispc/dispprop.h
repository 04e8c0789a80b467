// Graphic properties: the pen with which a shape is drawn (color, width, style, fill,
// join, end cap, arrow heads, vertex markers). Every graphic owns one; tablets apply
// them; sketches record them whenever they change.
//
//   zcGraphicProps p(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, true);  // filled
//   p.arrowHead(false);
//
// The enumerations are stored, compared and archived as 32-bit integers; 0 is the
// default of each.
#pragma once

#include "dispc/color.h"
#include "dispc/export.h"

#include "zfound/bytes.h"
#include "zfound/exception.h"
#include "zfound/persistent.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

class zcUISketch;

class DISPC_API zcGraphicProps : public virtual zcPersistent {
public:
  enum zePenStyle : std::int32_t { ePenStyleDefault = 0 };
  enum zePenJoin : std::int32_t { ePenJoinDefault = 0 };
  enum zePenEndCap : std::int32_t { ePenEndCapDefault = 0 };

  // A negative pen width, or one beyond 32 bits.
  ZC_EXCEPTION_CLASS(DISPC_API, BadParams, zcException)

  zcGraphicProps();
  // Join and end cap 0, arrow heads on, no vertex markers. Raises BadParams for a
  // negative width.
  zcGraphicProps(const zcColor& color, long width, zePenStyle style, bool fill);
  // The same with the style as a plain number: zcGraphicProps(zcColor::red, 2, 0, false).
  zcGraphicProps(const zcColor& color, long width, std::int32_t style, bool fill)
      : zcGraphicProps(color, width, static_cast<zePenStyle>(style), fill) {}
  zcGraphicProps(const zcGraphicProps& other);
  zcGraphicProps& operator=(const zcGraphicProps& other);
  ~zcGraphicProps() override;

  const zcColor& penColor() const { return values_.penColor; }
  long penWidth() const { return zfLoadI32(values_.record + kWidthAt); }
  zePenStyle penStyle() const { return static_cast<zePenStyle>(zfLoadI32(values_.record + kStyleAt)); }
  bool fill() const { return values_.record[kFillAt] != 0; }
  zePenJoin penJoin() const { return static_cast<zePenJoin>(zfLoadI32(values_.record + kJoinAt)); }
  zePenEndCap penEndCap() const { return static_cast<zePenEndCap>(zfLoadI32(values_.record + kEndCapAt)); }
  bool arrowHead() const { return values_.record[kArrowHeadAt] != 0; }
  bool arrowHeadForward() const { return values_.record[kArrowHeadForwardAt] != 0; }
  bool showVertex() const { return values_.record[kShowVertexAt] != 0; }

  // Setters call the mutation hook first. penWidth raises BadParams for a negative
  // width before anything happens; no other setter validates.
  void penColor(const zcColor& color);
  void penWidth(long width);
  void penStyle(zePenStyle style);
  void fill(bool fill);
  void penJoin(zePenJoin join);
  void penEndCap(zePenEndCap endCap);
  // The three enumerations set from plain numbers, stored as they are.
  void penStyle(std::int32_t style) { penStyle(static_cast<zePenStyle>(style)); }
  void penJoin(std::int32_t join) { penJoin(static_cast<zePenJoin>(join)); }
  void penEndCap(std::int32_t endCap) { penEndCap(static_cast<zePenEndCap>(endCap)); }
  void arrowHead(bool on);
  void arrowHeadForward(bool forward);
  void showVertex(bool show);

  // The same record and equal pen colors.
  bool operator==(const zcGraphicProps& o) const { return same(values_, o.values_); }
  bool operator!=(const zcGraphicProps& other) const { return !(*this == other); }

  // The 21-byte sketch record of these properties (the pen color is not part of it):
  //   @0 version 0   @1 fill   @2 width (i32)   @6 style (i32)   @10 join (i32)
  //   @14 end cap (i32)   @18 arrow head   @19 arrow head forward   @20 show vertex
  // appended to the sketch, or stored at `out` (room for kRecordSize bytes).
  static constexpr long kRecordSize = 21;
  void writeRecord(zcUISketch& sketch) const;
  void writeRecord(unsigned char* out) const { std::memcpy(out, values_.record, kRecordSize); }
  // Reads the record body (the 20 bytes after the version byte) into these
  // properties through the setters, in the order fill, width, style, join, end cap,
  // arrow head, arrow head forward, show vertex. A negative width raises BadParams
  // with the fill already applied.
  void readRecord(const unsigned char* bytes);
  // The interface's names for the two: writes the record of `props` (returns 21, or
  // 0 with a null sketch), or reads one into `target` (returns 20, or 0 when either
  // pointer is null).
  long opcode(zcUISketch* sketch, const zcGraphicProps& props) const;
  long opcode(zcGraphicProps* target, const unsigned char* bytes) const;

  // A new default object, as the registry builds one by class name.
  static zcPersistent* make();
  static const zc_Instantiator sExemplar;

protected:
  // Archive form: version 0, the persistence base, color, width (long), style (int),
  // fill (bool), join (int), end cap (int), arrow head, arrow head forward and show
  // vertex (bool each). Nothing read is validated.
  void dispatchSerialize(zcArchive& archive) override;
  void serialize_(zcArchive& archive, unsigned char version);

private:
  friend class zcUISketch;

  // The values of `o`, without the mutation hook: for the properties a sketch
  // remembers, which nothing can track.
  void assignValues_(const zcGraphicProps& o) { values_ = o.values_; }

  // Where each value sits in the record.
  static constexpr long kFillAt = 1, kWidthAt = 2, kStyleAt = 6, kJoinAt = 10, kEndCapAt = 14, kArrowHeadAt = 18,
                        kArrowHeadForwardAt = 19, kShowVertexAt = 20;

  // The values: all but the pen color as their record, so that comparing, recording
  // and remembering properties move bytes.
  struct Values {
    unsigned char record[kRecordSize];
    zcColor penColor;
  };
  static_assert(std::has_unique_object_representations_v<Values>);
  // The defaults: version 0, no fill, width 1, style, join and end cap 0, arrow heads
  // on and forward, no vertex markers; the pen the stock cyan (index 254, RGB
  // (0, 255, 255)). A constant, so that recording the default properties needs no
  // object built while the library loads.
  static constexpr Values kDefaultValues = {
      {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0},
      std::bit_cast<zcColor>(std::array<unsigned char, sizeof(zcColor)>{
          zcColor::eStockBit | zcColor::eRGBBit | zcColor::eIndexBit, 254, 0, 255, 255})};
  // Equal values: a and b, or their records and pen colors.
  static bool same(const Values& a, const Values& b) {
    const auto* x = reinterpret_cast<const unsigned char*>(&a);
    const auto* y = reinterpret_cast<const unsigned char*>(&b);
    const auto word = [](const unsigned char* p) {
      std::uint64_t v;
      std::memcpy(&v, p, 8);
      return v;
    };
    // Pens that differ nearly always differ in the first eight bytes of the record
    // (fill, width), which tell at once. The common case next: the same bytes, equal
    // values when the color carries an index or a triple. The words lie at 0, 2, 10
    // and 18: each within one of the two 16-byte pieces (at 0 and at 10) by which a
    // recording tablet remembers its properties, so that comparing them right after
    // they were stored reads from those stores instead of waiting for them to reach
    // the cache (a word across both pieces cannot be forwarded).
    static_assert(sizeof(Values) == 26);
    if (word(x) != word(y)) return false;
    if (((word(x + 2) ^ word(y + 2)) | (word(x + 10) ^ word(y + 10)) | (word(x + 18) ^ word(y + 18))) == 0)
      return a.penColor.isIndexColor() || a.penColor.isRGBColor();
    return std::memcmp(a.record, b.record, kRecordSize) == 0 && a.penColor == b.penColor;
  }

  Values values_;
};
