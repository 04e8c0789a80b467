// Sketches: the byte streams tablets record.
//
//   bytes(sketch), len(sketch)         the stream and its size in bytes
//   sketch[a:b]                        the sub-sketch of bytes a to b (marks)
//   sketch + other, sketch += other    joined streams
//   sketch.save(path), zcUISketch.load(path)   archive files
//   for offset, name, layer, color, summary in sketch.walk(): ...
//
// walk() reads the whole sketch before it returns, so a malformed one raises
// zcUIError.InvalidUISketch and yields nothing.
#include "common.h"

#include "dispc/sketchop.h"
#include "dispc/uisketch.h"
#include "dispc/uitablet.h"

#include <string>

namespace zc_py {
namespace {

zcUISketch fromBytes(const py::bytes& data) {
  const std::string_view view = data;
  zcUISketch s;
  s.append(view.data(), static_cast<long>(view.size()));
  return s;
}

zcUISketch slice(const zcUISketch& s, const py::slice& range) {
  py::ssize_t start, stop, step, length;
  if (!range.compute(static_cast<py::ssize_t>(s.size()), &start, &stop, &step, &length))
    throw py::error_already_set();
  if (step != 1) throw py::value_error("sketch slice: the step must be 1");
  return s.subSketch(zcUISketchMark(start), zcUISketchMark(std::max(start, stop)));
}

py::list walk(const zcUISketch& s) {
  py::list rows;
  for (zcUISketchCursor cursor(s); !cursor.atEnd();) {
    const zc_UISketchOpData& record = cursor.next();
    const zc_UISketchOpHeader& header = cursor.header();
    const zcUISketchOpKind& kind = *zfUISketchOpKind(header.opcode());
    std::string summary = record.describe(&colorRepr);
    if (kind.filled) summary += " filled";
    rows.append(py::make_tuple(cursor.offset(), kind.name, header.layer(), header.color(), summary));
  }
  return rows;
}

}  // namespace

void bindSketch(py::module_& m) {
  py::class_<zcUISketch>(m, "zcUISketch",
                         "A recorded byte stream of drawing operations: bytes(), len(), slices, +, save and load, "
                         "walk().")
      .def(py::init<>())
      .def(py::init(&fromBytes), py::arg("data"),
           "A sketch over a copy of the bytes; they are checked when the sketch is walked or replayed.")
      .def("__bytes__",
           [](const zcUISketch& s) { return py::bytes(reinterpret_cast<const char*>(s.data()), s.size()); })
      .def("__len__", &zcUISketch::size)
      .def("__getitem__", &slice, py::arg("range"), "Bytes a to b as a sketch; zcUIError.BadParams outside.")
      .def("__add__", &zcUISketch::operator+, py::is_operator())
      .def("__iadd__", &zcUISketch::operator+=, py::is_operator())
      .def("__eq__", [](const zcUISketch& a, const zcUISketch& b) { return a == b; }, py::is_operator())
      .def("__ne__", [](const zcUISketch& a, const zcUISketch& b) { return a != b; }, py::is_operator())
      .def("__repr__", [](const zcUISketch& s) { return "<zcUISketch of " + std::to_string(s.size()) + " bytes>"; })
      .def("erase", &zcUISketch::erase, "Empties the sketch.")
      .def("walk", &walk,
           "One (offset, name, layer, color, summary) row per operation, as `dispc dump` lists them.")
      .def("save", &saveArchive<zcUISketch>, py::arg("path"), "Writes the sketch's archive file (zcArchive errors on failure).")
      .def_static("load", &loadArchive<zcUISketch>, py::arg("path"),
                  "Reads a sketch archive file; a damaged one raises the library's archive or sketch error.")
      .attr("__hash__") = py::none();
}

}  // namespace zc_py
