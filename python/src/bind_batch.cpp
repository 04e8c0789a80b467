// Batch calls: one tablet call per row of an (N, k) float array, made in C++ without
// the interpreter lock, so that drawing many shapes costs no Python loop.
//
//   tablet.draw_segments(np.array([[x1, y1, x2, y2], ...]), pen)
//
// Each call is the tablet call of its kind, row after row, exactly as a C++ loop would
// make it (the same sketch bytes, the same pixels). The whole array is checked before
// the first row is drawn: a wrong shape or a non-finite value raises ValueError naming
// the argument and the row, a negative radius or size likewise; nothing is drawn then.
// The array and number helpers of the binding files live here too.
#include "common.h"

#include "dispc/uitablet.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zc_py {

py::array checkedU8(py::handle obj, const char* arg, bool writable, int channels) {
  const std::string name(arg);
  if (!py::isinstance<py::array>(obj)) throw py::type_error(name + ": expected a numpy uint8 array");
  py::array a = py::reinterpret_borrow<py::array>(obj);
  if (!a.dtype().equal(py::dtype::of<unsigned char>()))
    throw py::type_error(name + ": expected dtype uint8, got " + std::string(py::str(a.dtype())));
  const bool shaped = channels > 0 ? a.ndim() == 3 && a.shape(2) == channels : a.ndim() == 2;
  if (!shaped)
    throw py::value_error(name + ": expected shape " + (channels > 0 ? "(H, W, " + std::to_string(channels) + ")" : "(H, W)") +
                          ", got " + std::string(py::str(py::tuple(py::cast(std::vector<py::ssize_t>(
                                         a.shape(), a.shape() + a.ndim()))))));
  if (writable && !a.writeable()) throw py::value_error(name + ": the array is read-only; a writable one is needed");
  const py::ssize_t pel = channels > 0 ? channels : 1;
  const bool unitColumns = a.strides(a.ndim() - 1) == 1 && (channels == 0 || a.strides(1) == pel);
  if (!unitColumns || a.strides(0) < a.shape(1) * pel) {
    if (writable)
      throw py::value_error(name + ": its rows must each be contiguous (a[r0:r1, c0:c1] is fine, a[:, ::2] is not)");
    a = py::array::ensure(a, py::array::c_style);
  }
  return a;
}

zcPelBuffer<unsigned char> borrowedPels(const py::array& a) {
  // The pels are only written when checkedU8 found the array writable.
  return zcPelBuffer<unsigned char>::borrow(static_cast<unsigned char*>(const_cast<void*>(a.data())),
                                            static_cast<long>(a.shape(1)), static_cast<long>(a.shape(0)),
                                            static_cast<long>(a.strides(0)));
}

py::array_t<double, py::array::c_style> checkedRows(py::handle obj, const char* arg, long k) {
  const std::string name(arg);
  py::array_t<double, py::array::c_style> a;
  const bool text = py::isinstance<py::str>(obj) || py::isinstance<py::bytes>(obj) || obj.is_none();
  try {
    a = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(obj);
  } catch (const py::error_already_set&) {
    a = {};
  }
  if (text || !a) {
    PyErr_Clear();
    throw py::type_error(name + ": expected an (N, " + std::to_string(k) + ") array of numbers");
  }
  if (a.ndim() != 2 || a.shape(1) != k)
    throw py::value_error(name + ": expected shape (N, " + std::to_string(k) + "), got " +
                          std::string(py::str(py::tuple(py::cast(std::vector<py::ssize_t>(a.shape(), a.shape() + a.ndim()))))));
  const double* v = a.data();
  for (py::ssize_t i = 0; i < a.size(); ++i)
    if (!std::isfinite(v[i])) refuseNonFinite(name + " row " + std::to_string(i / k));
  return a;
}

namespace {

using namespace py::literals;
using T = zcUITablet;
using L = zcUITablet::Layers;

// One kind of batch: its method name, columns, the check of a row beyond finiteness
// (null: none; else the refusal text) and the call for a row.
struct Batch {
  const char* name;
  long columns;
  const char* doc;
  const char* (*refuse)(const double* row);
  void (*draw)(T& t, const double* row, const zcGraphicProps& pen, L layer);
};

const char* negativeThird(const double* r) { return r[2] < 0 ? "a negative radius" : nullptr; }
const char* negativeSize(const double* r) { return r[2] < 0 || r[3] < 0 ? "a negative size" : nullptr; }
// A cross's size becomes a 32-bit pel count: a larger one has no such count.
const char* crossSize(const double* r) {
  return r[3] < 0 ? "a negative size" : r[3] > INT32_MAX ? "a size beyond 2147483647 pels" : nullptr;
}

const Batch kBatches[] = {
    {"draw_segments", 4, "Segments, one (x1, y1, x2, y2) row each.", nullptr,
     [](T& t, const double* r, const zcGraphicProps& p, L l) { t.draw(zcLineSeg(zcPoint(r[0], r[1]), zcPoint(r[2], r[3])), p, l); }},
    {"draw_points", 2, "Points, one (x, y) row each.", nullptr,
     [](T& t, const double* r, const zcGraphicProps& p, L l) { t.draw(zcPoint(r[0], r[1]), p, l); }},
    {"draw_circles", 3, "Circles, one (cx, cy, radius) row each.", &negativeThird,
     [](T& t, const double* r, const zcGraphicProps& p, L l) { t.draw(zcCircle(zcPoint(r[0], r[1]), r[2]), p, l); }},
    {"draw_rects", 4, "Rectangles, one (x, y, width, height) row each.", &negativeSize,
     [](T& t, const double* r, const zcGraphicProps& p, L l) { t.draw(zcRect(r[0], r[1], r[2], r[3]), p, l); }},
    {"draw_crosses", 4, "Crosses, one (x, y, angle, size) row each.", &crossSize,
     [](T& t, const double* r, const zcGraphicProps& p, L l) {
       t.draw(zcCross(zcPoint(r[0], r[1]), zcRadian(r[2]), static_cast<std::int32_t>(r[3])), p, l);
     }},
};

void runBatch(const Batch& b, T& t, py::handle rows, const zcGraphicProps& pen, L layer) {
  const auto a = checkedRows(rows, "rows", b.columns);
  const double* v = a.data();
  const py::ssize_t n = a.shape(0);
  if (b.refuse) {
    for (py::ssize_t i = 0; i < n; ++i)
      if (const char* why = b.refuse(v + i * b.columns))
        throw py::value_error("rows row " + std::to_string(i) + ": " + why);
  }
  py::gil_scoped_release unlocked;
  for (py::ssize_t i = 0; i < n; ++i) b.draw(t, v + i * b.columns, pen, layer);
}

}  // namespace

void bindTabletBatch(py::class_<zcUITablet>& c) {
  for (const Batch& b : kBatches) {
    c.def(
        b.name, [&b](T& t, py::handle rows, const zcGraphicProps& pen, L layer) { runBatch(b, t, rows, pen, layer); },
        "rows"_a, "pen"_a, "layer"_a = zcUITablet::eOverlay, b.doc);
  }
  c.def(
      "draw_polylines",
      [](T& t, py::handle rows, const zcGraphicProps& pen, L layer, bool closed) {
        if (!py::isinstance<py::array>(rows) && !py::isinstance<py::sequence>(rows))
          throw py::type_error("rows: expected an (N, 2k) array of numbers");
        const py::array probe = py::array::ensure(rows);  // null for a ragged list
        const py::ssize_t k = probe && probe.ndim() == 2 ? probe.shape(1) : -1;
        if (k < 4 || k % 2 != 0) throw py::value_error("rows: expected shape (N, 2k) with k >= 2 points a row");
        const auto a = checkedRows(rows, "rows", static_cast<long>(k));
        const double* v = a.data();
        py::gil_scoped_release unlocked;
        std::vector<zcPoint> points(static_cast<std::size_t>(k / 2));
        for (py::ssize_t i = 0; i < a.shape(0); ++i) {
          for (std::size_t j = 0; j < points.size(); ++j) points[j] = zcPoint(v[i * k + 2 * j], v[i * k + 2 * j + 1]);
          t.draw(zcPolyline(points, closed), pen, layer);
        }
      },
      "rows"_a, "pen"_a, "layer"_a = zcUITablet::eOverlay, "closed"_a = false,
      "Polylines of k points, one (x0, y0, x1, y1, ...) row each.");
  c.def(
      "draw_texts",
      [](T& t, const std::vector<std::wstring>& texts, py::handle positions, const zcColor& foreground,
         const zcColor& background, const zcUIFormat& format, L layer) {
        const auto a = checkedRows(positions, "positions", 2);
        if (static_cast<py::ssize_t>(texts.size()) != a.shape(0))
          throw py::value_error("positions: one row per text is needed");
        const double* v = a.data();
        py::gil_scoped_release unlocked;
        for (std::size_t i = 0; i < texts.size(); ++i)
          t.draw(texts[i], zcPoint(v[2 * i], v[2 * i + 1]), foreground, background, format, layer);
      },
      "texts"_a, "positions"_a, "foreground"_a, "background"_a = zcColor::pass, "format"_a = zcUIFormat(),
      "layer"_a = zcUITablet::eOverlay, "Text labels, one (x, y) row of positions per text.");
}

}  // namespace zc_py
