#include "sketchio.h"

#include <cmath>

void zc_SketchIO::invalid() { throw zcUIError::InvalidUISketch(); }

zc_SketchIO& zc_SketchIO::field(double& v) {
  if (archive_) {
    *archive_ || v;
  } else if (reading_) {
    v = finite(zfLoadF64(take(8)));
  } else {
    zfStoreF64(put(8), v);
  }
  return *this;
}

zc_SketchIO& zc_SketchIO::field(std::int32_t& v) {
  if (archive_) {
    long wide = v;
    *archive_ || wide;
    if (loading()) v = static_cast<std::int32_t>(wide);
  } else if (reading_) {
    v = zfLoadI32(take(4));
  } else {
    zfStoreI32(put(4), v);
  }
  return *this;
}

zc_SketchIO& zc_SketchIO::field(zcVector<2>& v) {
  if (archive_) {
    *archive_ || v;
  } else {
    double x = v.x(), y = v.y();
    *this || x || y;
    if (reading_) v = zcVector<2>(x, y);
  }
  return *this;
}
