// Sketches: the byte streams that tablets record, one operation after another.
//
//   zcUISketchMark a = sketch.mark();
//   ... draw on the recording tablet ...
//   zcUISketch part = sketch.subSketch(a, sketch.mark());   // what was drawn
//
// Each operation is framed as: an optional properties block (the byte 40, then the
// 21-byte properties record of zcGraphicProps), an 8-byte header (opcode, layer, the
// six color bytes) and the payload of the opcode (dispc/sketchop.h). All values are
// little-endian and unaligned.
//
// The buffer comes from the C allocator. Growth: when size + n exceeds the capacity,
// the capacity becomes the larger of size + n and twice the old capacity. A sketch
// holds at most 2^31 − 1 bytes; growth beyond that, or a failed allocation, raises
// std::bad_alloc ("bad allocation") and leaves the sketch as it was.
//
// The sketch remembers the properties it last wrote, so a properties block is
// written only when they change. Joining, inserting and copying move bytes only:
// they never add a block and never change the remembered properties (a copy and
// operator+ start from the default properties).
#pragma once

#include "dispc/dispprop.h"
#include "dispc/export.h"

#include <cstdint>
#include <cstring>
#include <span>

class zcArchive;
class zcUISketch;
class zcUITablet;

// A byte offset into a sketch.
class DISPC_API zcUISketchMark {
public:
  zcUISketchMark() = default;
  explicit zcUISketchMark(long offset) : offset_(static_cast<std::int32_t>(offset)) {}
  long offset() const { return offset_; }
  bool operator==(const zcUISketchMark& o) const { return offset_ == o.offset_; }
  bool operator!=(const zcUISketchMark& o) const { return offset_ != o.offset_; }

private:
  friend DISPC_API zcArchive& operator||(zcArchive&, zcUISketchMark&);
  std::int32_t offset_ = 0;
};

// Archive form: a signed version byte (written 0, not checked), then the offset.
DISPC_API zcArchive& operator||(zcArchive& archive, zcUISketchMark& mark);

class DISPC_API zcUISketch {
public:
  // The byte that opens a properties block.
  static constexpr unsigned char kPropsOpcode = 40;
  // Bytes of a properties block and of an operation header.
  static constexpr long kPropsBlockSize = 22;
  static constexpr long kHeaderSize = 8;

  zcUISketch();
  // Allocates exactly the source's capacity; default remembered properties.
  zcUISketch(const zcUISketch& other);
  ~zcUISketch();
  // Copies the bytes; the remembered properties stay as they were.
  zcUISketch& operator=(const zcUISketch& other);

  // Room for n more bytes, for the caller to fill; a negative n raises
  // zcUIError::BadParams.
  unsigned char* append(long n) {
    // Recording appends a few bytes at a time: the common case stays inline.
    return hasRoom_(n) ? appendInRoom_(n) : grow_(n);
  }
  void append(const void* bytes, long n);

  // The 8-byte operation header: opcode, layer, the six bytes of the color.
  void writeHeader(signed char op, signed char layer, const zcColor& color) {
    unsigned char* p = append(kHeaderSize);
    p[0] = static_cast<unsigned char>(op);
    p[1] = static_cast<unsigned char>(layer);
    color.writeImage(zcImageOut<zcColor::kImageSize>(p + 2, zcColor::kImageSize));
  }
  // A properties block (the block byte 40 and the properties record) when `props`
  // differ from the remembered ones, which then become `props`; nothing otherwise.
  void writePropsBlock(const zcGraphicProps& props);
  // The interface's names for the two: writeHeader, and writePropsBlock (op is 40).
  void opcode(signed char op, signed char layer, const zcColor& color) { writeHeader(op, layer, color); }
  void opcode(signed char op, const zcGraphicProps& props);

  zcUISketchMark mark() const { return zcUISketchMark(size()); }
  bool isNull() const { return end_ == data_; }
  long size() const { return end_ - data_; }
  long capacity() const { return limit_ - data_; }
  // The bytes in use; null when nothing was ever appended.
  const unsigned char* data() const { return data_; }
  std::span<const unsigned char> bytes() const {
    return data_ ? std::span<const unsigned char>(data_, static_cast<std::size_t>(size()))
                 : std::span<const unsigned char>();
  }
  // Byte-for-byte equality of the streams (the remembered properties aside).
  bool operator==(const zcUISketch& other) const;
  bool operator!=(const zcUISketch& other) const { return !(*this == other); }

  // Size 0 and default properties; the buffer is kept.
  void erase();
  // Frees the buffer as well.
  void eraseAndDelete();

  zcUISketch& operator+=(const zcUISketch& other);
  zcUISketch operator+(const zcUISketch& other) const;

  // Bytes from a up to b; empty unless a < b. Marks must satisfy 0 <= a <= b <= size
  // (zcUIError::BadParams otherwise).
  zcUISketch subSketch(zcUISketchMark a, zcUISketchMark b) const;
  // Inserts the other sketch's bytes at m (0 <= m <= size, else BadParams).
  void insert(const zcUISketch& other, zcUISketchMark m);
  // Removes the bytes from a up to b (clipped to the size); nothing unless a < b.
  // A negative a raises BadParams.
  void remove(zcUISketchMark a, zcUISketchMark b);

private:
  friend class zcUITablet;
  friend class zcUITabletPrivate;
  friend class zc_UISketchOpHeader;
  friend DISPC_API zcArchive& operator||(zcArchive&, zcUISketch&);
  zcUISketch(const unsigned char* bytes, long n);

  const zcGraphicProps& props() const { return props_; }
  void props(const zcGraphicProps& p) { props_.assignValues_(p); }
  // Recording works on the values of properties: those of `p`, or the defaults (a
  // constant); whether they fill; whether they are the remembered ones, which they
  // then become.
  using PropsValues = zcGraphicProps::Values;
  static const PropsValues& values_(const zcGraphicProps& p) { return p.values_; }
  static constexpr const PropsValues& defaultValues_() { return zcGraphicProps::kDefaultValues; }
  static bool fills_(const PropsValues& v) { return v.record[zcGraphicProps::kFillAt] != 0; }
  bool remembers_(const PropsValues& v) const { return zcGraphicProps::same(v, props_.values_); }
  void props(const PropsValues& v) { props_.values_ = v; }
  // Makes the capacity at least `needed` by the growth rule.
  void reserve_(long needed);
  // The block byte `op` and the properties record, when they change.
  void writeBlock_(unsigned char op, const zcGraphicProps& props);
  // The block byte `op` and the properties record stored at `out` (room for
  // kPropsBlockSize bytes); the remembered properties are left to the caller.
  static void storeBlock_(unsigned char* out, unsigned char op, const zcGraphicProps& props) {
    storeBlock_(out, op, props.values_);
  }
  static void storeBlock_(unsigned char* out, unsigned char op, const PropsValues& v) {
    out[0] = op;
    std::memcpy(out + 1, v.record, zcGraphicProps::kRecordSize);
  }
  // A properties block (kPropsOpcode) for `v` stored at `out`, which an operation
  // header follows, and `v` remembered, from two overlapping 16-byte pieces of `v`
  // loaded once and stored twice each. The second piece runs 5 bytes past the record
  // into the header's room, which the header then writes over.
  void storeBlockRemembering_(unsigned char* out, const PropsValues& v) {
    static_assert(sizeof(PropsValues) == 10 + 16 && 1 + 10 + 16 <= kPropsBlockSize + kHeaderSize);
    struct Piece {
      unsigned char bytes[16];
    };
    Piece lo, hi;
    std::memcpy(&lo, &v, 16);
    std::memcpy(&hi, reinterpret_cast<const unsigned char*>(&v) + 10, 16);
    out[0] = kPropsOpcode;
    std::memcpy(out + 1, &lo, 16);
    std::memcpy(out + 11, &hi, 16);
    std::memcpy(reinterpret_cast<unsigned char*>(&props_.values_), &lo, 16);
    std::memcpy(reinterpret_cast<unsigned char*>(&props_.values_) + 10, &hi, 16);
  }
  // Whether the capacity holds n more bytes (n >= 0), and those bytes when it does.
  bool hasRoom_(long n) const { return n >= 0 && n <= limit_ - end_; }
  unsigned char* appendInRoom_(long n) {
    unsigned char* start = end_;
    end_ += n;
    return start;
  }
  // Room for n more bytes (n >= 0) at `room` when the capacity holds them and
  // `slack` bytes more (slack >= 0): the end moved by n and checked against the
  // limit, as addresses (one add, one compare when there is no slack).
  bool appendWithin_(long n, long slack, unsigned char*& room) {
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(end_) + static_cast<std::uintptr_t>(n);
    if (end + static_cast<std::uintptr_t>(slack) > reinterpret_cast<std::uintptr_t>(limit_)) return false;
    room = end_;
    end_ = reinterpret_cast<unsigned char*>(end);
    return true;
  }
  // append() when the bytes do not fit.
  unsigned char* grow_(long n);

  // The bytes in use are [data_, end_), the capacity [data_, limit_): recording
  // moves one pointer and compares it with another.
  unsigned char* data_ = nullptr;
  unsigned char* end_ = nullptr;
  unsigned char* limit_ = nullptr;
  zcGraphicProps props_;
};
