// A program built against an installed prefix: paints one red segment through a
// tablet onto a screen, checks a pel on it and writes the screen as PNG.
#include "dispc/color.h"
#include "dispc/uitablet.h"
#include "zfound/lines.h"
#include "zscreen/screen.h"

#include <iostream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: screen_consumer PNG\n";
    return 2;
  }
  zcScreen screen(32, 16);
  zcUITablet tablet(&screen.image(), &screen.overlay());
  tablet.visible(true);
  tablet.draw(zcLineSeg(zcPoint(0, 5), zcPoint(31, 5)), zcColor::red, zcUITablet::eOverlay);
  const zcRGB on = screen.pel(10, 5);
  const zcRGB off = screen.pel(10, 9);
  if (on != zcRGB(255, 0, 0) || off != zcRGB(0, 0, 0)) {
    std::cerr << "screen_consumer: the segment did not paint as expected\n";
    return 1;
  }
  screen.save(argv[1]);
  std::cout << "screen_consumer: wrote " << argv[1] << '\n';
  return 0;
}
