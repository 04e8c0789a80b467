// Graphics: drawable things (a shape with the pen it is drawn with, a group of
// graphics) that are shared through handles, measured, mapped into new graphics,
// drawn onto tablets and archived; and graphic lists that hold many of them.
//
//   zcGraphicProps pen(zcColor::red, 2, zcGraphicProps::ePenStyleDefault, true);
//   zcPtrHandle<zcGraphic> g = zcGraphic::makeShapeGraphic(zcCircle(zcPoint(5, 5), 3), pen);
//   zcGraphicList list;
//   list.append(g, false);                       // shared with g
//   list.append(g->map(zcXform<2>::rotation(zcRadian(0.5))), false);
//   zcUISketch sketch = list.sketch(zcUITablet::eOverlay);
//   zcArchive out;
//   out || list;                                 // read back with `in || list`
//
// A graphic changes no tablet state: its properties travel with each tablet call it
// makes. Drawing goes through zcUITablet::draw(const zcGraphic&, layer), which refuses
// graphics whose builtin flag a derived class outside the core has cleared
// (zcUIError::NotImplemented).
//
// Choices this module makes:
//  - Which instance the factory builds is a dynamic cast against the rows of its table
//    in order, so a shape of a derived kind takes the first row of a kind it is: a
//    wireframe becomes a zcGraphicSimple<zcGenPoly> (row 13) of its polygon, and only
//    its constructor builds a zcGraphicSimple<zc2Wireframe>; a zcContourTree is a shape
//    tree, so it becomes a group of its pieces.
//  - A group's box is the union of its members' boxes starting from the empty
//    rectangle: members without a box (degenerate shapes, texts) add nothing, and a
//    member's zero-size box at a point adds that point (the group's box is then the
//    point's zero-size box, not empty).
//  - zcGraphicList::append(other, true) appends clones of the members `other` had
//    when the call began (so appending a list to itself doubles it once);
//    append(self, false) does nothing. Copies, assignments and archive reads of a list
//    build a new sequence and swap it in: a failure leaves the list as it was.
//  - Archived group or list items that are not graphics read as null handles; an
//    object made for such an item is freed.
//
// The failures of graphics carry a message: zcGraphic::BadParams ("Item index out of
// range" from a group's item access) and zcGraphic::NoGraphicForShape.
#pragma once

#include "dispc/dispprop.h"
#include "dispc/export.h"
#include "dispc/uitablet.h"
#include "dispc/wrfm/wirefrm.h"

#include "zfound/conics.h"
#include "zfound/curves.h"
#include "zfound/exception.h"
#include "zfound/genrect.h"
#include "zfound/handle.h"
#include "zfound/lines.h"
#include "zfound/persistent.h"
#include "zfound/rect.h"
#include "zfound/shape.h"

#include <string>
#include <vector>

class DISPC_API zcGraphic : public virtual zcPersistent, public virtual zcRepBase {
public:
  ZC_EXCEPTION_FAMILY_WITH_MESSAGE(DISPC_API, zcExceptionWithString)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, BadParams, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, NoGraphicForShape, Errors)

  // Default properties (pen cyan, width 1); the color form gives
  // zcGraphicProps(color, 1, 0, false). All set the builtin flag.
  zcGraphic();
  explicit zcGraphic(const zcColor& color);
  explicit zcGraphic(const zcGraphicProps& props);
  zcGraphic(const zcGraphic& other);
  // The mutation hook, then properties and builtin flag.
  zcGraphic& operator=(const zcGraphic& other);
  ~zcGraphic() override;

  // --- The virtual slots, in order ---------------------------------------------------
  virtual zcPtrHandle<zcGraphic> map(const zcXform<2>& x) const = 0;
  virtual zcPtrHandle<zcGraphic> clone() const = 0;
  virtual zcRect encloseRect() const = 0;
  virtual double distToPoint(const zcVector<2>& p) const = 0;
  virtual bool isNull() const;  // false

protected:
  // No graphic of the core gives this one an effect.
  virtual void draw(void* context) const;
  // The tablet calls of this kind of graphic (see zcUITablet::draw of a graphic).
  virtual void draw(zcUITablet& tablet, zcUITablet::Layers layer) const = 0;
  // Told after props(p) and color(c) changed the properties; a group pushes them down.
  virtual void setProps_(const zcGraphicProps& props);
  // The zcGraphic level: version 0 (read only: a color) or 1 (the properties object),
  // after the persistence base.
  virtual void serialize_(zcArchive& archive, unsigned char version);

public:
  // --- Properties ---------------------------------------------------------------------
  const zcGraphicProps& props() const { return props_; }
  // Calls the mutation hook; the caller edits the properties in place.
  zcGraphicProps& props() {
    mutating_();
    return props_;
  }
  // The mutation hook, the assignment, then setProps_(p).
  void props(const zcGraphicProps& p);
  const zcColor& color() const { return props_.penColor(); }
  // The pen color alone, then setProps_ with the whole properties.
  void color(const zcColor& c);

  // --- The factory --------------------------------------------------------------------
  // The graphic of a shape's kind with the properties (see the choices above): a null
  // shape gives a null handle, a shape tree a group of its children's graphics, a kind
  // without a graphic zcGraphic::NoGraphicForShape (empty message).
  static zcPtrHandle<zcGraphic> makeShapeGraphic(const zcShape* shape, const zcGraphicProps& props);
  static zcPtrHandle<zcGraphic> makeShapeGraphic(const zcShape& shape, const zcGraphicProps& props);
  static zcPtrHandle<zcGraphic> makeShapeGraphic(const zcPtrHandle_const<zcShape>& shape, const zcGraphicProps& props);

protected:
  bool builtin() const { return builtin_; }
  // For graphics defined outside the core, which no tablet knows how to draw: clearing
  // the flag makes zcUITablet::draw refuse them.
  void builtin(bool value) { builtin_ = value; }

  // Archive form: version 1, then serialize_ (under the visited check).
  void dispatchSerialize(zcArchive& archive) override;

private:
  friend class zcUITablet;
  friend class zcGraphicPrivate;

  zcGraphicProps props_;
  bool builtin_ = true;
};

// --- Shape graphics -----------------------------------------------------------------------
//
// zcGraphicBuiltin<S> holds a copy of a shape and answers everything that depends on it
// alone; zcGraphicSimple<S> draws and maps it as an S; zcGraphicWithFill<S, F> is a
// closed kind that may be filled and that a general map may turn into an F. They exist
// for the kinds of the tables below only (their code lives in the library).
//
// Archive forms: Simple version 0, WithFill version 1 (a version 0 record has, after the
// builtin part, the fill flag as a bool), then the builtin part: version 0, the
// zcGraphic part, the shape (its own archive operator). An unknown version raises
// zcArchive::UnknownVersion with the registered class name and line 0.
template <class S>
class DISPC_API zcGraphicBuiltin : public zcGraphic {
public:
  zcGraphicBuiltin();
  zcGraphicBuiltin(const S& shape, const zcColor& color);
  zcGraphicBuiltin(const S& shape, const zcGraphicProps& props);
  zcGraphicBuiltin(const zcGraphicBuiltin& other);
  zcGraphicBuiltin& operator=(const zcGraphicBuiltin& other);
  ~zcGraphicBuiltin() override;

  // The non-const form calls the mutation hook.
  S& item();
  const S& item() const { return shape_; }

  // The shape's bounding box; the empty rectangle when the shape is degenerate
  // (zcShapesError::DegenerateShape). Other failures pass through.
  zcRect encloseRect() const override;
  double distToPoint(const zcVector<2>& p) const override;

protected:
  void serialize_(zcArchive& archive, unsigned char version) override;
  void dispatchSerialize(zcArchive& archive) override;

private:
  S shape_;
};

// The members both concrete templates declare: registration, and the slots they fill.
// draw makes one call: tablet.draw(shape, props(), layer).
#define ZC_GRAPHIC_SHAPE_PROTOCOL()                                      \
  static zcPersistent* make();                                          \
  class DISPC_API Instantiator : public zc_Instantiator {               \
  public:                                                               \
    Instantiator();                                                     \
  };                                                                    \
  static const Instantiator sExemplar;                                  \
                                                                        \
protected:                                                              \
  void draw(void* context) const override;                              \
  void draw(zcUITablet& tablet, zcUITablet::Layers layer) const override; \
  void serialize_(zcArchive& archive, unsigned char version) override;  \
  void dispatchSerialize(zcArchive& archive) override;

template <class S>
class DISPC_API zcGraphicSimple : public zcGraphicBuiltin<S> {
public:
  zcGraphicSimple();
  zcGraphicSimple(const S& shape, const zcColor& color);
  zcGraphicSimple(const S& shape, const zcGraphicProps& props);
  zcGraphicSimple(const zcGraphicSimple& other);
  zcGraphicSimple& operator=(const zcGraphicSimple& other);
  ~zcGraphicSimple() override;

  // The shape mapped as an S (a point by mapPoint, an arc of zcEllipseArc2 by the
  // linear transform object), with a copy of the properties.
  zcPtrHandle<zcGraphic> map(const zcXform<2>& x) const override;
  zcPtrHandle<zcGraphic> clone() const override;

  ZC_GRAPHIC_SHAPE_PROTOCOL()
};

template <class S, class F>
class DISPC_API zcGraphicWithFill : public zcGraphicBuiltin<S> {
public:
  zcGraphicWithFill();
  // Properties zcGraphicProps(color, 1, 0, false), then the fill flag.
  zcGraphicWithFill(const S& shape, const zcColor& color, bool fill);
  zcGraphicWithFill(const S& shape, const zcGraphicProps& props);
  zcGraphicWithFill(const zcGraphicWithFill& other);
  zcGraphicWithFill& operator=(const zcGraphicWithFill& other);
  ~zcGraphicWithFill() override;

  // With F = zcEllipse: the typed map, a zcGraphicWithFill<zcEllipse, zcEllipse>.
  // Otherwise the shape's mapShape: an F gives a zcGraphicWithFill<F, F>, an S a
  // zcGraphicWithFill<S, F>, a null handle zcBadPointer, any other kind
  // zcShapesError::DegenerateShape. The properties (fill included) are copied.
  zcPtrHandle<zcGraphic> map(const zcXform<2>& x) const override;
  zcPtrHandle<zcGraphic> clone() const override;

  ZC_GRAPHIC_SHAPE_PROTOCOL()
};

// The instances, one row each: the library defines and registers exactly these.
#define ZC_GRAPHIC_SIMPLE_KINDS(X)                                                             \
  X(zcPoint) X(zc2Point) X(zcLineSeg) X(zcLine) X(zcFLine) X(zcLineSegSet) X(zcPointSet)        \
  X(zcPolyline) X(zcPolygon) X(zcEllipseArc) X(zcEllipseArc2) X(zcGenAnnulus)                  \
  X(zcAffineRectangle) X(zcCoordAxes) X(zcGenPoly) X(zc2Wireframe) X(zcBezierCurve)            \
  X(zcDeBoorSpline) X(zcInterpSpline) X(zcHermiteSpline)
#define ZC_GRAPHIC_FILL_KINDS(X)                                                               \
  X(zcRect, zcGenRect) X(zcGenRect, zcGenRect) X(zcCircle, zcEllipse2) X(zcCircle, zcEllipse) \
  X(zcEllipse, zcEllipse) X(zcEllipse2, zcEllipse2) X(zcAnnulus, zcGenAnnulus)                 \
  X(zcGenAnnulus, zcGenAnnulus) X(zcEllipseAnnulus, zcEllipseAnnulus)
// Shape kinds that only zcGraphicWithFill holds.
#define ZC_GRAPHIC_FILL_ONLY_KINDS(X) \
  X(zcRect) X(zcGenRect) X(zcCircle) X(zcEllipse) X(zcEllipse2) X(zcAnnulus) X(zcEllipseAnnulus)

#define ZC_GRAPHIC_EXTERN_BUILTIN(S) extern template class zcGraphicBuiltin<S>;
#define ZC_GRAPHIC_EXTERN_SIMPLE(S) \
  ZC_GRAPHIC_EXTERN_BUILTIN(S) extern template class zcGraphicSimple<S>;
#define ZC_GRAPHIC_EXTERN_FILL(S, F) extern template class zcGraphicWithFill<S, F>;
ZC_GRAPHIC_SIMPLE_KINDS(ZC_GRAPHIC_EXTERN_SIMPLE)
ZC_GRAPHIC_FILL_ONLY_KINDS(ZC_GRAPHIC_EXTERN_BUILTIN)
ZC_GRAPHIC_FILL_KINDS(ZC_GRAPHIC_EXTERN_FILL)
#undef ZC_GRAPHIC_EXTERN_BUILTIN
#undef ZC_GRAPHIC_EXTERN_SIMPLE
#undef ZC_GRAPHIC_EXTERN_FILL

// --- Special graphics ---------------------------------------------------------------------
//
// A text label, a cross marker, a point drawn as an icon and an annulus section with
// arrow heads: each adds data or behavior of its own to the zcGraphic part.
//
// Archive forms: a version byte, the zcGraphic part, then the data. Text, cross and
// point icon write and read version 0; the section writes 1 and also reads 0, whose
// record ends with two bools (arrow head, arrow head forward). An unknown version
// raises zcArchive::UnknownVersion ("dispc/glist", line).

// What every special graphic G declares alike: copies, the public slots, registration
// and the protected slots.
#define ZC_GRAPHIC_SPECIAL_PROTOCOL(G)                                  \
  G(const G& other);                                                    \
  G& operator=(const G& other);                                         \
  ~G() override;                                                        \
  zcPtrHandle<zcGraphic> map(const zcXform<2>& x) const override;       \
  zcPtrHandle<zcGraphic> clone() const override;                        \
  zcRect encloseRect() const override;                                  \
  double distToPoint(const zcVector<2>& p) const override;              \
  static zcPersistent* make();                                          \
  static const zc_Instantiator sExemplar;                               \
                                                                        \
protected:                                                              \
  void draw(void* context) const override;                              \
  void draw(zcUITablet& tablet, zcUITablet::Layers layer) const override; \
  void serialize_(zcArchive& archive, unsigned char version) override;  \
  void dispatchSerialize(zcArchive& archive) override;

// A string drawn in the pen color at a location, moved by a pixel offset; the other
// properties play no part. It has no box (the empty rectangle), is never picked
// (distance 1e308) and is null while the string is empty. It draws with three calls:
// drawStart(location), moveToRelPels by the offset truncated toward zero, then the
// string at the drawing point (zcUITablet::drawPointArg()).
class DISPC_API zcGraphicText : public zcGraphic {
public:
  zcGraphicText();
  // Properties zcGraphicProps(color, 1, 0, false).
  zcGraphicText(const std::wstring& text, const zcPoint& location, const zcColor& color, const zcColor& background,
                const zcUIFormat& format, const zcVector<2>& offset);

  // Neither form, nor the setters below, calls the mutation hook.
  std::wstring& item() { return text_; }
  const std::wstring& item() const { return text_; }
  zcPoint location() const { return location_; }
  void location(const zcPoint& p) { location_ = p; }
  zcVector<2> offset() const { return offset_; }
  void offset(const zcVector<2>& v) { offset_ = v; }
  zcColor backgroundColor() const { return background_; }
  void backgroundColor(const zcColor& c) { background_ = c; }
  zcUIFormat format() const { return format_; }
  void format(const zcUIFormat& f) { format_ = f; }

  bool isNull() const override { return text_.empty(); }

  // clone() and map(x) both give a text of the string, location (mapped), pen color,
  // background and format, with offset (0, 0) and the color constructor's properties.
  ZC_GRAPHIC_SPECIAL_PROTOCOL(zcGraphicText)

private:
  zcPtrHandle<zcGraphic> rebuilt(const zcPoint& at) const;

  std::wstring text_;
  zcPoint location_;
  zcColor background_;
  zcUIFormat format_;
  zcVector<2> offset_;
};

// A cross marker drawn with tablet.draw(cross, props()): no box (the empty rectangle),
// the distance is to its center; map uses the cross's own map.
class DISPC_API zcGraphicCross : public zcGraphic {
public:
  zcGraphicCross();
  zcGraphicCross(const zcCross& cross, const zcColor& color);
  zcGraphicCross(const zcCross& cross, const zcGraphicProps& props);

  // Neither form calls the mutation hook.
  zcCross& item() { return cross_; }
  const zcCross& item() const { return cross_; }

  ZC_GRAPHIC_SPECIAL_PROTOCOL(zcGraphicCross)

private:
  zcCross cross_;
};

// A point drawn as the tablet's point icon (tablet.drawPointIcon(point, props())); its
// box has its origin at the point and size (1, 1).
class DISPC_API zcGraphicPointIcon : public zcGraphic {
public:
  zcGraphicPointIcon();
  zcGraphicPointIcon(const zcPoint& point, const zcColor& color);
  zcGraphicPointIcon(const zcPoint& point, const zcGraphicProps& props);

  // Neither form calls the mutation hook.
  zcPoint& item() { return point_; }
  const zcPoint& item() const { return point_; }

  ZC_GRAPHIC_SPECIAL_PROTOCOL(zcGraphicPointIcon)

private:
  zcPoint point_;
};

// An ellipse annulus section drawn with tablet.draw(section, props()); whether arrow
// heads are drawn, and which way, are the properties' arrow head flags. Box and
// distance are the section's; map uses the section's own map.
class DISPC_API zcGraphicEllipseAnnulusSection : public zcGraphic {
public:
  zcGraphicEllipseAnnulusSection();
  // Properties zcGraphicProps(color, 1, 0, false), then drawArrowHead(head, forward).
  zcGraphicEllipseAnnulusSection(const zcEllipseAnnulusSection& section, const zcColor& color, bool arrowHead,
                                 bool arrowHeadForward);
  zcGraphicEllipseAnnulusSection(const zcEllipseAnnulusSection& section, const zcGraphicProps& props);

  // The non-const form calls the mutation hook.
  zcEllipseAnnulusSection& item();
  const zcEllipseAnnulusSection& item() const { return section_; }

  bool drawArrowHead() const { return props().arrowHead(); }
  bool drawArrowHeadForward() const { return props().arrowHeadForward(); }
  // Both flags, through the mutation hooks of the graphic and of its properties.
  void drawArrowHead(bool head, bool forward);

  ZC_GRAPHIC_SPECIAL_PROTOCOL(zcGraphicEllipseAnnulusSection)

private:
  zcEllipseAnnulusSection section_;
};

// --- Groups ------------------------------------------------------------------------------
//
// A graphic made of graphics: it draws, measures, maps and archives its items as one,
// and imposes its properties on them. Its own properties follow the items: after each
// change of them, those of the first item that is not null (isNull()), else those of the
// first non-null handle; an empty group keeps its own. Copies are deep.
//
// Archive form: version 0, the zcGraphic part, the items (version 0, count as unsigned
// long, each a persistent pointer that may be null), the null flag (bool).
class DISPC_API zcGraphicGroup : public zcGraphic {
public:
  zcGraphicGroup();
  zcGraphicGroup(const zcGraphicGroup& other);
  zcGraphicGroup& operator=(const zcGraphicGroup& other);
  ~zcGraphicGroup() override;

  long numItems() const { return static_cast<long>(items_.size()); }
  // Shares item i; zcGraphic::BadParams ("Item index out of range") outside
  // 0 .. numItems() − 1.
  zcPtrHandle_const<zcGraphic> item(long i) const;
  void getItems(std::vector<zcPtrHandle_const<zcGraphic>>& out) const;
  // Clones of the given graphics (null stays null) become the items.
  void items(const std::vector<zcPtrHandle_const<zcGraphic>>& in);

  zcPtrHandle<zcGraphic> map(const zcXform<2>& x) const override;
  zcPtrHandle<zcGraphic> clone() const override;
  // The empty rectangle for a null group (see the choices above).
  zcRect encloseRect() const override;
  // HUGE_VAL for a null group; else the least of the items' distances, where a result
  // that does not compare >= the least so far (NaN included) becomes the least.
  double distToPoint(const zcVector<2>& p) const override;
  bool isNull() const override { return null_; }

  static zcPersistent* make();
  static const zc_Instantiator sExemplar;

protected:
  void draw(zcUITablet& tablet, zcUITablet::Layers layer) const override;
  void setProps_(const zcGraphicProps& props) override;
  void serialize_(zcArchive& archive, unsigned char version) override;
  void dispatchSerialize(zcArchive& archive) override;

private:
  friend class zcGraphicPrivate;
  void assign_(const zcGraphicGroup& other);
  void itemsChanged_();

  std::vector<zcPtrHandle<zcGraphic>> items_;
  bool null_ = true;
};

// --- Lists -------------------------------------------------------------------------------
//
// An ordered sequence of graphic handles, shared with whoever else holds them unless the
// list made clones. Not a graphic and not persistent by itself: it has its own archive
// operator (version 0, count as int, each handle as a persistent pointer).
class DISPC_API zcGraphicList {
public:
  zcGraphicList() = default;
  // Deep: clones of the other's members (zcBadPointer for a null one).
  zcGraphicList(const zcGraphicList& other);
  zcGraphicList& operator=(const zcGraphicList& other);
  ~zcGraphicList();

  std::vector<zcPtrHandle<zcGraphic>>& items() { return items_; }
  const std::vector<zcPtrHandle<zcGraphic>>& items() const { return items_; }
  void reset() { items_.clear(); }

  // g->clone() when cloneIt (zcBadPointer for a null g), else g itself.
  void append(const zcPtrHandle<zcGraphic>& g, bool cloneIt);
  // Clones of every member when cloneIt (a null member raises zcBadPointer after the
  // members before it went in); else the members move here and `other` is emptied.
  void append(zcGraphicList& other, bool cloneIt);
  void append(const zcGraphicList& other);

  // Every member draws itself in order; a null handle raises zcBadPointer when reached.
  void draw(zcUITablet& tablet, zcUITablet::Layers layer) const;
  // The sketch of the list drawn onto a fresh recorder.
  zcUISketch sketch(zcUITablet::Layers layer) const;

private:
  std::vector<zcPtrHandle<zcGraphic>> items_;
};

DISPC_API zcArchive& operator||(zcArchive& archive, zcGraphicList& list);
