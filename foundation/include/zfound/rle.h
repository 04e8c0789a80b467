// Run-length images: 8-bit images stored row by row as runs of equal pels.
//
//   zcRLEBuffer icon = zcRLEBuffer::encode(pels);      // from a zcPelBuffer
//   zcPelBuffer<unsigned char> back = icon.image();    // and back
//   for (long r = 0; r < icon.rowCount(); ++r) {
//     std::span<const unsigned char> runs = icon.row(r);   // (value, length) pairs
//   }
//
// Run data. Each row is a sequence of byte pairs (value, length) with 1 <= length <=
// 255, whose lengths add up to the width, followed by a terminating pair whose
// length byte is 0 (its value byte is 0 when this class writes it; readers accept
// any). A row of width 0 is the terminating pair alone. The encoder writes maximal
// runs (split at 255); other valid run data, such as neighbouring runs of one value,
// is kept as given.
//
// An image has a width, a height and an offset: the image coordinates of its
// top-left pel, as for pel buffers (zfound/pelbuf.h). A default buffer holds no data
// (isInit() is false, size 0 × 0). Sizes follow the pel-buffer limits (zkPelLimit)
// so that every run-length image can be decoded.
//
// Run data from outside (sketches, callers) is validated: a row whose runs do not add
// up to the width, that lacks its terminating pair or has bytes after it, raises
// zcShapesError::BadParams; bad sizes raise zcShapesError::BadParams too.
#pragma once

#include "zfound/archive.h"
#include "zfound/export.h"
#include "zfound/geometry.h"
#include "zfound/pelbuf.h"

#include <cstddef>
#include <span>
#include <vector>

class ZFOUND_API zcRLEBuffer {
public:
  zcRLEBuffer() = default;
  // An image from the run data of each row (rows.size() is the height), validated.
  zcRLEBuffer(long width, const std::vector<std::vector<unsigned char>>& rows,
              const zcPair<long>& offset = zcPair<long>());

  // The window of an 8-bit buffer, with its offset; zcPel::UnboundWindow when the
  // buffer is unbound.
  static zcRLEBuffer encode(const zcPelBuffer_const<unsigned char>& pels);

  // Reads `height` rows of run data from the front of `bytes` (more bytes may
  // follow) and sets `used` to the bytes they took; validated as above. This is the
  // form sketches store: the rows back to back.
  static zcRLEBuffer fromRunData(long width, long height, const zcPair<long>& offset,
                                 std::span<const unsigned char> bytes, std::size_t& used);

  // Row building for code that makes run data itself: appends runs of `value`
  // totalling `length` pels (nothing for 0), each of at most 255; and the
  // terminating pair.
  static void appendRun(std::vector<unsigned char>& row, unsigned char value, unsigned long length);
  static void endRow(std::vector<unsigned char>& row);

  bool isInit() const { return init_; }
  long width() const { return width_; }
  long height() const { return height_; }
  long rowCount() const { return height_; }
  const zcPair<long>& offset() const { return offset_; }
  // Raises zcShapesError::BadParams for a coordinate beyond ±zkPelLimit.
  void offset(const zcPair<long>& offset);

  // The run data of row i (0 is the top row), terminating pair included;
  // zcPel::BadCoord unless 0 <= i < rowCount().
  std::span<const unsigned char> row(long i) const;
  // All rows back to back, top row first.
  const std::vector<unsigned char>& runData() const { return runs_; }

  // Decoded into a new buffer of width × height with this offset and the identity
  // transform; an image without data gives an unbound buffer.
  zcPelBuffer<unsigned char> image() const;

  // The part (x, y, w, h) in image coordinates, which must lie within the image
  // (zcPel::BadCoord otherwise; zcPel::UnboundWindow without data); its offset is
  // (x, y). Its runs are maximal, as the encoder writes them.
  zcRLEBuffer window(long x, long y, long w, long h) const;

  // Same data byte for byte, same size and offset.
  bool operator==(const zcRLEBuffer& other) const;

private:
  friend ZFOUND_API zcArchive& operator||(zcArchive& archive, zcRLEBuffer& buffer);
  // Checks the sizes; returns the number of bytes row data of `height` rows starting
  // at `bytes` takes, or throws.
  static std::size_t validate(long width, long height, std::span<const unsigned char> bytes);

  bool init_ = false;
  long width_ = 0;
  long height_ = 0;
  zcPair<long> offset_;
  std::vector<unsigned char> runs_;
  // Start of each row in runs_, and runs_.size() at the end (height + 1 entries).
  std::vector<std::size_t> rowStart_;
};

// Archive form: a version byte (0); the init flag (bool); when set: width, height
// (long), offset (pair of long), then per row the byte count (unsigned long) and the
// row's run data. Loading validates everything before it changes the buffer:
// malformed run data or sizes raise zcArchive::BadFormat, counts beyond the bytes left
// zcArchive::BadCount, an unknown version zcArchive::UnknownVersion("zfound/rle",
// line); the buffer is then unchanged.
ZFOUND_API zcArchive& operator||(zcArchive& archive, zcRLEBuffer& buffer);
