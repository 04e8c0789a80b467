// The screen: two layer surfaces, the palette, compositing and PNG files.
#include "screen_private.h"

#include "dispc/uierror.h"

#include <algorithm>

namespace {

constexpr long kMaxSide = 32767;

// A straight channel from a premultiplied one.
unsigned unpremultiply(unsigned c, unsigned a) { return a == 0 ? 0 : (c * 255 + a / 2) / a; }

}  // namespace

// --- Layers ---------------------------------------------------------------------------------

zc_ScreenLayer::zc_ScreenLayer(long w, long h, bool isOverlay, std::shared_ptr<std::vector<zcRGB>> p)
    : width(w), height(h), overlay(isOverlay), palette(std::move(p)) {
  surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(w), int(h));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    throw zcScreenError::CairoError(L"cannot make a layer surface");
  }
  stride = cairo_image_surface_get_stride(surface);
}

zc_ScreenLayer::~zc_ScreenLayer() { cairo_surface_destroy(surface); }

void zc_ScreenLayer::fillAll(std::uint32_t argb) {
  flush();
  for (long y = 0; y < height; ++y) std::fill_n(row(y), width, argb);
  dirty(0, 0, width, height);
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

zcScreen::zcScreen(long width, long height, const zcRGB& background) : background_(background) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
    throw zcScreenError::BadParams(L"screen size outside 1 to 32767 pels");
  auto palette = std::make_shared<std::vector<zcRGB>>(defaultPalette());
  imageLayer_ = std::make_shared<zc_ScreenLayer>(width, height, false, palette);
  overlayLayer_ = std::make_shared<zc_ScreenLayer>(width, height, true, palette);
  const zcUIRect all(0, 0, width, height);
  image_.reset(new zcScreenScope(imageLayer_, all));
  overlay_.reset(new zcScreenScope(overlayLayer_, all));
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
  imageLayer_->fillAll(zf_ScreenOpaque(background_));
  overlayLayer_->fillAll(0);
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

zcPelBuffer<zcPackedRGB32> zcScreen::layer(zcUITabletEnums::Layers which) const {
  if (which != zcUITabletEnums::eImage && which != zcUITabletEnums::eOverlay) throw zcUIError::BadLayer();
  const zc_ScreenLayer& l = which == zcUITabletEnums::eImage ? *imageLayer_ : *overlayLayer_;
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

void zcScreen::save(const std::string& path) const { zfWritePngRGB(path, composite()); }

void zcScreen::loadBackground(const std::string& path) {
  const zcPngImage png = zfReadPng(path);
  zc_ScreenLayer& l = *imageLayer_;
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
