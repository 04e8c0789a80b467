// Pel buffers: storage, windows, pel access, the client transform and the archive
// form of the 8-bit buffer.
#include "zfound/pelbuf.h"

#include "pelbuf_support.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// --- Size checks shared with the helpers and run-length images -----------------

void zc_PelSizes::check(long width, long height) {
  if (!valid(width, height)) throw zcShapesError::BadParams(L"pel buffer size out of range");
}

bool zc_PelSizes::valid(long width, long height) {
  if (width < 0 || height < 0 || width > zkPelLimit || height > zkPelLimit) return false;
  return width == 0 || height <= zkPelLimit / width;
}

bool zc_PelSizes::validOffset(const zcPair<long>& offset) {
  return std::abs(offset.x()) <= zkPelLimit && std::abs(offset.y()) <= zkPelLimit;
}

void zc_PelSizes::checkOffset(const zcPair<long>& offset) {
  if (!validOffset(offset)) throw zcShapesError::BadParams(L"pel buffer offset out of range");
}

void zc_PelSizes::checkRect(bool bound, const zcPair<long>& offset, long width, long height, long x, long y,
                            long w, long h) {
  if (!bound) throw zcPel::UnboundWindow();
  // Compared piece by piece so that no sum of caller values can overflow: once x
  // lies in [left, right], right − x is within [0, width].
  const long right = offset.x() + width;
  const long bottom = offset.y() + height;
  if (w < 0 || h < 0 || x < offset.x() || y < offset.y() || x > right || y > bottom || w > right - x ||
      h > bottom - y) {
    throw zcPel::BadCoord();
  }
}

// --- zcPelBuffer_const -------------------------------------------------------

template <class T>
void zcPelBuffer_const<T>::offset(const zcPair<long>& offset) {
  zc_PelSizes::checkOffset(offset);
  offset_ = offset;
}

template <class T>
void zcPelBuffer_const<T>::imageFromClientXform(const zcXform<2>& xform) {
  if (!zfIsFinite(xform)) throw zcShapesError::BadParams(L"transform with a non-finite entry");
  (void)xform.inverse();  // raises zcMathError::Singular
  imageFromClient_ = xform;
}

template <class T>
zcPair<long> zcPelBuffer_const<T>::pointToPel(const zcPoint& client) const {
  const zcPoint p = imageFromClient_.mapPoint(client);
  const auto floorTol = [](double v) { return zfIFloor(v >= 0 ? v * (1.0 + 1e-11) : v * (1.0 - 1e-11)); };
  return zcPair<long>(floorTol(p.x()), floorTol(p.y()));
}

template <class T>
T* zcPelBuffer_const<T>::pelAddress(long x, long y) const {
  if (!storage_) throw zcPel::UnboundWindow();
  if (!contains(x, y)) throw zcPel::BadCoord();
  const long column = windowX_ + (x - offset_.x());
  const long row = windowY_ + (y - offset_.y());
  return storage_.get() + (row * pitch_ + column);
}

template <class T>
const T* zcPelBuffer_const<T>::pelPointer(long x, long y) const {
  return pelAddress(x, y);
}

template <class T>
void zcPelBuffer_const<T>::narrow(long x, long y, long w, long h) {
  zc_PelSizes::checkRect(storage_ != nullptr, offset_, width_, height_, x, y, w, h);
  windowX_ += x - offset_.x();
  windowY_ += y - offset_.y();
  width_ = w;
  height_ = h;
  offset_ = zcPair<long>(x, y);
}

template <class T>
zcPelBuffer_const<T> zcPelBuffer_const<T>::window(long x, long y, long w, long h) const {
  zcPelBuffer_const result(*this);
  result.narrow(x, y, w, h);
  return result;
}

template <class T>
void zcPelBuffer_const<T>::allocate(long width, long height, const T& initial) {
  zc_PelSizes::check(width, height);
  // One pel at least, so that a bound buffer always has storage to point at.
  const std::size_t count = std::max<std::size_t>(1, static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  adopt(std::make_shared<T[]>(count, initial), width, height, width);
}

template <class T>
void zcPelBuffer_const<T>::adopt(std::shared_ptr<T[]> storage, long width, long height, long pitch) {
  storage_ = std::move(storage);
  pitch_ = pitch;
  storageHeight_ = height;
  windowX_ = windowY_ = 0;
  width_ = width;
  height_ = height;
  offset_ = zcPair<long>();
  imageFromClient_ = zcXform<2>();
}

template <class T>
zcPelBuffer<T> zcPelBuffer_const<T>::clone() const {
  if (!storage_) return zcPelBuffer<T>();
  zcPelBuffer<T> copy(width_, height_);
  zcPelBuffer_const& base = copy;
  if (width_ > 0) {
    for (long r = 0; r < height_; ++r) {
      std::copy_n(storage_.get() + (windowY_ + r) * pitch_ + windowX_, width_, base.storage_.get() + r * width_);
    }
  }
  base.offset_ = offset_;
  base.imageFromClient_ = imageFromClient_;
  return copy;
}

// --- zcPelBuffer -------------------------------------------------------------

template <class T>
zcPelBuffer<T>::zcPelBuffer(long width, long height, const T& initial) {
  this->allocate(width, height, initial);
}

template <class T>
zcPelBuffer<T> zcPelBuffer<T>::borrow(T* pels, long width, long height, long pitch) {
  zc_PelSizes::check(width, height);
  if (!pels) throw zcBadPointer(L"borrowed pels");
  if (pitch < width || pitch > zkPelLimit) throw zcShapesError::BadParams(L"pel pitch below the width or too large");
  zcPelBuffer out;
  // An owner that frees nothing: the pels stay the caller's.
  out.adopt(std::shared_ptr<T[]>(pels, [](T*) {}), width, height, pitch);
  return out;
}

template <class T>
zcPelBuffer<T> zcPelBuffer<T>::window(long x, long y, long w, long h) const {
  zcPelBuffer result(*this);
  result.narrow(x, y, w, h);
  return result;
}

template class zcPelBuffer_const<unsigned char>;
template class zcPelBuffer_const<unsigned short>;
template class zcPelBuffer_const<zcPackedRGB16>;
template class zcPelBuffer_const<zcPackedRGB32>;
template class zcPelBuffer<unsigned char>;
template class zcPelBuffer<unsigned short>;
template class zcPelBuffer<zcPackedRGB16>;
template class zcPelBuffer<zcPackedRGB32>;

// --- Archive form -------------------------------------------------------------

zcArchive& operator||(zcArchive& archive, zcPelBuffer<unsigned char>& buffer) {
  unsigned char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion("zfound/pelbuf", __LINE__);
  bool bound = buffer.isBound();
  archive || bound;

  if (archive.isStoring()) {
    if (!bound) return archive;
    long width = buffer.width();
    long height = buffer.height();
    zcPair<long> offset = buffer.offset();
    zcXform<2> xform = buffer.imageFromClientXform();
    archive || width || height || offset || xform;
    if (width > 0) {
      for (long y = offset.y(); y < offset.y() + height; ++y) archive.raw(buffer.rowPointer(y), width);
    }
    return archive;
  }

  if (!bound) {
    buffer = zcPelBuffer<unsigned char>();
    return archive;
  }
  long width = 0;
  long height = 0;
  zcPair<long> offset;
  zcXform<2> xform;
  archive || width || height;
  if (!zc_PelSizes::valid(width, height)) throw zcArchive::BadFormat(L"pel buffer size out of range");
  archive || offset || xform;
  if (!zc_PelSizes::validOffset(offset)) throw zcArchive::BadFormat(L"pel buffer offset out of range");
  archive.checkCount(static_cast<unsigned long>(width * height), 1);

  zcPelBuffer<unsigned char> loaded(width, height);
  loaded.offset(offset);
  try {
    loaded.imageFromClientXform(xform);
  } catch (const zcMathError::Singular&) {
    throw zcArchive::BadFormat(L"pel buffer transform without an inverse");
  }
  if (width > 0) {
    for (long y = offset.y(); y < offset.y() + height; ++y) archive.raw(loaded.rowPointer(y), width);
  }
  buffer = loaded;
  return archive;
}
