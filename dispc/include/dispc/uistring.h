// Text format: the font id and the alignment with which a tablet draws text.
//
//   zcUIFormat f(zcUIFormat::eBottomRight);        // the default font id
//   zcUIRect box = f.alignRect(zcUIRect(100, 100, 10, 7));   // (90, 93, 10, 7)
//
// The alignment is a 3 × 3 grid around the anchor point: value mod 3 is the
// horizontal anchor (0 left, 1 centre, 2 right), value div 3 the vertical one (0 top,
// 1 middle, 2 bottom). The process-wide default font id starts at −1 ("none"); the
// screen component that draws text sets it.
#pragma once

#include "dispc/export.h"
#include "dispc/uirect.h"

#include <cstdint>

class zcArchive;

class DISPC_API zcUIFormat {
public:
  enum Alignment : std::uint32_t {
    eTopLeft = 0,
    eTopCenter = 1,
    eTopRight = 2,
    eMiddleLeft = 3,
    eMiddleCenter = 4,
    eMiddleRight = 5,
    eBottomLeft = 6,
    eBottomCenter = 7,
    eBottomRight = 8
  };

  // The default font id, alignment 0.
  zcUIFormat();
  // The default font id.
  explicit zcUIFormat(Alignment a);
  // A font id beyond 32 bits raises zcUIError::BadParams.
  zcUIFormat(long fontId, Alignment a);

  long fontId() const { return fontId_; }
  // zcUIError::BadParams beyond 32 bits, the format unchanged.
  void fontId(long id);
  Alignment alignment() const { return alignment_; }
  void alignment(Alignment a) { alignment_ = a; }

  // The process-wide default font id (initially −1). Setting it raises
  // zcUIError::BadParams beyond 32 bits.
  static long defaultFontId();
  static void defaultFontId(long id);

  // A text rectangle of r's size placed around the anchor (r.x, r.y): the horizontal
  // anchors centre and right subtract w / 2 (toward zero) and w from x, the vertical
  // anchors middle and bottom subtract h / 2 and h from y; normalized.
  zcUIRect alignRect(const zcUIRect& r) const;

  bool operator==(const zcUIFormat&) const = default;

private:
  // The default font id's storage, set up once under the global mutex.
  static std::int32_t& gDefaultFontId();
  friend DISPC_API zcArchive& operator||(zcArchive&, zcUIFormat&);

  std::int32_t fontId_;
  Alignment alignment_;
};

// Archive form: an unsigned version byte 0, the font id (long) and the alignment
// (unsigned long). An unknown version raises zcArchive::UnknownVersion
// ("dispc/uistring", line), an alignment above 8 zcArchive::BadFormat; a failed load
// leaves the format unchanged.
DISPC_API zcArchive& operator||(zcArchive& archive, zcUIFormat& format);
