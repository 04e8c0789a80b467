// A screen tablet that repaints what it was asked to draw: paint() draws on the tablet
// and adds the same calls to a sketch it holds, which redraw_() replays.
#pragma once

#include "dispc/uitablet.h"

class zcSketchTablet : public zcUITablet {
 public:
  using zcUITablet::zcUITablet;
  template <class F>
  void paint(F&& f) {
    f(static_cast<zcUITablet&>(*this));
    f(recorder_);
  }
  zcUISketch& held() { return recorder_.sketch(); }

 protected:
  void redraw_() override { draw(recorder_.sketch(), zcPoint(), updateLayers()); }

 private:
  zcUITablet recorder_;
};
