// A screen tablet that repaints what it was asked to draw: every call made through
// paint() is drawn on the tablet and recorded into a sketch it holds, and redraw_()
// replays that sketch on the layers being updated.
//
//   zcSketchTablet root(&screen.image(), &screen.overlay());
//   root.paint([](zcUITablet& t) { t.set(zcColor::blue, zcUITablet::eImage); });
//   zcSketchTablet kid(root, zcUIRect(10, 10, 30, 20));
//   kid.visible(true);                       // replays its sketch
#pragma once

#include "dispc/uitablet.h"

#include <utility>

class zcSketchTablet : public zcUITablet {
public:
  using zcUITablet::zcUITablet;

  // Draws f on this tablet and adds it to the held sketch.
  template <class F>
  void paint(F&& f) {
    f(static_cast<zcUITablet&>(*this));
    f(recorder_);
  }
  const zcUISketch& held() const { return recorder_.sketch(); }
  void hold(const zcUISketch& sketch) { recorder_.sketch() = sketch; }
  int redraws = 0;

protected:
  void redraw_() override {
    ++redraws;
    draw(recorder_.sketch(), zcPoint(), updateLayers());
  }

private:
  zcUITablet recorder_;
};
