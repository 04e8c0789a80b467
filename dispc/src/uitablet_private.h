// What the tablet's source files share: recording, properties of the color forms,
// and the guards that suspend recording or hold a scope compound.
#pragma once

#include "dispc/uitablet.h"

#include "dispc/uierror.h"

#include "sketch/sketchkinds.h"
#include "sketch/sketchpayload.h"

#include <cassert>
#include <optional>
#include <tuple>

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
  // The properties that calls without properties record.
  static const zcGraphicProps& defaultProps() {
    static const zcGraphicProps props;
    return props;
  }

  // Appends one operation when recording is on: the properties block (when they
  // changed), the header with the layer as given and the color, and the payload of
  // record class R written from `values` by R's payload description (no record is
  // built). The opcode is R's (its filled form's for recordFilled when the properties
  // fill). The color is the properties' pen color unless given (recordColor). An
  // operation is appended whole or not at all.
  template <class R, class... V>
  static void record(zcUITablet& t, Layers layer, const zcGraphicProps& props, const V&... values) {
    recordAs<R, false>(t, layer, props, props.penColor(), values...);
  }
  template <class R, class... V>
  static void recordFilled(zcUITablet& t, Layers layer, const zcGraphicProps& props, const V&... values) {
    recordAs<R, true>(t, layer, props, props.penColor(), values...);
  }
  template <class R, class... V>
  static void recordColor(zcUITablet& t, Layers layer, const zcGraphicProps& props, const zcColor& color,
                          const V&... values) {
    recordAs<R, false>(t, layer, props, color, values...);
  }
  // The same properties (the common case) and new ones take paths of their own.
  template <class R, bool Filled, class... V>
  static void recordAs(zcUITablet& t, Layers layer, const zcGraphicProps& props, const zcColor& color,
                       const V&... values) {
    if (!t.recordOn_) return;
    if (props == t.sketch_.props()) return append<R, Filled, false>(t, layer, props, color, values...);
    append<R, Filled, true>(t, layer, props, color, values...);
  }
  // The operation, after a properties block when Block (remembered only once the
  // operation is whole). The payload's length is the kind's fixed length, or what its
  // description writes for these values; the block, the header and the payload then
  // go into one piece of room, which nothing can fail to fill (the sizer ran the
  // same description over the same values).
  template <class R, bool Filled, bool Block, class... V>
  [[gnu::always_inline]] static void append(zcUITablet& t, Layers layer, const zcGraphicProps& props,
                                            const zcColor& color, const V&... values) {
    zcUISketch& s = t.sketch_;
    long payload = zc_sketch::KindOf<R, false>::kFixedLength;
    if constexpr (zc_sketch::KindOf<R, false>::kFixedLength < 0) {
      zc_SketchSizer size;
      zc_sketch::Payload<R>::fields(size, values...);
      payload = static_cast<long>(size.size());
    }
    const long n = (Block ? zcUISketch::kPropsBlockSize : 0) + zcUISketch::kHeaderSize + payload;
    // Growing is the one step that can fail, and the one call: out of line, where it
    // starts the operation over, so that the common path needs no stack frame.
    if (!s.hasRoom_(n))
      return appendGrowing<R, Filled>(
          n, std::tuple<zcUITablet&, Layers, const zcGraphicProps&, const zcColor&, const V&...>(t, layer, props,
                                                                                                 color, values...));
    unsigned char* room = s.appendInRoom_(n);
    if constexpr (Block) {
      zcUISketch::storeBlock_(room, zcUISketch::kPropsOpcode, props);
      room += zcUISketch::kPropsBlockSize;
    }
    zc_SketchWriter out(room);
    out || static_cast<unsigned char>(zc_sketch::opcodeOf<R>(Filled && props.fill()))
        || static_cast<unsigned char>(layer) || color;
    zc_sketch::Payload<R>::fields(out, values...);
    assert(out.at() == s.data() + s.size());
    if constexpr (Block) s.props(props);
  }

  // recordAs over again once the sketch has room for the n bytes it appends.
  template <class R, bool Filled, class Args>
  [[gnu::cold, gnu::noinline]] static void appendGrowing(long n, const Args& args) {
    std::get<0>(args).sketch_.reserveMore_(n);
    std::apply([](auto&... a) { recordAs<R, Filled>(a...); }, args);
  }

  // A drawing call: paint(t, layer, args...) when the layer may be drawn on, then
  // record(t, layer, args...), which records when recording is on. Both are lambdas
  // without captures. Recording is inlined here whole, painting stays out of line:
  // a tablet that is not visible (and so paints nothing) records without a stack
  // frame.
  template <class Paint, class Record, class... A>
  [[gnu::noinline, gnu::flatten]] static void paintAndRecord(zcUITablet& t, Layers layer, Paint paint, Record record,
                                                             const A&... args) {
    if (t.visible()) return paintThenRecord(t, layer, paint, record, args...);
    record(t, layer, args...);
  }
  template <class Paint, class Record, class... A>
  [[gnu::noinline]] static void paintThenRecord(zcUITablet& t, Layers layer, Paint paint, Record record,
                                                const A&... args) {
    if (t.okToDraw(layer)) paint(t, layer, args...);
    record(t, layer, args...);
  }

  // draw(zcLineSeg) from its end points (replay hands them as it read them): the
  // mapped segment to the scope, the end points to the sketch.
  static void drawSegment(zcUITablet& t, const zcPoint& p1, const zcPoint& p2, const zcGraphicProps& props,
                          Layers layer);

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
