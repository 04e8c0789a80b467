// Pel helpers: setting, lookup-table mapping and affine resampling of pel buffers.
#include "zfound/pelbuf.h"

#include "pelbuf_support.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

// --- zfPelSet_U8 ---------------------------------------------------------------

void zfPelSet_U8(zcPelBuffer<unsigned char>& buffer, unsigned char value) {
  zfPelSet_U8(buffer, buffer.offset().x(), buffer.offset().y(), buffer.width(), buffer.height(), value);
}

void zfPelSet_U8(zcPelBuffer<unsigned char>& buffer, long x, long y, long w, long h, unsigned char value) {
  zc_PelSizes::checkRect(buffer.isBound(), buffer.offset(), buffer.width(), buffer.height(), x, y, w, h);
  if (w == 0) return;
  for (long r = y; r < y + h; ++r) std::memset(buffer.pelPointer(x, r), value, static_cast<std::size_t>(w));
}

// --- zfPelMap ------------------------------------------------------------------

namespace {

// The storage rectangles of two windows of one storage overlap.
bool windowsOverlap(const zcPelBuffer_const<unsigned char>& a, const zcPelBuffer_const<unsigned char>& b) {
  const zcPair<long> pa = a.windowOrigin();
  const zcPair<long> pb = b.windowOrigin();
  return pa.x() < pb.x() + b.width() && pb.x() < pa.x() + a.width() && pa.y() < pb.y() + b.height() &&
         pb.y() < pa.y() + a.height();
}

}  // namespace

void zfPelMap(const zcPelBuffer_const<unsigned char>& source, zcPelBuffer<unsigned char>& target,
              std::span<const unsigned char> table) {
  if (!source.isBound()) throw zcPel::UnboundWindow();
  const long width = source.width();
  const long height = source.height();

  std::array<unsigned char, 256> lut;
  for (std::size_t v = 0; v < lut.size(); ++v) {
    lut[v] = v < table.size() ? table[v] : static_cast<unsigned char>(v);
  }

  zcPelBuffer<unsigned char> out = target;
  if (!out.isBound()) {
    out = zcPelBuffer<unsigned char>(width, height);
    out.offset(source.offset());
    out.imageFromClientXform(source.imageFromClientXform());
  } else if (out.width() != width || out.height() != height) {
    throw zcShapesError::BadParams(L"pel map target size differs from the source");
  }

  // A window shifted over its own source would read pels it has already mapped.
  zcPelBuffer_const<unsigned char> in = source;
  if (in.sharesStorage(out) && in.windowOrigin() != out.windowOrigin() && windowsOverlap(in, out)) {
    in = source.clone();
  }
  if (width > 0) {
    for (long r = 0; r < height; ++r) {
      const unsigned char* s = in.rowPointer(in.offset().y() + r);
      unsigned char* d = out.rowPointer(out.offset().y() + r);
      for (long c = 0; c < width; ++c) d[c] = lut[s[c]];
    }
  }
  target = out;
}

void zfPelMap(zcPelBuffer<unsigned char>& buffer, std::span<const unsigned char> table) {
  zfPelMap(buffer, buffer, table);
}

// --- zfAffineTransformImage ------------------------------------------------------

void zcAffineSamplingParams::validate() const {
  if (!zfIsFinite(targetToSource)) throw zcShapesError::BadParams(L"sampling transform not finite");
  zc_PelSizes::check(width, height);
  if (mode != eNearest && mode != eBilinear) throw zcShapesError::BadParams(L"unknown sampling mode");
}

namespace {

// The channels of a pel type, for blending: count, and each channel's shift and mask.
template <class T>
struct Channels;

template <>
struct Channels<unsigned char> {
  static constexpr int count = 1;
  static unsigned get(unsigned char v, int) { return v; }
  static unsigned char make(const unsigned* c) { return static_cast<unsigned char>(c[0]); }
  static constexpr unsigned max(int) { return 0xFF; }
};

template <>
struct Channels<unsigned short> {
  static constexpr int count = 1;
  static unsigned get(unsigned short v, int) { return v; }
  static unsigned short make(const unsigned* c) { return static_cast<unsigned short>(c[0]); }
  static constexpr unsigned max(int) { return 0xFFFF; }
};

template <>
struct Channels<zcPackedRGB16> {
  static constexpr int count = 3;
  static constexpr int shift[3] = {11, 5, 0};
  static constexpr unsigned mask[3] = {0x1F, 0x3F, 0x1F};
  static unsigned get(zcPackedRGB16 v, int i) { return v.value() >> shift[i] & mask[i]; }
  static zcPackedRGB16 make(const unsigned* c) {
    return zcPackedRGB16(static_cast<std::uint16_t>(c[0] << 11 | c[1] << 5 | c[2]));
  }
  static constexpr unsigned max(int i) { return mask[i]; }
};

template <>
struct Channels<zcPackedRGB32> {
  static constexpr int count = 4;
  static unsigned get(zcPackedRGB32 v, int i) { return v.value() >> (24 - 8 * i) & 0xFF; }
  static zcPackedRGB32 make(const unsigned* c) {
    return zcPackedRGB32(std::uint32_t(c[0]) << 24 | std::uint32_t(c[1]) << 16 | std::uint32_t(c[2]) << 8 | c[3]);
  }
  static constexpr unsigned max(int) { return 0xFF; }
};

// Reads source pels by image coordinates without per-pel checks; the caller keeps
// coordinates within the window.
template <class T>
class SourcePels {
public:
  explicit SourcePels(const zcPelBuffer_const<T>& source)
      : origin_(source.pelPointer(source.offset().x(), source.offset().y())),
        pitch_(source.pitch()),
        left_(source.offset().x()),
        top_(source.offset().y()),
        right_(left_ + source.width() - 1),
        bottom_(top_ + source.height() - 1) {}

  T at(long x, long y) const { return origin_[(y - top_) * pitch_ + (x - left_)]; }
  long clampX(long x) const { return std::clamp(x, left_, right_); }
  long clampY(long y) const { return std::clamp(y, top_, bottom_); }

private:
  const T* origin_;
  long pitch_;
  long left_;
  long top_;
  long right_;
  long bottom_;
};

template <class T>
T bilinear(const SourcePels<T>& src, const zcPoint& p) {
  // Pel centers sit at half-integers: shift them to integers first.
  const double u = p.x() - 0.5;
  const double v = p.y() - 0.5;
  const double fu = std::floor(u);
  const double fv = std::floor(v);
  const double ax = u - fu;
  const double ay = v - fv;
  const long x0 = static_cast<long>(fu);
  const long y0 = static_cast<long>(fv);
  const long xa = src.clampX(x0);
  const long xb = src.clampX(x0 + 1);
  const long ya = src.clampY(y0);
  const long yb = src.clampY(y0 + 1);
  const T q00 = src.at(xa, ya);
  const T q10 = src.at(xb, ya);
  const T q01 = src.at(xa, yb);
  const T q11 = src.at(xb, yb);
  unsigned channels[Channels<T>::count];
  for (int i = 0; i < Channels<T>::count; ++i) {
    const double top = (1 - ax) * Channels<T>::get(q00, i) + ax * Channels<T>::get(q10, i);
    const double bottom = (1 - ax) * Channels<T>::get(q01, i) + ax * Channels<T>::get(q11, i);
    const double value = (1 - ay) * top + ay * bottom;
    channels[i] = std::min(static_cast<unsigned>(value + 0.5), Channels<T>::max(i));
  }
  return Channels<T>::make(channels);
}

// Fills every pel of `target` (bound, of the params' size, not sharing the source).
template <class T>
void resample(const zcPelBuffer_const<T>& source, zcPelBuffer<T>& target, const zcAffineSamplingParams& params,
              const T& fill) {
  if (target.width() == 0 || target.height() == 0) return;
  const bool empty = source.width() == 0 || source.height() == 0;
  const double left = static_cast<double>(source.offset().x());
  const double top = static_cast<double>(source.offset().y());
  const double right = left + static_cast<double>(source.width());
  const double bottom = top + static_cast<double>(source.height());
  const zcXform<2>& m = params.targetToSource;

  if (empty) {
    for (long r = 0; r < target.height(); ++r) std::fill_n(target.rowPointer(target.offset().y() + r), target.width(), fill);
    return;
  }
  const SourcePels<T> src(source);
  for (long r = 0; r < target.height(); ++r) {
    const long ty = target.offset().y() + r;
    T* out = target.rowPointer(ty);
    for (long c = 0; c < target.width(); ++c) {
      const zcPoint p = m.mapPoint(zcPoint(static_cast<double>(target.offset().x() + c) + 0.5, ty + 0.5));
      // Written so that NaN falls outside as well.
      if (!(p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom)) {
        out[c] = fill;
      } else if (params.mode == zcAffineSamplingParams::eNearest) {
        out[c] = src.at(src.clampX(static_cast<long>(std::floor(p.x()))), src.clampY(static_cast<long>(std::floor(p.y()))));
      } else {
        out[c] = bilinear(src, p);
      }
    }
  }
}

}  // namespace

template <class T>
zcPelBuffer<T> zfAffineTransformImage(const zcPelBuffer_const<T>& source, const zcAffineSamplingParams& params,
                                      const T& fill) {
  if (!source.isBound()) throw zcPel::UnboundWindow();
  params.validate();
  zcPelBuffer<T> target(params.width, params.height, fill);
  resample(source, target, params, fill);
  return target;
}

template <class T>
void zfAffineTransformImage(const zcPelBuffer_const<T>& source, zcPelBuffer<T>& target,
                            const zcAffineSamplingParams& params, const T& fill) {
  if (!source.isBound() || !target.isBound()) throw zcPel::UnboundWindow();
  params.validate();
  if (params.width != target.width() || params.height != target.height()) {
    throw zcShapesError::BadParams(L"sampling size differs from the target");
  }
  if (target.sharesStorage(source)) throw zcShapesError::BadParams(L"sampling target shares the source's pels");
  resample(source, target, params, fill);
}

#define ZC_PELBUF_DEFINE_AFFINE(T)                                                                            \
  template ZFOUND_API zcPelBuffer<T> zfAffineTransformImage<T>(const zcPelBuffer_const<T>&,                   \
                                                               const zcAffineSamplingParams&, const T&);      \
  template ZFOUND_API void zfAffineTransformImage<T>(const zcPelBuffer_const<T>&, zcPelBuffer<T>&,            \
                                                     const zcAffineSamplingParams&, const T&);
ZC_PELBUF_DEFINE_AFFINE(unsigned char)
ZC_PELBUF_DEFINE_AFFINE(unsigned short)
ZC_PELBUF_DEFINE_AFFINE(zcPackedRGB16)
ZC_PELBUF_DEFINE_AFFINE(zcPackedRGB32)
#undef ZC_PELBUF_DEFINE_AFFINE
