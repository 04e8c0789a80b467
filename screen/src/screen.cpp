// The screen: two layer surfaces, the palette, compositing and PNG files.
#include "screen_private.h"

#include "zscreen/file.h"

#include "dispc/uierror.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo-tee.h>

#include <algorithm>

namespace {

constexpr long kMaxSide = 32767;

// A straight channel from a premultiplied one.
unsigned unpremultiply(unsigned c, unsigned a) { return a == 0 ? 0 : (c * 255 + a / 2) / a; }

}  // namespace

// --- Layers ---------------------------------------------------------------------------------

zc_ScreenLayer::zc_ScreenLayer(long w, long h, bool isOverlay, std::shared_ptr<std::vector<zcRGB>> p, bool vector)
    : width(w), height(h), overlay(isOverlay), palette(std::move(p)) {
  surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(w), int(h));
  if (vector) {
    const cairo_rectangle_t extents{0, 0, double(w), double(h)};
    recording = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
    tee = cairo_tee_surface_create(surface);
    cairo_tee_surface_add(tee, recording);
  }
  for (cairo_surface_t* made : {surface, recording, tee}) {
    if (made && cairo_surface_status(made) != CAIRO_STATUS_SUCCESS) {
      release();
      throw zcScreenError::CairoError(L"cannot make a layer surface");
    }
  }
  stride = cairo_image_surface_get_stride(surface);
}

zc_ScreenLayer::~zc_ScreenLayer() { release(); }

void zc_ScreenLayer::release() {
  for (cairo_surface_t** s : {&tee, &recording, &surface}) {
    if (*s) cairo_surface_destroy(*s);
    *s = nullptr;
  }
}

namespace {

// Draws `source` (or a solid color) into the recording within the rectangle, replacing
// what is there.
void record(cairo_surface_t* recording, cairo_surface_t* source, const std::uint32_t* argb, long x, long y, long w,
            long h) {
  cairo_t* cr = cairo_create(recording);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  if (source) {
    cairo_set_source_surface(cr, source, double(x), double(y));
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  } else {
    const double a = double(*argb >> 24) / 255.0;
    auto channel = [&](int shift) { return a == 0 ? 0.0 : double((*argb >> shift) & 0xFF) / 255.0 / a; };
    cairo_set_source_rgba(cr, channel(16), channel(8), channel(0), a);
  }
  cairo_rectangle(cr, double(x), double(y), double(w), double(h));
  cairo_fill(cr);
  cairo_destroy(cr);
}

}  // namespace

void zc_ScreenLayer::dirty(long x, long y, long w, long h) const {
  cairo_surface_mark_dirty_rectangle(surface, int(x), int(y), int(w), int(h));
  if (!recording || w < 1 || h < 1) return;
  // A copy of the pels: the recording keeps its sources, and these pels will change.
  cairo_surface_t* patch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(w), int(h));
  if (cairo_surface_status(patch) == CAIRO_STATUS_SUCCESS) {
    const long patchStride = cairo_image_surface_get_stride(patch);
    unsigned char* out = cairo_image_surface_get_data(patch);
    for (long r = 0; r < h; ++r)
      std::copy_n(row(y + r) + x, w, reinterpret_cast<std::uint32_t*>(out + r * patchStride));
    cairo_surface_mark_dirty(patch);
    record(recording, patch, nullptr, x, y, w, h);
  }
  cairo_surface_destroy(patch);
}

void zc_ScreenLayer::fillAll(std::uint32_t argb) {
  flush();
  for (long y = 0; y < height; ++y) std::fill_n(row(y), width, argb);
  cairo_surface_mark_dirty(surface);
  if (recording) record(recording, nullptr, &argb, 0, 0, width, height);
}

// --- The screen -----------------------------------------------------------------------------

std::vector<zcRGB> zcScreen::defaultPalette() {
  std::vector<zcRGB> p(256);
  for (int i = 0; i < 256; ++i)
    p[i] = zcRGB(static_cast<unsigned char>(i), static_cast<unsigned char>(i), static_cast<unsigned char>(i));
  const zcColor* stock[] = {
      &zcColor::blackColor(),  &zcColor::dkGreyColor(), &zcColor::greyColor(),    &zcColor::ltGreyColor(),
      &zcColor::whiteColor(),  &zcColor::redColor(),    &zcColor::dkRedColor(),   &zcColor::orangeColor(),
      &zcColor::yellowColor(), &zcColor::greenColor(),  &zcColor::dkGreenColor(), &zcColor::cyanColor(),
      &zcColor::blueColor(),   &zcColor::purpleColor(), &zcColor::magentaColor(), &zcColor::passColor()};
  for (const zcColor* c : stock) p[c->index()] = c->rgbStruct();
  return p;
}

zcScreen::zcScreen(long width, long height, const zcRGB& background, zeKind kind) : background_(background) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
    throw zcScreenError::BadParams(L"screen size outside 1 to 32767 pels");
  if (kind != eRaster && kind != eVector) throw zcScreenError::BadParams(L"a screen is raster or vector");
  auto palette = std::make_shared<std::vector<zcRGB>>(defaultPalette());
  imageLayer_ = std::make_shared<zc_ScreenLayer>(width, height, false, palette, kind == eVector);
  overlayLayer_ = std::make_shared<zc_ScreenLayer>(width, height, true, palette, kind == eVector);
  const zcUIRect all(0, 0, width, height);
  imageLayer_->blank = zf_ScreenOpaque(background_);
  image_ = zf_ScreenMakeScope(imageLayer_, all, true);
  overlay_ = zf_ScreenMakeScope(overlayLayer_, all, true);
  clear();
}

zcScreen::~zcScreen() = default;

long zcScreen::width() const { return imageLayer_->width; }
long zcScreen::height() const { return imageLayer_->height; }

const std::vector<zcRGB>& zcScreen::palette() const { return *imageLayer_->palette; }

void zcScreen::palette(const std::vector<zcRGB>& entries) {
  if (entries.size() != 256) throw zcScreenError::BadParams(L"a palette has 256 entries");
  *imageLayer_->palette = entries;
}

void zcScreen::clear() {
  imageLayer_->fillAll(imageLayer_->blank);
  overlayLayer_->fillAll(overlayLayer_->blank);
}

zcPelBuffer<zcPackedRGB32> zcScreen::composite() const {
  const long w = width(), h = height();
  zcPelBuffer<zcPackedRGB32> out(w, h);
  imageLayer_->flush();
  overlayLayer_->flush();
  for (long y = 0; y < h; ++y) {
    const std::uint32_t* img = imageLayer_->row(y);
    const std::uint32_t* ov = overlayLayer_->row(y);
    zcPackedRGB32* dst = out.rowPointer(y);
    for (long x = 0; x < w; ++x) {
      const std::uint32_t o = ov[x];
      const unsigned a = o >> 24;
      std::uint32_t v;
      if (a == 255) {
        v = o & 0xFFFFFFu;
      } else if (a == 0) {
        v = img[x] & 0xFFFFFFu;
      } else {
        // Premultiplied "over": out = overlay + image × (1 − alpha).
        v = 0;
        for (int shift = 0; shift < 24; shift += 8) {
          const unsigned c = ((o >> shift) & 0xFF) + (((img[x] >> shift) & 0xFF) * (255 - a) + 127) / 255;
          v |= std::uint32_t(std::min(c, 255u)) << shift;
        }
      }
      dst[x] = zcPackedRGB32(v);
    }
  }
  return out;
}

zcRGB zcScreen::pel(long x, long y) const {
  if (x < 0 || y < 0 || x >= width() || y >= height()) throw zcPel::BadCoord();
  const zcPelBuffer<zcPackedRGB32> one = composite().window(x, y, 1, 1);
  const zcPackedRGB32 v = one.get(x, y);
  return zcRGB(v.red(), v.green(), v.blue());
}

const zc_ScreenLayer& zcScreen::layerOf_(zcUITabletEnums::Layers which) const {
  if (which != zcUITabletEnums::eImage && which != zcUITabletEnums::eOverlay) throw zcUIError::BadLayer();
  return which == zcUITabletEnums::eImage ? *imageLayer_ : *overlayLayer_;
}

zcPelBuffer<zcPackedRGB32> zcScreen::layer(zcUITabletEnums::Layers which) const {
  const zc_ScreenLayer& l = layerOf_(which);
  zcPelBuffer<zcPackedRGB32> out(l.width, l.height);
  l.flush();
  for (long y = 0; y < l.height; ++y) {
    const std::uint32_t* src = l.row(y);
    zcPackedRGB32* dst = out.rowPointer(y);
    for (long x = 0; x < l.width; ++x) {
      const std::uint32_t p = src[x];
      const unsigned a = p >> 24;
      dst[x] = zcPackedRGB32(std::uint32_t(a) << 24 | unpremultiply(p >> 16 & 0xFF, a) << 16 |
                             unpremultiply(p >> 8 & 0xFF, a) << 8 | unpremultiply(p & 0xFF, a));
    }
  }
  return out;
}

zcScreen::Pels zcScreen::pels(zcUITabletEnums::Layers which) {
  const zc_ScreenLayer& l = layerOf_(which);
  l.flush();
  return Pels{l.row(0), l.width, l.height, l.stride};
}

void zcScreen::pelsChanged(zcUITabletEnums::Layers which) {
  const zc_ScreenLayer& l = layerOf_(which);
  l.dirty(0, 0, l.width, l.height);
}

void zcScreen::save(const std::string& path) const { zfWritePngRGB(path, composite()); }

bool zcScreen::isVector() const { return imageLayer_->recording != nullptr; }

namespace {

cairo_status_t collect(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<unsigned char>*>(closure);
  try {
    out->insert(out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    return CAIRO_STATUS_NO_MEMORY;
  }
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void zcScreen::save(const std::string& path, zeVectorFormat format) const {
  if (!isVector()) throw zcScreenError::BadParams(L"only a vector screen saves as SVG or PDF");
  if (format != eSvg && format != ePdf) throw zcScreenError::BadParams(L"a vector file is SVG or PDF");
  std::vector<unsigned char> bytes;
  const double w = double(width()), h = double(height());
  cairo_surface_t* file = format == eSvg ? cairo_svg_surface_create_for_stream(&collect, &bytes, w, h)
                                         : cairo_pdf_surface_create_for_stream(&collect, &bytes, w, h);
  if (format == eSvg) cairo_svg_surface_set_document_unit(file, CAIRO_SVG_UNIT_PX);
  const unsigned references[2] = {cairo_surface_get_reference_count(imageLayer_->recording),
                                  cairo_surface_get_reference_count(overlayLayer_->recording)};
  cairo_t* cr = cairo_create(file);
  // The overlay over the image, as composite() lays them.
  for (const auto* l : {imageLayer_.get(), overlayLayer_.get()}) {
    cairo_set_source_surface(cr, l->recording, 0, 0);
    cairo_paint(cr);
  }
  cairo_destroy(cr);
  cairo_surface_finish(file);
  const cairo_status_t status = cairo_surface_status(file);
  cairo_surface_destroy(file);
  // Cairo's SVG writer (1.16) keeps a reference to each recording it painted after the
  // file is destroyed; nothing can use it any more, so it is given back here.
  for (const auto* l : {imageLayer_.get(), overlayLayer_.get()}) {
    while (cairo_surface_get_reference_count(l->recording) > references[l == overlayLayer_.get()])
      cairo_surface_destroy(l->recording);
  }
  if (status != CAIRO_STATUS_SUCCESS)
    throw zcScreenError::CairoError(L"cannot make the vector file: " + std::wstring(L"status ") +
                                    std::to_wstring(int(status)));
  zfWriteFileAtomically(path, bytes.data(), bytes.size());
}

void zcScreen::loadBackground(const std::string& path) {
  zc_ScreenLayer& l = *imageLayer_;
  const zcPngImage png = zfReadPng(path, l.width, l.height);
  const long w = std::min(png.width(), l.width);
  const long h = std::min(png.height(), l.height);
  l.flush();
  for (long y = 0; y < h; ++y) {
    std::uint32_t* dst = l.row(y);
    if (png.format == zcPngImage::eGray) {
      const unsigned char* src = png.gray.rowPointer(y);
      for (long x = 0; x < w; ++x) dst[x] = zf_ScreenOpaque(zcRGB(src[x], src[x], src[x]));
      continue;
    }
    const zcPackedRGB32* src = png.rgb.rowPointer(y);
    for (long x = 0; x < w; ++x) {
      const std::uint32_t s = src[x].value();
      const unsigned a = png.format == zcPngImage::eRGBA ? s >> 24 : 255;
      std::uint32_t v = 0xFF000000u;
      // Straight alpha over the opaque image layer.
      for (int shift = 0; shift < 24; shift += 8) {
        const unsigned c = (((s >> shift) & 0xFF) * a + ((dst[x] >> shift) & 0xFF) * (255 - a) + 127) / 255;
        v |= std::uint32_t(c) << shift;
      }
      dst[x] = v;
    }
  }
  l.dirty(0, 0, w, h);
}
