// The graphics list: record bytes, refusals that change nothing, shape math.
#include "grlist/grlist.h"

#include "zfound/bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
Bytes u32(std::uint32_t v) { return {Bytes::value_type(v), Bytes::value_type(v >> 8), Bytes::value_type(v >> 16), Bytes::value_type(v >> 24)}; }
Bytes f64(double v) {
  Bytes b(8);
  zfStoreF64(b.data(), v);
  return b;
}
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
struct List {
  List() { zgr_list_init(&l); }
  ~List() { zgr_list_free(&l); }
  Bytes bytes() const { return l.count ? Bytes(l.records, l.records + l.used) : Bytes(); }
  zgr_list l;
};
const zmath_vector kA{1, 2}, kB{3, 4};

TEST(GraphicsListRecords, AppendsWriteKindColorAndPayloadAfterTheRecordsBefore) {
  ASSERT_EQ(f64(1), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));  // little-endian IEEE
  const zmath_vector vertices[] = {kA, kB};
  const double segments[] = {1, 2, 3, 4, 0, 0.5, -1, 1};
  const struct {
    std::function<std::int32_t(zgr_list*)> append;
    Bytes bytes;
  } rows[] = {
      {[](zgr_list* l) { return zgr_list_appendLineSeg(l, 3, &kA, &kB); },
       cat({u32(1), u32(3), f64(1), f64(2), f64(3), f64(4)})},
      {[&](zgr_list* l) { return zgr_list_appendPolyline(l, 0x0A141E80, vertices, 2, 1); },
       cat({u32(7), {0x80, 0x1E, 0x14, 0x0A}, u32(2), u32(1), f64(1), f64(2), f64(3), f64(4)})},
      // "AB": 62 bytes with the header.
      {[](zgr_list* l) { return zgr_list_appendTextEx(l, L"AB", &kA, 2, 4, 8, &kB); },
       cat({u32(9), u32(2), f64(1), f64(2), u32(4), u32(8), f64(3), f64(4), Bytes(8, 0), {'A', 0, 'B', 0, 0, 0}})},
      {[&](zgr_list* l) { return zgr_list_appendLineSegSet(l, 5, segments, 2); },
       cat({u32(10), u32(5), u32(2), f64(1), f64(2), f64(3), f64(4), f64(0), f64(0.5), f64(-1), f64(1)})},
      {[](zgr_list* l) { return zgr_list_appendTextEx(l, L"\U0001F600", &kA, 0, 0, 0, &kA); },
       cat({u32(9), u32(0), f64(1), f64(2), u32(0), u32(0), f64(1), f64(2), Bytes(8, 0), {0x3D, 0xD8, 0x00, 0xDE, 0, 0}})},
  };
  for (const auto& r : rows) {
    List list;
    ASSERT_EQ(zgr_list_appendPoint(&list.l, 1, &kA), 0);
    ASSERT_EQ(r.append(&list.l), 0);
    EXPECT_EQ(list.l.count, 2);
    EXPECT_EQ(list.bytes(), cat({u32(0), u32(1), f64(1), f64(2), r.bytes}));
  }
}

TEST(GraphicsListRecords, RefusalsReturnTheirStatusAndChangeNothing) {
  const unsigned char twelve[12] = {}, kilo[1024] = {};
  const struct {
    std::int32_t status;
    std::function<std::int32_t(zgr_list*)> call;
  } rows[] = {
      {ZF_STATUS_NULL_POINTER, [](zgr_list*) { return zgr_list_appendPoint(nullptr, 0, &kA); }},
      {ZF_STATUS_NULL_POINTER, [](zgr_list* l) { return zgr_list_appendGenRect(l, 0, &kA, &kB, nullptr, &kA); }},
      {ZF_STATUS_NULL_POINTER, [](zgr_list* l) { return zgr_list_appendPolyline(l, 0, nullptr, 1, 0); }},
      {ZF_STATUS_NULL_POINTER, [](zgr_list* l) { return zgr_list_appendTextEx(l, nullptr, &kA, 0, 0, 0, &kA); }},
      {ZF_STATUS_BAD_PARAMS, [](zgr_list* l) { return zgr_list_appendPolyline(l, 0, &kA, -1, 0); }},
      {ZF_STATUS_BAD_PARAMS, [](zgr_list* l) { return zgr_list_appendLineSegSet(l, 0, nullptr, -2); }},
      {ZF_STATUS_MALFORMED, [&](zgr_list* l) { return zgr_list_appendRaw(l, ZGR_KIND_CIRCLE, 0, twelve, 12); }},
      {ZF_STATUS_MALFORMED, [&](zgr_list* l) { return zgr_list_appendRaw(l, ZGR_KIND_TEXT, 0, twelve, 12); }},
      // Sizes not the kind's, one past the buffer's room: refused before anything is reserved.
      {ZF_STATUS_MALFORMED, [&](zgr_list* l) { return zgr_list_appendRaw(l, ZGR_KIND_CIRCLE, 0, kilo, sizeof kilo); }},
      {ZF_STATUS_MALFORMED, [&](zgr_list* l) { return zgr_list_appendRaw(l, 11, 0, twelve, PTRDIFF_MAX); }},
      {ZF_STATUS_SIZE_OVERFLOW, [](zgr_list* l) {
         l->count = std::numeric_limits<std::int32_t>::max();
         const std::int32_t status = zgr_list_appendPoint(l, 0, &kA);
         l->count = 1;
         return status;
       }},
  };
  for (const auto& r : rows) {
    List list;
    ASSERT_EQ(zgr_list_appendPoint(&list.l, 7, &kB), 0);
    const Bytes before = list.bytes();
    const zgr_list fields = list.l;
    EXPECT_EQ(r.call(&list.l), r.status);
    EXPECT_EQ(list.l.count, 1);
    EXPECT_EQ(list.bytes(), before);
    EXPECT_EQ(list.l.records, fields.records);
    EXPECT_EQ(list.l.capacity, fields.capacity);
  }
}

TEST(GraphicsListShapeMath, RoundTripsAndRefusals) {
  const zmath_vector c{-7, 1e-300}, zero{0, 1}, negative{-1, 1}, nan{std::nan(""), 0}, radii{4, 2};
  zmath_shapeAffineRect rect;
  zmath_vector p[3];
  ASSERT_EQ(zmath_shapeAffineRect_initPoints(&rect, &kA, &kB, &c), 0);
  ASSERT_EQ(zmath_shapeAffineRect_getPoints(&rect, &p[0], &p[1], &p[2]), 0);
  EXPECT_EQ(std::memcmp(&p[0], &kA, 16) | std::memcmp(&p[1], &kB, 16) | std::memcmp(&p[2], &c, 16), 0);
  zmath_shapeEllipse e;
  zmath_xform x;
  ASSERT_EQ(zmath_shapeEllipse_init(&e, &kA, &radii, std::atan2(1, 0)), 0);
  ASSERT_EQ(zmath_shapeEllipse_getXform(&e, &x), 0);
  // A quarter turn: the x axis onto (0, 4), the y axis onto (−2, 0).
  const double got[] = {x.m00, x.m01, x.m10, x.m11, x.tx, x.ty}, want[] = {0, -2, 4, 0, 1, 2};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(got[i], want[i], 1e-15) << i;
  EXPECT_EQ(zmath_shapeAffineRect_initPoints(&rect, &kA, &nan, &c), ZF_STATUS_BAD_GEOM);
  EXPECT_EQ(zmath_shapeAffineRect_getPoints(&rect, nullptr, &p[1], &p[2]), ZF_STATUS_NULL_POINTER);
  EXPECT_EQ(zmath_shapeEllipse_init(&e, &kA, &zero, 0), ZF_STATUS_SINGULAR);
  EXPECT_EQ(zmath_shapeEllipse_init(&e, &kA, &negative, 0), ZF_STATUS_BAD_PARAMS);
  e.matrix[0] = e.matrix[2] = 0;  // the x axis onto nothing
  EXPECT_EQ(zmath_shapeEllipse_getXform(&e, &x), ZF_STATUS_SINGULAR);
  e.center.x = std::numeric_limits<double>::infinity();
  EXPECT_EQ(zmath_shapeEllipse_getXform(&e, &x), ZF_STATUS_BAD_GEOM);
}

}  // namespace
