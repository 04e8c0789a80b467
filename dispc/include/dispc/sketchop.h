// Parsed sketch operations: the header record (properties block and 8-byte header)
// and one payload record class per operation kind.
//
//   for (zcUISketchCursor walk(sketch); !walk.atEnd();) {
//     const zc_UISketchOpData& record = walk.next();
//     ... walk.header().opcode(), walk.header().props(), record ...
//   }
//
// Each record reads its payload (parseByteStream), writes it again in the current
// layout (populateSketch), reads the layout that version-0 archives hold
// (parseVersion0ByteStream), archives itself, replays itself onto a tablet (draw)
// and describes itself for listings (describe). Payloads are little-endian and
// unaligned; coordinates and angles are the caller's client values (radians).
//
// Reading bytes from outside. The one-argument parse functions are thin wrappers
// that read what their caller vouches for. The library's own walks (the cursor,
// zfParseUISketch, reading sketch archives, replay) use the bounded forms, which take
// the number of bytes that remain: an operation that would run past them, a negative
// or oversized count, an invalid opcode, a second properties block in a row, a
// non-finite coordinate or a value that cannot be built from its bytes raises
// zcUIError::InvalidUISketch, and nothing past the end is read.
#pragma once

#include "dispc/color.h"
#include "dispc/dispprop.h"
#include "dispc/export.h"
#include "dispc/uirect.h"
#include "dispc/uisketch.h"
#include "dispc/uistring.h"

#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/genrect.h"
#include "zfound/handle.h"
#include "zfound/lines.h"
#include "zfound/pelbuf.h"
#include "zfound/persistent.h"
#include "zfound/rect.h"
#include "zfound/rle.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class zc_SketchIO;
class zcUITablet;

// The properties block (if any) and the header of one operation.
class DISPC_API zc_UISketchOpHeader : public virtual zcPersistent, public virtual zcRepBase {
public:
  zc_UISketchOpHeader();
  // An operation header to write: the properties block is written when `hasProps`.
  zc_UISketchOpHeader(long opcode, zcUITabletEnums::Layers layer, const zcColor& color, const zcGraphicProps& props,
                      bool hasProps = true);
  zc_UISketchOpHeader(const zc_UISketchOpHeader& other);
  ~zc_UISketchOpHeader() override;

  bool hasProps() const { return hasProps_; }
  signed char propsVersion() const { return propsVersion_; }
  zcGraphicProps& props() { return props_; }
  const zcGraphicProps& props() const { return props_; }
  zcUITabletEnums::Layers layer() const { return layer_; }
  void layer(zcUITabletEnums::Layers layer);
  const zcColor& color() const { return color_; }
  long opcode() const { return opcode_; }

  // Reads an optional properties block and the header; returns 8, or 30 with a
  // block. Without a block the properties carry over from the previous parse. The
  // properties' pen color becomes the header color.
  virtual long parseByteStream(const unsigned char* p);
  // The same within `available` bytes (see the top of this file).
  long parseByteStream(const unsigned char* p, long available);
  // The properties block (only when `hasProps` and the sketch's remembered
  // properties differ), then the header.
  virtual void populateSketch(zcUISketch& sketch) const;

  static const zc_Instantiator sExemplar;

protected:
  // Archive form: version 0, the persistence base, hasProps (bool); with props the
  // props version (schar), the properties and the layer (long), else the layer; then
  // the color and the opcode (long).
  virtual void serialize_(zcArchive& archive, unsigned char version);
  void dispatchSerialize(zcArchive& archive) override;

private:
  friend class zcUISketchCursor;
  static zcPersistent* make();
  // Inline: the cursor's step reads the common header in place (sketchop.cpp).
  inline long parse_(const unsigned char* p, std::size_t available);
  long parseBlock_(const unsigned char* p, std::size_t available);
  inline void adopt_(const unsigned char* header);

  bool hasProps_ = false;
  signed char propsVersion_ = 0;
  zcGraphicProps props_;
  zcUITabletEnums::Layers layer_ = zcUITabletEnums::eBothLayers;
  zcColor color_;
  std::int32_t opcode_ = -1;
};

// The payload of one operation; one subclass per kind.
class DISPC_API zc_UISketchOpData : public virtual zcPersistent, public virtual zcRepBase {
public:
  ~zc_UISketchOpData() override;

  // Reads the current payload at p; returns its length.
  virtual long parseByteStream(const unsigned char* p);
  // Reads the payload as version-0 archives stored it (the current layout for most
  // kinds); returns its length.
  virtual long parseVersion0ByteStream(const unsigned char* p);
  // Appends the payload in the current layout.
  virtual void populateSketch(zcUISketch& sketch) const;
  // Replays the operation onto a tablet with the header's properties and layer.
  virtual void draw(zcUITablet& tablet, zc_UISketchOpHeader& header) const = 0;

  // Bounded forms of the two readers (see the top of this file).
  long parseByteStream(const unsigned char* p, long available);
  long parseVersion0ByteStream(const unsigned char* p, long available);

protected:
  zc_UISketchOpData() = default;
  zc_UISketchOpData(const zc_UISketchOpData&) = default;

  // Archive form of a kind: version 0, this base's level (version 0 and the
  // persistence base), then the kind's value.
  virtual void serialize_(zcArchive& archive, unsigned char version);
  void dispatchSerialize(zcArchive& archive) override;

public:
  // The payload in words for a listing ("center (1, 2) radius 3"); colors are worded
  // by `colorText`. Every kind says it: a record class without it cannot be made.
  // Declared after the five operations above, so that it takes the slot after theirs.
  using ColorText = std::string (*)(const zcColor&);
  virtual std::string describe(ColorText colorText) const = 0;

protected:
  // The kind's payload in the current layout, in every direction of zc_SketchIO.
  virtual void fields_(zc_SketchIO& io) = 0;
  // The version-0 layout (reading only); the current one unless a kind overrides it.
  virtual void fieldsV0_(zc_SketchIO& io) { fields_(io); }

private:
  friend class zcUISketchCursor;
  long read_(const unsigned char* p, std::size_t available, bool version0, bool bounded);
};

// One operation kind, as the table of kinds defines it.
struct zcUISketchOpKind {
  long opcode;
  const char* name;  // "Circle"
  long fixedLength;  // payload bytes, or -1 when the payload carries its own counts
  bool filled;       // the filled form of another code's record class
};
// Every kind, in increasing order of opcode.
DISPC_API std::span<const zcUISketchOpKind> zfUISketchOpKinds();
// The kind of `opcode`, or null for a code without a kind.
DISPC_API const zcUISketchOpKind* zfUISketchOpKind(long opcode);
// The kind's name ("Circle"), or null for a code without a kind.
DISPC_API const char* zfUISketchOpName(long opcode);

// A new default record of the kind of `opcode` (the filled codes give the record of
// their plain kind); zcUIError::InvalidUISketch for a code without a kind. The caller
// owns it.
DISPC_API zc_UISketchOpData* zfCreateUISketchOpData(long opcode);

// A bounded walk over the operations of a sketch, from `offset` on. Each next()
// reads one operation: the header carries forward (properties blocks), the payload
// is read within the sketch (and within its kind's fixed length, when it has one)
// into one record per kind, kept and reused. A malformed operation raises
// zcUIError::InvalidUISketch; the walk then ends.
class DISPC_API zcUISketchCursor {
public:
  explicit zcUISketchCursor(const zcUISketch& sketch, long offset = 0);
  // Carries the caller's header instead of its own.
  zcUISketchCursor(const zcUISketch& sketch, long offset, zc_UISketchOpHeader& header);
  ~zcUISketchCursor();
  zcUISketchCursor(const zcUISketchCursor&) = delete;
  zcUISketchCursor& operator=(const zcUISketchCursor&) = delete;

  bool atEnd() const { return at_ >= sketch_.size(); }
  // Where the next operation starts.
  long position() const { return at_; }
  // Reads the next operation and moves past it; its record stays valid until the
  // next call.
  zc_UISketchOpData& next();

  // The operation last read: where it starts, its whole length (properties block,
  // header and payload), whether a properties block preceded its header.
  long offset() const { return offset_; }
  long length() const { return at_ - offset_; }
  bool hasBlock() const { return block_; }
  zc_UISketchOpHeader& header() { return *header_; }
  const zc_UISketchOpHeader& header() const { return *header_; }
  // Hands the record last read to the caller, who then owns it.
  zc_UISketchOpData* release();

private:
  const zcUISketch& sketch_;
  long at_;
  long offset_;
  bool block_ = false;
  std::unique_ptr<zc_UISketchOpHeader> ownHeader_;
  zc_UISketchOpHeader* header_;
  std::vector<std::unique_ptr<zc_UISketchOpData>> records_;
  long last_ = -1;
  // The kind last looked up: its opcode, its record (null once released) and its
  // fixed length. The next operation of that kind skips the table.
  long kind_ = -1;
  zc_UISketchOpData* record_ = nullptr;
  long fixed_ = -1;
};

// Parses the operation at `offset` of the sketch, bounded by the sketch's size, and
// returns its whole length (properties block, header and payload). The record is
// handed to the caller through `record` (which then owns it) or destroyed when
// `record` is null. Pass one header for a whole walk so that properties carry over.
DISPC_API long zfParseUISketch(const zcUISketch& sketch, long offset, zc_UISketchOpHeader& header,
                               zc_UISketchOpData** record);

// Archive form of a sketch. Storing writes version 1: the count of operations, then
// per operation the header record and the payload record, each through a handle.
// Loading appends the stored operations to the sketch as it stands; version 0 (raw
// bytes in old payload layouts) is converted to the current layouts. Loading writes
// a properties block only where the properties change, pen color aside: a redundant
// block is omitted, and so is a block that changed only the pen color (the header
// color carries it). A stream without such blocks reads back byte for byte; a
// tablet's stream holds one wherever two calls in a row differ in pen color alone,
// and reads back shorter by those blocks, replaying to the same pixels. A stored
// sketch holding a nested Sketch operation cannot be written (NotImplemented).
DISPC_API zcArchive& operator||(zcArchive& archive, zcUISketch& sketch);

// ---------------------------------------------------------------------------
// The record classes. Each holds the value of its kind and documents its payload.

#define ZC_UISKETCH_OP_PROTOCOL(Class)                                         \
public:                                                                       \
  Class(const Class&) = default;                                              \
  ~Class() override;                                                          \
  void draw(zcUITablet& tablet, zc_UISketchOpHeader& header) const override;  \
  static const zc_Instantiator sExemplar;                                     \
                                                                              \
private:                                                                      \
  static zcPersistent* make();

// 0 Point: the point (16 bytes).
class DISPC_API zc_UISketchOpPoint : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpPoint(const zcPoint& p = zcPoint()) : point_(p) {}
  const zcPoint& point() const { return point_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  zcPoint point_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpPoint)
};

// 1 PointIcon: the point (16 bytes).
class DISPC_API zc_UISketchOpPointIcon : public zc_UISketchOpPoint {
public:
  using zc_UISketchOpPoint::zc_UISketchOpPoint;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpPointIcon)
};

// 2 LineSeg: end point 1, end point 2 (32 bytes).
// The end points are kept as points (recording builds one of these per segment); the
// archive form is the segment's own.
class DISPC_API zc_UISketchOpLineSeg : public zc_UISketchOpData {
public:
  zc_UISketchOpLineSeg() = default;
  explicit zc_UISketchOpLineSeg(const zcLineSeg& seg) : p1_(seg.p1()), p2_(seg.p2()) {}
  zcLineSeg lineSeg() const { return zcLineSeg(p1_, p2_); }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcPoint p1_;
  zcPoint p2_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpLineSeg)
};

// 3 Line: the line's image (32 bytes: direction and point).
class DISPC_API zc_UISketchOpLine : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpLine(const zcLine& line = zcLine()) : line_(line) {}
  const zcLine& line() const { return line_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcLine line_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpLine)
};

// 4 and 29 Circle: center, radius (24 bytes).
class DISPC_API zc_UISketchOpCircle : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpCircle(const zcCircle& circle = zcCircle()) : circle_(circle) {}
  const zcCircle& circle() const { return circle_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcCircle circle_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpCircle)
};

// 5 and 30 Ellipse: the geometry image (48 bytes).
class DISPC_API zc_UISketchOpEllipse : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpEllipse(const zcEllipse& ellipse = zcEllipse()) : ellipse_(ellipse) {}
  const zcEllipse& ellipse() const { return ellipse_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcEllipse ellipse_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpEllipse)
};

// 6 EllipseArc: the arc's image (192 bytes); version 0 rebuilds the arc from the
// geometry, start angle and span of the same bytes.
class DISPC_API zc_UISketchOpEllipseArc : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpEllipseArc(const zcEllipseArc& arc = zcEllipseArc()) : arc_(arc) {}
  const zcEllipseArc& ellipseArc() const { return arc_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcEllipseArc arc_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpEllipseArc)
};

// 7 EllipseAnnSect: the section's image (552 bytes; version 0: 440).
class DISPC_API zc_UISketchOpEllipseAnnSect : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpEllipseAnnSect(const zcEllipseAnnulusSection& s = zcEllipseAnnulusSection()) : section_(s) {}
  const zcEllipseAnnulusSection& section() const { return section_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void fieldsV0_(zc_SketchIO& io) override;
  zcEllipseAnnulusSection section_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpEllipseAnnSect)
};

// 8 and 31 GenRect: the rectangle's image (152 bytes; version 0: 96).
class DISPC_API zc_UISketchOpGenRect : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpGenRect(const zcGenRect& rect = zcGenRect()) : rect_(rect) {}
  const zcGenRect& genRect() const { return rect_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void fieldsV0_(zc_SketchIO& io) override;

private:
  zcGenRect rect_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpGenRect)
};

// 9 GenAnn: the annulus's image (360 bytes; version 0: 192).
class DISPC_API zc_UISketchOpGenAnn : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpGenAnn(const zcGenAnnulus& annulus = zcGenAnnulus()) : annulus_(annulus) {}
  const zcGenAnnulus& genAnnulus() const { return annulus_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void fieldsV0_(zc_SketchIO& io) override;

private:
  zcGenAnnulus annulus_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpGenAnn)
};

// 10 CoordAxes: origin, x end, y end (48 bytes).
class DISPC_API zc_UISketchOpCoordAxes : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpCoordAxes(const zcCoordAxes& axes = zcCoordAxes()) : axes_(axes) {}
  const zcCoordAxes& coordAxes() const { return axes_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcCoordAxes axes_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpCoordAxes)
};

// The two text kinds: position, background color, format, then the text with its
// terminating 0. The foreground is the header color.
template <class Text>
class zc_UISketchOpText : public zc_UISketchOpData {
public:
  zc_UISketchOpText() = default;
  zc_UISketchOpText(const Text& text, const zcPoint& position, const zcColor& background, const zcUIFormat& format)
      : text_(text), position_(position), background_(background), format_(format) {}
  const Text& text() const { return text_; }
  const zcPoint& position() const { return position_; }
  const zcColor& background() const { return background_; }
  const zcUIFormat& format() const { return format_; }

protected:
  Text text_;
  zcPoint position_;
  zcColor background_;
  zcUIFormat format_;
};

// 11 String (read only): 8-bit text; 30 + length + 1 bytes.
class DISPC_API zc_UISketchOpString : public zc_UISketchOpText<std::string> {
public:
  using zc_UISketchOpText::zc_UISketchOpText;
  zc_UISketchOpString() = default;

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpString)
};

// 12 PelBuf8: position; first flag and pel value; the buffer's image-from-client
// transform (56 bytes); its offset (two i32); width and height (i32); the second flag;
// then the window's rows.
class DISPC_API zc_UISketchOpPelBuf8 : public zc_UISketchOpData {
public:
  zc_UISketchOpPelBuf8() = default;
  zc_UISketchOpPelBuf8(const zcPelBuffer_const<unsigned char>& pels, const zcPoint& position, bool flag,
                       unsigned char value, bool flag2)
      : pels_(pels.clone()), position_(position), flag_(flag), value_(value), flag2_(flag2) {}
  const zcPelBuffer<unsigned char>& pels() const { return pels_; }
  const zcPoint& position() const { return position_; }
  bool flag() const { return flag_; }
  unsigned char value() const { return value_; }
  bool flag2() const { return flag2_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcPelBuffer<unsigned char> pels_;
  zcPoint position_;
  bool flag_ = false;
  unsigned char value_ = 0;
  bool flag2_ = false;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpPelBuf8)
};

// 14 RleBuf: position; first flag, pass value, second flag; color-map size and
// bytes; width and height (i32); each row's run data, top row first.
class DISPC_API zc_UISketchOpRleBuf : public zc_UISketchOpData {
public:
  zc_UISketchOpRleBuf() = default;
  zc_UISketchOpRleBuf(const zcRLEBuffer& image, const zcPoint& position, const std::vector<unsigned char>& colorMap,
                      bool flag, unsigned char passValue, bool flag2)
      : image_(image), position_(position), colorMap_(colorMap), flag_(flag), passValue_(passValue),
        flag2_(flag2) {}
  const zcRLEBuffer& image() const { return image_; }
  const zcPoint& position() const { return position_; }
  const std::vector<unsigned char>& colorMap() const { return colorMap_; }
  bool flag() const { return flag_; }
  unsigned char passValue() const { return passValue_; }
  bool flag2() const { return flag2_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcRLEBuffer image_;
  zcPoint position_;
  std::vector<unsigned char> colorMap_;
  bool flag_ = false;
  unsigned char passValue_ = 0;
  bool flag2_ = false;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpRleBuf)
};

// 15 Sketch: offset point, byte count (i32), the nested sketch's bytes. It cannot be
// archived: serialize_ raises zcUIError::NotImplemented.
class DISPC_API zc_UISketchOpSketch : public zc_UISketchOpData {
public:
  zc_UISketchOpSketch() = default;
  zc_UISketchOpSketch(const zcUISketch& sketch, const zcPoint& offset) : sketch_(sketch), offset_(offset) {}
  const zcUISketch& sketch() const { return sketch_; }
  const zcPoint& offset() const { return offset_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void serialize_(zcArchive& archive, unsigned char version) override;

private:
  zcUISketch sketch_;
  zcPoint offset_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpSketch)
};

// 16 Set: form (u8); form 1: a pixel rectangle (17 bytes); form 0: a client
// rectangle's image (89 bytes; version 0: four f64, 33 bytes).
class DISPC_API zc_UISketchOpSet : public zc_UISketchOpData {
public:
  zc_UISketchOpSet() = default;
  explicit zc_UISketchOpSet(const zcUIRect& pixels) : pixelForm_(true), pixels_(pixels) {}
  explicit zc_UISketchOpSet(const zcRect& rect) : pixelForm_(false), rect_(rect) {}
  bool pixelForm() const { return pixelForm_; }
  const zcUIRect& pixels() const { return pixels_; }
  const zcRect& rect() const { return rect_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void fieldsV0_(zc_SketchIO& io) override;
  bool pixelForm_ = true;
  zcUIRect pixels_;
  zcRect rect_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpSet)
};

// 17 SetAll: no payload.
class DISPC_API zc_UISketchOpSetAll : public zc_UISketchOpData {
public:
  zc_UISketchOpSetAll() = default;

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpSetAll)
};

// 18 SetComp: as Set.
class DISPC_API zc_UISketchOpSetComp : public zc_UISketchOpSet {
public:
  using zc_UISketchOpSet::zc_UISketchOpSet;
  zc_UISketchOpSetComp() = default;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpSetComp)
};

// 19 Fill: form (u8); form 1: a pixel pair; form 0: a point; then the boundary color
// and the fill type (i32): 19 or 27 bytes. The fill color is the header color.
class DISPC_API zc_UISketchOpFill : public zc_UISketchOpData {
public:
  zc_UISketchOpFill() = default;
  zc_UISketchOpFill(const zcPair<long>& pel, const zcColor& boundary, std::int32_t fillType)
      : pixelForm_(true), pel_(pel), boundary_(boundary), fillType_(fillType) {}
  zc_UISketchOpFill(const zcPoint& point, const zcColor& boundary, std::int32_t fillType)
      : pixelForm_(false), point_(point), boundary_(boundary), fillType_(fillType) {}
  bool pixelForm() const { return pixelForm_; }
  const zcPair<long>& pel() const { return pel_; }
  const zcPoint& point() const { return point_; }
  const zcColor& boundary() const { return boundary_; }
  std::int32_t fillType() const { return fillType_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  bool pixelForm_ = true;
  zcPair<long> pel_;
  zcPoint point_;
  zcColor boundary_;
  std::int32_t fillType_ = 0;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpFill)
};

// 20 DrawStart, 21 DrawTo: the point (16 bytes).
class DISPC_API zc_UISketchOpDrawStart : public zc_UISketchOpPoint {
public:
  using zc_UISketchOpPoint::zc_UISketchOpPoint;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpDrawStart)
};

class DISPC_API zc_UISketchOpDrawTo : public zc_UISketchOpPoint {
public:
  using zc_UISketchOpPoint::zc_UISketchOpPoint;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpDrawTo)
};

// 22 DrawToRelPels, 23 MoveToRelPels: dx, dy (i32 each, 8 bytes).
class DISPC_API zc_UISketchOpDrawToRelPels : public zc_UISketchOpData {
public:
  zc_UISketchOpDrawToRelPels(long dx = 0, long dy = 0)
      : dx_(static_cast<std::int32_t>(dx)), dy_(static_cast<std::int32_t>(dy)) {}
  long dx() const { return dx_; }
  long dy() const { return dy_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  std::int32_t dx_;
  std::int32_t dy_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpDrawToRelPels)
};

class DISPC_API zc_UISketchOpMoveToRelPels : public zc_UISketchOpDrawToRelPels {
public:
  using zc_UISketchOpDrawToRelPels::zc_UISketchOpDrawToRelPels;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpMoveToRelPels)
};

// 25 Outline3d: form and rectangle as Set, then the light color, the dark color and
// the width (i32): 33 or 105 bytes. Version 0 holds one color, the dark one (27 or
// 43 bytes); the light color then stays white.
class DISPC_API zc_UISketchOpOutline3d : public zc_UISketchOpSet {
public:
  zc_UISketchOpOutline3d() = default;
  zc_UISketchOpOutline3d(const zcUIRect& pixels, const zcColor& light, const zcColor& dark, long width)
      : zc_UISketchOpSet(pixels), light_(light), dark_(dark), width_(static_cast<std::int32_t>(width)) {}
  zc_UISketchOpOutline3d(const zcRect& rect, const zcColor& light, const zcColor& dark, long width)
      : zc_UISketchOpSet(rect), light_(light), dark_(dark), width_(static_cast<std::int32_t>(width)) {}
  const zcColor& light() const { return light_; }
  const zcColor& dark() const { return dark_; }
  long width() const { return width_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void fieldsV0_(zc_SketchIO& io) override;

private:
  zcColor light_ = zcColor::whiteColor();
  zcColor dark_ = zcColor::blackColor();
  std::int32_t width_ = 1;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpOutline3d)
};

// 26 Arrow: tip point, direction vector, size (f32): 36 bytes.
class DISPC_API zc_UISketchOpArrow : public zc_UISketchOpData {
public:
  zc_UISketchOpArrow() = default;
  zc_UISketchOpArrow(const zcPoint& tip, const zcVector<2>& direction, float size)
      : tip_(tip), direction_(direction), size_(size) {}
  const zcPoint& tip() const { return tip_; }
  const zcVector<2>& direction() const { return direction_; }
  float size() const { return size_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcPoint tip_;
  zcVector<2> direction_;
  float size_ = 0.0f;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpArrow)
};

// 27 AffineRect: the rectangle's image (232 bytes; version 0: 176).
class DISPC_API zc_UISketchOpAffineRect : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpAffineRect(const zcAffineRectangle& rect = zcAffineRectangle()) : rect_(rect) {}
  const zcAffineRectangle& affineRect() const { return rect_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void fieldsV0_(zc_SketchIO& io) override;

private:
  zcAffineRectangle rect_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpAffineRect)
};

// 28 Polygon: fill mode (i32), vertex count n (i32), n points: 8 + 16n bytes.
class DISPC_API zc_UISketchOpPolygon : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpPolygon(const zcPolygon& polygon = zcPolygon()) : polygon_(polygon) {}
  const zcPolygon& polygon() const { return polygon_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcPolygon polygon_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpPolygon)
};

// 32 Rect: corner point, size (width, height): 32 bytes; version 0 has one leading
// byte more.
class DISPC_API zc_UISketchOpRect : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpRect(const zcRect& rect = zcRect()) : rect_(rect) {}
  const zcRect& rect() const { return rect_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void fieldsV0_(zc_SketchIO& io) override;
  zcRect rect_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpRect)
};

// 47 ClipRect: as Rect.
class DISPC_API zc_UISketchOpClipRect : public zc_UISketchOpRect {
public:
  using zc_UISketchOpRect::zc_UISketchOpRect;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpClipRect)
};

// 33 GenShape: color, a pixel rectangle, byte count n (i32) and the n bytes of the
// shape's archive (26 + n bytes); version 0 has no color.
class DISPC_API zc_UISketchOpGenShape : public zc_UISketchOpData {
public:
  zc_UISketchOpGenShape() = default;
  zc_UISketchOpGenShape(const zcColor& color, const zcUIRect& rect, const std::vector<unsigned char>& shapeBytes)
      : color_(color), rect_(rect), shapeBytes_(shapeBytes) {}
  const zcColor& color() const { return color_; }
  const zcUIRect& rect() const { return rect_; }
  const std::vector<unsigned char>& shapeBytes() const { return shapeBytes_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void fieldsV0_(zc_SketchIO& io) override;

private:
  void bytes_(zc_SketchIO& io);
  zcColor color_;
  zcUIRect rect_;
  std::vector<unsigned char> shapeBytes_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpGenShape)
};

// The polygon that a GenPoly or Wireframe operation carries, as stored.
struct DISPC_API zc_UISketchPolyData {
  struct Vertex {
    zcPoint point;
    double radius = 0.0;
    double span = 0.0;  // degrees
    double tolerance[3] = {-1.0, -1.0, -1.0};
    std::uint64_t toleranceType = 0;
    bool operator==(const Vertex& o) const;
  };
  zcXform<2> xform;
  bool editable = false;
  std::vector<Vertex> vertices;
  std::vector<zcPoint> roundedStarts;
  std::vector<zcPoint> roundedEnds;
  std::vector<double> roundedSpans;
  bool open = false;
  bool operator==(const zc_UISketchPolyData& o) const;
};

// 34 and 38 GenPoly: transform (56 bytes), editable (i32), vertex count n (i32), n
// vertices of 64 bytes (point, radius, span, three tolerance values, tolerance type
// as 64 bits), the n rounded start points, the n rounded end points, the n rounded
// spans, open (i32): 68 + 104n bytes. The two i32 flags are true for exactly 1. The
// tolerance type is kept as its 64 bits (read and written back unchanged); replay
// refuses one outside 0 to 2 with zcUIError::InvalidUISketch.
// Version 0 holds the same bytes; each vertex's tolerance is rebuilt (and so
// validated) through the zcDimTol constructor instead of being copied.
// Replay rebuilds the polygon as stored, without validating it again; pieces that
// cannot be built are left out of the drawing. A filled polygon (38) paints its
// outline.
class DISPC_API zc_UISketchOpGenPoly : public zc_UISketchOpData {
public:
  zc_UISketchOpGenPoly() = default;
  explicit zc_UISketchOpGenPoly(const zc_UISketchPolyData& poly) : poly_(poly) {}
  const zc_UISketchPolyData& poly() const { return poly_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void fieldsV0_(zc_SketchIO& io) override;
  zc_UISketchPolyData poly_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpGenPoly)
};

// 41 Wireframe: as GenPoly, for the wireframe's polygon. The layout has no polarity:
// a replayed wireframe draws its arrows as for positive polarity.
class DISPC_API zc_UISketchOpWireframe : public zc_UISketchOpGenPoly {
public:
  using zc_UISketchOpGenPoly::zc_UISketchOpGenPoly;
  zc_UISketchOpWireframe() = default;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpWireframe)
};

// 35 UnicodeString: UTF-16 text; 30 + 2 (length + 1) bytes.
class DISPC_API zc_UISketchOpUnicodeString : public zc_UISketchOpText<std::wstring> {
public:
  using zc_UISketchOpText::zc_UISketchOpText;
  zc_UISketchOpUnicodeString() = default;

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpUnicodeString)
};

// 37 Cross: the cross's image (32 bytes).
class DISPC_API zc_UISketchOpCross : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpCross(const zcCross& cross = zcCross()) : cross_(cross) {}
  const zcCross& cross() const { return cross_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcCross cross_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpCross)
};

// 39 EllipseAnnSectArrowheadFlag: the section's image, arrow head (u8), arrow head
// forward (u8): 554 bytes (version 0: 442).
class DISPC_API zc_UISketchOpEllipseAnnSectArrowheadFlag : public zc_UISketchOpEllipseAnnSect {
public:
  zc_UISketchOpEllipseAnnSectArrowheadFlag() = default;
  zc_UISketchOpEllipseAnnSectArrowheadFlag(const zcEllipseAnnulusSection& s, bool arrowHead, bool forward)
      : zc_UISketchOpEllipseAnnSect(s), arrowHead_(arrowHead), forward_(forward) {}
  bool arrowHead() const { return arrowHead_; }
  bool arrowHeadForward() const { return forward_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;
  void fieldsV0_(zc_SketchIO& io) override;

private:
  bool arrowHead_ = true;
  bool forward_ = true;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpEllipseAnnSectArrowheadFlag)
};

// 42 BezierCurve: four control points, four weights (96 bytes).
class DISPC_API zc_UISketchOpBezierCurve : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpBezierCurve(const zcBezierCurve& curve = zcBezierCurve()) : curve_(curve) {}
  const zcBezierCurve& curve() const { return curve_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcBezierCurve curve_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpBezierCurve)
};

// 43 CubicSpline: piece count n (i32), n pieces as BezierCurve: 4 + 96n bytes.
class DISPC_API zc_UISketchOpCubicSpline : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpCubicSpline(const zcCubicSpline& spline = zcCubicSpline()) : spline_(spline) {}
  const zcCubicSpline& spline() const { return spline_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcCubicSpline spline_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpCubicSpline)
};

// 44 Polyline: vertex count n (i32), n points, closed (u8): 5 + 16n bytes.
class DISPC_API zc_UISketchOpPolyline : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpPolyline(const zcPolyline& polyline = zcPolyline()) : polyline_(polyline) {}
  const zcPolyline& polyline() const { return polyline_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcPolyline polyline_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpPolyline)
};

// 45 Ellipse2: radii, angle, center (40 bytes).
class DISPC_API zc_UISketchOpEllipse2 : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpEllipse2(const zcEllipse2& ellipse = zcEllipse2()) : ellipse_(ellipse) {}
  const zcEllipse2& ellipse() const { return ellipse_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcEllipse2 ellipse_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpEllipse2)
};

// 46 EllipseArc2: radii, angle, center, right-handed (u8), phase, start angle, span
// (65 bytes).
class DISPC_API zc_UISketchOpEllipseArc2 : public zc_UISketchOpData {
public:
  explicit zc_UISketchOpEllipseArc2(const zcEllipseArc2& arc = zcEllipseArc2()) : arc_(arc) {}
  const zcEllipseArc2& ellipseArc() const { return arc_; }

protected:
  void fields_(zc_SketchIO& io) override;
  std::string describe(ColorText colorText) const override;

private:
  zcEllipseArc2 arc_;
  ZC_UISKETCH_OP_PROTOCOL(zc_UISketchOpEllipseArc2)
};
