// The raster screen with numpy access to its layers.
//
//   screen = dispc.zcScreen.from_image(frame)      # uint8 H x W x 3, H x W x 4 or H x W
//   tablet = dispc.zcUITablet(screen)
//   tablet.replay(sketch)
//   rgb = screen.layer_view(dispc.eImage)          # H x W x 3 view of the image layer
//   out = screen.composite()                       # H x W x 3 copy, overlay over image
//
// layer_view shares the screen's pels (no copy): writing into it changes the screen,
// and the array keeps the screen alive however long it is kept. The pels are 32-bit
// premultiplied BGRA words; "rgb" and "bgr" views pick three of the four bytes (the
// image layer is opaque, so its values are plain colors), "bgra" gives all four.
#include "common.h"

#include "zscreen/screen.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace zc_py {
namespace {

using namespace py::literals;
using L = zcUITabletEnums::Layers;

long checkedSide(long v, const char* arg) {
  if (v < 1 || v > 32767) throw py::value_error(std::string(arg) + ": must be from 1 to 32767 pels, got " + std::to_string(v));
  return v;
}

py::array layerView(py::object self, L layer, const std::string& channels) {
  zcScreen& s = self.cast<zcScreen&>();
  const zcScreen::Pels p = s.pels(layer);
  auto* bytes = reinterpret_cast<unsigned char*>(p.data);
  // Little-endian words: byte 0 blue, 1 green, 2 red, 3 alpha.
  struct Form {
    const char* name;
    py::ssize_t first, count, step;
  };
  static const Form kForms[] = {{"rgb", 2, 3, -1}, {"bgr", 0, 3, 1}, {"bgra", 0, 4, 1}};
  for (const Form& f : kForms) {
    if (channels != f.name) continue;
    return py::array(py::dtype::of<unsigned char>(), {py::ssize_t(p.height), py::ssize_t(p.width), f.count},
                     {py::ssize_t(p.stride), py::ssize_t(4), f.step}, bytes + f.first, self);
  }
  throw py::value_error("channels: one of 'rgb', 'bgr', 'bgra', got '" + channels + "'");
}

std::unique_ptr<zcScreen> fromImage(py::handle image) {
  if (!py::isinstance<py::array>(image)) throw py::type_error("image: expected a numpy uint8 array");
  const py::array any = py::reinterpret_borrow<py::array>(image);
  const int channels = any.ndim() == 3 ? static_cast<int>(any.shape(2)) : 0;
  if (channels != 0 && channels != 3 && channels != 4)
    throw py::value_error("image: expected shape (H, W), (H, W, 3) or (H, W, 4)");
  const py::array a = checkedU8(image, "image", false, channels);
  const long h = checkedSide(static_cast<long>(a.shape(0)), "image height");
  const long w = checkedSide(static_cast<long>(a.shape(1)), "image width");
  auto screen = std::make_unique<zcScreen>(w, h);
  const zcScreen::Pels p = screen->pels(zcUITabletEnums::eImage);
  const py::ssize_t rowStep = a.strides(0), pelStep = channels ? a.strides(1) : 1;
  const auto* src = static_cast<const unsigned char*>(a.data());
  for (long y = 0; y < h; ++y) {
    auto* out = reinterpret_cast<std::uint32_t*>(reinterpret_cast<unsigned char*>(p.data) + y * p.stride);
    for (long x = 0; x < w; ++x) {
      const unsigned char* q = src + y * rowStep + x * pelStep;
      std::uint32_t r = q[0], g = channels ? q[1] : q[0], b = channels ? q[2] : q[0];
      if (channels == 4) {
        // Laid over the black background.
        r = r * q[3] / 255;
        g = g * q[3] / 255;
        b = b * q[3] / 255;
      }
      out[x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  }
  screen->pelsChanged(zcUITabletEnums::eImage);
  return screen;
}

py::array composite(const zcScreen& s) {
  const zcPelBuffer<zcPackedRGB32> c = s.composite();
  py::array_t<unsigned char> out({py::ssize_t(s.height()), py::ssize_t(s.width()), py::ssize_t(3)});
  unsigned char* o = out.mutable_data();
  for (long y = 0; y < s.height(); ++y) {
    const zcPackedRGB32* row = c.rowPointer(y);
    for (long x = 0; x < s.width(); ++x, o += 3) {
      const std::uint32_t v = row[x].value();
      o[0] = static_cast<unsigned char>(v >> 16);
      o[1] = static_cast<unsigned char>(v >> 8);
      o[2] = static_cast<unsigned char>(v);
    }
  }
  return out;
}

}  // namespace

void bindScreen(py::module_& m) {
  py::class_<zcScreen>(m, "zcScreen",
                       "A raster screen: an image layer and an overlay layer painted by tablets, composited "
                       "and saved as PNG.")
      .def(py::init([](long width, long height, const zcColor& background) {
             return std::make_unique<zcScreen>(checkedSide(width, "width"), checkedSide(height, "height"),
                                               background.rgbStruct());
           }),
           "width"_a, "height"_a, "background"_a = zcColor(0, 0, 0))
      .def_static("from_image", &fromImage, "image"_a,
                  "A screen whose image layer is a copy of the uint8 image (H x W gray, H x W x 3 RGB, or "
                  "H x W x 4 RGBA laid over black).")
      .def_property_readonly("width", &zcScreen::width)
      .def_property_readonly("height", &zcScreen::height)
      .def("layer_view", &layerView, "layer"_a = zcUITabletEnums::eImage, "channels"_a = "rgb",
           "The layer's pels as a writable H x W x C uint8 view sharing the screen's memory (no copy); the "
           "array keeps the screen alive. channels: 'rgb', 'bgr' or 'bgra' (premultiplied).")
      .def("pels_changed", &zcScreen::pelsChanged, "layer"_a = zcUITabletEnums::eImage,
           "Tells the screen that its pels were written through a view (needed by vector screens).")
      .def("composite", &composite, "The overlay laid over the image, as a new H x W x 3 RGB array.")
      .def("pel", [](const zcScreen& s, long x, long y) {
             const zcRGB c = s.pel(x, y);
             return py::make_tuple(c.r(), c.g(), c.b());
           }, "x"_a, "y"_a, "One composited pel (r, g, b); zcPel.BadCoord outside.")
      .def("clear", &zcScreen::clear)
      .def("save", py::overload_cast<const std::string&>(&zcScreen::save, py::const_), "path"_a,
           "Writes the composite as a PNG file.", py::call_guard<py::gil_scoped_release>())
      .def("load_background", &zcScreen::loadBackground, "path"_a, "Reads a PNG into the image layer.")
      .def("__repr__", [](const zcScreen& s) {
        return "<zcScreen " + std::to_string(s.width()) + " x " + std::to_string(s.height()) + ">";
      });
}

}  // namespace zc_py
