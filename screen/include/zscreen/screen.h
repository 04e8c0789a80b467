// The raster screen: an image layer and an overlay layer of RGB pels, painted through
// two painting scopes, composited and written to PNG.
//
//   zcScreen screen(640, 480);                                  // black image, clear overlay
//   zcUITablet tablet(&screen.image(), &screen.overlay());
//   tablet.visible(true);
//   tablet.draw(zcCircle(zcPoint(100, 100), 20), pen, zcUITablet::eOverlay);
//   screen.save("scene.png");                                   // overlay over image
//
// Layers. Each layer is a Cairo ARGB32 surface of the screen's size. The image layer
// starts filled with the background color and stays opaque; the overlay starts fully
// transparent. composite(), pel() and save() lay the overlay over the image.
//
// Colors. RGB colors paint as they are; stock colors paint their RGB value; index
// colors go through the screen's palette of 256 entries. The default palette gives
// every stock color's index its RGB value (index 249 is red (255, 0, 0)) and every
// other index i the gray (i, i, i). On the overlay, the pass color (index 243, as a
// stock or an index color) paints transparency: it erases the overlay there. On the
// image layer it paints its palette entry.
//
// Pixels. Geometry arrives in screen pixels; a scope paints it at that position
// minus its origin. Pixel (x, y) covers the square [x, x + 1) × [y, y + 1), y downward.
// A point (x, y) paints the pixel (floorTol(x), floorTol(y)), or with a wider pen a
// square of width × width pixels around it. Strokes of odd width
// run through pixel centres: for odd pen widths every coordinate is moved by half a
// pixel, so that a one-pixel segment from (0, 5) to (10, 5) covers row 5, pixels 0
// to 10. Shapes are painted without anti-aliasing (each pixel whose centre is inside
// the painted area takes the color), so that flood fills meet exact boundary colors;
// text is anti-aliased.
//
// Thin lines. A solid pen of width 1 (after clamping) strokes segments, polylines,
// polygon and rectangle outlines, drawTo and generic shapes as thin lines, written
// pel by pel: one pixel per column for a line that runs at least as much across as
// down (|dx| >= |dy|), else one per row. For the across case, with the ends moved by
// half a pixel as above and rounded to 1/256 pixel: every column from the one holding
// the left end to the one holding the right end gets the pixel of the row that holds
// the line's height at the column's centre; a height exactly on the border of two
// rows takes the lower one (the larger y). Steeper lines swap rows and columns. So the
// end pixels lie in the ends' columns, in the end's own row unless the line crosses a
// row border between the end and its column's centre; a segment of length 0 sets the
// pixel holding it. A segment and its reverse set the same pixels; an outline sets its
// segments' pixels (a fill is painted first); caps and joins make no difference. Ends
// beyond 2^20 pixels are cut to the scope in floating point first. Where the area rule
// above would set about 1.12 pixels per column of a slanted line (a one-pixel-wide band
// holds more than one pixel centre per column), a thin line sets one: they agree on
// horizontal and vertical lines and otherwise differ in about 12 % of the pixels, the
// thin line's being almost all among the area rule's. Wider pens, dashed and dotted
// styles, curves (circles, ellipses, arcs, rounded rectangles) and everything on a
// vector screen (whose pels therefore show slanted one-pixel lines a little bolder)
// keep the area rule.
//
// Pens. Width 0 paints as width 1. Styles: 0 solid, 1 dashed (6 on, 3 off), 2 dotted
// (1 on, 2 off), 3 dash-dot, 4 dash-dot-dot (lengths in pen widths), 5 invisible (no
// stroke; fills still paint); other values paint solid. Dashed styles use square ends
// (the lengths above are what shows, ends included).
// End caps: 0 round, 1 square, 2 flat; joins: 0 round, 1 bevel, 2 miter; other values
// use the default. The fill flag fills closed shapes (polygons, closed polylines,
// ellipses, general rectangles; arcs fill their pie) in the pen color and strokes
// their outline over the fill. Generic shapes (slot 13) are sampled within 0.2 pixel
// and stroked one pixel wide; trees paint each child. drawTo and drawToRelPels stroke
// between whole drawing positions. Geometry far outside the layer is cut before Cairo
// sees it; geometry with non-finite coordinates paints nothing.
//
// Text uses DejaVu Sans. Font id f from 6 to 255 selects a size of f pixels, f + 256
// the same size in bold; every other id (the default −1 among them) 13 pixels. The
// text box is the advance width by the font's ascent plus descent, rounded up, placed
// by the format's alignment; the background color fills the box first unless it is
// the pass color.
//
// Images. 8-bit pels (slots 22, 40, 50) and the byte color maps of run-length images
// (slot 18) give palette indices, or gray levels when the image call's second flag is
// set. 16-bit pels show their high byte as gray; RGB16 and RGB32 pels their colors.
// Run-length point icons (slot 17) map pel v to colorMap[v], or to palette index v
// beyond the map. With pass-through, pels equal to the pass value are skipped, and in
// slot 17 so are pels whose color is the pass color. Reduced and magnified images take
// the nearest pel: the image covers ceil(width × scale) by ceil(height × scale) pixels,
// and pixel i of it shows source pel floor(i / scale), so pass values stay exact. The
// reduction slots take the display scale (below 1) or its reciprocal; interpolation
// modes and the flags of the RGB and 16-bit slots are ignored.
//
// Flood fill (slot 54) works on the layer's pels, four-connected, within the scope's
// clip. Fill type 0 (fillType0 true) fills outward from the start pixel up to pels of
// the boundary color; type 1 fills the connected area of the start pixel's own color.
//
// Scopes. The two root scopes belong to the screen and are opaque: a tablet on them
// repaints their whole area when it redraws, because a temporary kid scope made from
// a root scope (the scopes of a tablet update) starts blank: its area is set to the
// background on the image layer and cleared on the overlay. makeKidScope makes a
// scope that paints into the same layer, clipped to its rectangle within its parent,
// with its own origin (a temporary one keeps its maker's pixel coordinates); the
// caller owns it, and it stays valid (painting into the layer it shares) even after
// the screen is gone.
// Dragging: dragStart keeps a copy of the pels of the scope's area, dragErase puts
// them back (so what was drawn since goes), dragStop forgets them; dragAnimate only
// records whether animation is on. A screen scope moved onto a scope of another
// layer or another kind paints nothing. Painting is also clipped to the display clip
// rectangle (screen pixels) while it is not null. An inhibited scope
// (inhibitDrawing(true)) paints nothing and collects client changes only. Every
// painting slot adds the pixel box of what it paints to the change rectangle and sets
// the modified flag.
#pragma once

#include "zscreen/export.h"
#include "zscreen/png.h"

#include "dispc/color.h"
#include "dispc/uiscope.h"

#include "zfound/pelbuf.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct zc_ScreenLayer;
struct zc_ScreenContext;
class zcScreenScopePrivate;

// A painting scope of a screen layer (see the top of this file).
class ZSCREEN_API zcScreenScope : public zcUIScope {
public:
  ~zcScreenScope() override;
  zcScreenScope(const zcScreenScope&) = delete;
  zcScreenScope& operator=(const zcScreenScope&) = delete;

  // True for a scope of the overlay layer.
  bool isOverlay() const;
  // The part of the layer this scope may paint, in layer pixels (before the display
  // clip rectangle).
  const zcUIRect& layerRect() const { return layerRect_; }
  // Suppresses painting (drawingInhibited answers it for both layers). Kid scopes
  // made later inherit it.
  void inhibitDrawing(bool on) { inhibited_ = on; }
  // The number of entries on the screen-update lock stack.
  long lockDepth() const { return static_cast<long>(locks_.size()); }
  // Between dragStart and dragStop; dragAnimate's last setting.
  bool dragging() const { return !dragPels_.empty(); }
  bool dragAnimated() const { return dragAnimated_; }

protected:
  // Scopes are made by their screen (and by makeKidScope), which implement the
  // painting slots in a class of their own.
  zcScreenScope(std::shared_ptr<zc_ScreenLayer> layer, const zcUIRect& layerRect);

private:
  friend class zcScreenScopePrivate;

  std::shared_ptr<zc_ScreenLayer> layer_;
  // Where this scope paints, in layer pixels, and where its scope pixel (0, 0) lies.
  zcUIRect layerRect_;
  zcPair<long> base_;
  bool inhibited_ = false;
  // A root scope of its screen: its temporary kids start blank.
  bool root_ = false;
  std::vector<bool> locks_;
  // The pels of layerRect_ kept by dragStart (premultiplied, row by row), and where.
  std::vector<std::uint32_t> dragPels_;
  zcUIRect dragRect_;
  bool dragAnimated_ = false;
  // The Cairo context and the pen state set on it, made on first use and dropped
  // when the clip changes.
  std::unique_ptr<zc_ScreenContext> context_;
};

class ZSCREEN_API zcScreen {
public:
  // A raster screen keeps pels only; a vector screen also records what its scopes
  // paint, to be saved as SVG or PDF (see save below).
  enum zeKind : int { eRaster = 0, eVector = 1 };
  enum zeVectorFormat : int { eSvg = 0, ePdf = 1 };

  // A screen of width × height pels (each from 1 to 32767, else
  // zcScreenError::BadParams), the image layer filled with the background. Its two
  // layers take 4 bytes a pel each (bytesPerPel), a vector screen more as it records.
  zcScreen(long width, long height, const zcRGB& background = zcRGB(0, 0, 0), zeKind kind = eRaster);
  static constexpr long bytesPerPel = 8;
  ~zcScreen();
  zcScreen(const zcScreen&) = delete;
  zcScreen& operator=(const zcScreen&) = delete;

  long width() const;
  long height() const;
  const zcRGB& background() const { return background_; }

  // The root painting scopes of the two layers.
  zcScreenScope& image() { return *image_; }
  zcScreenScope& overlay() { return *overlay_; }
  const zcScreenScope& image() const { return *image_; }
  const zcScreenScope& overlay() const { return *overlay_; }

  // The palette through which index colors paint: 256 entries. Setting one of
  // another size raises zcScreenError::BadParams, the palette unchanged. It applies
  // to everything painted afterwards, kid scopes included.
  const std::vector<zcRGB>& palette() const;
  void palette(const std::vector<zcRGB>& entries);
  static std::vector<zcRGB> defaultPalette();

  // The image layer filled with the background, the overlay cleared.
  void clear();

  // The overlay laid over the image, as 0x00RRGGBB pels.
  zcPelBuffer<zcPackedRGB32> composite() const;
  // One composited pel; zcPel::BadCoord outside the screen.
  zcRGB pel(long x, long y) const;
  // A layer as it is (eImage or eOverlay, else zcUIError::BadLayer), as 0xAARRGGBB
  // pels, not premultiplied (the image layer's alpha is always 255).
  zcPelBuffer<zcPackedRGB32> layer(zcUITabletEnums::Layers which) const;
  // A layer's own pels, shared rather than copied (eImage or eOverlay, else
  // zcUIError::BadLayer): premultiplied 0xAARRGGBB words, `stride` bytes from one row
  // to the next, valid while the screen lives. Painting done before the call is in
  // them. A caller that writes them calls pelsChanged afterwards, so that painting
  // (and a vector screen's recording) sees the change.
  struct Pels {
    std::uint32_t* data;
    long width;
    long height;
    long stride;
  };
  Pels pels(zcUITabletEnums::Layers which);
  void pelsChanged(zcUITabletEnums::Layers which);
  // Writes the composite as an 8-bit RGB PNG, whole or not at all (zscreen/file.h).
  void save(const std::string& path) const;
  // A vector screen: writes what was painted as SVG or PDF of width × height units
  // (pixels in SVG, points in PDF), the overlay over the image. The same paths, pens
  // and text that painted the pels are written as vector paths and glyphs, at the same
  // pixel-snapped coordinates; pels written directly (images, set, flood fills,
  // backgrounds, an overlay erased to its pass color) are embedded as images of the
  // rectangle they changed, so what was drawn before such a write reaches the file as
  // pels. A raster screen raises zcScreenError::BadParams.
  bool isVector() const;
  void save(const std::string& path, zeVectorFormat format) const;
  // Reads a PNG (gray, RGB or RGBA) into the image layer with its top-left pel at
  // (0, 0); what passes the screen is cut off, RGBA is laid over what is there. The
  // zfReadPng failures leave the screen unchanged.
  void loadBackground(const std::string& path);

private:
  // The layer of eImage or eOverlay; zcUIError::BadLayer for any other.
  const zc_ScreenLayer& layerOf_(zcUITabletEnums::Layers which) const;

  std::shared_ptr<zc_ScreenLayer> imageLayer_;
  std::shared_ptr<zc_ScreenLayer> overlayLayer_;
  zcRGB background_;
  std::unique_ptr<zcScreenScope> image_;
  std::unique_ptr<zcScreenScope> overlay_;
};
