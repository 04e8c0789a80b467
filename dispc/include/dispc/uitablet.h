// The drawing tablet: maps client coordinates to screen pixels, paints through the
// scope of each layer and records every drawing call into its sketch.
//
//   zcUITablet recorder;                            // records, never draws
//   zcGraphicProps pen(zcColor::red, 3, zcGraphicProps::ePenStyleDefault, false);
//   recorder.draw(zcLineSeg(zcPoint(0, 0), zcPoint(10, 0)), pen, zcUITablet::eImage);
//   recorder.sketch().size();                       // 22 + 8 + 32 bytes
//
//   zcUITablet screen(&imageScope, &overlayScope);  // paints, does not record
//   screen.visible(true);
//   screen.draw(recorder.sketch(), zcPoint(0, 0), zcUITablet::eBothLayers);  // replay
//
// Every drawing call takes its layer last: eImage (0), eOverlay (1) or eBothLayers
// (2, which records but never paints). Most calls come in a properties form and a
// color form; the color form draws with default properties of that pen color.
//
// Drawing. A call paints only when okToDraw(layer) holds: the tablet is visible,
// drawOn() is on, the layer is the image layer or the overlay layer with
// drawOnOverlay() on, the layer has a drawing scope, and that scope does not report
// drawing inhibited (unless it collects client changes). The call then maps its
// geometry through scaledMap() and hands it to the scope's painting slot.
//
// Recording. When recordOn() is on, the call appends to sketch(): a properties block
// when the properties differ from those last written, the 8-byte header (opcode, the
// layer as given, the pen color) and the payload in the caller's own coordinates.
// Calls without properties record default properties. Composite calls built on other
// calls suspend recording around them, so each call records its own operation only.
//
// The enumerations (Layers, ScaleModes, FillType, InterpolationModes) come from
// zcUITabletEnums (dispc/uirect.h), so that scopes can name them too.
#pragma once

#include "dispc/color.h"
#include "dispc/dispprop.h"
#include "dispc/export.h"
#include "dispc/uiscope.h"
#include "dispc/uisketch.h"
#include "dispc/uistring.h"

#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/genrect.h"
#include "zfound/geometry.h"
#include "zfound/lines.h"
#include "zfound/pelbuf.h"
#include "zfound/rect.h"
#include "zfound/rle.h"
#include "zfound/trees.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

class zcGenPoly;
class zc2Wireframe;
class zcGraphic;

class DISPC_API zcUITablet : public zcUITabletEnums {
public:
  // --- Construction -------------------------------------------------------------------
  // A recorder: no scopes, drawing off, recording on.
  zcUITablet();
  // A root screen tablet painting into the given scopes (either may be null; neither
  // is owned): drawing on, recording off, hidden until visible(true). Its rectangle
  // is (0, 0) with the largest width and height of the scopes' sizes.
  zcUITablet(zcUIScope* image, zcUIScope* overlay);
  // A child tablet at r in the parent's pixels: for each layer where the parent has a
  // scope, a kid scope of it (owned); the front-most of the parent's kids; hidden.
  zcUITablet(zcUITablet& parent, const zcUIRect& r);
  // Copies of recorders: maps, switches, stamps and the sketch. A tablet with scopes,
  // a parent or kids cannot be copied (zcUIError::NotAvailable).
  zcUITablet(const zcUITablet& other);
  zcUITablet& operator=(const zcUITablet& other);
  // Leaves the parent, turns the kids into roots without scopes, deletes the owned
  // scopes.
  virtual ~zcUITablet();

  // --- State ----------------------------------------------------------------------------
  zcUISketch& sketch() { return sketch_; }
  const zcUISketch& sketch() const { return sketch_; }
  zcFlagStack& drawOn() { return drawOn_; }
  const zcFlagStack& drawOn() const { return drawOn_; }
  zcFlagStack& recordOn() { return recordOn_; }
  const zcFlagStack& recordOn() const { return recordOn_; }
  zcFlagStack& drawOnOverlay() { return drawOnOverlay_; }
  const zcFlagStack& drawOnOverlay() const { return drawOnOverlay_; }
  const zcUIRect& scopeRect() const { return scopeRect_; }
  const zcPair<long>& scopeOrg() const { return scopeOrg_; }
  zcUIRect absRect() const { return zcUIRect(scopeOrg_, scopeRect_.sz()); }
  const zcPair<long>& dragDel() const { return dragDel_; }
  bool updating() const { return updating_; }
  zcUITablet* parent() const { return parent_; }
  Layers updateLayers() const { return updateLayers_; }
  // The scope drawing calls of the layer paint into (null without one);
  // zcUIError::BadLayer for a layer other than 0 and 1.
  zcUIScope* drawingScope(Layers layer) const;

  // --- Maps -----------------------------------------------------------------------------
  // scaledMap = baseMap under eNoScale; diag(x, y) ∘ baseMap under eMagnify; under
  // eReduce diag(1/x, 1/y) ∘ baseMap when both factors exceed 1, else diag(x, y) ∘
  // baseMap. Every setter recomputes it (newMap).
  const zcXform<2>& baseMap() const { return baseMap_; }
  const zcXform<2>& scaledMap() const { return scaledMap_; }
  ScaleModes scaleMode() const { return scaleMode_; }
  const zcPair<double>& scaleExact() const { return scaleExact_; }
  // Per axis: the factor truncated when it is at least 1, else its reciprocal
  // truncated.
  zcPair<long> scale() const;
  InterpolationModes interpolation() const { return interpolation_; }
  // A non-finite map raises zcUIError::BadParams, a singular one zcMathError::Singular;
  // either changes nothing.
  void baseMap(const zcXform<2>& map);
  void scaleMode(ScaleModes mode);
  // Both factors set to the integers; the mode stays.
  void scale(const zcPair<long>& factors);
  // Both factors; the mode is eNoScale when |1 − x| <= 1e-6, else eMagnify for x > 1,
  // else eReduce. Factors must be finite and positive (zcUIError::BadParams).
  void scaleExact(const zcPair<double>& factors);
  void interpolation(InterpolationModes mode);
  // Recomputes the scaled map, tells every kid (parentMapChanged) and redraws.
  void newMap();

  // --- Coordinates ----------------------------------------------------------------------
  // A client point in the tablet's pixels (scaled map, then the tolerance floor).
  zcPair<long> scopeCoords(const zcPoint& p) const;
  // The same plus scopeOrg().
  zcPair<long> screenCoords(const zcPoint& p) const;
  // A pixel position back to client coordinates.
  zcPoint tabletCoords(const zcPair<long>& p) const;
  // The point that stands for the scope's current drawing point: passing this object
  // (or a point equal to it, (0, 0)) as a position uses the drawing point as it is.
  // drawPointArg() returns drawPointArg_ itself.
  static const zcPoint drawPointArg_;
  static const zcPoint& drawPointArg() { return drawPointArg_; }
  // The layer's drawing point in client coordinates ((0, 0) without a scope);
  // zcUIError::BadLayer above layer 1.
  zcPoint drawingPoint(Layers layer) const;

  // --- Visibility and repainting -------------------------------------------------------
  // Hidden tablets do not paint. Hides and shows nest (a count): show returns true
  // when the tablet became visible, after painting it and its kids; hide returns true
  // when it became hidden.
  bool visible(bool show);
  bool visible() const { return hidden_ == 0; }
  // Re-issues the tablet's drawing (the hook redraw_) with recording suspended, when
  // visible and drawing is on.
  void redraw(Layers layer);
  // redraw, then every kid's fullDraw back to front, inside one compound.
  void fullDraw(Layers layer);
  // The tablets' shared change counter (starts at 1); timeStamp() reads it.
  static std::uint32_t timeStamp_;
  static std::uint32_t timeStamp() { return timeStamp_; }
  // The counter value of this tablet's last drawing.
  std::uint32_t drawStamp() const { return stamp_; }

  // --- Tree ---------------------------------------------------------------------------
  // Kids stand back to front: firstKid() is the back-most, lastKid() the front-most;
  // nextSib() is the next toward the front, prevSib() the next toward the back (null
  // at the ends and for a root).
  zcUITablet* firstKid() const;
  zcUITablet* lastKid() const;
  zcUITablet* nextSib() const;
  zcUITablet* prevSib() const;
  long numKids() const { return static_cast<long>(kids_.size()); }
  // Moves the tablet (and its subtree) under p at r (p's pixels), front-most, its
  // scopes rebuilt from p's; hidden for the change and shown again. A tablet cannot
  // become its own descendant: zcUIError::BadParams, nothing changed.
  void setParent(zcUITablet& p, const zcUIRect& r);
  // To the front or the back of the parent's kids; the uncovered or covered parts are
  // repainted (front) or marked changed for the next update (back).
  void front();
  void back();
  // A new rectangle in the parent's pixels; moveRel, moveAbs and size are its short
  // forms. Uncovering part of the old area erases the tablet for the change.
  void scopeRect(const zcUIRect& r);
  void moveRel(const zcPair<long>& d);
  void moveAbs(const zcPair<long>& p);
  void size(const zcPair<long>& s);
  // The root scope of a layer (0 or 1, else BadLayer) for the whole tree, owned when
  // `own`: the tablets below lose the scopes they made from the old one and make new
  // ones; the root's rectangle takes the largest size of its scopes.
  void setScope(Layers layer, zcUIScope* scope, bool own);
  void setScope(zcUIScope* image, zcUIScope* overlay, bool own);
  // (origin, size) of the drawing scope and of the own scope of a layer; null without
  // one; BadLayer above layer 1.
  zcUIRect activeScope(Layers layer) const;
  zcUIRect currentScope(Layers layer) const;

  // --- Updates and change tracking -------------------------------------------------------
  // Repaints r (screen pixels) on the layer (both for eBothLayers) through a temporary
  // kid scope: partial repaints this tablet only and notes the change on its scope;
  // otherwise the tablet and its kids are repainted there.
  void update(const zcUIRect& r, Layers layer, bool partial);
  // Repaints, down the tree from this tablet, what the changes noted on the scopes
  // uncovered: kids and tablets in front that were drawn before a change repaint it.
  void update(Layers layer);
  // Removes what the tablet painted in r (tablet pixels): the nearest ancestor whose
  // scope of the layer is opaque repaints it. erase(layer) takes the whole tablet and
  // also empties the sketch of a recording tablet.
  void erase(const zcUIRect& r, Layers layer);
  void erase(Layers layer);
  // Client change collection on both drawing scopes, and the collected rectangles
  // (out[0] image, out[1] overlay; null without a scope) in the tablet's pixels;
  // keep false switches collection off.
  bool recordChanges() const;
  void recordChanges(bool on);
  void getChanges(zcUIRect* out, bool keep);
  // Something was painted on the layer by this tablet or a kid since the last erase.
  bool modified(Layers layer) const;
  void modified(Layers layer, bool on);
  bool opaque(Layers layer) const;
  void opaque(Layers layer, bool on);
  // The redraw stamp: the counter value of this tablet's last redraw.
  std::uint32_t redrawStamp() const { return redrawStamp_; }
  // The pixel rectangle that drawing the sketch at the offset on the layer (eImage or
  // eOverlay) would change, measured without painting; null without a scope. It is at
  // most a pen's reach larger than what paints: ceil(width / 2) + 2 pixels on each side
  // of a stroke's geometry (5 × width + 2 for mitred joins).
  zcUIRect encloseRect(const zcUISketch& sketch, const zcPoint& offset, Layers layer) const;
  // A recorder for anyone who wants to record without a screen.
  static zcUITablet scratchPad;
  static bool overlaySupported() { return true; }

  // --- Dragging ----------------------------------------------------------------------------
  // Forwarded to the drawing scope unless it is inhibited; BadLayer above layer 1.
  void dragStart(Layers layer);
  void dragStop(Layers layer);
  void dragErase(Layers layer);
  void dragAnimate(bool on, Layers layer);
  // Shifts the scaled map by d pixels until the next map change.
  void dragDel(const zcPair<long>& d);

  // --- Scope compounds and locks --------------------------------------------------------
  // Forwarded to the drawing scope (both for eBothLayers); zcUIError::BadLayer above
  // layer 2.
  void lockScreenUpdatesPush(bool lock, Layers layer);
  bool lockScreenUpdatesPop(Layers layer);
  // False without a scope or while it is inhibited; BadLayer above layer 1.
  bool screenUpdatesLocked(Layers layer) const;
  void optimizeDrawing(bool on, Layers layer);

  // The drawing step of every call (see the top of this file); takes a new time stamp
  // when it allows drawing outside an update.
  bool okToDraw(Layers layer) { return hidden_ == 0 && drawOn_ && okToDrawScope_(layer); }

  // --- Points -----------------------------------------------------------------------------
  void draw(const zcPoint& p, const zcGraphicProps& props, Layers layer);
  void draw(const zc2Point& p, const zcGraphicProps& props, Layers layer);
  void draw(const zcPoint& p, const zcColor& color, Layers layer);
  void drawPixel(const zcPair<double>& p, const zcColor& color, Layers layer);
  // The 13 × 13 point icon centred on the point, in the pen color.
  void drawPointIcon(const zcPoint& p, const zcGraphicProps& props, Layers layer);
  void drawPointIcon(const zcPoint& p, const zcColor& color, Layers layer);
  // A point set: with two points or more, the circle through the second point about
  // the first and the segment between them, with `props`; then every point at width 1
  // in the pen color. Each point is recorded as a Point operation with the full
  // properties, so a replay paints the points with the full pen (a pen wider than 1
  // paints them larger than the direct call did).
  void draw(const zcPointSet& points, const zcGraphicProps& props, Layers layer);
  void draw(const zcPointSet& points, const zcColor& color, Layers layer);

  // --- Lines ------------------------------------------------------------------------------
  void draw(const zcLineSeg& seg, const zcGraphicProps& props, Layers layer);
  void draw(const zcLineSeg& seg, const zcColor& color, Layers layer);
  void drawLineSeg(const zcPair<double>& p1, const zcPair<double>& p2, const zcColor& color, Layers layer);
  void draw(const zcLineSegSet& segs, const zcGraphicProps& props, Layers layer);
  // The part of the infinite line inside the layer's scope.
  void draw(const zcLine& line, const zcGraphicProps& props, Layers layer);
  void draw(const zcLine& line, const zcColor& color, Layers layer);
  void drawLine(const zcPair<double>& point, zcRadian angle, const zcColor& color, Layers layer);
  void draw(const zcPolygon& polygon, const zcGraphicProps& props, Layers layer);
  void draw(const zcPolygon& polygon, const zcColor& color, Layers layer);
  void drawPolygon(const std::vector<zcPoint>& vertices, zcPolygon::PolyFillMode mode, const zcColor& color,
                   Layers layer);
  void draw(const zcPolyline& polyline, const zcGraphicProps& props, Layers layer);
  void draw(const zcBezierCurve& curve, const zcGraphicProps& props, Layers layer);
  void draw(const zcCubicSpline& spline, const zcGraphicProps& props, Layers layer);

  // --- Conics -----------------------------------------------------------------------------
  // Filled forms record the filled opcodes (29, 30, 31).
  void draw(const zcCircle& circle, const zcGraphicProps& props, Layers layer);
  void draw(const zcCircle& circle, const zcColor& color, bool fill, Layers layer);
  void drawCircle(const zcPair<double>& center, double radius, const zcColor& color, Layers layer,
                  bool fill = false);
  void draw(const zcEllipse& ellipse, const zcGraphicProps& props, Layers layer);
  void draw(const zcEllipse& ellipse, const zcColor& color, bool fill, Layers layer);
  void drawEllipse(const zcPair<double>& center, const zcPair<double>& radii, zcRadian rotation,
                   const zcColor& color, Layers layer, bool fill = false);
  void draw(const zcEllipseArc& arc, const zcGraphicProps& props, Layers layer);
  void draw(const zcEllipseArc& arc, const zcColor& color, Layers layer);
  void drawEllipseArc(const zcPair<double>& center, const zcPair<double>& radii, zcRadian rotation,
                      zcRadian start, zcRadian span, const zcColor& color, Layers layer);
  void draw(const zcEllipse2& ellipse, const zcGraphicProps& props, Layers layer);
  // Mapped by the linear part of the scaled map.
  void draw(const zcEllipseArc2& arc, const zcGraphicProps& props, Layers layer);
  // Its arcs and radial ends, and an arrow head when the properties ask for one.
  // Records EllipseAnnSect when both arrow-head flags are set, else
  // EllipseAnnSectArrowheadFlag. A degenerate section draws and records nothing.
  void draw(const zcEllipseAnnulusSection& section, const zcGraphicProps& props, Layers layer);
  void draw(const zcEllipseAnnulusSection& section, const zcColor& color, bool arrowHead, bool arrowHeadForward,
            Layers layer);
  // Drawn and recorded as its general annulus.
  void draw(const zcAnnulus& annulus, const zcGraphicProps& props, Layers layer);
  void draw(const zcAnnulus& annulus, const zcColor& color, Layers layer);
  void draw(const zcGenAnnulus& annulus, const zcGraphicProps& props, Layers layer);
  void draw(const zcGenAnnulus& annulus, const zcColor& color, Layers layer);

  // --- Rectangles -------------------------------------------------------------------------
  void draw(const zcGenRect& rect, const zcGraphicProps& props, Layers layer);
  void draw(const zcGenRect& rect, const zcColor& color, bool fill, Layers layer);
  void drawGenRect(const zcPair<double>& center, const zcPair<double>& halfSizes, zcRadian orient,
                   const zcPair<double>& round, const zcColor& color, Layers layer, bool fill = false);
  void draw(const zcRect& rect, const zcGraphicProps& props, Layers layer);
  void draw(const zcRect& rect, const zcColor& color, bool fill, Layers layer);
  void drawRect(const zcPair<double>& corner, const zcPair<double>& size, const zcColor& color, Layers layer,
                bool fill = false);
  void draw(const zcAffineRectangle& rect, const zcGraphicProps& props, Layers layer);
  void draw(const zcAffineRectangle& rect, const zcColor& color, Layers layer);
  void drawAffineRect(const zcPair<double>& origin, const zcPair<double>& xCorner, const zcPair<double>& yCorner,
                      const zcColor& color, Layers layer);

  // --- Markers ----------------------------------------------------------------------------
  void draw(const zcCross& cross, const zcGraphicProps& props, Layers layer);
  void draw(const zcCross& cross, const zcColor& color, Layers layer);
  // A cross of size 7.
  void drawCross(const zcPair<double>& center, zcRadian angle, const zcColor& color, Layers layer);
  void draw(const zcCoordAxes& axes, const zcGraphicProps& props, Layers layer);
  void draw(const zcCoordAxes& axes, const zcColor& color, Layers layer);
  // Two arms of `size` pixels from the tip, turned by ±atan(1/2) from −dir.
  void arrowHead(const zcPoint& tip, const zcVector<2>& dir, float size, const zcGraphicProps& props,
                 Layers layer);

  // --- Generalized polygons, generic shapes, dispatch ------------------------------------
  // Drawn by the polygon's own scope drawing; they come with the generalized polygon.
  void draw(const zcGenPoly& poly, const zcGraphicProps& props, Layers layer);
  void draw(const zcGenPoly& poly, const zcColor& color, bool fill, Layers layer);
  void draw(const zc2Wireframe& wireframe, const zcGraphicProps& props, Layers layer);
  void draw(const zc2Wireframe& wireframe, const zcColor& color, bool fill, Layers layer);
  // The shape maps itself; the mapped copy goes to the scope's generic-shape slot.
  void draw(const zcGenShape& shape, const zcColor& color, Layers layer);
  // By the dynamic kind: a mapped shape as its shape under its transform, a tree child
  // by child, every other kind through its own call (splines as cubic splines). An
  // implicit line draws as the zcLine of its direction and point; an ellipse annulus,
  // which has no call of its own, as a generic shape in the pen color (GenShape). A
  // kind without a call raises zcUIError::NotImplemented.
  void draw(const zcShape& shape, const zcGraphicProps& props, Layers layer);
  // A graphic draws itself with its own properties (dispc/glist.h);
  // zcUIError::NotImplemented for one whose builtin flag is cleared.
  void draw(const zcGraphic& graphic, Layers layer);

  // --- Text -------------------------------------------------------------------------------
  void draw(const std::wstring& text, const zcPoint& pos, const zcColor& foreground, const zcColor& background,
            const zcUIFormat& format, Layers layer);
  // The text's pixel rectangle as the scope measures it; null without a scope.
  void textRect(const std::wstring& text, const zcPoint& pos, const zcUIFormat& format, zcUIRect& out,
                Layers layer);

  // --- Strokes from the drawing point -------------------------------------------------------
  void drawStart(const zcPoint& p, Layers layer);
  void drawTo(const zcPoint& p, const zcGraphicProps& props, Layers layer);
  void drawTo(const zcPoint& p, const zcColor& color, Layers layer);
  void drawToRelPels(long dx, long dy, const zcGraphicProps& props, Layers layer);
  void drawToRelPels(long dx, long dy, const zcColor& color, Layers layer);
  // `length` pixels along the mapped direction, each component truncated.
  void drawToRelPels(const zcVector<2>& dir, float length, const zcGraphicProps& props, Layers layer);
  void drawToRelPels(const zcVector<2>& dir, float length, const zcColor& color, Layers layer);
  void moveToRelPels(long dx, long dy, Layers layer);
  void moveToRelPels(const zcVector<2>& dir, float length, Layers layer);

  // --- Areas ------------------------------------------------------------------------------
  // The whole layer; empties the sketch first, then records the clip rectangle again
  // (if one is set) and SetAll.
  void set(const zcColor& color, Layers layer);
  void set(const zcUIRect& rect, const zcColor& color, Layers layer);
  void set(const zcRect& rect, const zcColor& color, Layers layer);
  void setComplement(const zcUIRect& rect, const zcColor& color, Layers layer);
  void setComplement(const zcRect& rect, const zcColor& color, Layers layer);
  void fill(const zcPoint& p, const zcColor& fill, const zcColor& boundary, FillType type, Layers layer);
  void fill(const zcPair<long>& p, const zcColor& fill, const zcColor& boundary, FillType type, Layers layer);
  // A bevelled frame of `width` one-pixel frames: light top and left, dark bottom and
  // right.
  void outline3D(const zcUIRect& rect, const zcColor& light, const zcColor& dark, long width, Layers layer);
  void outline3D(const zcRect& rect, const zcColor& light, const zcColor& dark, long width, Layers layer);
  void outline(const zcUIRect& rect, const zcColor& color, long width, Layers layer);
  void outline(const zcRect& rect, const zcColor& color, long width, Layers layer);
  // The client clip rectangle of the layer (both for eBothLayers; BadLayer above 2),
  // handed to the scope as its display clip rectangle in pixels.
  void drawClipRect(const zcRect& rect, Layers layer);
  const zcRect& clipRect(Layers layer) const;

  // --- Images -----------------------------------------------------------------------------
  // Through the scope's plain, magnifying or reducing image slot by the scale mode.
  // The 8-bit and run-length forms record; the others only draw.
  void draw(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, bool passThrough,
            unsigned char passValue, bool flag, Layers layer);
  void draw(const zcPelBuffer_const<unsigned short>& image, const zcPoint& pos, bool passThrough,
            unsigned short passValue, Layers layer);
  void draw(const zcPelBuffer_const<zcPackedRGB16>& image, const zcPoint& pos, bool passThrough,
            zcPackedRGB16 passValue, Layers layer);
  void draw(const zcPelBuffer_const<zcPackedRGB32>& image, const zcPoint& pos, bool passThrough,
            zcPackedRGB32 passValue, Layers layer);
  void draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
            bool passThrough, unsigned char passValue, bool flag, Layers layer);
  // The point icon's pattern: "/" and 13 rows of 13 cells, each ended by "/".
  static const wchar_t* const pointIconData_;
  // The point icon image (13 × 13, the marker at pel value 0, the rest the pass
  // index 243), built into pointIcon_ on first use; and the icon maker for text
  // patterns.
  static zcRLEBuffer pointIcon_;
  static const zcRLEBuffer& pointIcon();
  static zcRLEBuffer makeIcon(const wchar_t* pattern, const std::vector<unsigned char>& colorMap);
  // Whether cell p of a pattern is touched (a digit or "+"). rowLength counts a row
  // with its separator; −1 takes it from the first row. Never reads past the pattern.
  static bool iconTouched(const wchar_t* pattern, const zcPair<long>& p, long rowLength);
  // The point icon's hit test at p relative to its centre.
  static bool pointIconTouched(const zcPair<long>& p);

  // --- Sketches ---------------------------------------------------------------------------
  // Replays the sketch moved by `offset`: the operations of the layer (and those
  // recorded for both layers; every one for eBothLayers) with recording suspended,
  // then records one Sketch operation. A malformed sketch raises
  // zcUIError::InvalidUISketch with the maps, switches and locks as they were.
  void draw(const zcUISketch& sketch, const zcPoint& offset, Layers layer);

protected:
  // Hooks for subclasses; the defaults do nothing.
  virtual void redraw_();
  virtual void resize_();
  virtual void move_();
  virtual void clipped_();
  virtual void newParentTablet(zcUITablet* parent);
  virtual void parentMapChanged();
  // The root scope's any-changed flag of the layer's own scope.
  bool anyChanged(Layers layer) const;
  void clearAnyChanged(Layers layer);

private:
  friend class zcUITabletPrivate;
  // visible() counting without painting; true when visibility changed.
  bool visible_(bool show);
  // Rebuilds scopeOrg and the own scopes from the parent's, then the kids'; quiet
  // skips the clipped_() check.
  void newScope(bool quiet);
  // Recomputes the scaled map from the base map, the mode and the factors.
  void setMap();
  // The copy of a recorder's state behind the copy constructor and assignment.
  void copyState_(const zcUITablet& other);
  // okToDraw past visibility and drawOn(): the layer and its scope.
  bool okToDrawScope_(Layers layer);

  zcUIScope* drawScope_[2] = {nullptr, nullptr};
  zcUIScope* ownScope_[2] = {nullptr, nullptr};
  bool ownsScope_[2] = {false, false};
  zcXform<2> baseMap_;
  ScaleModes scaleMode_ = eNoScale;
  zcXform<2> scaledMap_;
  zcPair<double> scaleExact_ = zcPair<double>(1.0, 1.0);
  zcUIRect scopeRect_;
  zcPair<long> scopeOrg_;
  zcPair<long> dragDel_;
  zcFlagStack drawOn_;
  zcFlagStack recordOn_;
  zcFlagStack drawOnOverlay_;
  Layers updateLayers_ = eBothLayers;
  InterpolationModes interpolation_ = 0;
  zcUISketch sketch_;
  std::int32_t hidden_ = 1;
  bool updating_ = false;
  std::uint32_t stamp_ = 0;
  std::uint32_t redrawStamp_ = 0;
  zcUITablet* parent_ = nullptr;
  std::list<zcUITablet*> kids_;
  std::list<zcUITablet*>::iterator sibling_;
  zcRect clipRects_[2];
  // The mapped segment that draw(zcLineSeg) hands to a scope: one object whose end
  // points change from call to call.
  zcLineSeg segment_;
};
