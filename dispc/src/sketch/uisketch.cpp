#include "dispc/uisketch.h"

#include "dispc/uierror.h"

#include "zfound/archive.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {
constexpr long kMaxSize = std::numeric_limits<std::int32_t>::max();

class BadAllocation : public std::bad_alloc {
public:
  const char* what() const noexcept override { return "bad allocation"; }
};

void checkMark(long m, long size) {
  if (m < 0 || m > size) throw zcUIError::BadParams();
}
}  // namespace

zcUISketch::zcUISketch() = default;

zcUISketch::zcUISketch(const zcUISketch& other) {
  const long capacity = other.capacity(), size = other.size();
  if (capacity > 0) {
    data_ = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(capacity)));
    if (!data_) throw BadAllocation();
    limit_ = data_ + capacity;
    if (size > 0) std::memcpy(data_, other.data_, static_cast<std::size_t>(size));
    end_ = data_ + size;
  }
}

zcUISketch::zcUISketch(const unsigned char* bytes, long n) { append(bytes, n); }

zcUISketch::~zcUISketch() { std::free(data_); }

zcUISketch& zcUISketch::operator=(const zcUISketch& other) {
  if (this == &other) return *this;
  const long size = other.size();
  if (size > capacity()) reserve_(size);
  if (size > 0) std::memcpy(data_, other.data_, static_cast<std::size_t>(size));
  end_ = data_ + size;
  return *this;
}

void zcUISketch::reserve_(long needed) {
  const long had = capacity();
  if (needed <= had) return;
  if (needed > kMaxSize) throw BadAllocation();
  const long grown = std::min<long>(std::max<long>(needed, 2L * had), kMaxSize);
  // The size as an integer taken before the buffer moves.
  const std::size_t size = reinterpret_cast<std::uintptr_t>(end_) - reinterpret_cast<std::uintptr_t>(data_);
  void* p = std::realloc(data_, static_cast<std::size_t>(grown));
  if (!p) throw BadAllocation();
  data_ = static_cast<unsigned char*>(p);
  end_ = data_ + size;
  limit_ = data_ + grown;
}

unsigned char* zcUISketch::grow_(long n) {
  if (n < 0) throw zcUIError::BadParams();
  if (n > kMaxSize - size()) throw BadAllocation();
  reserve_(size() + n);
  return appendInRoom_(n);
}

void zcUISketch::append(const void* bytes, long n) {
  unsigned char* p = append(n);
  if (n > 0) std::memcpy(p, bytes, static_cast<std::size_t>(n));
}

void zcUISketch::writeBlock_(unsigned char op, const zcGraphicProps& props) {
  if (props == props_) return;
  // Room first: a failed growth must leave the remembered properties alone.
  storeBlock_(append(kPropsBlockSize), op, props);
  props_.assignValues_(props);
}

void zcUISketch::writePropsBlock(const zcGraphicProps& props) { writeBlock_(kPropsOpcode, props); }

void zcUISketch::opcode(signed char op, const zcGraphicProps& props) {
  writeBlock_(static_cast<unsigned char>(op), props);
}

bool zcUISketch::operator==(const zcUISketch& other) const {
  const long size = this->size();
  return size == other.size() && (size == 0 || std::memcmp(data_, other.data_, static_cast<std::size_t>(size)) == 0);
}

void zcUISketch::erase() {
  end_ = data_;
  props_ = zcGraphicProps();
}

void zcUISketch::eraseAndDelete() {
  std::free(data_);
  data_ = end_ = limit_ = nullptr;
  props_ = zcGraphicProps();
}

zcUISketch& zcUISketch::operator+=(const zcUISketch& other) {
  const long n = other.size();
  if (n == 0) return *this;
  // `other` may be this sketch: growing would move its bytes.
  reserve_(size() + n);
  append(other.data_, n);
  return *this;
}

zcUISketch zcUISketch::operator+(const zcUISketch& other) const {
  zcUISketch sum;
  if (size() + other.size() > 0) {
    sum.reserve_(size() + other.size());
    sum.append(data_, size());
    sum.append(other.data_, other.size());
  }
  return sum;
}

zcUISketch zcUISketch::subSketch(zcUISketchMark a, zcUISketchMark b) const {
  checkMark(a.offset(), size());
  checkMark(b.offset(), size());
  if (a.offset() >= b.offset()) return zcUISketch();
  return zcUISketch(data_ + a.offset(), b.offset() - a.offset());
}

void zcUISketch::insert(const zcUISketch& other, zcUISketchMark m) {
  checkMark(m.offset(), size());
  const long n = other.size();
  if (n == 0) return;
  // Copy first: `other` may be this sketch.
  zcUISketch copy(other.data_, n);
  const long oldSize = size();
  append(n);
  std::memmove(data_ + m.offset() + n, data_ + m.offset(), static_cast<std::size_t>(oldSize - m.offset()));
  std::memcpy(data_ + m.offset(), copy.data_, static_cast<std::size_t>(n));
}

void zcUISketch::remove(zcUISketchMark a, zcUISketchMark b) {
  if (a.offset() < 0) throw zcUIError::BadParams();
  const long end = std::min<long>(b.offset(), size());
  if (a.offset() >= end) return;
  std::memmove(data_ + a.offset(), data_ + end, static_cast<std::size_t>(size() - end));
  end_ -= end - a.offset();
}

zcArchive& operator||(zcArchive& archive, zcUISketchMark& mark) {
  signed char version = 0;
  long offset = mark.offset_;
  archive || version || offset;
  mark.offset_ = static_cast<std::int32_t>(offset);
  return archive;
}
