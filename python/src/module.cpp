// The extension module dispc._dispc, which the dispc package re-exports. The binding
// files register their classes in dependency order; the exception classes come last,
// so that holders that are bound classes carry their exceptions as attributes.
#include "common.h"

PYBIND11_MODULE(_dispc, m) {
  m.doc() = "Drawing tablets, sketches, graphics, screens and synthetic drawing of the display core.";
  zc_py::bindColors(m);
  zc_py::bindShapes(m);
  zc_py::bindSketch(m);
  zc_py::bindTablet(m);
  zc_py::bindGraphics(m);
  zc_py::bindScreen(m);
  zc_py::bindSynth(m);
  zc_py::bindErrors(m);
}
