// Checks the suites share: archive round trips, refused loads and versions, sampling.
#pragma once

#include "zfound/archive.h"
#include "zfound/rect.h"
#include "zfound/shape.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <typeinfo>
#include <vector>

namespace zc_test {

using Bytes = std::vector<unsigned char>;

// Rotation by 30 degrees, scaling by (3, 0.5), then a translation: neither a
// similarity nor axis-aligned.
inline zcXform<2> skewXform() {
  return zcXform<2>::translation(zcVector<2>(7, -4)) * zcXform<2>::scaling(3.0, 0.5) *
         zcXform<2>::rotation(zcRadian(zkPi / 6));
}

// A shape written as a polymorphic pointer, and read back.
inline Bytes archivedShape(const zcShape& shape) {
  zcArchive out;
  zcShape* p = const_cast<zcShape*>(&shape);
  out.serializePointer(p);
  return out.bytes();
}
inline zcShapePtr loadedShape(const Bytes& bytes) {
  zcArchive in(bytes);
  zcShapePtr s;
  in || s;
  return s;
}

// The pointer form reads back as an equal object of the same class, to the last byte;
// every `cutStep`-th shorter prefix (0: none) fails with an archive error.
inline void expectShapeRoundTrip(const zcShape& shape, std::size_t cutStep = 0) {
  SCOPED_TRACE(typeid(shape).name());
  const Bytes bytes = archivedShape(shape);
  zcArchive in(bytes);
  zcShapePtr back;
  in || back;
  ASSERT_TRUE(back);
  EXPECT_EQ(typeid(*back), typeid(shape));
  EXPECT_TRUE(*back == shape);
  EXPECT_EQ(in.remaining(), 0u);
  for (std::size_t n = 8; cutStep > 0 && n < bytes.size(); n += cutStep)
    EXPECT_THROW(loadedShape(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n))), zcArchive::Errors)
        << "cut at " << n;
}

constexpr long kAnyLine = -1;  // UnknownVersion from a source line (> 0)
constexpr long kNoLine = -2;   // the line is not checked

// `load` raises UnknownVersion naming `where` and the source line `line`.
template <class F>
void expectUnknownVersion(F&& load, const std::string& where, long line = kAnyLine) {
  try {
    load();
    ADD_FAILURE() << "unknown version accepted; expected one in " << where;
  } catch (const zcArchive::UnknownVersion& e) {
    EXPECT_EQ(e.where(), where);
    if (line == kAnyLine) {
      EXPECT_GT(e.line(), 0);
    } else if (line != kNoLine) {
      EXPECT_EQ(e.line(), line);
    }
  }
}

// An object's own archive form.
template <class T>
Bytes ownBytes(T value) {
  zcArchive out;
  out || value;
  return out.bytes();
}

// The own form reads back as an equal object, to the last byte; returns the bytes.
template <class T>
Bytes expectOwnRoundTrip(const T& value) {
  const Bytes bytes = ownBytes(value);
  zcArchive in(bytes);
  T back;
  in || back;
  EXPECT_TRUE(back == value);
  EXPECT_EQ(in.remaining(), 0u);
  return bytes;
}

// Loading `bytes` into `target` raises Ex and leaves the target as it was.
template <class Ex, class T>
void expectRefused(const Bytes& bytes, T target) {
  const T before = target;
  zcArchive in(bytes);
  EXPECT_THROW(in || target, Ex);
  EXPECT_TRUE(target == before);
}

// Replaces an occurrence (the first by default) of a double's bytes by another double.
inline void patchDouble(Bytes& bytes, double from, double to, int occurrence = 0) {
  unsigned char a[8], b[8];
  zfStoreF64(a, from);
  zfStoreF64(b, to);
  for (std::size_t i = 0; i + 8 <= bytes.size(); ++i) {
    if (std::memcmp(&bytes[i], a, 8) == 0 && occurrence-- == 0) {
      std::memcpy(&bytes[i], b, 8);
      return;
    }
  }
  ADD_FAILURE() << "value not found in the archive";
}

// A box by its corners, to within `tol`.
inline void expectBox(const zcRect& box, double xmin, double ymin, double xmax, double ymax, double tol = 1e-12) {
  EXPECT_NEAR(box.x(), xmin, tol);
  EXPECT_NEAR(box.y(), ymin, tol);
  EXPECT_NEAR(box.x() + box.width(), xmax, tol);
  EXPECT_NEAR(box.y() + box.height(), ymax, tol);
}

inline zcSampleResult sampled(const zcShape& s, const zcSampleParams& params) {
  zcSampleResult r;
  s.sample(params, r);
  return r;
}

}  // namespace zc_test
