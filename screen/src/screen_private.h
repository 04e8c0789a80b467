// Internals shared by the screen and its scopes: the layer surfaces.
#pragma once

#include "zscreen/screen.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <vector>

// One layer: a Cairo ARGB32 surface (premultiplied 0xAARRGGBB pels in native byte
// order) and the palette of the screen it belongs to. Scopes share it through
// shared pointers, so a kid scope may outlive the screen.
struct zc_ScreenLayer {
  zc_ScreenLayer(long width, long height, bool overlay, std::shared_ptr<std::vector<zcRGB>> palette);
  ~zc_ScreenLayer();
  zc_ScreenLayer(const zc_ScreenLayer&) = delete;
  zc_ScreenLayer& operator=(const zc_ScreenLayer&) = delete;

  // Direct pel access: call flush() before reading or writing pels, and dirty() with
  // the rectangle written afterwards, so that Cairo sees the change.
  void flush() const { cairo_surface_flush(surface); }
  void dirty(long x, long y, long w, long h) const {
    cairo_surface_mark_dirty_rectangle(surface, int(x), int(y), int(w), int(h));
  }
  std::uint32_t* row(long y) const {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface) + y * stride);
  }
  // Every pel set to the premultiplied value.
  void fillAll(std::uint32_t argb);

  cairo_surface_t* surface = nullptr;
  long width = 0;
  long height = 0;
  long stride = 0;
  bool overlay = false;
  std::shared_ptr<std::vector<zcRGB>> palette;
};

// An opaque pel of the color.
inline std::uint32_t zf_ScreenOpaque(const zcRGB& c) {
  return 0xFF000000u | std::uint32_t(c.r()) << 16 | std::uint32_t(c.g()) << 8 | c.b();
}
