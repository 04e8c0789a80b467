// What the tablet's source files share: recording, properties of the color forms,
// and the guards that suspend recording or hold a scope compound.
#pragma once

#include "dispc/uitablet.h"

#include "dispc/uierror.h"

#include "sketch/sketchkinds.h"

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
  static const zcGraphicProps& defaultProps();

  // Appends one operation when recording is on: the properties block (when they
  // changed), the header with the layer as given and `color`, and the payload. The
  // opcode is the record class's (its filled form's when `filled`). An operation is
  // appended whole or not at all.
  template <class R>
  static void record(zcUITablet& t, Layers layer, const zcGraphicProps& props, const zcColor& color,
                     const R& payload) {
    recordOperation(t, zc_sketch::opcodeOf<R>(), layer, props, color, payload);
  }
  template <class R>
  static void record(zcUITablet& t, Layers layer, const zcGraphicProps& props, const R& payload,
                     bool filled = false) {
    recordOperation(t, zc_sketch::opcodeOf<R>(filled), layer, props, props.penColor(), payload);
  }
  static void recordOperation(zcUITablet& t, long opcode, Layers layer, const zcGraphicProps& props,
                              const zcColor& color, const zc_UISketchOpData& payload);

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
