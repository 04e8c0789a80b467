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

#include "zfound/exception.h"
#include "zfound/persistent.h"

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
  zcGraphicProps(const zcGraphicProps& other);
  zcGraphicProps& operator=(const zcGraphicProps& other);
  ~zcGraphicProps() override;

  const zcColor& penColor() const { return penColor_; }
  long penWidth() const { return penWidth_; }
  zePenStyle penStyle() const { return penStyle_; }
  bool fill() const { return fill_; }
  zePenJoin penJoin() const { return penJoin_; }
  zePenEndCap penEndCap() const { return penEndCap_; }
  bool arrowHead() const { return arrowHead_; }
  bool arrowHeadForward() const { return arrowHeadForward_; }
  bool showVertex() const { return showVertex_; }

  // Setters call the mutation hook first. penWidth raises BadParams for a negative
  // width before anything happens; no other setter validates.
  void penColor(const zcColor& color);
  void penWidth(long width);
  void penStyle(zePenStyle style);
  void fill(bool fill);
  void penJoin(zePenJoin join);
  void penEndCap(zePenEndCap endCap);
  void arrowHead(bool on);
  void arrowHeadForward(bool forward);
  void showVertex(bool show);

  bool operator==(const zcGraphicProps& o) const {
    return penWidth_ == o.penWidth_ && penStyle_ == o.penStyle_ && fill_ == o.fill_ && penJoin_ == o.penJoin_ &&
           penEndCap_ == o.penEndCap_ && arrowHead_ == o.arrowHead_ && arrowHeadForward_ == o.arrowHeadForward_ &&
           showVertex_ == o.showVertex_ && penColor_ == o.penColor_;
  }
  bool operator!=(const zcGraphicProps& other) const { return !(*this == other); }

  // The 21-byte sketch record of these properties (the pen color is not part of it):
  //   @0 version 0   @1 fill   @2 width (i32)   @6 style (i32)   @10 join (i32)
  //   @14 end cap (i32)   @18 arrow head   @19 arrow head forward   @20 show vertex
  // appended to the sketch, or stored at `out` (room for kRecordSize bytes).
  static constexpr long kRecordSize = 21;
  void writeRecord(zcUISketch& sketch) const;
  void writeRecord(unsigned char* out) const;
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

  static const zc_Instantiator sExemplar;

protected:
  // Archive form: version 0, the persistence base, color, width (long), style (int),
  // fill (bool), join (int), end cap (int), arrow head, arrow head forward and show
  // vertex (bool each). Nothing read is validated.
  void dispatchSerialize(zcArchive& archive) override;
  void serialize_(zcArchive& archive, unsigned char version);

private:
  friend class zcUISketch;
  static zcPersistent* make();

  // The values of `o`, without the mutation hook: for the properties a sketch
  // remembers, which nothing can track.
  void assignValues_(const zcGraphicProps& o) {
    penColor_ = o.penColor_;
    penWidth_ = o.penWidth_;
    penStyle_ = o.penStyle_;
    fill_ = o.fill_;
    penJoin_ = o.penJoin_;
    penEndCap_ = o.penEndCap_;
    arrowHead_ = o.arrowHead_;
    arrowHeadForward_ = o.arrowHeadForward_;
    showVertex_ = o.showVertex_;
  }

  zcColor penColor_;
  std::int32_t penWidth_;
  zePenStyle penStyle_;
  bool fill_;
  zePenJoin penJoin_;
  zePenEndCap penEndCap_;
  bool arrowHead_;
  bool arrowHeadForward_;
  bool showVertex_;
};
