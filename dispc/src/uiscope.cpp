#include "dispc/uiscope.h"

#include "dispc/color.h"
#include "dispc/uierror.h"

#include "zfound/pelbuf.h"
#include "zfound/rle.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>

namespace {
// Relative tolerance of the pixel floor and ceiling.
constexpr double kPixelTol = 1e-11;
// How close a scale must come to an integer to be treated as one.
constexpr double kIntegerTol = 1e-6;
// Largest target side handed to the affine resampler.
constexpr long kMaxResampleSide = 32767;
// Largest factor whose blocks run-length magnification keeps whole.
constexpr std::int64_t kMaxWholeBlock = 4096;

// Pixel arithmetic that pins at the ends of long instead of wrapping: far-off
// geometry gives far-off pixels, never wrapped ones.
long saturatingAdd(long a, long b) {
  constexpr long kMax = std::numeric_limits<long>::max();
  constexpr long kMin = std::numeric_limits<long>::min();
  if (b > 0 && a > kMax - b) return kMax;
  if (b < 0 && a < kMin - b) return kMin;
  return a + b;
}

long saturatingSub(long a, long b) {
  constexpr long kMax = std::numeric_limits<long>::max();
  constexpr long kMin = std::numeric_limits<long>::min();
  if (b < 0 && a > kMax + b) return kMax;
  if (b > 0 && a < kMin + b) return kMin;
  return a - b;
}

std::int32_t saturate32(long v) {
  return static_cast<std::int32_t>(
      std::clamp<long>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The run-length image decoded and mapped through the color map; the pass value is
// mapped with the pels so that it still names the pels to skip.
zcPelBuffer<unsigned char> decodeMapped(const zcRLEBuffer& image, const std::vector<unsigned char>& colorMap,
                                        unsigned char& passValue) {
  zcPelBuffer<unsigned char> pels = image.image();
  zfPelMap(pels, std::span<const unsigned char>(colorMap));
  if (passValue < colorMap.size()) passValue = colorMap[passValue];
  return pels;
}

// --- pelScale ----------------------------------------------------------------------

template <class T>
bool scaleImage(const zcPelBuffer_const<T>& source, zcPelBuffer<T>& target, double scale, zcUIRect& rect,
                const zcPair<long>& offset, zcUITabletEnums::InterpolationModes mode) {
  if (!source.isBound() || source.width() <= 0 || source.height() <= 0) return false;
  if (!std::isfinite(scale) || !(scale > 0.0)) return false;
  // Both spellings of a reduction are accepted: the factor and the display scale.
  const double factor = scale >= 1.0 ? scale : 1.0 / scale;
  if (!std::isfinite(factor)) return false;
  const long w = source.width();
  const long h = source.height();
  const zcPair<long> scaledSize(std::lround(static_cast<double>(w) / factor),
                                std::lround(static_cast<double>(h) / factor));
  const zcUIRect part = zcUIRect(offset, scaledSize) & rect;
  if (part.isNull()) return false;
  // The part's corner within the scaled image.
  const long u0 = part.left() - offset.x();
  const long v0 = part.top() - offset.y();

  if (mode == zcAffineSamplingParams::eBilinear && factor > 1.0 && w >= 8 && h >= 8) {
    zcAffineSamplingParams params;
    params.width = std::min(part.width(), kMaxResampleSide);
    params.height = std::min(part.height(), kMaxResampleSide);
    params.mode = zcAffineSamplingParams::eBilinear;
    params.targetToSource =
        zcXform<2>(zcMatrix<2>::scaling(factor, factor),
                   zcVector<2>(static_cast<double>(source.offset().x()) + static_cast<double>(u0) * factor,
                               static_cast<double>(source.offset().y()) + static_cast<double>(v0) * factor));
    zcPelBuffer<T> resampled = zfAffineTransformImage(source, params, T());
    target = resampled;
    rect = zcUIRect(part.ul(), zcPair<long>(params.width, params.height));
    return true;
  }

  // An integer factor picks every n-th pel by integer arithmetic, free of the
  // rounding that truncate(column × factor) meets near whole numbers.
  long n = 0;
  for (long k = static_cast<long>(factor); k <= static_cast<long>(factor + 2.0); ++k)
    if (k > 1 && std::abs(factor - static_cast<double>(k)) <= kIntegerTol) {
      n = k;
      break;
    }
  const auto sourceIndex = [&](long scaled, long limit) {
    const long index = n > 0 ? scaled * n : static_cast<long>(static_cast<double>(scaled) * factor);
    return std::clamp(index, 0L, limit - 1);
  };
  std::vector<long> columns(static_cast<std::size_t>(part.width()));
  for (long i = 0; i < part.width(); ++i) columns[static_cast<std::size_t>(i)] = sourceIndex(u0 + i, w);

  zcPelBuffer<T> out(part.width(), part.height());
  for (long j = 0; j < part.height(); ++j) {
    const T* from = source.rowPointer(source.offset().y() + sourceIndex(v0 + j, h));
    T* to = out.rowPointer(j);
    for (long i = 0; i < part.width(); ++i) to[i] = from[columns[static_cast<std::size_t>(i)]];
  }
  target = out;
  rect = part;
  return true;
}

// --- pelExpand ---------------------------------------------------------------------

template <class T>
bool expandImage(const zcPelBuffer_const<T>& source, zcPelBuffer<T>& target, long fx, long fy, zcUIRect& rect,
                 const zcPair<long>& offset) {
  if (!source.isBound() || source.width() <= 0 || source.height() <= 0 || fx < 1 || fy < 1) return false;
  // 64-bit products: a width of up to 2^30 pels times any factor below 2^31 fits.
  const std::int64_t factorX = std::min<std::int64_t>(fx, zkPelLimit);
  const std::int64_t factorY = std::min<std::int64_t>(fy, zkPelLimit);
  const std::int64_t cutX = std::max<std::int64_t>(0, -static_cast<std::int64_t>(offset.x()));
  const std::int64_t cutY = std::max<std::int64_t>(0, -static_cast<std::int64_t>(offset.y()));
  const std::int64_t magW = source.width() * factorX;
  const std::int64_t magH = source.height() * factorY;
  if (cutX >= magW || cutY >= magH) return false;
  const long dw = static_cast<long>(std::min<std::int64_t>(magW - cutX, rect.width()));
  const long dh = static_cast<long>(std::min<std::int64_t>(magH - cutY, rect.height()));
  if (dw <= 0 || dh <= 0) return false;

  zcPelBuffer<T> out(dw, dh);
  const long pitchBytes = out.pitch() * static_cast<long>(sizeof(T));
  const long firstCol = static_cast<long>(cutX / factorX);
  const long firstColCut = static_cast<long>(cutX % factorX);
  const long firstRow = static_cast<long>(cutY / factorY);
  const long firstRowCut = static_cast<long>(cutY % factorY);

  long y = 0;
  for (long sr = firstRow; y < dh; ++sr) {
    const long blockH = std::min<long>(static_cast<long>(factorY) - (sr == firstRow ? firstRowCut : 0), dh - y);
    const T* from = source.rowPointer(source.offset().y() + sr);
    T* to = out.rowPointer(y);
    long x = 0;
    for (long sc = firstCol; x < dw; ++sc) {
      const long blockW = std::min<long>(static_cast<long>(factorX) - (sc == firstCol ? firstColCut : 0), dw - x);
      std::fill_n(to + x, blockW, from[sc]);
      x += blockW;
    }
    // The block's other rows repeat the one just expanded.
    if (blockH > 1)
      zf_PelCopyVid(reinterpret_cast<unsigned char*>(to) + pitchBytes, pitchBytes, to, 0,
                    dw * static_cast<long>(sizeof(T)), blockH - 1);
    y += blockH;
  }
  target = out;
  rect.sz(zcPair<long>(dw, dh));
  return true;
}
}  // namespace

void zf_PelCopyVid(void* dst, long dstPitch, const void* src, long srcPitch, long rowBytes, long rows) {
  if (rows <= 0 || rowBytes <= 0) return;
  auto* to = static_cast<unsigned char*>(dst);
  const auto* from = static_cast<const unsigned char*>(src);
  for (long r = 0;;) {
    std::memmove(to, from, static_cast<std::size_t>(rowBytes));
    // No step past the last row: with a negative pitch it would leave the buffer.
    if (++r == rows) break;
    to += dstPitch;
    from += srcPitch;
  }
}

// --- Construction and the tree ---------------------------------------------------------

zcUIScope::zcUIScope(const zcPair<long>& origin) : origin_(origin), root_(this) {}

zcUIScope::zcUIScope(const zcUIScope& other)
    : origin_(other.origin_),
      flags_(other.flags_),
      changeRect_(other.changeRect_),
      clientChangeRect_(other.clientChangeRect_),
      drawPoint_(other.drawPoint_),
      drawX_(other.drawX_),
      drawY_(other.drawY_),
      root_(other.root_ == &other ? this : other.root_),
      parent_(other.parent_),
      kids_(other.kids_),
      anyChanged_(other.anyChanged_),
      displayClipRect_(other.displayClipRect_) {
  if (parent_) parent_->kids_.push_back(this);
}

zcUIScope& zcUIScope::operator=(const zcUIScope& other) {
  if (this == &other) return *this;
  release();
  origin_ = other.origin_;
  flags_ = other.flags_;
  changeRect_ = other.changeRect_;
  clientChangeRect_ = other.clientChangeRect_;
  drawPoint_ = other.drawPoint_;
  drawX_ = other.drawX_;
  drawY_ = other.drawY_;
  root_ = other.root_ == &other ? this : other.root_;
  parent_ = other.parent_;
  kids_ = other.kids_;
  anyChanged_ = other.anyChanged_;
  displayClipRect_ = other.displayClipRect_;
  if (parent_) parent_->kids_.push_back(this);
  return *this;
}

zcUIScope::~zcUIScope() { release(); }

void zcUIScope::release() {
  leaveParent();
  if (root_ == this) rootDeleted();
  // A copied kid list may name scopes whose parent is another scope; only own kids
  // are let go.
  for (zcUIScope* kid : kids_)
    if (kid->parent_ == this) kid->parent_ = nullptr;
  kids_.clear();
}

void zcUIScope::leaveParent() {
  if (parent_) parent_->kids_.remove(this);
  parent_ = nullptr;
}

void zcUIScope::rootDeleted() {
  for (zcUIScope* kid : kids_)
    if (kid->parent_ == this) {
      kid->root_ = nullptr;
      kid->rootDeleted();
    }
}

void zcUIScope::setRootBelow(zcUIScope* root) {
  root_ = root;
  for (zcUIScope* kid : kids_)
    if (kid->parent_ == this) kid->setRootBelow(root);
}

void zcUIScope::move(const zcUIScope& parent, const zcUIRect& r) {
  for (const zcUIScope* s = &parent; s; s = s->parent_)
    if (s == this) throw zcUIError::BadParams();
  const zcPair<long> d(r.left() - parent.origin_.x(), r.top() - parent.origin_.y());
  origin_ = zcPair<long>(std::max(0L, -d.x()), std::max(0L, -d.y()));
  leaveParent();
  // The parent's kid list is bookkeeping of the tree, not part of its value.
  zcUIScope& newParent = const_cast<zcUIScope&>(parent);
  newParent.kids_.push_back(this);
  parent_ = &newParent;
  setRootBelow(newParent.root_);
  moved(parent, zcUIRect(d, r.sz()));
  setFlag(eAllChanged, false);
  changeRect_ = zcUIRect::null;
}

void zcUIScope::subset(const zcUIScope& parent, const zcUIRect& r) {
  move(parent, r);
  origin_ = zcPair<long>(std::max(r.left(), parent.origin_.x()), std::max(r.top(), parent.origin_.y()));
}

// --- Drawing point -----------------------------------------------------------------------

namespace {
// floorTol of a coordinate, a finite one beyond 32 bits taken as the nearest 32-bit
// bound: far geometry lands outside every scope instead of failing.
long pixelOf(double v) {
  constexpr double kFar = 2147483647.0;
  if (v > kFar && std::isfinite(v)) return static_cast<long>(kFar);
  if (v < -kFar && std::isfinite(v)) return -static_cast<long>(kFar);
  return zcUIScope::floorTol(v);
}
}  // namespace

void zcUIScope::drawStart(const zcPoint& p) {
  if (&p == &drawPoint_) return;
  const long x = saturatingSub(pixelOf(p.x()), origin_.x());
  const long y = saturatingSub(pixelOf(p.y()), origin_.y());
  drawPoint_ = p;
  drawX_ = saturate32(x);
  drawY_ = saturate32(y);
}

void zcUIScope::moveToRel(long dx, long dy) {
  drawX_ = saturate32(saturatingAdd(drawX_, dx));
  drawY_ = saturate32(saturatingAdd(drawY_, dy));
  drawPoint_ += zcVector<2>(static_cast<double>(dx), static_cast<double>(dy));
}

long zcUIScope::xCoord(const zcPoint& p) const {
  return &p == &drawPoint_ ? drawX_ : saturatingSub(pixelOf(p.x()), origin_.x());
}

long zcUIScope::yCoord(const zcPoint& p) const {
  return &p == &drawPoint_ ? drawY_ : saturatingSub(pixelOf(p.y()), origin_.y());
}

// --- Change tracking -----------------------------------------------------------------------

void zcUIScope::clientChangeEnable(bool on) {
  if (on) clientChangeRect_ = zcUIRect::null;
  setFlag(eClientChangeEnable, on);
}

bool zcUIScope::anyChanged() const { return root_ ? root_->anyChanged_ : false; }

void zcUIScope::clearAnyChanged() {
  if (root_) root_->anyChanged_ = false;
}

void zcUIScope::change(zcUIRect r, bool opaque) {
  const zcPair<long> whole = size();
  if (clientChangeEnable()) clientChangeRect_ |= r;
  r &= zcUIRect(zcPair<long>(), whole);
  if (r.isNull()) return;
  if (opaque && r.sz() == whole) setFlag(eOpaque, true);
  changeRect_ |= r;
  setFlag(eAllChanged, changeRect_.sz() == whole);
  if (root_) root_->anyChanged_ = true;
}

void zcUIScope::allChange() {
  const bool inhibited = drawingInhibited(zcUITabletEnums::eBothLayers);
  const zcPair<long> whole = size();
  setFlag(eAllChanged, true);
  changeRect_ = inhibited ? zcUIRect::null : zcUIRect(zcPair<long>(), whole);
  clientChangeRect_ = zcUIRect::inf;
  if (root_) root_->anyChanged_ = true;
}

void zcUIScope::noChange() {
  setFlag(eAllChanged, false);
  changeRect_ = zcUIRect::null;
}

zcUIRect zcUIScope::clientChangedRect(bool keep) {
  const zcUIRect result = clientChangeRect_ + origin_;
  if (!keep) setFlag(eClientChangeEnable, false);
  return result;
}

void zcUIScope::collectClientChange(const zcUIRect& r) {
  if (clientChangeEnable()) clientChangeRect_ |= r;
}

// --- Colors, clipping, pixels --------------------------------------------------------------

zcColor zcUIScope::nearestColor(const zcColor& color, const std::vector<zcRGB>& palette) {
  const zcRGB& c = color.rgbStruct();
  const std::size_t count = std::min<std::size_t>(palette.size(), 256);
  std::size_t best = 0;
  long bestDistance = std::numeric_limits<long>::max();
  for (std::size_t i = 0; i < count; ++i) {
    const long dr = long(palette[i].r()) - c.r();
    const long dg = long(palette[i].g()) - c.g();
    const long db = long(palette[i].b()) - c.b();
    // Squared distances order the entries as the distances do.
    const long distance = dr * dr + dg * dg + db * db;
    if (distance == 0) return zcColor(static_cast<unsigned char>(i));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return zcColor(static_cast<unsigned char>(best));
}

void zcUIScope::setDisplayClipRect(const zcUIRect& r) {
  displayClipRect_ = r;
  displayClipRectChanged(r);
}

long zcUIScope::floorTol(double x) { return zfIFloor(x >= 0.0 ? x * (1.0 + kPixelTol) : x * (1.0 - kPixelTol)); }

long zcUIScope::ceilTol(double x) { return zfICeil(x >= 0.0 ? x * (1.0 - kPixelTol) : x * (1.0 + kPixelTol)); }

// --- Default slots ------------------------------------------------------------------------

void zcUIScope::lockScreenUpdatesPush(bool) {}
bool zcUIScope::lockScreenUpdatesPop() { return false; }
bool zcUIScope::screenUpdatesLocked() const { return false; }
void zcUIScope::hook10_() {}
void zcUIScope::hook11_() {}
void zcUIScope::optimizeDrawing(bool) {}
void zcUIScope::draw(const zcGenShape&, const zcColor&) {}
void zcUIScope::hook24_() {}
void zcUIScope::hook59_() {}
void zcUIScope::hook60_() {}
void zcUIScope::displayClipRectChanged(const zcUIRect&) {}

// --- Run-length images ---------------------------------------------------------------------

void zcUIScope::sample(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                       const zcPair<double>& scale, bool passThrough, unsigned char passValue, bool flag) {
  if (!image.isInit() || image.width() <= 0 || image.height() <= 0) return;
  const double f = 1.0 / scale.x();
  // A factor beyond any image's width leaves nothing to draw.
  if (!(f > 0.0) || f > static_cast<double>(zkPelLimit)) return;
  const long t = static_cast<long>(f);
  long n = -1;
  for (const long k : {t, t + 1})
    if (std::abs(f - static_cast<double>(k)) <= kIntegerTol) {
      n = k;
      break;
    }
  if (n < 0) {
    zcPelBuffer<unsigned char> pels = decodeMapped(image, colorMap, passValue);
    drawReduced(pels, pos, scale, passThrough, passValue, flag);
    return;
  }
  if (n < 1) return;
  const long width = image.width() / n;
  const long height = image.height() / n;
  if (width == 0 || height == 0) return;

  std::vector<std::vector<unsigned char>> rows(static_cast<std::size_t>(height));
  for (long r = 0; r < height; ++r) {
    const std::span<const unsigned char> runs = image.row(r * n);
    std::vector<unsigned char>& out = rows[static_cast<std::size_t>(r)];
    unsigned long carry = 0;
    for (std::size_t i = 0; i + 1 < runs.size() && runs[i + 1] != 0; i += 2) {
      const unsigned long pels = runs[i + 1] + carry;
      zcRLEBuffer::appendRun(out, runs[i], pels / static_cast<unsigned long>(n));
      carry = pels % static_cast<unsigned long>(n);
    }
    zcRLEBuffer::endRow(out);
  }
  draw(zcRLEBuffer(width, rows, image.offset()), pos, colorMap, passThrough, passValue, flag);
}

void zcUIScope::sample(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                       const zcPair<long>& factor, bool passThrough, unsigned char passValue, bool flag) {
  if (factor.x() < 1 || factor.y() < 1) return;
  sample(image, pos, colorMap, zcPair<double>(1.0 / static_cast<double>(factor.x()), 1.0 / static_cast<double>(factor.y())),
         passThrough, passValue, flag);
}

void zcUIScope::expand(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                       const zcPair<double>& scale, bool passThrough, unsigned char passValue, bool flag,
                       InterpolationModes mode) {
  if (!image.isInit() || image.width() <= 0 || image.height() <= 0) return;
  const double s = scale.x();
  if (!std::isfinite(s) || !(s > 0.0)) return;
  const double whole = std::nearbyint(s);
  if (std::abs(s - whole) > kIntegerTol) {
    zcPelBuffer<unsigned char> pels = decodeMapped(image, colorMap, passValue);
    drawMagnified(pels, pos, scale, passThrough, passValue, flag, mode);
    return;
  }
  if (whole < 1.0) return;
  const std::int64_t n = static_cast<std::int64_t>(std::min(whole, static_cast<double>(zkPelLimit)));

  // The magnified image's corner in scope pixels, and the span of it that is drawn:
  // [cut, end) in magnified pels, per direction.
  const std::int64_t px = xCoord(pos);
  const std::int64_t py = yCoord(pos);
  const zcPair<long> scopeSize = size();
  std::int64_t cutX = std::max<std::int64_t>(0, -px);
  std::int64_t cutY = std::max<std::int64_t>(0, -py);
  std::int64_t endX = std::min<std::int64_t>(image.width() * n, scopeSize.x() - px);
  std::int64_t endY = std::min<std::int64_t>(image.height() * n, scopeSize.y() - py);
  if (endX <= cutX || endY <= cutY) return;
  // The source columns and rows that reach the scope: from cut / n up to the far
  // edge divided by n, rounded up.
  const long firstCol = static_cast<long>(cutX / n);
  const long lastCol = std::min(image.width(), ceilTol(static_cast<double>(endX) / static_cast<double>(n)));
  const long firstRow = static_cast<long>(cutY / n);
  const long lastRow = std::min(image.height(), ceilTol(static_cast<double>(endY) / static_cast<double>(n)));
  // Those pels are magnified whole: every run length times n, every row n times. Only
  // a factor beyond kMaxWholeBlock cuts its blocks at the scope's edges, so that the
  // run data stays within the scope's size.
  if (n <= kMaxWholeBlock) {
    cutX = firstCol * n;
    endX = lastCol * n;
    cutY = firstRow * n;
    endY = lastRow * n;
  }

  std::vector<std::vector<unsigned char>> rows;
  rows.reserve(static_cast<std::size_t>(endY - cutY));
  for (long sr = firstRow; sr < lastRow; ++sr) {
    const std::span<const unsigned char> runs = image.row(sr);
    std::vector<unsigned char> out;
    std::int64_t column = 0;  // source column at the start of the run
    for (std::size_t i = 0; i + 1 < runs.size() && runs[i + 1] != 0; i += 2) {
      const std::int64_t next = column + runs[i + 1];
      if (next > firstCol && column < lastCol) {
        // The run's magnified pels, cut to the visible span.
        const std::int64_t from = std::max(column * n, cutX);
        const std::int64_t to = std::min(next * n, endX);
        if (to > from) zcRLEBuffer::appendRun(out, runs[i], static_cast<unsigned long>(to - from));
      }
      column = next;
    }
    zcRLEBuffer::endRow(out);
    const std::int64_t repeat = std::min((sr + 1) * n, endY) - std::max(sr * n, cutY);
    for (std::int64_t k = 0; k < repeat; ++k) rows.push_back(out);
  }
  const zcRLEBuffer magnified(static_cast<long>(endX - cutX), rows, image.offset());
  if (cutX == 0 && cutY == 0) {
    draw(magnified, pos, colorMap, passThrough, passValue, flag);
  } else {
    const zcPoint corner(pos.x() + static_cast<double>(cutX), pos.y() + static_cast<double>(cutY));
    draw(magnified, corner, colorMap, passThrough, passValue, flag);
  }
}

void zcUIScope::expand(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                       const zcPair<long>& factor, bool passThrough, unsigned char passValue, bool flag,
                       InterpolationModes mode) {
  if (factor.x() < 1 || factor.y() < 1) return;
  expand(image, pos, colorMap, zcPair<double>(static_cast<double>(factor.x()), static_cast<double>(factor.y())),
         passThrough, passValue, flag, mode);
}

// --- Pel images ----------------------------------------------------------------------------

namespace {
bool validFactor(const zcPair<long>& factor) { return factor.x() >= 1 && factor.y() >= 1; }
zcPair<double> reduction(const zcPair<long>& factor) {
  return zcPair<double>(1.0 / static_cast<double>(factor.x()), 1.0 / static_cast<double>(factor.y()));
}
zcPair<double> magnification(const zcPair<long>& factor) {
  return zcPair<double>(static_cast<double>(factor.x()), static_cast<double>(factor.y()));
}
}  // namespace

#define ZC_SCOPE_PEL_FORMS(T)                                                                                   \
  void zcUIScope::sample(const zcPelBuffer_const<T>& image, const zcPoint& pos, const zcPair<long>& factor,    \
                         bool passThrough, T passValue, bool flag) {                                           \
    if (validFactor(factor)) drawReduced(image, pos, reduction(factor), passThrough, passValue, flag);         \
  }                                                                                                             \
  void zcUIScope::expand(const zcPelBuffer_const<T>& image, const zcPoint& pos, const zcPair<long>& factor,    \
                         bool passThrough, T passValue, bool flag, InterpolationModes mode) {                  \
    if (validFactor(factor)) drawMagnified(image, pos, magnification(factor), passThrough, passValue, flag, mode); \
  }                                                                                                             \
  bool zcUIScope::pelScale(const zcPelBuffer_const<T>& source, zcPelBuffer<T>& target, double scale,           \
                           zcUIRect& rect, const zcPair<long>& offset, InterpolationModes mode) {              \
    return scaleImage(source, target, scale, rect, offset, mode);                                              \
  }

ZC_SCOPE_PEL_FORMS(zcPackedRGB32)
ZC_SCOPE_PEL_FORMS(zcPackedRGB16)
ZC_SCOPE_PEL_FORMS(unsigned short)
ZC_SCOPE_PEL_FORMS(unsigned char)
#undef ZC_SCOPE_PEL_FORMS

bool zcUIScope::pelExpand(const zcPelBuffer_const<unsigned char>& source, zcPelBuffer<unsigned char>& target, long fx,
                          long fy, zcUIRect& rect, const zcPair<long>& offset) {
  return expandImage(source, target, fx, fy, rect, offset);
}

bool zcUIScope::pelExpand(const zcPelBuffer_const<zcPackedRGB16>& source, zcPelBuffer<zcPackedRGB16>& target, long fx,
                          long fy, zcUIRect& rect, const zcPair<long>& offset) {
  return expandImage(source, target, fx, fy, rect, offset);
}

bool zcUIScope::pelExpand(const zcPelBuffer_const<zcPackedRGB32>& source, zcPelBuffer<zcPackedRGB32>& target, long fx,
                          long fy, zcUIRect& rect, const zcPair<long>& offset) {
  return expandImage(source, target, fx, fy, rect, offset);
}
