// What the tablet's source files share: recording, properties of the color forms,
// and the guards that suspend recording or hold a scope compound.
#pragma once

#include "dispc/uitablet.h"

#include "dispc/uierror.h"

#include "sketch/sketchkinds.h"
#include "sketch/sketchpayload.h"

#include <cassert>
#include <optional>

namespace zc_tablet {
// zcUIError::BadLayer unless 0 <= layer <= highest.
inline void checkLayer(zcUITabletEnums::Layers layer, long highest) {
  if (layer < 0 || layer > highest) throw zcUIError::BadLayer();
}

// Both layers in turn for eBothLayers, else the one given.
template <class F>
void forLayers(zcUITabletEnums::Layers layer, F&& f) {
  if (layer == zcUITabletEnums::eBothLayers) {
    f(zcUITabletEnums::eImage);
    f(zcUITabletEnums::eOverlay);
  } else {
    f(layer);
  }
}
}  // namespace zc_tablet

class zcUITabletPrivate : public zcUITablet {
public:
  using Layers = zcUITablet::Layers;

  // Properties of a color form: defaults with that pen color (and fill flag).
  static zcGraphicProps colorProps(const zcColor& color, bool fill = false) {
    zcGraphicProps props;
    props.penColor(color);
    if (fill) props.fill(true);
    return props;
  }
  // The values of the properties an operation records.
  using Pen = zcUISketch::PropsValues;
  // How a recording call appends. Quick appends within the capacity only, counting
  // wide text in the basic plane, and reports false, with nothing appended, when the
  // operation does not fit or its text lies beyond the plane; Exact measures exactly
  // and grows the sketch (the one step that can fail).
  struct Quick {
    static constexpr bool kExact = false;
  };
  struct Exact {
    static constexpr bool kExact = true;
  };

  // Appends one operation when recording is on: the properties block (when they
  // changed), the header with the layer as given and the color, and the payload of
  // record class R written from `values` by R's payload description (no record is
  // built). The opcode is R's (its filled form's for recordFilled when the properties
  // fill). The color is the properties' pen color unless given (recordColor). An
  // operation is appended whole or not at all. The forms that take a How report
  // whether the operation was appended (always, but for Quick).
  template <class R, class... V>
  static void record(zcUITablet& t, Layers layer, const zcGraphicProps& props, const V&... values) {
    recordAs<R, false>(t, layer, zcUISketch::values_(props), props.penColor(), values...);
  }
  template <class R, class... V>
  static void recordFilled(zcUITablet& t, Layers layer, const zcGraphicProps& props, const V&... values) {
    recordAs<R, true>(t, layer, zcUISketch::values_(props), props.penColor(), values...);
  }
  template <class R, class... V>
  static void recordColor(zcUITablet& t, Layers layer, const zcGraphicProps& props, const zcColor& color,
                          const V&... values) {
    recordAs<R, false>(t, layer, zcUISketch::values_(props), color, values...);
  }
  // With the default properties (a constant: nothing built or guarded) and the color
  // given, or their own pen color.
  template <class R, class... V>
  static void recordDefault(zcUITablet& t, Layers layer, const zcColor& color, const V&... values) {
    recordAs<R, false>(t, layer, zcUISketch::defaultValues_(), color, values...);
  }
  static const zcColor& defaultColor() { return zcUISketch::defaultValues_().penColor; }
  template <class R, class How, class... V>
  static bool record(How how, zcUITablet& t, Layers layer, const zcGraphicProps& props, const V&... values) {
    return recordAs<R, false>(how, t, layer, zcUISketch::values_(props), props.penColor(), values...);
  }
  template <class R, class How, class... V>
  static bool recordFilled(How how, zcUITablet& t, Layers layer, const zcGraphicProps& props, const V&... values) {
    return recordAs<R, true>(how, t, layer, zcUISketch::values_(props), props.penColor(), values...);
  }
  template <class R, class How, class... V>
  static bool recordDefault(How how, zcUITablet& t, Layers layer, const zcColor& color, const V&... values) {
    return recordAs<R, false>(how, t, layer, zcUISketch::defaultValues_(), color, values...);
  }
  // Quick, then Exact out of line when Quick could not.
  template <class R, bool Filled, class... V>
  static void recordAs(zcUITablet& t, Layers layer, const Pen& pen, const zcColor& color, const V&... values) {
    if (!recordAs<R, Filled>(Quick(), t, layer, pen, color, values...))
      recordExactly<R, Filled>(t, layer, pen, color, values...);
  }
  template <class R, bool Filled, class... V>
  [[gnu::cold, gnu::noinline]] static void recordExactly(zcUITablet& t, Layers layer, const Pen& pen,
                                                         const zcColor& color, const V&... values) {
    recordAs<R, Filled>(Exact(), t, layer, pen, color, values...);
  }
  // The same properties (the common case) and new ones take paths of their own.
  template <class R, bool Filled, class How, class... V>
  [[gnu::always_inline]] static bool recordAs(How, zcUITablet& t, Layers layer, const Pen& pen, const zcColor& color,
                                              const V&... values) {
    if (!t.recordOn_) return true;
    if (t.sketch_.remembers_(pen)) return append<R, Filled, false, How::kExact>(t, layer, pen, color, values...);
    return append<R, Filled, true, How::kExact>(t, layer, pen, color, values...);
  }
  // The operation, after a properties block when Block (then remembered): the block,
  // the header and the payload in one piece of room as long as the payload's
  // description measures for these values (the kind's fixed length, or what a sizer
  // counts). Quick asks for the capacity that the widest text would take as well, so
  // that once the room is there nothing can fail: the caller's values are stored as
  // they are read, none is needed afterwards, and a text that turns out wider than
  // counted is converted again in place, within that capacity, out of line.
  template <class R, bool Filled, bool Block, bool Exact, class... V>
  [[gnu::always_inline]] static bool append(zcUITablet& t, Layers layer, const Pen& pen, const zcColor& color,
                                            const V&... values) {
    zcUISketch& s = t.sketch_;
    long slack = 0;
    const long n = length<R, Block>(Exact, slack, values...);
    unsigned char* room;
    if constexpr (Exact) {
      room = s.append(n);
    } else {
      if (!s.appendWithin_(n, slack, room)) return false;
    }
    const zc_SketchWriter out = fill<R, Filled, Block>(s, room, room + n, Exact, layer, pen, color, values...);
    if (!out.whole()) [[unlikely]]
      zc_SketchWriter::widen(s, out.wide(), out.wideAt());
    return true;
  }
  // The length of the operation, exact or counting wide text in the basic plane, and
  // the bytes more that its text could take (`slack`, when not exact).
  template <class R, bool Block, class... V>
  static long length(bool exact, long& slack, const V&... values) {
    long payload = zc_sketch::KindOf<R, false>::kFixedLength;
    if constexpr (zc_sketch::KindOf<R, false>::kFixedLength < 0) {
      zc_SketchSizer size(exact);
      zc_sketch::Payload<R>::fields(size, values...);
      payload = static_cast<long>(size.size());
      slack = static_cast<long>(size.slack());
    }
    return (Block ? zcUISketch::kPropsBlockSize : 0) + zcUISketch::kHeaderSize + payload;
  }
  // The operation written into [room, end), which its length measured the same way,
  // by the writer returned (not whole for text beyond the basic plane, not exact).
  template <class R, bool Filled, bool Block, class... V>
  [[gnu::always_inline]] static zc_SketchWriter fill(zcUISketch& s, unsigned char* room,
                                                     [[maybe_unused]] const unsigned char* end, bool exact,
                                                     Layers layer, const Pen& pen, const zcColor& color,
                                                     const V&... values) {
    if constexpr (Block) {
      s.storeBlockRemembering_(room, pen);
      room += zcUISketch::kPropsBlockSize;
    }
    zc_SketchWriter out(room, exact);
    out || static_cast<unsigned char>(zc_sketch::opcodeOf<R>(Filled && zcUISketch::fills_(pen)))
        || static_cast<unsigned char>(layer) || color;
    zc_sketch::Payload<R>::fields(out, values...);
    assert(out.at() == end);
    return out;
  }

  // A drawing call: paint(t, layer, args...) when the layer may be drawn on, then
  // record(how, t, layer, args...), which records when recording is on and reports
  // whether it did (see Quick). Both are lambdas without captures. Recording is
  // inlined into the calling function whole; painting and the exact way of recording
  // stay out of line and are reached by tail calls with the caller's own arguments
  // in the caller's own order (the tablet, the arguments, the layer last; the lambdas
  // take no register), so that a tablet that is not visible (and so paints nothing)
  // records without a stack frame or a move of an argument.
  template <class Paint, class Record, class... A>
  [[gnu::always_inline]] static void paintAndRecord(zcUITablet& t, Layers layer, Paint paint, Record record,
                                                    const A&... args) {
    if (t.visible()) return paintThenRecord<Paint, Record, A...>(t, paint, record, args..., layer);
    if (!record(Quick(), t, layer, args...)) recordExactly<Record, A...>(t, record, args..., layer);
  }
  template <class Paint, class Record, class... A>
  [[gnu::noinline]] static void paintThenRecord(zcUITablet& t, Paint paint, Record record, const A&... args,
                                                Layers layer) {
    if (okToDraw(t, layer)) paint(t, layer, args...);
    record(Exact(), t, layer, args...);
  }
  template <class Record, class... A>
  [[gnu::cold, gnu::noinline]] static void recordExactly(zcUITablet& t, Record record, const A&... args,
                                                         Layers layer) {
    record(Exact(), t, layer, args...);
  }

  // okToDraw(layer) inline, with its scope step (okToDrawScope_): the layer is one
  // that may be drawn on, its scope is there and not inhibited (or takes client
  // changes anyway); the tablet's draw stamp then moves on unless it is updating.
  static bool okToDraw(zcUITablet& t, Layers layer) { return t.hidden_ == 0 && t.drawOn_ && scopeAllows(t, layer); }
  static bool scopeAllows(zcUITablet& t, Layers layer) {
    if (layer != eImage && !(layer == eOverlay && t.drawOnOverlay_)) return false;
    zcUIScope* s = t.drawScope_[layer];
    if (!s) return false;
    if (s->drawingInhibited(layer) && !s->clientChangeEnable()) return false;
    if (!t.updating_ && timeStamp_ != t.stamp_) t.stamp_ = ++timeStamp_;
    return true;
  }

  // draw(zcLineSeg) from a segment, or from its end points as replay read them
  // (Ends): the mapped segment to the scope, the end points to the sketch. Inline,
  // so that a caller goes straight to the shared step.
  struct Ends {
    const zcPoint& a;
    const zcPoint& b;
    const zcPoint& p1() const { return a; }
    const zcPoint& p2() const { return b; }
  };
  template <class Segment>
  static void drawSegment(zcUITablet& t, const Segment& seg, const zcGraphicProps& props, Layers layer) {
    paintAndRecord(
        t, layer,
        [](zcUITablet& t, Layers layer, const Segment& seg, const zcGraphicProps& props) {
          t.segment_.ends(t.scaledMap_.mapPoint(seg.p1()), t.scaledMap_.mapPoint(seg.p2()));
          scope(t, layer).draw(t.segment_, props);
        },
        [](auto how, zcUITablet& t, Layers layer, const Segment& seg, const zcGraphicProps& props) {
          return record<zc_UISketchOpLineSeg>(how, t, layer, props, seg.p1(), seg.p2());
        },
        seg, props);
  }

  // The drawing scope of a layer that okToDraw allowed (never null then).
  static zcUIScope& scope(zcUITablet& t, Layers layer) { return *t.drawScope_[layer]; }
  // A client point resolved for painting: the scope's own drawing point for
  // drawPointArg(), else the point mapped.
  static const zcPoint& resolve(zcUITablet& t, const zcPoint& p, Layers layer, zcPoint& mapped);
  // v truncated toward zero and clamped to ±(2^31 − 1); 0 when not finite.
  static long truncated(double v);
  // The linear part of the scaled map applied to a direction, made a unit vector,
  // times `length`, each component truncated toward zero.
  static zcPair<long> pixelStep(const zcUITablet& t, const zcVector<2>& dir, double length);
  // 1.5 × pen width + 6 × f, with f the x factor in eReduce and 1 otherwise.
  static double arrowArmLength(const zcUITablet& t, const zcGraphicProps& props);
  // A rectangle in client coordinates as tablet pixels: from the scope coordinates of
  // its mapped corner to those of its mapped opposite corner.
  static zcUIRect pixelRect(const zcUITablet& t, const zcRect& rect);
  static zcRect& clip(zcUITablet& t, Layers layer) { return t.clipRects_[layer]; }
  // Deletes the owned scopes of the tablet and of its subtree.
  static void dropScopes(zcUITablet& t);

  // The tree (uitablet_tree.cpp).
  // Deletes the owned scopes of one layer down the subtree of t, t included.
  static void parentScopesDeleted(zcUITablet& t, Layers layer);
  // A kid scope of the parent's own scope of the layer for r, when the parent has one.
  static void makeOwnScope(zcUITablet& t, Layers layer, const zcUIRect& r);
  // The root's own scope of a layer replaced; its rectangle fitted to its scopes.
  static void replaceRootScope(zcUITablet& root, Layers layer, zcUIScope* scope, bool own);
  static void fitRoot(zcUITablet& root);
  // One layer of update(r, …) and of update(layer).
  static void updateRect(zcUITablet& t, const zcUIRect& r, Layers layer, bool partial);
  static void updateChanges(zcUITablet& t, Layers layer);
  static void eraseLayer(zcUITablet& t, const zcUIRect& r, Layers layer);
  static std::uint32_t nextStamp() { return ++zcUITablet::timeStamp_; }
  static zcUISketch& sketch(zcUITablet& t) { return t.sketch_; }
  static void restoreMap(zcUITablet& t, const zcXform<2>& scaledMap, const zcPair<long>& dragDel) {
    t.scaledMap_ = scaledMap;
    t.dragDel_ = dragDel;
  }

  // Scope compounds (lock push / pop) and suspended recording, undone on every exit.
  class Compound {
  public:
    Compound(zcUITablet& t, Layers layer) : t_(t), layer_(layer) { t_.lockScreenUpdatesPush(true, layer_); }
    ~Compound() { t_.lockScreenUpdatesPop(layer_); }
    Compound(const Compound&) = delete;
    Compound& operator=(const Compound&) = delete;

  private:
    zcUITablet& t_;
    Layers layer_;
  };
  class NoRecording {
  public:
    explicit NoRecording(zcUITablet& t) : stack_(t.recordOn()) { stack_.push(false); }
    ~NoRecording() { stack_.pop(); }
    NoRecording(const NoRecording&) = delete;
    NoRecording& operator=(const NoRecording&) = delete;

  private:
    zcFlagStack& stack_;
  };
};
