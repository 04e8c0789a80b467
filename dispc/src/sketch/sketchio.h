// Payload access in three directions with one description per operation kind:
// reading a bounded byte range, appending to a sketch, or archiving (zc_SketchIO),
// and the writing direction alone for recording (zc_SketchWriter). The descriptions
// (sketchpayload.h) are templates over the two.
//
//   void zc_UISketchOpCircle::fields_(zc_SketchIO& io) {
//     io.shape(circle_, [&] { ... io || center || radius; ... });
//   }
//
// Reading never passes the end of the range it was given: a field that does not fit
// raises zcUIError::InvalidUISketch, as does a count that is negative or whose items
// cannot fit in what is left, and a floating field (a coordinate, a size) that is
// not finite. Archiving writes each field in its archive form, and a
// shape through its own archive form (`shape`).
#pragma once

#include "dispc/color.h"
#include "dispc/uierror.h"
#include "dispc/uirect.h"
#include "dispc/uisketch.h"
#include "dispc/uistring.h"

#include "zfound/archive.h"
#include "zfound/bytes.h"
#include "zfound/geometry.h"
#include "zfound/strings.h"

#include <algorithm>
#include <cassert>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#endif

class zc_SketchIO {
public:
  static constexpr bool kWriting = false;

  // What the one-argument parse functions read: their caller vouches for the bytes.
  static constexpr std::size_t kUnbounded = std::numeric_limits<std::size_t>::max() / 2;

  zc_SketchIO(const unsigned char* in, std::size_t available) : reading_(true), in_(in), available_(available) {}
  explicit zc_SketchIO(zcUISketch& out) : out_(&out) {}
  explicit zc_SketchIO(zcArchive& archive) : archive_(&archive) {}

  bool loading() const { return reading_ || (archive_ && archive_->isLoading()); }
  bool archiving() const { return archive_ != nullptr; }
  zcArchive& archive() { return *archive_; }
  // Bytes read so far.
  std::size_t consumed() const { return used_; }

  // The hot fields of reading take the quick path (quick, when they fit);
  // everything else goes through field(), out of line in sketchio.cpp.
  zc_SketchIO& field(double& v);
  zc_SketchIO& field(std::int32_t& v);
  zc_SketchIO& field(zcVector<2>& v);
  std::size_t remaining() const { return available_ - used_; }

  zc_SketchIO& operator||(unsigned char& v) {
    if (archive_) {
      *archive_ || v;
    } else if (reading_) {
      v = *take(1);
    } else {
      *put(1) = v;
    }
    return *this;
  }
  // A flag byte: 1 for true; any byte but 0 reads as true.
  zc_SketchIO& operator||(bool& v) {
    unsigned char b = v ? 1 : 0;
    *this || b;
    if (loading()) v = b != 0;
    return *this;
  }
  zc_SketchIO& operator||(std::int32_t& v) {
    if (quick(4, [&](const unsigned char* p) { v = zfLoadI32(p); })) return *this;
    return field(v);
  }
  zc_SketchIO& operator||(float& v) {
    if (archive_) {
      double wide = v;
      *archive_ || wide;
      if (loading()) v = static_cast<float>(wide);
    } else {
      std::uint32_t bits;
      std::memcpy(&bits, &v, 4);
      if (reading_) {
        bits = zfLoadU32(take(4));
        std::memcpy(&v, &bits, 4);
        if (!std::isfinite(v)) throw zcUIError::InvalidUISketch();
      } else {
        zfStoreU32(put(4), bits);
      }
    }
    return *this;
  }
  zc_SketchIO& operator||(double& v) {
    if (quick(8, [&](const unsigned char* p) { v = finite(zfLoadF64(p)); })) return *this;
    return field(v);
  }
  zc_SketchIO& operator||(zcVector<2>& v) {
    if (quick(16, [&](const unsigned char* p) { v = zcVector<2>(finite(zfLoadF64(p)), finite(zfLoadF64(p + 8))); }))
      return *this;
    return field(v);
  }
  // A coordinate or size read: finite, or the sketch is malformed.
  static double finite(double v) {
    if (!std::isfinite(v)) invalid();
    return v;
  }
  // Raises zcUIError::InvalidUISketch, out of line, so that the hot paths that
  // refuse bytes set up no exception object.
  [[noreturn, gnu::cold]] static void invalid();
  // A pixel pair: two i32.
  zc_SketchIO& operator||(zcPair<long>& v) {
    if (archive_) {
      *archive_ || v;
    } else {
      std::int32_t x = static_cast<std::int32_t>(v.x()), y = static_cast<std::int32_t>(v.y());
      *this || x || y;
      if (reading_) v = zcPair<long>(x, y);
    }
    return *this;
  }
  zc_SketchIO& operator||(zcColor& v) {
    if (archive_) {
      *archive_ || v;
    } else if (reading_) {
      v = zcColor::readImage(zcImageIn<zcColor::kImageSize>(take(zcColor::kImageSize), zcColor::kImageSize));
    } else {
      v.writeImage(zcImageOut<zcColor::kImageSize>(put(zcColor::kImageSize), zcColor::kImageSize));
    }
    return *this;
  }
  // Four i32: x, y, width, height.
  zc_SketchIO& operator||(zcUIRect& v) {
    if (archive_) {
      *archive_ || v;
    } else {
      std::int32_t f[4] = {static_cast<std::int32_t>(v.left()), static_cast<std::int32_t>(v.top()),
                           static_cast<std::int32_t>(v.width()), static_cast<std::int32_t>(v.height())};
      *this || f[0] || f[1] || f[2] || f[3];
      if (reading_) v = zcUIRect(f[0], f[1], f[2], f[3]);
    }
    return *this;
  }
  // Two 32-bit fields: font id, alignment (0 to 8; others are refused).
  zc_SketchIO& operator||(zcUIFormat& v) {
    if (archive_) {
      *archive_ || v;
      return *this;
    }
    std::int32_t font = static_cast<std::int32_t>(v.fontId());
    std::int32_t align = static_cast<std::int32_t>(v.alignment());
    *this || font || align;
    if (loading()) {
      if (align < 0 || align > 8) throw zcUIError::InvalidUISketch();
      v = zcUIFormat(font, static_cast<zcUIFormat::Alignment>(align));
    }
    return *this;
  }
  // A transform: its 56-byte image. Transforms in sketches are finite (their archive
  // form refuses anything else), so a reader refuses a non-finite one.
  zc_SketchIO& operator||(zcXform<2>& v) {
    image<zcXform<2>, zkXformImageSize>(v);
    if (reading_ && !zfIsFinite(v)) throw zcUIError::InvalidUISketch();
    return *this;
  }

  // v = make() when loading (a writer never assigns).
  template <class T, class Make>
  void load(T& v, Make&& make) {
    if (loading()) v = make();
  }
  // Refuses a reader's count of `n` bytes more than remain (archives check their
  // own counts).
  void fits(std::size_t n) const {
    if (reading_ && n > remaining()) throw zcUIError::InvalidUISketch();
  }

  // A count of items that take at least `itemBytes` payload bytes each.
  void count(std::int32_t& n, std::size_t itemBytes) {
    if (archive_) {
      long wide = n;
      *archive_ || wide;
      if (archive_->isLoading()) {
        if (wide < 0) archive_->checkCount(std::numeric_limits<unsigned long>::max(), 1);
        archive_->checkCount(static_cast<unsigned long>(wide), itemBytes);
      }
      n = static_cast<std::int32_t>(wide);
      return;
    }
    *this || n;
    if (reading_ && (n < 0 || (itemBytes > 0 && static_cast<std::size_t>(n) > remaining() / itemBytes)))
      throw zcUIError::InvalidUISketch();
  }

  // Points, 16 bytes each.
  void points(std::vector<zcPoint>& v) {
    for (zcPoint& p : v) *this || p;
  }

  // n bytes as they are (an archive moves them raw, after a count the caller wrote).
  void raw(unsigned char* p, std::size_t n) {
    if (n == 0) return;
    if (archive_) {
      archive_->raw(p, n);
    } else if (reading_) {
      std::memcpy(p, take(n), n);
    } else {
      std::memcpy(put(n), p, n);
    }
  }

  // A 64-bit field: two 32-bit halves, low first.
  zc_SketchIO& operator||(std::uint64_t& v) {
    std::int32_t lo = static_cast<std::int32_t>(v & 0xFFFFFFFFu), hi = static_cast<std::int32_t>(v >> 32);
    *this || lo || hi;
    if (loading())
      v = std::uint64_t(static_cast<std::uint32_t>(lo)) | std::uint64_t(static_cast<std::uint32_t>(hi)) << 32;
    return *this;
  }

  // Text with its terminating 0: 8-bit characters, or UTF-16 units. A reader
  // refuses text whose terminator is missing. An archive stores 8-bit text as a
  // count and the bytes, UTF-16 text in the archive's string form.
  void text(std::string& v) {
    if (archive_) {
      std::int32_t n = static_cast<std::int32_t>(v.size());
      count(n, 1);
      v.resize(static_cast<std::size_t>(n));
      raw(reinterpret_cast<unsigned char*>(v.data()), v.size());
    } else if (reading_) {
      std::size_t n = 0;
      while (n < remaining() && in_[used_ + n] != 0) ++n;
      const unsigned char* p = take(n + 1);
      v.assign(reinterpret_cast<const char*>(p), n);
    } else {
      unsigned char* p = put(v.size() + 1);
      std::memcpy(p, v.data(), v.size());
      p[v.size()] = 0;
    }
  }
  void text(std::u16string& v) {
    if (archive_) {
      std::wstring wide = zfFromUtf16(v);
      *archive_ || wide;
      v = zfToUtf16(wide);
    } else if (reading_) {
      std::size_t n = 0;
      while (2 * n + 1 < remaining() && (in_[used_ + 2 * n] | in_[used_ + 2 * n + 1]) != 0) ++n;
      const unsigned char* p = take(2 * (n + 1));
      v.resize(n);
      for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
    } else {
      unsigned char* p = put(2 * (v.size() + 1));
      for (std::size_t i = 0; i <= v.size(); ++i) {
        const char16_t c = i < v.size() ? v[i] : u'\0';
        p[2 * i] = static_cast<unsigned char>(c);
        p[2 * i + 1] = static_cast<unsigned char>(c >> 8);
      }
    }
  }

  // Wide text as its UTF-16 units.
  void text(std::wstring& v) {
    std::u16string units = zfToUtf16(v);
    text(units);
    if (loading()) v = zfFromUtf16(units);
  }

  // Bytes a reader skips (old layouts); a writer never produces them.
  void ignore(std::size_t n) { take(n); }

  // A foundation value stored as its value image of N bytes; archived in its own form.
  template <class T, std::size_t N>
  void image(T& v) {
    if (archive_) {
      *archive_ || v;
    } else if (reading_) {
      v = T::readImage(zcImageIn<N>(take(N), N));
    } else {
      v.writeImage(zcImageOut<N>(put(N), N));
    }
  }
  // The older image of N bytes that a version-0 payload holds (reading only).
  template <class T, std::size_t N>
  void imageV0(T& v) {
    v = T::readImageV0(zcImageIn<N>(take(N), N));
  }

  // A shape kind: archived through the shape's own archive form, otherwise through
  // its payload fields.
  template <class S, class Fields>
  void shape(S& s, Fields&& fields) {
    if (archive_) {
      *archive_ || s;
    } else {
      fields();
    }
  }

  // The bytes that remain, looked at without being consumed (take() consumes them).
  const unsigned char* peek() const { return in_ + used_; }
  const unsigned char* take(std::size_t n) {
    if (!reading_) throw zcUIError::InvalidUISketch();
    if (n > available_ - used_) throw zcUIError::InvalidUISketch();
    const unsigned char* p = in_ + used_;
    used_ += n;
    return p;
  }

private:
  unsigned char* put(std::size_t n) { return out_->append(static_cast<long>(n)); }
  // The next n bytes handed to `read` and consumed when they are there; false
  // otherwise (field() then raises, writes or archives). Only a reader has bytes
  // available, so the test alone tells the reading direction.
  template <class Read>
  bool quick(std::size_t n, Read&& read) {
    if (n > available_ - used_) return false;
    const unsigned char* p = in_ + used_;
    used_ += n;
    read(p);
    return true;
  }

  bool reading_ = false;
  const unsigned char* in_ = nullptr;
  std::size_t available_ = 0;
  std::size_t used_ = 0;
  zcUISketch* out_ = nullptr;
  zcArchive* archive_ = nullptr;
};

// What a field description is handed for each of its values: the value itself to
// read or archive, a const one to write.
template <class IO, class T>
using zc_SketchField = std::conditional_t<IO::kWriting, const T&, T&>;
// A local working copy of a value: a writer reads the value where it is.
template <class IO, class T>
using zc_SketchLocal = std::conditional_t<IO::kWriting, const T&, T>;

// The writing direction of the field descriptions, for recording: the values go
// straight into a piece of the sketch's room, with no record object and no virtual
// call; each field is a store at a moving pointer. The same description run over a
// zc_SketchSizer first tells how long that room must be (for kinds without a fixed
// length), so that an operation is appended in one piece.
//
// Wide text nearly always lies in the basic plane, one UTF-16 unit a character. A
// sizer that is not exact counts it so, without looking at it, and counts as
// slack() the bytes more it would take if every character took a surrogate pair; a
// writer that is not exact then finds out, and when a character lay beyond the
// plane the room it was given was too short for the text: the writing is not whole
// (whole() is false) until widen() converts the text again in place, in the slack
// that the caller made sure the capacity holds. So nothing that the operation was
// written from is needed once it is written, but the text.
template <bool Sizing>
class zc_SketchWriterOf {
public:
  static constexpr bool kWriting = true;

  explicit zc_SketchWriterOf(bool exact) requires Sizing : exact_(exact) {}
  zc_SketchWriterOf(unsigned char* room, bool exact) requires(!Sizing) : at_(room), exact_(exact) {}

  static constexpr bool loading() { return false; }
  static constexpr bool archiving() { return false; }
  // Where the next byte goes (writing); the bytes described so far (sizing).
  const unsigned char* at() const { return at_; }
  std::size_t size() const { return size_; }
  std::size_t slack() const { return slack_; }
  bool whole() const { return wide_ == nullptr; }
  // When the writing is not whole: the text it could not write as it was, and where.
  const std::wstring& wide() const { return *wide_; }
  unsigned char* wideAt() const { return wideAt_; }
  // Makes a writing whole: the last operation in `s` holds at `at` the text `v`
  // that the writer could not write as it was, and the capacity holds the sizer's
  // slack; the sketch's size grows by what the full conversion takes more (within
  // the capacity, so nothing moves and nothing fails). Static, with the writer's
  // values handed over, so that the writer itself stays in registers.
  [[gnu::cold, gnu::noinline]] static void widen(zcUISketch& s, const std::wstring& v,
                                                 unsigned char* at) noexcept requires(!Sizing) {
    const long size = s.size(), end = (at - s.data()) + 2 * static_cast<long>(v.size() + 1);
    const long more = 2 * std::count_if(v.begin(), v.end(), isPair);
    assert(more <= s.capacity() - size);
    unsigned char* base = s.append(more) - size;
    std::memmove(base + end + more, base + end, static_cast<std::size_t>(size - end));
    zc_SketchWriterOf(at, true).text(v);
  }

  template <class T, class Make>
  void load(const T&, Make&&) {}
  void fits(std::size_t) const {}

  zc_SketchWriterOf& operator||(unsigned char v) {
    return put(1, [&](unsigned char* p) { *p = v; });
  }
  zc_SketchWriterOf& operator||(bool v) { return *this || static_cast<unsigned char>(v ? 1 : 0); }
  zc_SketchWriterOf& operator||(std::int32_t v) {
    return put(4, [&](unsigned char* p) { zfStoreI32(p, v); });
  }
  zc_SketchWriterOf& operator||(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return put(4, [&](unsigned char* p) { zfStoreU32(p, bits); });
  }
  zc_SketchWriterOf& operator||(double v) {
    return put(8, [&](unsigned char* p) { zfStoreF64(p, v); });
  }
  // A point: its two f64, as they are on a little-endian host.
  zc_SketchWriterOf& operator||(const zcVector<2>& v) {
    if constexpr (kPointsAsBytes) return put(16, [&](unsigned char* p) { std::memcpy(p, &v, 16); });
    return *this || v.x() || v.y();
  }
  zc_SketchWriterOf& operator||(const zcPair<long>& v) {
    return *this || static_cast<std::int32_t>(v.x()) || static_cast<std::int32_t>(v.y());
  }
  zc_SketchWriterOf& operator||(const zcColor& v) {
    image<zcColor, zcColor::kImageSize>(v);
    return *this;
  }
  zc_SketchWriterOf& operator||(const zcUIRect& v) {
    return *this || static_cast<std::int32_t>(v.left()) || static_cast<std::int32_t>(v.top()) ||
           static_cast<std::int32_t>(v.width()) || static_cast<std::int32_t>(v.height());
  }
  zc_SketchWriterOf& operator||(const zcUIFormat& v) {
    return *this || static_cast<std::int32_t>(v.fontId()) || static_cast<std::int32_t>(v.alignment());
  }
  zc_SketchWriterOf& operator||(const zcXform<2>& v) {
    image<zcXform<2>, zkXformImageSize>(v);
    return *this;
  }
  zc_SketchWriterOf& operator||(std::uint64_t v) {
    return *this || static_cast<std::int32_t>(v & 0xFFFFFFFFu) || static_cast<std::int32_t>(v >> 32);
  }

  void count(std::int32_t n, std::size_t) { *this || n; }
  // Points in one piece of room, after their count (countedPoints). On a
  // little-endian host a point's bytes are its two f64 as they are, copied four
  // points at a time, the last four overlapping the ones before (so that 4 to 8
  // points take two copies), or one at a time when there are fewer. The vector's
  // size and data are read before any byte is stored.
  void points(const std::vector<zcPoint>& v) { storePoints(v.data(), v.size()); }
  void countedPoints(const std::vector<zcPoint>& v) {
    const zcPoint* q = v.data();
    const std::size_t n = v.size();
    *this || static_cast<std::int32_t>(n);
    storePoints(q, n);
  }
  void raw(const unsigned char* p, std::size_t n) {
    if (n > 0) put(n, [&](unsigned char* out) { std::memcpy(out, p, n); });
  }
  void text(const std::string& v) {
    put(v.size() + 1, [&](unsigned char* p) {
      std::memcpy(p, v.data(), v.size());
      p[v.size()] = 0;
    });
  }
  // UTF-16 units as zfToUtf16 makes them, then the terminating 0: a character
  // beyond the basic plane as its surrogate pair, one beyond the last code point as
  // U+FFFD. Most text lies in the basic plane: its characters are their units.
  void text(const std::wstring& v) {
    if constexpr (Sizing) {
      std::size_t units = v.size() + 1;
      if (!exact_) {
        slack_ += 2 * v.size();
      } else if (!narrow<false>(v.data(), v.size(), nullptr)) {
        units += static_cast<std::size_t>(std::count_if(v.begin(), v.end(), isPair));
      }
      size_ += 2 * units;
    } else {
      // Each character as its low 16 bits, then, when one of them was not in the
      // basic plane, the full conversion over the same room (which an exact sizer
      // measured) or nothing more (the writing is not whole). The string's size and
      // characters are read before any byte is stored.
      const wchar_t* w = v.data();
      const std::size_t n = v.size();
      unsigned char* p = at_;
      const bool basic = narrow<true>(w, n, p);
      if (basic || !exact_) {
        if (!basic) {
          assert(!wide_);  // one wide text a payload
          wide_ = &v;
          wideAt_ = p;
        }
        p += 2 * n;
      } else {
        for (std::size_t i = 0; i < n; ++i) {
          const char32_t c = static_cast<char32_t>(w[i]);
          if (isPair(w[i])) {
            unit(p, 0xD800 + ((c - 0x10000) >> 10));
            unit(p, 0xDC00 + ((c - 0x10000) & 0x3FF));
          } else {
            unit(p, c > 0xFFFF ? 0xFFFD : c);
          }
        }
      }
      unit(p, 0);
      at_ = p;
    }
  }

  template <class T, std::size_t N>
  void image(const T& v) {
    put(N, [&](unsigned char* p) { v.writeImage(zcImageOut<N>(p, N)); });
  }
  template <class S, class Fields>
  void shape(const S&, Fields&& fields) {
    fields();
  }

private:
  void storePoints(const zcPoint* q, std::size_t n) {
    put(16 * n, [&](unsigned char* p) {
      if constexpr (kPointsAsBytes) {
        const auto four = [&](std::size_t i) { std::memcpy(p + 16 * i, q + i, 64); };
        if (n > 8) {
          std::size_t i = 0;
          for (; n - i > 4; i += 4) four(i);
          four(n - 4);
        } else if (n >= 4) {
          four(0);
          four(n - 4);
        } else {
          for (std::size_t i = 0; i < n; ++i) std::memcpy(p + 16 * i, q + i, 16);
        }
      } else {
        for (std::size_t i = 0; i < n; ++i) {
          zfStoreF64(p + 16 * i, q[i].x());
          zfStoreF64(p + 16 * i + 8, q[i].y());
        }
      }
    });
  }
  // n bytes, stored by `store` at the moving pointer, or only counted.
  template <class Store>
  zc_SketchWriterOf& put(std::size_t n, Store&& store) {
    if constexpr (Sizing) {
      size_ += n;
    } else {
      store(at_);
      at_ += n;
    }
    return *this;
  }
  static constexpr bool kPointsAsBytes = std::endian::native == std::endian::little && sizeof(zcPoint) == 16 &&
                                         std::is_trivially_copyable_v<zcPoint>;
  // A character that takes a surrogate pair.
  static bool isPair(wchar_t w) { return static_cast<char32_t>(w) - 0x10000 <= 0xFFFFF; }
  // Whether none of the n characters at w lies beyond the basic plane (nor is
  // negative), so that each is its own UTF-16 unit; with Store, each character's low
  // 16 bits go to p as well. On x86-64, eight characters at a time, the last eight
  // overlapping the ones before; four and four (overlapping) when there are 4 to 8.
  template <bool Store>
  static bool narrow(const wchar_t* w, std::size_t n, unsigned char* p) {
#if defined(__x86_64__) || defined(_M_X64)
    if constexpr (sizeof(wchar_t) == 4) {
      if (n >= 4) {
        const auto load = [&](std::size_t i) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + i)); };
        // The low halves sign-extended, which the saturating pack keeps as they are.
        const auto units = [](__m128i a, __m128i b) {
          return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(a, 16), 16), _mm_srai_epi32(_mm_slli_epi32(b, 16), 16));
        };
        __m128i seen;
        if (n <= 8) {
          const __m128i a = load(0), b = load(n - 4);
          seen = _mm_or_si128(a, b);
          if constexpr (Store) {
            const __m128i u = units(a, b);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(p), u);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 2 * (n - 4)), _mm_unpackhi_epi64(u, u));
          }
        } else {
          seen = _mm_setzero_si128();
          const auto eight = [&](std::size_t i) {
            const __m128i a = load(i), b = load(i + 4);
            seen = _mm_or_si128(seen, _mm_or_si128(a, b));
            if constexpr (Store) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i), units(a, b));
          };
          std::size_t i = 0;
          for (; i + 8 <= n; i += 8) eight(i);
          if (i < n) eight(n - 8);
        }
        // Every character below 2^16: the upper halves, packed, are all 0.
        const __m128i high = _mm_srli_epi32(seen, 16);
        return _mm_cvtsi128_si64(_mm_packs_epi32(high, high)) == 0;
      }
    }
#endif
    std::uint32_t seen = 0;
    for (std::size_t i = 0; i < n; ++i) {
      seen |= static_cast<std::uint32_t>(w[i]);
      if constexpr (Store) zfStoreU16(p + 2 * i, static_cast<std::uint16_t>(w[i]));
    }
    return seen <= 0xFFFF;
  }
  // One UTF-16 unit at p, which moves past it.
  static void unit(unsigned char*& p, char32_t u) {
    zfStoreU16(p, static_cast<std::uint16_t>(u));
    p += 2;
  }

  unsigned char* at_ = nullptr;
  std::size_t size_ = 0;
  std::size_t slack_ = 0;
  bool exact_;
  // The text that a writer that is not exact could not write as it was, and where.
  const std::wstring* wide_ = nullptr;
  unsigned char* wideAt_ = nullptr;
};
using zc_SketchWriter = zc_SketchWriterOf<false>;
using zc_SketchSizer = zc_SketchWriterOf<true>;
