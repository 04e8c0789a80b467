// Value types of the tablet layer and its painting scope: layers and modes, flag
// stacks, pixel rectangles.
//
//   zcFlagStack drawOn(true);            // a stack of switches; the top is the value
//   drawOn.push(false);  ...  drawOn.pop();
//
//   zcUIRect r(10, 20, 30, 40);          // x, y, width, height in pixels
//   r &= zcUIRect(0, 0, 25, 25);         // (10, 20, 15, 5)
//   zcUIRect(5, 5, 0, 10).isNull();      // true: a rectangle without area is null
//
// Pixel conventions. Screen pixels are the coordinates of mapped geometry (what a
// tablet hands to the painting slots). Scope pixels are screen pixels minus the
// scope's origin. A floating coordinate becomes a pixel by floorTol, a floor with a
// relative tolerance of 1e-11, so a value a hair below an integer counts as that
// integer.
#pragma once

#include "dispc/export.h"

#include "zfound/geometry.h"
#include "zfound/pelbuf.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

class zcArchive;

// The enumerations of drawing tablets, here so that scopes can name them. zcUITablet
// derives from this class: they are spelled zcUITablet::Layers, zcUITablet::eImage.
// The layer of a drawing call is stored in every recorded operation as one byte.
class DISPC_API zcUITabletEnums {
public:
  enum Layers : std::int32_t { eImage = 0, eOverlay = 1, eBothLayers = 2 };
  enum ScaleModes : std::int32_t { eNoScale = 0, eMagnify = 1, eReduce = 2 };
  enum FillType : std::int32_t { eFillType0 = 0, eFillType1 = 1 };
  // Kept for the painting scope; the tablet only stores it.
  typedef std::int32_t InterpolationModes;

  // A change of layer `a` concerns layer `b` when they are equal or `b` is both.
  static bool shouldUpdate(Layers a, Layers b) { return a == b || b == eBothLayers; }
  static bool shouldUpdateImage(Layers l) { return l == eImage || l == eBothLayers; }
  static bool shouldUpdateOverlay(Layers l) { return l == eOverlay || l == eBothLayers; }
};

// ---------------------------------------------------------------------------
// A stack of up to 32 booleans held in one word: bit 0 is the top. The bottom value
// can be replaced (operator=) but never popped. Failures leave the stack unchanged:
// zcUIError::FlagStackOverflow, FlagStackUnderflow and FlagStackOutOfRange.
class DISPC_API zcFlagStack {
public:
  static constexpr long maxDepth = 32;

  // Depth 1, value false (the form used for arrays).
  zcFlagStack() = default;
  // Depth 1, value b.
  explicit zcFlagStack(bool b) : bits_(b ? 1u : 0u) {}

  // The top.
  operator bool() const { return (bits_ & 1u) != 0; }
  // Replaces the top; the depth is unchanged.
  zcFlagStack& operator=(bool b);

  // FlagStackOverflow when the depth is already maxDepth.
  void push(bool b);
  // The old top; FlagStackUnderflow when only the bottom value is left.
  bool pop();
  // Entry i, 0 being the top; FlagStackOutOfRange unless 0 <= i < depth().
  bool operator[](long i) const;
  long depth() const { return depth_; }

  bool operator==(const zcFlagStack&) const = default;

private:
  std::uint32_t bits_ = 0;
  std::int32_t depth_ = 1;
};

// ---------------------------------------------------------------------------
// An integer pixel rectangle: upper-left corner ul() and size sz(). A rectangle with
// a width below 1 or a height not above 0 is normalized to null (0, 0, 0, 0) by every
// operation that may produce one; isNull() tests the width. right() and bottom() are
// one past the last pixel.
class DISPC_API zcUIRect {
public:
  // null.
  zcUIRect() = default;
  zcUIRect(const zcPair<long>& ul, const zcPair<long>& sz);
  zcUIRect(long x, long y, long w, long h);

  static const zcUIRect null;       // (0, 0, 0, 0)
  static const zcUIRect inf;        // (−0x3FFFFFFF, −0x3FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF)
  static const zcUIRect firstQuad;  // (0, 0, 0x3FFFFFFF, 0x3FFFFFFF)

  long left() const { return ul_.x(); }
  long top() const { return ul_.y(); }
  long width() const { return sz_.x(); }
  long height() const { return sz_.y(); }
  long right() const { return ul_.x() + sz_.x(); }
  long bottom() const { return ul_.y() + sz_.y(); }
  const zcPair<long>& ul() const { return ul_; }
  const zcPair<long>& sz() const { return sz_; }
  zcPair<long> ur() const { return zcPair<long>(right(), top()); }
  zcPair<long> ll() const { return zcPair<long>(left(), bottom()); }
  zcPair<long> lr() const { return zcPair<long>(right(), bottom()); }
  bool isNull() const { return sz_.x() == 0; }

  // Moves the rectangle (a null rectangle stays where it is).
  void ul(const zcPair<long>& p);
  // Sets the size and normalizes.
  void sz(const zcPair<long>& s);

  // The pixel lies inside: x <= p.x < right() and y <= p.y < bottom().
  bool within(const zcPair<long>& p) const;
  // r's first and last pixels both lie inside.
  bool within(const zcUIRect& r) const;
  // Either rectangle is null or they share no pixel.
  bool nullIntersection(const zcUIRect& r) const;

  // Intersection; null when either side is null or they do not overlap.
  zcUIRect& operator&=(const zcUIRect& r);
  // Bounding box; a null side is the identity.
  zcUIRect& operator|=(const zcUIRect& r);
  zcUIRect operator&(const zcUIRect& r) const;
  zcUIRect operator|(const zcUIRect& r) const;

  // Translated copies, normalized (null stays null).
  zcUIRect operator+(const zcPair<long>& d) const;
  zcUIRect operator-(const zcPair<long>& d) const;
  // Translate in place without normalizing.
  zcUIRect& operator+=(const zcPair<long>& d);
  zcUIRect& operator-=(const zcPair<long>& d);

  bool operator==(const zcUIRect& r) const { return ul_ == r.ul_ && sz_ == r.sz_; }
  bool operator!=(const zcUIRect& r) const { return !(*this == r); }

private:
  void normalize();

  zcPair<long> ul_;
  zcPair<long> sz_;
};

// Archive form: a signed version byte 0, then ul and sz (pairs of long). An unknown
// version raises zcArchive::UnknownVersion("dispc/uirect", line). A loaded rectangle
// is normalized; a failed load leaves it unchanged.
DISPC_API zcArchive& operator||(zcArchive& archive, zcUIRect& rect);

// Copies `rows` rows of `rowBytes` bytes from src to dst, advancing src by srcPitch
// and dst by dstPitch bytes after each row (pitches may be 0 or negative). Nothing
// is copied when rows or rowBytes is not positive. Rows may overlap their source.
DISPC_API void zf_PelCopyVid(void* dst, long dstPitch, const void* src, long srcPitch, long rowBytes, long rows);
