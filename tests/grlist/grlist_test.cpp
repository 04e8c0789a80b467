// The graphics list: record bytes, refusals that change nothing, shape math, printing.
#include "grlist/grlist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes u32(std::uint32_t v) { return {Bytes::value_type(v), Bytes::value_type(v >> 8), Bytes::value_type(v >> 16), Bytes::value_type(v >> 24)}; }
// Small doubles by their IEEE bytes, little-endian.
Bytes f64(double v) {
  const std::pair<double, std::uint64_t> known[] = {{0, 0}, {1, 0x3FF0000000000000}, {2, 0x4000000000000000},
                                                     {3, 0x4008000000000000}, {4, 0x4010000000000000},
                                                     {-1, 0xBFF0000000000000}, {0.5, 0x3FE0000000000000}};
  for (const auto& [value, bits] : known)
    if (value == v) return {Bytes::value_type(bits), Bytes::value_type(bits >> 8), Bytes::value_type(bits >> 16), Bytes::value_type(bits >> 24),
                            Bytes::value_type(bits >> 32), Bytes::value_type(bits >> 40), Bytes::value_type(bits >> 48), Bytes::value_type(bits >> 56)};
  ADD_FAILURE() << "no bytes for " << v;
  return {};
}
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes bytesOf(const zgr_list& l) { return l.count ? Bytes(l.records, l.records + l.used) : Bytes(); }

struct List {
  List() { zgr_list_init(&l); }
  ~List() { zgr_list_free(&l); }
  zgr_list l;
};

const zmath_vector kA{1, 2}, kB{3, 4};

TEST(GraphicsListRecords, AppendsWriteTheirKindColorAndPayload) {
  const zmath_vector vertices[] = {{1, 2}, {3, 4}};
  const double segments[] = {1, 2, 3, 4, 0, 0.5, -1, 1};
  struct Row {
    const char* name;
    std::function<std::int32_t(zgr_list*)> append;
    Bytes bytes;
  } rows[] = {
      {"segment", [](zgr_list* l) { return zgr_list_appendLineSeg(l, 3, &kA, &kB); },
       cat({u32(1), u32(3), f64(1), f64(2), f64(3), f64(4)})},
      {"closed polyline", [&](zgr_list* l) { return zgr_list_appendPolyline(l, 0x0A141E80, vertices, 2, 1); },
       cat({u32(7), {0x80, 0x1E, 0x14, 0x0A}, u32(2), u32(1), f64(1), f64(2), f64(3), f64(4)})},
      {"text AB", [](zgr_list* l) { return zgr_list_appendTextEx(l, L"AB", &kA, 2, 4, 8, &kB); },
       cat({u32(9), u32(2), f64(1), f64(2), u32(4), u32(8), f64(3), f64(4), Bytes(8, 0), {'A', 0, 'B', 0, 0, 0}})},
      {"two segments", [&](zgr_list* l) { return zgr_list_appendLineSegSet(l, 5, segments, 2); },
       cat({u32(10), u32(5), u32(2), f64(1), f64(2), f64(3), f64(4), f64(0), f64(0.5), f64(-1), f64(1)})},
      {"text beyond U+FFFF", [](zgr_list* l) { return zgr_list_appendTextEx(l, L"\U0001F600", &kA, 0, 0, 0, &kA); },
       cat({u32(9), u32(0), f64(1), f64(2), u32(0), u32(0), f64(1), f64(2), Bytes(8, 0), {0x3D, 0xD8, 0x00, 0xDE, 0, 0}})},
      {"general rectangle", [](zgr_list* l) { const double o = 0.5; return zgr_list_appendGenRect(l, 1, &kA, &kB, &o, &kA); },
       cat({u32(4), u32(1), f64(1), f64(2), f64(3), f64(4), f64(0.5), f64(1), f64(2)})},
  };
  for (const Row& r : rows) {
    List list;
    ASSERT_EQ(zgr_list_appendPoint(&list.l, 1, &kA), 0);  // the record lands after another
    ASSERT_EQ(r.append(&list.l), 0) << r.name;
    EXPECT_EQ(list.l.count, 2);
    EXPECT_EQ(bytesOf(list.l), cat({u32(0), u32(1), f64(1), f64(2), r.bytes})) << r.name;
  }
}

TEST(GraphicsListRecords, RefusalsReturnTheirStatusAndChangeNothing) {
  const zmath_vector v[] = {{0, 0}};
  const unsigned char twelve[12] = {};
  const struct {
    std::int32_t status;
    std::function<std::int32_t(zgr_list*)> call;
  } rows[] = {
      {ZF_STATUS_NULL_POINTER, [](zgr_list*) { return zgr_list_appendPoint(nullptr, 0, &kA); }},
      {ZF_STATUS_NULL_POINTER, [](zgr_list* l) { return zgr_list_appendLineSeg(l, 0, &kA, nullptr); }},
      {ZF_STATUS_NULL_POINTER, [](zgr_list* l) { return zgr_list_appendGenRect(l, 0, &kA, &kB, nullptr, &kA); }},
      {ZF_STATUS_NULL_POINTER, [](zgr_list* l) { return zgr_list_appendShapeAffineRect(l, 0, nullptr); }},
      {ZF_STATUS_NULL_POINTER, [](zgr_list* l) { return zgr_list_appendPolyline(l, 0, nullptr, 1, 0); }},
      {ZF_STATUS_NULL_POINTER, [](zgr_list* l) { return zgr_list_appendTextEx(l, nullptr, &kA, 0, 0, 0, &kA); }},
      {ZF_STATUS_BAD_PARAMS, [&](zgr_list* l) { return zgr_list_appendPolyline(l, 0, v, -1, 0); }},
      {ZF_STATUS_BAD_PARAMS, [](zgr_list* l) { return zgr_list_appendLineSegSet(l, 0, nullptr, -2); }},
      {ZF_STATUS_MALFORMED, [&](zgr_list* l) { return zgr_list_appendRaw(l, 5, 0, twelve, 12); }},
      {ZF_STATUS_MALFORMED, [&](zgr_list* l) { return zgr_list_appendRaw(l, 9, 0, twelve, 12); }},
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
    const Bytes before = bytesOf(list.l);
    EXPECT_EQ(r.call(&list.l), r.status);
    EXPECT_EQ(list.l.count, 1);
    EXPECT_EQ(bytesOf(list.l), before);
  }
  List list;
  EXPECT_EQ(zgr_list_appendPolyline(&list.l, 0, nullptr, 0, 0), 0);  // no vertices, no pointer needed
  EXPECT_EQ(zgr_list_appendRaw(&list.l, 12, 0, &kA, 16), 0);
  EXPECT_EQ(list.l.used, 16u + 24u);
}

TEST(GraphicsListShapeMath, RoundTripsAndRefusals) {
  const zmath_vector c{-7, 1e-300};
  zmath_shapeAffineRect rect;
  zmath_vector po, px, py;
  ASSERT_EQ(zmath_shapeAffineRect_initPoints(&rect, &kA, &kB, &c), 0);
  ASSERT_EQ(zmath_shapeAffineRect_getPoints(&rect, &po, &px, &py), 0);
  EXPECT_EQ(std::memcmp(&po, &kA, 16) | std::memcmp(&px, &kB, 16) | std::memcmp(&py, &c, 16), 0);

  zmath_shapeEllipse e;
  zmath_xform x;
  const zmath_vector radii{4, 2};
  ASSERT_EQ(zmath_shapeEllipse_init(&e, &kA, &radii, std::atan2(1, 0)), 0);
  ASSERT_EQ(zmath_shapeEllipse_getXform(&e, &x), 0);
  // A quarter turn: the x axis onto (0, 4), the y axis onto (−2, 0); the inverse undoes it.
  const double got[] = {x.m00, x.m01, x.m10, x.m11, x.tx, x.ty}, want[] = {0, -2, 4, 0, 1, 2};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(got[i], want[i], 1e-15) << i;
  EXPECT_NEAR(e.inverse[0] * e.matrix[0] + e.inverse[1] * e.matrix[2], 1, 1e-15);

  const double nan = std::nan("");
  const zmath_vector bad{nan, 0}, zero{0, 1}, negative{-1, 1};
  EXPECT_EQ(zmath_shapeAffineRect_initPoints(&rect, &kA, &bad, &c), ZF_STATUS_BAD_GEOM);
  EXPECT_EQ(zmath_shapeAffineRect_getPoints(&rect, nullptr, &px, &py), ZF_STATUS_NULL_POINTER);
  EXPECT_EQ(zmath_shapeEllipse_init(&e, &kA, &zero, 0), ZF_STATUS_SINGULAR);
  EXPECT_EQ(zmath_shapeEllipse_init(&e, &kA, &negative, 0), ZF_STATUS_BAD_PARAMS);
  EXPECT_EQ(zmath_shapeEllipse_init(&e, &kA, &radii, nan), ZF_STATUS_BAD_GEOM);
  e.matrix[0] = e.matrix[2] = 0;  // the x axis onto nothing
  EXPECT_EQ(zmath_shapeEllipse_getXform(&e, &x), ZF_STATUS_SINGULAR);
  e.center.x = std::numeric_limits<double>::infinity();
  EXPECT_EQ(zmath_shapeEllipse_getXform(&e, &x), ZF_STATUS_BAD_GEOM);
}

TEST(GraphicsListPrint, OneLinePerRecordAndNothingForAMalformedList) {
  List list;
  const zmath_vector v[] = {{1, 2}, {3, 4}};
  zgr_list_appendPolyline(&list.l, 3, v, 2, 1);
  zgr_list_appendTextEx(&list.l, L"a\"\u00e9", &kA, 0x80, 0, 4, &kB);
  zgr_list_appendRaw(&list.l, 42, 1, &kB, 16);
  char buffer[1024] = {};
  std::FILE* out = fmemopen(buffer, sizeof buffer, "w");
  ASSERT_EQ(zgr_list_print(&list.l, out), 0);
  list.l.used -= 1;  // the last record no longer fits
  EXPECT_EQ(zgr_list_print(&list.l, out), ZF_STATUS_MALFORMED);
  std::fclose(out);
  EXPECT_EQ(std::string(buffer),
            "#0 polyline color 0x00000003 closed n=2: (1, 2) (3, 4)\n"
            "#1 text color 0x00000080 \"a\\u0022\\u00E9\" at (1, 2) background 0x00000000 alignment 4 offset (3, 4)\n"
            "#2 point color 0x00000001 (kind 42) (3, 4)\n");
}

}  // namespace
