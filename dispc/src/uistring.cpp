#include "dispc/uistring.h"

#include "dispc/uierror.h"

#include "zfound/archive.h"
#include "zfound/lock.h"

#include <atomic>
#include <limits>

namespace {
std::int32_t checkedFontId(long id) {
  if (id < std::numeric_limits<std::int32_t>::min() || id > std::numeric_limits<std::int32_t>::max())
    throw zcUIError::BadParams();
  return static_cast<std::int32_t>(id);
}

// Published once, under the global mutex; read without locking afterwards.
std::atomic<std::int32_t*> gFontIdStorage{nullptr};
}  // namespace

std::int32_t& zcUIFormat::gDefaultFontId() {
  std::int32_t* storage = gFontIdStorage.load(std::memory_order_acquire);
  if (!storage) {
    zcLock lock(zcMutex::global());
    storage = gFontIdStorage.load(std::memory_order_relaxed);
    if (!storage) {
      static std::int32_t value = -1;
      storage = &value;
      gFontIdStorage.store(storage, std::memory_order_release);
    }
  }
  return *storage;
}

long zcUIFormat::defaultFontId() { return gDefaultFontId(); }

void zcUIFormat::defaultFontId(long id) { gDefaultFontId() = checkedFontId(id); }

zcUIFormat::zcUIFormat() : fontId_(gDefaultFontId()), alignment_(eTopLeft) {}

zcUIFormat::zcUIFormat(Alignment a) : fontId_(gDefaultFontId()), alignment_(a) {}

zcUIFormat::zcUIFormat(long fontId, Alignment a) : fontId_(checkedFontId(fontId)), alignment_(a) {}

void zcUIFormat::fontId(long id) { fontId_ = checkedFontId(id); }

zcUIRect zcUIFormat::alignRect(const zcUIRect& r) const {
  long x = r.left();
  long y = r.top();
  // Values beyond the grid have no anchor and leave the rectangle where it is.
  if (alignment_ > eBottomRight) return r;
  switch (alignment_ % 3) {
    case 1: x -= r.width() / 2; break;
    case 2: x -= r.width(); break;
    default: break;
  }
  switch (alignment_ / 3) {
    case 1: y -= r.height() / 2; break;
    case 2: y -= r.height(); break;
    default: break;
  }
  return zcUIRect(x, y, r.width(), r.height());
}

zcArchive& operator||(zcArchive& archive, zcUIFormat& format) {
  unsigned char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion("dispc/uistring", __LINE__);
  long fontId = format.fontId_;
  unsigned long alignment = format.alignment_;
  archive || fontId || alignment;
  if (archive.isLoading()) {
    if (alignment > zcUIFormat::eBottomRight) throw zcArchive::BadFormat(L"text alignment above 8");
    format.fontId_ = static_cast<std::int32_t>(fontId);
    format.alignment_ = static_cast<zcUIFormat::Alignment>(alignment);
  }
  return archive;
}
