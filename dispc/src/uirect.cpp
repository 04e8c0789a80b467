#include "dispc/uirect.h"

#include "dispc/uierror.h"

#include "zfound/archive.h"

#include <algorithm>

// --- zcFlagStack ------------------------------------------------------------------

zcFlagStack& zcFlagStack::operator=(bool b) {
  bits_ = (bits_ & ~1u) | (b ? 1u : 0u);
  return *this;
}

void zcFlagStack::push(bool b) {
  if (depth_ >= maxDepth) throw zcUIError::FlagStackOverflow();
  bits_ = (bits_ << 1) | (b ? 1u : 0u);
  ++depth_;
}

bool zcFlagStack::pop() {
  if (depth_ < 2) throw zcUIError::FlagStackUnderflow();
  const bool top = (bits_ & 1u) != 0;
  // Arithmetic shift: the bit below the bottom entry is repeated, as the stack has
  // always done; entries within the depth are unaffected either way.
  bits_ = static_cast<std::uint32_t>(static_cast<std::int32_t>(bits_) >> 1);
  --depth_;
  return top;
}

bool zcFlagStack::operator[](long i) const {
  if (i < 0 || i >= depth_) throw zcUIError::FlagStackOutOfRange();
  return ((bits_ >> i) & 1u) != 0;
}

// --- zcUIRect ---------------------------------------------------------------------

const zcUIRect zcUIRect::null;
const zcUIRect zcUIRect::inf(-0x3FFFFFFFL, -0x3FFFFFFFL, 0x7FFFFFFFL, 0x7FFFFFFFL);
const zcUIRect zcUIRect::firstQuad(0, 0, 0x3FFFFFFFL, 0x3FFFFFFFL);

zcUIRect::zcUIRect(const zcPair<long>& ul, const zcPair<long>& sz) : ul_(ul), sz_(sz) { normalize(); }

zcUIRect::zcUIRect(long x, long y, long w, long h) : ul_(x, y), sz_(w, h) { normalize(); }

void zcUIRect::normalize() {
  if (sz_.x() < 1 || sz_.y() <= 0) {
    ul_ = zcPair<long>();
    sz_ = zcPair<long>();
  }
}

void zcUIRect::ul(const zcPair<long>& p) {
  if (!isNull()) ul_ = p;
}

void zcUIRect::sz(const zcPair<long>& s) {
  sz_ = s;
  normalize();
}

bool zcUIRect::within(const zcPair<long>& p) const {
  return left() <= p.x() && p.x() < right() && top() <= p.y() && p.y() < bottom();
}

bool zcUIRect::within(const zcUIRect& r) const {
  return within(r.ul()) && within(zcPair<long>(r.right() - 1, r.bottom() - 1));
}

bool zcUIRect::nullIntersection(const zcUIRect& r) const {
  if (isNull() || r.isNull()) return true;
  return left() >= r.right() || r.left() >= right() || top() >= r.bottom() || r.top() >= bottom();
}

zcUIRect& zcUIRect::operator&=(const zcUIRect& r) {
  if (isNull()) return *this;
  if (r.isNull()) return *this = null;
  const long x = std::max(left(), r.left());
  const long y = std::max(top(), r.top());
  *this = zcUIRect(x, y, std::min(right(), r.right()) - x, std::min(bottom(), r.bottom()) - y);
  return *this;
}

zcUIRect& zcUIRect::operator|=(const zcUIRect& r) {
  if (r.isNull()) return *this;
  if (isNull()) return *this = r;
  const long x = std::min(left(), r.left());
  const long y = std::min(top(), r.top());
  *this = zcUIRect(x, y, std::max(right(), r.right()) - x, std::max(bottom(), r.bottom()) - y);
  return *this;
}

zcUIRect zcUIRect::operator&(const zcUIRect& r) const {
  zcUIRect result = *this;
  return result &= r;
}

zcUIRect zcUIRect::operator|(const zcUIRect& r) const {
  zcUIRect result = *this;
  return result |= r;
}

zcUIRect zcUIRect::operator+(const zcPair<long>& d) const {
  return zcUIRect(left() + d.x(), top() + d.y(), width(), height());
}

zcUIRect zcUIRect::operator-(const zcPair<long>& d) const {
  return zcUIRect(left() - d.x(), top() - d.y(), width(), height());
}

zcUIRect& zcUIRect::operator+=(const zcPair<long>& d) {
  ul_ = zcPair<long>(left() + d.x(), top() + d.y());
  return *this;
}

zcUIRect& zcUIRect::operator-=(const zcPair<long>& d) {
  ul_ = zcPair<long>(left() - d.x(), top() - d.y());
  return *this;
}

zcArchive& operator||(zcArchive& archive, zcUIRect& rect) {
  signed char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion("dispc/uirect", __LINE__);
  zcPair<long> ul = rect.ul();
  zcPair<long> sz = rect.sz();
  archive || ul || sz;
  if (archive.isLoading()) rect = zcUIRect(ul, sz);
  return archive;
}
