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
//
// A layer of a vector screen also keeps a recording surface: scopes paint through a
// tee surface onto both, so the recording holds the same paths, text and pens as
// the pels; pels written directly (images, fills, backgrounds) reach the recording
// as image patches of the rectangle dirtied.
struct zc_ScreenLayer {
  zc_ScreenLayer(long width, long height, bool overlay, std::shared_ptr<std::vector<zcRGB>> palette,
                 bool vector = false);
  ~zc_ScreenLayer();
  zc_ScreenLayer(const zc_ScreenLayer&) = delete;
  zc_ScreenLayer& operator=(const zc_ScreenLayer&) = delete;

  // Where scopes paint: the tee of a vector layer, else the pel surface.
  cairo_surface_t* target() const { return tee ? tee : surface; }

  // Direct pel access: call flush() before reading or writing pels, and dirty() with
  // the rectangle written afterwards, so that Cairo (and the recording) sees the change.
  void flush() const { cairo_surface_flush(surface); }
  void dirty(long x, long y, long w, long h) const;
  std::uint32_t* row(long y) const {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface) + y * stride);
  }
  // The surfaces destroyed.
  void release();
  // Every pel set to the premultiplied value.
  void fillAll(std::uint32_t argb);

  cairo_surface_t* surface = nullptr;
  cairo_surface_t* recording = nullptr;  // vector layers only
  cairo_surface_t* tee = nullptr;        // vector layers only
  long width = 0;
  long height = 0;
  long stride = 0;
  bool overlay = false;
  // What a blank pel holds: the background on the image layer, 0 on the overlay.
  std::uint32_t blank = 0;
  std::shared_ptr<std::vector<zcRGB>> palette;
};

// A root or kid scope of the layer, painting through the screen's slots.
// A root scope is opaque and its temporary kids start blank.
std::unique_ptr<zcScreenScope> zf_ScreenMakeScope(std::shared_ptr<zc_ScreenLayer> layer, const zcUIRect& layerRect,
                                                  bool root = false);

// An opaque pel of the color.
inline std::uint32_t zf_ScreenOpaque(const zcRGB& c) {
  return 0xFF000000u | std::uint32_t(c.r()) << 16 | std::uint32_t(c.g()) << 8 | c.b();
}
