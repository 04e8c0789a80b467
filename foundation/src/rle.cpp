// Run-length images: validation of run data, encoding, decoding, windows and the
// archive form.
#include "zfound/rle.h"

#include "pelbuf_support.h"

#include <algorithm>
#include <cstring>

std::size_t zcRLEBuffer::validate(long width, long height, std::span<const unsigned char> bytes) {
  zc_PelSizes::check(width, height);
  std::size_t pos = 0;
  // Every row takes two bytes at least, so the loop ends with the bytes however
  // large the height claims to be.
  for (long r = 0; r < height; ++r) {
    long sum = 0;
    for (;;) {
      if (bytes.size() - pos < 2) throw zcShapesError::BadParams(L"run data ends inside a row");
      const unsigned char length = bytes[pos + 1];
      pos += 2;
      if (length == 0) break;
      sum += length;
      if (sum > width) throw zcShapesError::BadParams(L"runs of a row exceed the width");
    }
    if (sum != width) throw zcShapesError::BadParams(L"runs of a row fall short of the width");
  }
  return pos;
}

zcRLEBuffer::zcRLEBuffer(long width, const std::vector<std::vector<unsigned char>>& rows, const zcPair<long>& offset) {
  if (rows.size() > static_cast<std::size_t>(zkPelLimit)) throw zcShapesError::BadParams(L"too many rows");
  const long height = static_cast<long>(rows.size());
  zc_PelSizes::check(width, height);
  zc_PelSizes::checkOffset(offset);
  std::vector<unsigned char> runs;
  std::vector<std::size_t> starts;
  starts.reserve(rows.size() + 1);
  for (const std::vector<unsigned char>& row : rows) {
    if (validate(width, 1, row) != row.size()) throw zcShapesError::BadParams(L"bytes after a row's end");
    starts.push_back(runs.size());
    runs.insert(runs.end(), row.begin(), row.end());
  }
  starts.push_back(runs.size());
  init_ = true;
  width_ = width;
  height_ = height;
  offset_ = offset;
  runs_ = std::move(runs);
  rowStart_ = std::move(starts);
}

zcRLEBuffer zcRLEBuffer::fromRunData(long width, long height, const zcPair<long>& offset,
                                     std::span<const unsigned char> bytes, std::size_t& used) {
  zc_PelSizes::checkOffset(offset);
  const std::size_t length = validate(width, height, bytes);
  zcRLEBuffer result;
  result.init_ = true;
  result.width_ = width;
  result.height_ = height;
  result.offset_ = offset;
  result.runs_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
  result.rowStart_.reserve(static_cast<std::size_t>(height) + 1);
  std::size_t pos = 0;
  for (long r = 0; r < height; ++r) {
    result.rowStart_.push_back(pos);
    do {
      pos += 2;
    } while (result.runs_[pos - 1] != 0);
  }
  result.rowStart_.push_back(pos);
  used = length;
  return result;
}

void zcRLEBuffer::appendRun(std::vector<unsigned char>& row, unsigned char value, unsigned long length) {
  while (length > 0) {
    const unsigned long n = std::min(length, 255ul);
    row.push_back(value);
    row.push_back(static_cast<unsigned char>(n));
    length -= n;
  }
}

void zcRLEBuffer::endRow(std::vector<unsigned char>& row) {
  row.push_back(0);
  row.push_back(0);
}

zcRLEBuffer zcRLEBuffer::encode(const zcPelBuffer_const<unsigned char>& pels) {
  if (!pels.isBound()) throw zcPel::UnboundWindow();
  zcRLEBuffer result;
  result.init_ = true;
  result.width_ = pels.width();
  result.height_ = pels.height();
  result.offset_ = pels.offset();
  result.rowStart_.reserve(static_cast<std::size_t>(result.height_) + 1);
  for (long r = 0; r < result.height_; ++r) {
    result.rowStart_.push_back(result.runs_.size());
    if (result.width_ > 0) {
      const unsigned char* p = pels.rowPointer(pels.offset().y() + r);
      long c = 0;
      while (c < result.width_) {
        long end = c + 1;
        while (end < result.width_ && p[end] == p[c]) ++end;
        appendRun(result.runs_, p[c], static_cast<unsigned long>(end - c));
        c = end;
      }
    }
    endRow(result.runs_);
  }
  result.rowStart_.push_back(result.runs_.size());
  return result;
}

void zcRLEBuffer::offset(const zcPair<long>& offset) {
  zc_PelSizes::checkOffset(offset);
  offset_ = offset;
}

std::span<const unsigned char> zcRLEBuffer::row(long i) const {
  if (i < 0 || i >= height_) throw zcPel::BadCoord();
  const auto first = static_cast<std::size_t>(i);
  return std::span<const unsigned char>(runs_.data() + rowStart_[first], rowStart_[first + 1] - rowStart_[first]);
}

zcPelBuffer<unsigned char> zcRLEBuffer::image() const {
  if (!init_) return zcPelBuffer<unsigned char>();
  zcPelBuffer<unsigned char> pels(width_, height_);
  pels.offset(offset_);
  if (width_ == 0) return pels;
  for (long r = 0; r < height_; ++r) {
    unsigned char* out = pels.rowPointer(offset_.y() + r);
    const std::span<const unsigned char> runs = row(r);
    // Validated data: the runs fill the row exactly.
    for (std::size_t k = 0; runs[k + 1] != 0; k += 2) {
      std::memset(out, runs[k], runs[k + 1]);
      out += runs[k + 1];
    }
  }
  return pels;
}

zcRLEBuffer zcRLEBuffer::window(long x, long y, long w, long h) const {
  zc_PelSizes::checkRect(init_, offset_, width_, height_, x, y, w, h);
  zcRLEBuffer result;
  result.init_ = true;
  result.width_ = w;
  result.height_ = h;
  result.offset_ = zcPair<long>(x, y);
  result.rowStart_.reserve(static_cast<std::size_t>(h) + 1);
  // The columns kept, relative to this image's left edge.
  const long from = x - offset_.x();
  const long to = from + w;
  for (long r = 0; r < h; ++r) {
    result.rowStart_.push_back(result.runs_.size());
    const std::span<const unsigned char> runs = row(y - offset_.y() + r);
    long column = 0;
    // Neighbouring runs of one value are joined, as the encoder would write them.
    unsigned char value = 0;
    unsigned long pending = 0;
    for (std::size_t k = 0; runs[k + 1] != 0 && column < to; k += 2) {
      const long end = column + runs[k + 1];
      const long kept = std::min(end, to) - std::max(column, from);
      if (kept > 0) {
        if (pending > 0 && runs[k] != value) {
          appendRun(result.runs_, value, pending);
          pending = 0;
        }
        value = runs[k];
        pending += static_cast<unsigned long>(kept);
      }
      column = end;
    }
    appendRun(result.runs_, value, pending);
    endRow(result.runs_);
  }
  result.rowStart_.push_back(result.runs_.size());
  return result;
}

bool zcRLEBuffer::operator==(const zcRLEBuffer& other) const {
  return init_ == other.init_ && width_ == other.width_ && height_ == other.height_ && offset_ == other.offset_ &&
         runs_ == other.runs_ && rowStart_ == other.rowStart_;
}

zcArchive& operator||(zcArchive& archive, zcRLEBuffer& buffer) {
  unsigned char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion("zfound/rle", __LINE__);
  bool init = buffer.isInit();
  archive || init;

  if (archive.isStoring()) {
    if (!init) return archive;
    long width = buffer.width();
    long height = buffer.height();
    zcPair<long> offset = buffer.offset();
    archive || width || height || offset;
    for (long r = 0; r < height; ++r) {
      const std::span<const unsigned char> runs = buffer.row(r);
      unsigned long count = runs.size();
      archive || count;
      // Storing only reads the bytes.
      archive.raw(const_cast<unsigned char*>(runs.data()), runs.size());
    }
    return archive;
  }

  if (!init) {
    buffer = zcRLEBuffer();
    return archive;
  }
  long width = 0;
  long height = 0;
  zcPair<long> offset;
  archive || width || height || offset;
  if (!zc_PelSizes::valid(width, height)) throw zcArchive::BadFormat(L"run-length image size out of range");
  if (!zc_PelSizes::validOffset(offset)) throw zcArchive::BadFormat(L"run-length image offset out of range");
  // Each row: a 4-byte count and its terminating pair at least.
  archive.checkCount(static_cast<unsigned long>(height), 6);
  std::vector<std::vector<unsigned char>> rows(static_cast<std::size_t>(height));
  for (std::vector<unsigned char>& row : rows) {
    unsigned long count = 0;
    archive || count;
    archive.checkCount(count, 1);
    row.resize(count);
    archive.raw(row.data(), count);
    // Checked at once, so that a bad row is not taken for the next row's count.
    try {
      if (zcRLEBuffer::validate(width, 1, row) != count) throw zcArchive::BadFormat(L"bytes after a row's end");
    } catch (const zcShapesError::BadParams& e) {
      throw zcArchive::BadFormat(e.messageString());
    }
  }
  buffer = zcRLEBuffer(width, rows, offset);
  return archive;
}
