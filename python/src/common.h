// Shared by the binding files of the Python package: conversions of the value types
// (points, pairs, angles) to and from Python tuples and floats, array checks that
// name the argument they refuse, and the per-area binding functions that module.cpp
// calls in order.
//
// Points and vectors are (x, y) tuples in Python (any sequence of two numbers is
// accepted); angles are radians as floats. A point with a non-finite coordinate is
// refused with ValueError before the library sees it.
#pragma once

#include "zfound/archive.h"
#include "zfound/geometry.h"
#include "zfound/pelbuf.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <string>

namespace py = pybind11;

class zcColor;

namespace zc_py {

// Reads two numbers from a sequence of length 2; false when it is not one.
inline bool loadPair(py::handle src, double& x, double& y) {
  if (!src || py::isinstance<py::str>(src) || !PySequence_Check(src.ptr())) return false;
  if (PySequence_Size(src.ptr()) != 2) {
    PyErr_Clear();
    return false;
  }
  py::object a = py::reinterpret_steal<py::object>(PySequence_GetItem(src.ptr(), 0));
  py::object b = py::reinterpret_steal<py::object>(PySequence_GetItem(src.ptr(), 1));
  x = PyFloat_AsDouble(a.ptr());
  y = PyFloat_AsDouble(b.ptr());
  if (PyErr_Occurred()) {
    PyErr_Clear();
    return false;
  }
  return true;
}

// Raised for a point, an array or a number with a non-finite value.
[[noreturn]] inline void refuseNonFinite(const std::string& what) {
  throw py::value_error(what + ": values must be finite (no NaN or infinity)");
}
// The number itself; ValueError naming `arg` when it is NaN or infinite.
inline double finite(double value, const char* arg) {
  if (!std::isfinite(value)) refuseNonFinite(arg);
  return value;
}

// A writable uint8 array (2-D, or 3-D with `channels` in the last axis when
// channels > 0); TypeError for another dtype, ValueError for a read-only one or
// another shape. The message names `arg`.
py::array checkedU8(py::handle obj, const char* arg, bool writable, int channels);
// The pels of a 2-D array checkedU8 returned, borrowed (no copy; the array keeps them).
zcPelBuffer<unsigned char> borrowedPels(const py::array& a);
// An (N, k) float64 array of finite values, C-contiguous (converted when it is not):
// TypeError when it cannot be read as numbers, ValueError for another shape or a
// non-finite value, with the row. The message names `arg`.
py::array_t<double, py::array::c_style> checkedRows(py::handle obj, const char* arg, long k);

// "zcColor.red", "zcColor(42)", "zcColor(1, 2, 3)": the Python spelling of a color.
std::string colorRepr(const zcColor& c);

// Archive files of one value (a sketch, a graphic handle, a list): the file holds
// exactly its archive form; the archive's errors on failure.
template <class V>
void saveArchive(V& value, const std::string& path) {
  zcFileArchive out(path, zcFileArchive::eStore);
  out || value;
  out.close();
}
template <class V>
V loadArchive(const std::string& path) {
  zcFileArchive in(path, zcFileArchive::eLoad);
  V value;
  in || value;
  if (in.remaining() != 0) throw zcArchive::BadFormat(L"the archive holds more than one value");
  return value;
}

// The binding functions, one per file, called by module.cpp in this order.
void bindErrors(py::module_& m);
void bindColors(py::module_& m);
void bindShapes(py::module_& m);
void bindSketch(py::module_& m);
void bindTablet(py::module_& m);
void bindGraphics(py::module_& m);
void bindScreen(py::module_& m);
void bindSynth(py::module_& m);

}  // namespace zc_py

namespace pybind11::detail {

// zcVector<2> (zcPoint) <-> (x, y).
template <>
struct type_caster<zcVector<2>> {
  PYBIND11_TYPE_CASTER(zcVector<2>, const_name("tuple[float, float]"));
  bool load(handle src, bool) {
    double x, y;
    if (!zc_py::loadPair(src, x, y)) return false;
    if (!std::isfinite(x) || !std::isfinite(y)) zc_py::refuseNonFinite("point (" + std::to_string(x) + ", " + std::to_string(y) + ")");
    value = zcVector<2>(x, y);
    return true;
  }
  static handle cast(const zcVector<2>& v, return_value_policy, handle) {
    return py::make_tuple(v.x(), v.y()).release();
  }
};

// zcPair<double> and zcPair<long> <-> (x, y).
template <class T>
struct type_caster<zcPair<T>> {
  PYBIND11_TYPE_CASTER(zcPair<T>, const_name("tuple[") + make_caster<T>::name + const_name(", ") +
                                      make_caster<T>::name + const_name("]"));
  bool load(handle src, bool convert) {
    if (!src || py::isinstance<py::str>(src) || !PySequence_Check(src.ptr()) || PySequence_Size(src.ptr()) != 2) {
      PyErr_Clear();
      return false;
    }
    make_caster<T> a, b;
    py::object x = py::reinterpret_steal<py::object>(PySequence_GetItem(src.ptr(), 0));
    py::object y = py::reinterpret_steal<py::object>(PySequence_GetItem(src.ptr(), 1));
    if (!a.load(x, convert) || !b.load(y, convert)) return false;
    value = zcPair<T>(cast_op<T>(a), cast_op<T>(b));
    if constexpr (std::is_floating_point_v<T>) {
      if (!std::isfinite(value.x()) || !std::isfinite(value.y())) zc_py::refuseNonFinite("pair");
    }
    return true;
  }
  static handle cast(const zcPair<T>& v, return_value_policy, handle) {
    return py::make_tuple(v.x(), v.y()).release();
  }
};

// zcRadian <-> float (radians).
template <>
struct type_caster<zcRadian> {
  PYBIND11_TYPE_CASTER(zcRadian, const_name("float"));
  bool load(handle src, bool convert) {
    make_caster<double> d;
    if (!d.load(src, convert)) return false;
    value = zcRadian(cast_op<double>(d));
    return true;
  }
  static handle cast(zcRadian a, return_value_policy, handle) { return PyFloat_FromDouble(a.value()); }
};

}  // namespace pybind11::detail

#include "zfound/handle.h"

// Reference-counted library objects (shapes, graphics, SMD descriptions) are held in
// Python by the library's own handle, so that objects the library returns by handle
// (mapped shapes, graphics of a list) reach Python without a copy.
PYBIND11_DECLARE_HOLDER_TYPE(T, zcPtrHandle<T>, true)

namespace pybind11::detail {
template <class T>
struct holder_helper<zcPtrHandle<T>> {
  static T* get(const zcPtrHandle<T>& h) { return h.rep(); }
};
}  // namespace pybind11::detail

// A getter of a class whose getter name is overloaded with its setter, as a property.
#define ZC_PY_GET(Class, member) [](const Class& o) { return o.member(); }
