// A program that uses the display core only (no symbol of the foundation library):
// records one point into a sketch.
#include "dispc/color.h"
#include "dispc/uitablet.h"

#include <iostream>

int main() {
  zcUITablet recorder;
  recorder.draw(zcPoint(10, 20), zcColor::green, zcUITablet::eImage);
  if (recorder.sketch().size() <= 0) return 1;
  std::cout << "core_consumer: sketch of " << recorder.sketch().size() << " bytes\n";
  return 0;
}
