// Pel buffers: rectangular images of 8-bit, 16-bit and packed RGB pels with windows,
// offsets and a client-to-image transform, and the pel helpers that fill, map and
// resample them.
//
//   zcPelBuffer<unsigned char> img(640, 480);          // zero pels, offset (0, 0)
//   zcPelBuffer<unsigned char> roi = img.window(100, 50, 32, 16);
//   roi.set(100, 50, 255);                              // img.get(100, 50) is 255 too
//   zfPelSet_U8(roi, 7);                                // every pel of the window
//   zcPelBuffer_const<unsigned char> view = img;        // read-only, same pels
//
// Storage and sharing. A buffer is a handle: copies share the pixel storage (the
// last copy frees it), and writes through any of them are seen by all. clone() makes
// an independent copy. An unbound buffer (the default) has no storage; operations
// that need pels raise zcPel::UnboundWindow on it.
//
// Coordinates. Pels are addressed by image coordinates: the window's top-left pel is
// at offset() and its bottom-right pel at offset() + (width() − 1, height() − 1).
// A window of a buffer keeps these coordinates: window(x, y, w, h) takes image
// coordinates and its offset is (x, y), so every pel keeps its address. Pel (c, r)
// covers the unit square [c, c + 1) × [r, r + 1) of the image plane, y downward;
// imageFromClientXform() maps client coordinates into that plane (identity by
// default). A pel coordinate outside the window raises zcPel::BadCoord.
//
// Sizes. Widths, heights and pel counts are at most zkPelLimit, and offsets lie in
// [−zkPelLimit, zkPelLimit], so every edge coordinate fits a signed 32-bit field.
// Larger or negative sizes raise zcShapesError::BadParams. Zero sizes are allowed: a
// bound buffer may have an empty window.
#pragma once

#include "zfound/archive.h"
#include "zfound/exception.h"
#include "zfound/export.h"
#include "zfound/geometry.h"

#include <cstdint>
#include <memory>
#include <span>

// The largest width, height and pel count of a buffer, and the largest offset
// magnitude (0x3FFFFFFF).
inline constexpr long zkPelLimit = 0x3FFFFFFF;

// A 16-bit 5-6-5 RGB pel: red in bits 15 to 11, green in bits 10 to 5, blue in bits
// 4 to 0 (the packing of zcRGB::rgb16). From 8-bit channels the low bits are
// dropped; back to 8 bits the high bits are repeated into the low ones, so 0 and
// the full channel map to 0 and 255.
class ZFOUND_API zcPackedRGB16 {
public:
  constexpr zcPackedRGB16() = default;
  constexpr explicit zcPackedRGB16(std::uint16_t value) : value_(value) {}
  constexpr zcPackedRGB16(unsigned char red, unsigned char green, unsigned char blue)
      : value_(static_cast<std::uint16_t>((red >> 3) << 11 | (green >> 2) << 5 | blue >> 3)) {}

  constexpr std::uint16_t value() const { return value_; }
  constexpr unsigned char red() const { return expand5(value_ >> 11 & 0x1F); }
  constexpr unsigned char green() const {
    const unsigned g = value_ >> 5 & 0x3F;
    return static_cast<unsigned char>(g << 2 | g >> 4);
  }
  constexpr unsigned char blue() const { return expand5(value_ & 0x1F); }

  constexpr bool operator==(const zcPackedRGB16&) const = default;

private:
  static constexpr unsigned char expand5(unsigned v) { return static_cast<unsigned char>(v << 3 | v >> 2); }
  std::uint16_t value_ = 0;
};

// A 32-bit RGB pel held as the number 0x00RRGGBB: in memory on a little-endian
// machine its bytes are blue, green, red, 0 (the layout of 32-bit BGRX screen
// images). The top byte is 0 when built from channels and is kept as it is otherwise.
class ZFOUND_API zcPackedRGB32 {
public:
  constexpr zcPackedRGB32() = default;
  constexpr explicit zcPackedRGB32(std::uint32_t value) : value_(value) {}
  constexpr zcPackedRGB32(unsigned char red, unsigned char green, unsigned char blue)
      : value_(std::uint32_t(red) << 16 | std::uint32_t(green) << 8 | blue) {}

  constexpr std::uint32_t value() const { return value_; }
  constexpr unsigned char red() const { return static_cast<unsigned char>(value_ >> 16); }
  constexpr unsigned char green() const { return static_cast<unsigned char>(value_ >> 8); }
  constexpr unsigned char blue() const { return static_cast<unsigned char>(value_); }

  constexpr bool operator==(const zcPackedRGB32&) const = default;

private:
  std::uint32_t value_ = 0;
};

static_assert(sizeof(zcPackedRGB16) == 2 && sizeof(zcPackedRGB32) == 4);

template <class T>
class ZFOUND_API zcPelBuffer;

// A read-only view of pels. Converts from zcPelBuffer<T> (sharing its pels); the
// pels may still change through a mutable buffer that shares them.
template <class T>
class ZFOUND_API zcPelBuffer_const {
public:
  using PelType = T;

  // Unbound: no storage, an empty window at (0, 0), the identity transform.
  zcPelBuffer_const() = default;

  bool isBound() const { return storage_ != nullptr; }
  // The window's size.
  long width() const { return width_; }
  long height() const { return height_; }
  // Image coordinates of the window's top-left pel.
  const zcPair<long>& offset() const { return offset_; }
  // Raises zcShapesError::BadParams for a coordinate beyond ±zkPelLimit.
  void offset(const zcPair<long>& offset);

  // The window within the storage: its top-left pel's storage position, the
  // storage's size and the distance in pels from one row to the next.
  zcPair<long> windowOrigin() const { return zcPair<long>(windowX_, windowY_); }
  zcPair<long> storageSize() const { return zcPair<long>(pitch_, storageHeight_); }
  long pitch() const { return pitch_; }
  // Both are bound to the same storage (their windows may differ).
  bool sharesStorage(const zcPelBuffer_const& other) const {
    return storage_ != nullptr && storage_ == other.storage_;
  }

  // Maps client coordinates to image coordinates. The setter raises
  // zcShapesError::BadParams for a non-finite entry and zcMathError::Singular for a
  // transform without an inverse; the buffer is then unchanged.
  const zcXform<2>& imageFromClientXform() const { return imageFromClient_; }
  void imageFromClientXform(const zcXform<2>& xform);
  zcXform<2> clientFromImageXform() const { return imageFromClient_.inverse(); }
  // The pel whose square holds the client point (a floor with a relative tolerance of
  // 1e-11, so a hair below an integer counts as that integer). It may lie outside the
  // window (see contains). A non-finite or huge result raises zcShapesError::BadParams.
  zcPair<long> pointToPel(const zcPoint& client) const;

  // The pel lies in the window (false for an unbound buffer).
  bool contains(long x, long y) const {
    return x >= offset_.x() && x < offset_.x() + width_ && y >= offset_.y() && y < offset_.y() + height_;
  }

  // Pel access in image coordinates; zcPel::UnboundWindow, then zcPel::BadCoord.
  T get(long x, long y) const { return *pelPointer(x, y); }
  const T* pelPointer(long x, long y) const;
  // The window's first pel in image row y; the row's width() pels follow it. A
  // window of width 0 has no first pel (zcPel::BadCoord).
  const T* rowPointer(long y) const { return pelPointer(offset_.x(), y); }

  // A window of this buffer sharing its pels: the rectangle (x, y, w, h) in image
  // coordinates must lie within this window (w and h may be 0); otherwise
  // zcPel::BadCoord. The window's offset is (x, y); the transform is kept.
  zcPelBuffer_const window(long x, long y, long w, long h) const;

  // An independent copy of the window's pels (new storage of the window's size), with
  // the same offset and transform. An unbound buffer clones to an unbound buffer.
  zcPelBuffer<T> clone() const;

protected:
  // Throws zcPel::UnboundWindow when unbound and zcPel::BadCoord outside the window.
  T* pelAddress(long x, long y) const;
  // Checks a window rectangle and narrows *this to it.
  void narrow(long x, long y, long w, long h);
  void allocate(long width, long height, const T& initial);
  void adopt(std::shared_ptr<T[]> storage, long width, long height, long pitch);

private:
  std::shared_ptr<T[]> storage_;
  long pitch_ = 0;
  long storageHeight_ = 0;
  long windowX_ = 0;
  long windowY_ = 0;
  long width_ = 0;
  long height_ = 0;
  zcPair<long> offset_;
  zcXform<2> imageFromClient_;
};

// A pel buffer whose pels may be written (see zcPelBuffer_const for the rules).
template <class T>
class ZFOUND_API zcPelBuffer : public zcPelBuffer_const<T> {
  using Base = zcPelBuffer_const<T>;

public:
  zcPelBuffer() = default;
  // New storage of width × height pels, all `initial`, offset (0, 0), identity
  // transform. A negative size, or one beyond zkPelLimit, raises
  // zcShapesError::BadParams.
  zcPelBuffer(long width, long height, const T& initial = T());
  // A buffer over pels it does not own: width × height pels, rows `pitch` pels apart
  // (pitch >= width), offset (0, 0). The caller keeps the pels alive while any copy
  // of the buffer lives. Sizes as above (zcShapesError::BadParams), a null pointer
  // zcBadPointer.
  static zcPelBuffer borrow(T* pels, long width, long height, long pitch);

  using Base::pelPointer;
  using Base::rowPointer;
  void set(long x, long y, const T& value) { *this->pelAddress(x, y) = value; }
  T* pelPointer(long x, long y) { return this->pelAddress(x, y); }
  T* rowPointer(long y) { return this->pelAddress(this->offset().x(), y); }

  zcPelBuffer window(long x, long y, long w, long h) const;
};

extern template class zcPelBuffer_const<unsigned char>;
extern template class zcPelBuffer_const<unsigned short>;
extern template class zcPelBuffer_const<zcPackedRGB16>;
extern template class zcPelBuffer_const<zcPackedRGB32>;
extern template class zcPelBuffer<unsigned char>;
extern template class zcPelBuffer<unsigned short>;
extern template class zcPelBuffer<zcPackedRGB16>;
extern template class zcPelBuffer<zcPackedRGB32>;

// ---------------------------------------------------------------------------
// Pel helpers. Rectangles are in image coordinates; an unbound buffer raises
// zcPel::UnboundWindow, a rectangle that leaves the window zcPel::BadCoord, both
// before any pel is written.

// Sets every pel of the window, or of the rectangle (x, y, w, h), to `value`.
ZFOUND_API void zfPelSet_U8(zcPelBuffer<unsigned char>& buffer, unsigned char value);
ZFOUND_API void zfPelSet_U8(zcPelBuffer<unsigned char>& buffer, long x, long y, long w, long h,
                            unsigned char value);

// Maps every pel v of the source window through the lookup table: v becomes
// table[v] when v < table.size() and stays v otherwise (a short color map maps its
// first values only). An unbound target becomes a new buffer of the source's size,
// offset and transform; a bound target's window must have the source's size
// (zcShapesError::BadParams otherwise) and receives the pels at the same relative
// positions. Source and target may share storage, overlapping or not.
ZFOUND_API void zfPelMap(const zcPelBuffer_const<unsigned char>& source, zcPelBuffer<unsigned char>& target,
                         std::span<const unsigned char> table);
// The same in place.
ZFOUND_API void zfPelMap(zcPelBuffer<unsigned char>& buffer, std::span<const unsigned char> table);

// How zfAffineTransformImage makes a new target image.
//
// targetToSource maps target image coordinates to source image coordinates (pass
// the inverse of a source-to-target map). Each target pel takes the source value at
// the image of its center: eNearest the pel whose square holds that point, eBilinear
// the bilinear blend of the four pels whose centers surround it (pels beyond the
// source window's edge repeat the edge pel; each channel is rounded to nearest).
// A target pel whose center maps outside the source window's area gets the fill
// value. So a scaling by 1/n (targetToSource) in nearest mode replicates each source
// pel into an n × n block.
struct ZFOUND_API zcAffineSamplingParams {
  // A fixed underlying type, so that validate() may meet (and refuse) any int.
  enum zeMode : int { eNearest = 0, eBilinear = 1 };

  zcXform<2> targetToSource;
  long width = 0;  // of the target
  long height = 0;
  zeMode mode = eNearest;

  // Raises zcShapesError::BadParams for a non-finite transform, a size that a pel
  // buffer cannot have, or a mode other than the two enumerators.
  void validate() const;
};

// Resamples the source window into a new buffer of params.width × params.height
// pels, offset (0, 0) and identity transform. Raises zcPel::UnboundWindow for an
// unbound source and what params.validate() raises.
template <class T>
ZFOUND_API zcPelBuffer<T> zfAffineTransformImage(const zcPelBuffer_const<T>& source,
                                                 const zcAffineSamplingParams& params, const T& fill);
// The same into every pel of an existing target window (its own image coordinates);
// params.width and params.height must be the target's size, else
// zcShapesError::BadParams. The target must not share storage with the source
// (zcShapesError::BadParams).
template <class T>
ZFOUND_API void zfAffineTransformImage(const zcPelBuffer_const<T>& source, zcPelBuffer<T>& target,
                                       const zcAffineSamplingParams& params, const T& fill);

#define ZC_PELBUF_DECLARE_AFFINE(T)                                                                  \
  extern template zcPelBuffer<T> zfAffineTransformImage<T>(const zcPelBuffer_const<T>&,             \
                                                           const zcAffineSamplingParams&, const T&); \
  extern template void zfAffineTransformImage<T>(const zcPelBuffer_const<T>&, zcPelBuffer<T>&,      \
                                                 const zcAffineSamplingParams&, const T&);
ZC_PELBUF_DECLARE_AFFINE(unsigned char)
ZC_PELBUF_DECLARE_AFFINE(unsigned short)
ZC_PELBUF_DECLARE_AFFINE(zcPackedRGB16)
ZC_PELBUF_DECLARE_AFFINE(zcPackedRGB32)
#undef ZC_PELBUF_DECLARE_AFFINE

// ---------------------------------------------------------------------------
// Archive form of an 8-bit buffer: a version byte (0); bound flag (bool); when bound:
// width, height (long), offset (pair of long), image-from-client transform, then
// height rows of width pel bytes from the window (raw). Loading checks the sizes and
// the pel count against the bytes left (zcArchive::BadFormat / BadCount), gives the
// buffer new storage and leaves it unchanged when anything fails; an unknown version
// raises zcArchive::UnknownVersion("zfound/pelbuf", line).
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcPelBuffer<unsigned char>& buffer);
