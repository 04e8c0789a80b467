// The painting scope of one tablet layer (see also dispc/uirect.h for the pixel
// conventions and the value types it uses).
//
// zcUIScope is the painting scope of one tablet layer. A screen component derives
// from it and implements the painting slots; this class keeps the bookkeeping that
// tablets rely on: origin, drawing point, change tracking, the scope tree, the display
// clip rectangle, nearest-color lookup and the image scaling done before painting.
#pragma once

#include "dispc/uirect.h"

#include "zfound/pelbuf.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

class zcArchive;
class zcColor;
class zcRGB;
class zcGraphicProps;
class zcUIFormat;
class zcRLEBuffer;
class zcGenShape;
class zcEllipseArc;
class zcEllipse;
class zcEllipseArc2;
class zcEllipse2;
class zcPolygon;
class zcPolyline;
class zcGenRect;
class zcLineSeg;

// ---------------------------------------------------------------------------
// The painting scope of a tablet layer.
//
// A screen component creates a scope with its origin, attaches kid scopes with move()
// or subset() and hands the root scopes to a tablet. The tablet calls the painting
// slots with mapped geometry (screen pixels); a slot resolves positions with xCoord()
// and yCoord() and reports what it painted through change() and modified(true).
//
// The virtual operations are declared in slot order (0 the destructor to 61
// displayClipRectChanged). Painting slots are pure; hooks have empty bodies; the
// lock queries answer false; sample() and expand() are implemented here: they turn
// integer factors and run-length images into calls of the painting slots.
//
// Scope tree: a scope does not own its kids. A kid leaves its parent's list when it is
// destroyed or moved; a destroyed parent leaves its kids without a parent; a
// destroyed root also clears the root of every scope below it.
class DISPC_API zcUIScope {
public:
  using Layers = zcUITabletEnums::Layers;
  using InterpolationModes = zcUITabletEnums::InterpolationModes;

  // Flag bits.
  enum : std::uint32_t { eAllChanged = 1, eModified = 2, eOpaque = 4, eClientChangeEnable = 8 };

  // Flags 0, change rectangles null, drawing point and position (0, 0), no parent,
  // its own root, no kids, display clip rectangle null.
  explicit zcUIScope(const zcPair<long>& origin = zcPair<long>());
  // Copies every field, the kid list as the same pointers. The copy joins the
  // source's parent (appended to its kid list); a copy of a root is a root of its own.
  zcUIScope(const zcUIScope& other);
  // Leaves the current place in a tree as the destructor does, then copies as the
  // copy constructor.
  zcUIScope& operator=(const zcUIScope& other);

  // --- Slot 0 --------------------------------------------------------------------
  virtual ~zcUIScope();

  // --- Slots 1 to 12: tree, dragging, locks ----------------------------------------
  // 1. Told by move() where the scope now lies: r is in the parent's scope pixels.
  virtual void moved(const zcUIScope& parent, const zcUIRect& r) = 0;
  // 2. A new kid scope for the rectangle r of this scope; the caller owns it. The
  // flag is true for the temporary scopes of a tablet update.
  virtual zcUIScope* makeKidScope(const zcUIRect& r, bool temporary) = 0;
  // 3 to 6.
  virtual void dragStart() = 0;
  virtual void dragStop() = 0;
  virtual void dragErase() = 0;
  virtual void dragAnimate(bool on) = 0;
  // 7 to 9. Pop answers whether updates are still locked afterwards.
  virtual void lockScreenUpdatesPush(bool lock);
  virtual bool lockScreenUpdatesPop();
  virtual bool screenUpdatesLocked() const;

protected:
  // 10, 11: reserved for the screen component.
  virtual void hook10_();
  virtual void hook11_();

public:
  // 12.
  virtual void optimizeDrawing(bool on);

  // --- Slots 13 to 31: painting -----------------------------------------------------
  // Geometry arrives mapped (screen pixels).
  // 13. A generic shape, mapped.
  virtual void draw(const zcGenShape& shape, const zcColor& color);
  // 14 to 16.
  virtual void draw(const zcEllipseArc& arc, const zcGraphicProps& props) = 0;
  virtual void draw(const zcEllipse& ellipse, const zcGraphicProps& props) = 0;
  virtual void draw(const zcPolygon& polygon, const zcGraphicProps& props) = 0;
  // 17. A run-length image at its top-left position with a color per pel value;
  // pels equal to passValue are skipped when passThrough is set.
  virtual void draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<zcColor>& colorMap,
                    bool passThrough, unsigned char passValue) = 0;
  // 18. A run-length image, unscaled, with a byte color map and the pass settings.
  // `flag` is the image call's second flag, interpreted by the screen component.
  virtual void draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                    bool passThrough, unsigned char passValue, bool flag) = 0;
  // 19 to 21. Unscaled RGB32, RGB16 and 16-bit images.
  virtual void draw(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos, bool passThrough,
                    zcPackedRGB32 passValue) = 0;
  virtual void draw(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos, bool passThrough,
                    zcPackedRGB16 passValue) = 0;
  virtual void draw(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos, bool passThrough,
                    unsigned short passValue) = 0;
  // 22. An unscaled 8-bit image.
  virtual void draw(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, bool passThrough,
                    unsigned char passValue, bool flag) = 0;
  // 23. Text anchored at pos as the format's alignment says.
  virtual void draw(const std::wstring& text, const zcPoint& pos, const zcColor& foreground,
                    const zcColor& background, const zcUIFormat& format) = 0;

protected:
  // 24: reserved.
  virtual void hook24_();

public:
  // 25 to 30.
  virtual void draw(const zcPolyline& polyline, const zcGraphicProps& props) = 0;
  // With corner rounding (neither sharp nor elliptical).
  virtual void draw(const zcGenRect& rect, const zcGraphicProps& props) = 0;
  virtual void draw(const zcEllipseArc2& arc, const zcGraphicProps& props) = 0;
  virtual void draw(const zcEllipse2& ellipse, const zcGraphicProps& props) = 0;
  virtual void draw(const zcLineSeg& segment, const zcGraphicProps& props) = 0;
  virtual void draw(const zcPoint& point, const zcGraphicProps& props) = 0;
  // 31. The pixel rectangle, in scope pixels, that the text would cover if drawn at
  // pos (screen pixels) with the format, alignment applied; written to `out`.
  virtual void textRect(const std::wstring& text, const zcPoint& pos, const zcUIFormat& format,
                        zcUIRect& out) = 0;

  // --- Slots 32 to 51: scaled images ------------------------------------------------
  // 32. Reduces a run-length image by the display scale (below 1 for a reduction;
  // only scale.x decides). When 1/scale.x is within 1e-6 of an integer n, the image is
  // reduced by n in both directions in run-length form: each output row r is source
  // row r·n; a run (value, length) becomes (length + carry) / n pels, the remainder
  // being carried into the next run of the row; empty runs are dropped. The result,
  // (width / n) × (height / n), goes to slot 18 with the same color map and settings.
  // Otherwise the image is decoded, mapped through the color map (the pass value
  // too, so that it still names the skipped pels) and handed to slot 40 with the
  // scale. Nothing is drawn for an empty image, a scale that is not positive, n < 1 or
  // an empty result.
  virtual void sample(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                      const zcPair<double>& scale, bool passThrough, unsigned char passValue, bool flag = false);
  // 33. The same with integer reduction factors: slot 32 with the scale (1/fx, 1/fy).
  // Nothing is drawn for a factor below 1.
  virtual void sample(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                      const zcPair<long>& factor, bool passThrough, unsigned char passValue, bool flag = false);
  // 34 (reduction painting, RGB32): buffer, position, display scale pair, pass
  // settings, second flag. Slots 36, 38 and 40 are the same for RGB16, 16-bit and
  // 8-bit pels.
  virtual void drawReduced(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos,
                           const zcPair<double>& scale, bool passThrough, zcPackedRGB32 passValue, bool flag) = 0;
  // 35 (and 37, 39, 41): slot 34 (36, 38, 40) with the scale (1/fx, 1/fy); nothing is
  // drawn for a factor below 1.
  virtual void sample(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos,
                      const zcPair<long>& factor, bool passThrough, zcPackedRGB32 passValue, bool flag);
  virtual void drawReduced(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos,
                           const zcPair<double>& scale, bool passThrough, zcPackedRGB16 passValue, bool flag) = 0;
  virtual void sample(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos,
                      const zcPair<long>& factor, bool passThrough, zcPackedRGB16 passValue, bool flag);
  virtual void drawReduced(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos,
                           const zcPair<double>& scale, bool passThrough, unsigned short passValue, bool flag) = 0;
  virtual void sample(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos,
                      const zcPair<long>& factor, bool passThrough, unsigned short passValue, bool flag);
  virtual void drawReduced(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos,
                           const zcPair<double>& scale, bool passThrough, unsigned char passValue, bool flag) = 0;
  virtual void sample(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos,
                      const zcPair<long>& factor, bool passThrough, unsigned char passValue, bool flag);

  // 42. Magnifies a run-length image by the scale (only scale.x decides). When it is
  // within 1e-6 of an integer n >= 1, only the part that can reach the scope is
  // magnified in run-length form: the columns and rows from the first one that shows
  // (pels cut off left of and above the scope, divided by n) through the last one
  // that reaches the scope's far edge (tolerance ceiling), limited to the image; each
  // run length is multiplied by n (split at 255) and each row repeated n times (a
  // factor above 4096 cuts its blocks at the scope's edges); the result goes to
  // slot 18 at the position of its first pel. Otherwise the image is
  // decoded, mapped through the color map (pass value too) and handed to slot 50.
  virtual void expand(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                      const zcPair<double>& scale, bool passThrough, unsigned char passValue, bool flag,
                      InterpolationModes mode);
  // 43. The same with integer factors: slot 42 with the scale (fx, fy); nothing is
  // drawn for a factor below 1.
  virtual void expand(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
                      const zcPair<long>& factor, bool passThrough, unsigned char passValue, bool flag,
                      InterpolationModes mode);
  // 44 (magnification painting, RGB32): buffer, position, scale pair, pass settings,
  // second flag, interpolation mode. Slots 46, 48 and 50: RGB16, 16-bit, 8-bit.
  virtual void drawMagnified(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos,
                             const zcPair<double>& scale, bool passThrough, zcPackedRGB32 passValue, bool flag,
                             InterpolationModes mode) = 0;
  // 45 (and 47, 49, 51): slot 44 (46, 48, 50) with the scale (fx, fy); nothing is
  // drawn for a factor below 1.
  virtual void expand(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos,
                      const zcPair<long>& factor, bool passThrough, zcPackedRGB32 passValue, bool flag,
                      InterpolationModes mode);
  virtual void drawMagnified(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos,
                             const zcPair<double>& scale, bool passThrough, zcPackedRGB16 passValue, bool flag,
                             InterpolationModes mode) = 0;
  virtual void expand(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos,
                      const zcPair<long>& factor, bool passThrough, zcPackedRGB16 passValue, bool flag,
                      InterpolationModes mode);
  virtual void drawMagnified(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos,
                             const zcPair<double>& scale, bool passThrough, unsigned short passValue, bool flag,
                             InterpolationModes mode) = 0;
  virtual void expand(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos,
                      const zcPair<long>& factor, bool passThrough, unsigned short passValue, bool flag,
                      InterpolationModes mode);
  virtual void drawMagnified(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos,
                             const zcPair<double>& scale, bool passThrough, unsigned char passValue, bool flag,
                             InterpolationModes mode) = 0;
  virtual void expand(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos,
                      const zcPair<long>& factor, bool passThrough, unsigned char passValue, bool flag,
                      InterpolationModes mode);

  // --- Slots 52 to 61 -----------------------------------------------------------------
  // 52. A rectangle in scope pixels set to the color; 53 the whole scope.
  virtual void set(const zcUIRect& rect, const zcColor& color) = 0;
  virtual void set(const zcColor& color) = 0;
  // 54. Flood fill from a screen pixel; `fillType0` is true for fill type 0.
  virtual void fill(const zcPair<long>& pos, const zcColor& fillColor, const zcColor& boundary,
                    bool fillType0) = 0;
  // 55. A line from the drawing point to p; 56 by a pixel displacement.
  virtual void drawTo(const zcPoint& p, const zcGraphicProps& props) = 0;
  virtual void drawToRelPels(long dx, long dy, const zcGraphicProps& props) = 0;
  // 57. True suppresses drawing to the layer.
  virtual bool drawingInhibited(Layers layer) const = 0;
  // 58. The scope's size in pixels.
  virtual zcPair<long> size() const = 0;

protected:
  // 59, 60: reserved.
  virtual void hook59_();
  virtual void hook60_();

public:
  // 61. Told by setDisplayClipRect.
  virtual void displayClipRectChanged(const zcUIRect& r);

  // --- Tree ---------------------------------------------------------------------------
  // Attaches this scope to `parent` at r, given in the parent's screen pixels: with
  // d = r.ul − parent.origin, the origin becomes (max(0, −d.x), max(0, −d.y)); the
  // scope leaves its old parent's kid list and joins the end of the new one's; its
  // root, and that of every scope below it, becomes the parent's root; moved(parent,
  // (d, r.sz)) is called; the all-changed flag and the change rectangle are cleared.
  // Moving a scope below itself raises zcUIError::BadParams, nothing changed.
  void move(const zcUIScope& parent, const zcUIRect& r);
  // move(parent, r), then origin = (max(r.x, parent.origin.x), max(r.y, parent.origin.y)).
  void subset(const zcUIScope& parent, const zcUIRect& r);

  const zcPair<long>& origin() const { return origin_; }

  // --- Drawing point ------------------------------------------------------------------
  // The current drawing point, in screen coordinates. Passing this very object to a
  // painting slot means "the current drawing position" (see xCoord).
  const zcPoint& drawPoint() const { return drawPoint_; }
  // Sets the drawing point; unless p is drawPoint() itself, the integer position
  // becomes floorTol(p) − origin (saturated to 32 bits; a finite coordinate beyond
  // 32 bits counts as the nearest 32-bit bound). A non-finite coordinate
  // raises zcShapesError::BadParams, nothing changed.
  void drawStart(const zcPoint& p);
  // Moves the integer position and the drawing point by (dx, dy) pixels.
  void moveToRel(long dx, long dy);

  // --- Change tracking ----------------------------------------------------------------
  bool allChanged() const { return (flags_ & eAllChanged) != 0; }
  void allChanged(bool on) { setFlag(eAllChanged, on); }
  bool modified() const { return (flags_ & eModified) != 0; }
  void modified(bool on) { setFlag(eModified, on); }
  bool opaque() const { return (flags_ & eOpaque) != 0; }
  void opaque(bool on) { setFlag(eOpaque, on); }
  bool clientChangeEnable() const { return (flags_ & eClientChangeEnable) != 0; }
  // On: sets the flag and empties the client change rectangle. Off: clears the flag.
  void clientChangeEnable(bool on);
  std::uint32_t flags() const { return flags_; }

  // The root's any-changed flag (false without a root), and clearing it.
  bool anyChanged() const;
  void clearAnyChanged();

  // Records a change of r (scope pixels): the client change rectangle takes r as it
  // is; then r is clipped to (0, 0, size()) and, when something is left, added to the
  // change rectangle (the opaque flag is set when `opaque` and r covers the scope; the
  // all-changed flag follows whether the change rectangle covers the scope) and the
  // root's any-changed flag is set.
  void change(zcUIRect r, bool opaque);
  // Everything changed: the all-changed flag; the change rectangle becomes the whole
  // scope, or null while drawingInhibited(eBothLayers) (the scope does not know its
  // layer, so it asks about both); the client change rectangle becomes inf; the
  // root's any-changed flag is set.
  void allChange();
  // Starts a repaint cycle: clears the all-changed flag and the change rectangle.
  void noChange();
  // The change rectangle in screen pixels (translated by the origin).
  zcUIRect changeRect() const { return changeRect_ + origin_; }
  bool someChanged() const { return !changeRect_.isNull(); }
  // The client change rectangle in screen pixels; `keep` false also switches
  // collection off.
  zcUIRect clientChangedRect(bool keep);

  // --- Colors and clipping ------------------------------------------------------------
  // The index color of the palette entry nearest to the color's red, green and blue
  // bytes (Euclidean distance; the first of equals wins; an exact match ends the
  // search). An empty palette gives index 0. Only the first 256 entries can be named
  // by an index and are searched.
  static zcColor nearestColor(const zcColor& color, const std::vector<zcRGB>& palette);

  // Stores r and calls displayClipRectChanged(r).
  void setDisplayClipRect(const zcUIRect& r);
  const zcUIRect& displayClipRect() const { return displayClipRect_; }

  // --- Pixel conversion ---------------------------------------------------------------
  // floor(x · (1 + 1e-11)) for x >= 0, floor(x · (1 − 1e-11)) for x < 0; ceilTol is the
  // companion ceiling (a value a hair above an integer counts as that integer).
  // Non-finite values, and values beyond the range of long, raise
  // zcShapesError::BadParams.
  static long floorTol(double x);
  static long ceilTol(double x);

protected:
  long drawX() const { return drawX_; }
  long drawY() const { return drawY_; }
  zcUIScope* parent() const { return parent_; }
  zcUIScope* root() const { return root_; }
  const std::list<zcUIScope*>& kids() const { return kids_; }

  // A position in scope pixels: the integer drawing position when p is drawPoint()
  // itself, else floorTol of the coordinate minus the origin (a finite coordinate
  // beyond 32 bits counts as the nearest 32-bit bound, so far geometry falls outside).
  long xCoord(const zcPoint& p) const;
  long yCoord(const zcPoint& p) const;
  // False when the all-changed flag is set while client change collection is off:
  // there is nothing more to learn from a change.
  bool trackChanges() const { return !(allChanged() && !clientChangeEnable()); }
  // For a painting slot that measures without painting: adds r (scope pixels) to the
  // client change rectangle when collection is on.
  void collectClientChange(const zcUIRect& r);

  // Reduces an image for display. `scale` is the reduction, given as the factor (2
  // halves the image) or as the display scale (0.5 halves it too); 1 copies it. The
  // reduced image, round(w / factor) × round(h / factor) pels, is placed with its
  // upper-left pel at `offset`; the part inside `rect` becomes the new buffer
  // `target` (its pel (0, 0) lies at rect's new corner) and rect becomes that part.
  // Mode 1 (bilinear) on a true reduction of a source of at least 8 × 8 pels blends
  // through the foundation's affine resampling (sizes limited to 32767); an integer
  // factor picks every n-th pel exactly; any other factor samples the nearest pel,
  // source column truncate(column × factor). Returns false, with target and rect
  // unchanged, for an unbound or empty source, a scale that is not positive, or an
  // empty result.
  bool pelScale(const zcPelBuffer_const<unsigned char>& source, zcPelBuffer<unsigned char>& target, double scale,
                zcUIRect& rect, const zcPair<long>& offset, InterpolationModes mode);
  bool pelScale(const zcPelBuffer_const<unsigned short>& source, zcPelBuffer<unsigned short>& target, double scale,
                zcUIRect& rect, const zcPair<long>& offset, InterpolationModes mode);
  bool pelScale(const zcPelBuffer_const<zcPackedRGB16>& source, zcPelBuffer<zcPackedRGB16>& target, double scale,
                zcUIRect& rect, const zcPair<long>& offset, InterpolationModes mode);
  bool pelScale(const zcPelBuffer_const<zcPackedRGB32>& source, zcPelBuffer<zcPackedRGB32>& target, double scale,
                zcUIRect& rect, const zcPair<long>& offset, InterpolationModes mode);

  // Magnifies an image by replication: each source pel becomes an fx × fy block. The
  // magnified image starts at `offset` relative to the destination's corner; negative
  // components cut that many pels off its left (top), shortening the first block
  // column (row) or skipping whole ones; positive components count as 0. The
  // destination `target` is a new buffer of min(magnified width − cut, rect width) by
  // min(magnified height − cut, rect height) pels, blocks cut at its right and bottom
  // edges; rect takes that size. Returns false, target and rect unchanged, for an
  // unbound or empty source, a factor below 1 or an empty destination.
  bool pelExpand(const zcPelBuffer_const<unsigned char>& source, zcPelBuffer<unsigned char>& target, long fx,
                 long fy, zcUIRect& rect, const zcPair<long>& offset);
  bool pelExpand(const zcPelBuffer_const<zcPackedRGB16>& source, zcPelBuffer<zcPackedRGB16>& target, long fx,
                 long fy, zcUIRect& rect, const zcPair<long>& offset);
  bool pelExpand(const zcPelBuffer_const<zcPackedRGB32>& source, zcPelBuffer<zcPackedRGB32>& target, long fx,
                 long fy, zcUIRect& rect, const zcPair<long>& offset);

private:
  void setFlag(std::uint32_t bit, bool on) { flags_ = on ? (flags_ | bit) : (flags_ & ~bit); }
  // Leaves the tree as the destructor describes.
  void release();
  void leaveParent();
  // Clears the root of every scope below this one.
  void rootDeleted();
  void setRootBelow(zcUIScope* root);

  zcPair<long> origin_;
  std::uint32_t flags_ = 0;
  zcUIRect changeRect_;
  zcUIRect clientChangeRect_;
  zcPoint drawPoint_;
  std::int32_t drawX_ = 0;
  std::int32_t drawY_ = 0;
  zcUIScope* root_;
  zcUIScope* parent_ = nullptr;
  std::list<zcUIScope*> kids_;
  bool anyChanged_ = false;
  zcUIRect displayClipRect_;
};
