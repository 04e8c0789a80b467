// The demo's synthetic image: SMD bodies rendered into an 8-bit image side by side in
// the default coverage mode (left) and the exact one (right), and once more under a
// perspective map through the general renderer, written as synthetic.png.
#include "commands.h"

#include "dispc/wrfm/smdpoly.h"
#include "dispc/wrfm/synth.h"

#include "zscreen/png.h"

#include <cstdio>
#include <filesystem>

namespace {

zcSMDGDPoly body(const std::vector<zcSMDGDPolyVertex>& list) {
  zcSMDGDPoly p;
  for (const zcSMDGDPolyVertex& v : list) p << v;
  p.close();
  return p;
}

zcSMDGDPolyVertex at(double x, double y, double radius = 0.0, double span = 0.0) {
  return zcSMDGDPolyVertex(zcPoint(x, y), radius, zcDegree(span), 0.5, 0.5, -1, zcDimTol());
}

}  // namespace

bool zfDemoSynthetic(const std::string& dir) {
  // A chip body with rounded corners, a round pad, and a tab with an arc side.
  const std::vector<zcSMDGDPoly> bodies = {
      body({at(12.3, 14.6, 9), at(150.2, 14.6, 9), at(150.2, 96.1, 9), at(12.3, 96.1, 9)}),
      zcSMDGDPoly::circle(36.4, zcPoint(70.2, 170.7)),
      body({at(120.4, 128.2), at(160.7, 140.1, 4), at(166.3, 231.9, 0, 35), at(122.5, 220.4, 6)})};
  zcPelBuffer<unsigned char> image(3 * 176, 248, 40);
  const unsigned char levels[] = {200, 160, 230};
  for (int panel = 0; panel < 3; ++panel) {
    const zcXform<2> shift = zcXform<2>::translation(zcVector<2>(176.0 * panel, 0));
    for (std::size_t i = 0; i < bodies.size(); ++i) {
      if (panel < 2) {
        zcSMDGDPolyPrivate::drawSynthetic(bodies[i], shift, image, levels[i], true, true,
                                          panel == 0 ? eNeighbourBlend : eExactCoverage);
      } else {
        const zc2XformBasePtr lens(new zc2XformProjective({0.85, 0.12, 362, -0.04, 0.9, 14, 0.0005, 0.0004, 1}));
        zcSMDGDPolyPrivate::drawSynthetic(bodies[i], lens, image, levels[i]);
      }
    }
  }
  const std::string path = (std::filesystem::path(dir) / "synthetic.png").string();
  zfWritePngGray(path, image);
  std::printf("synthetic %s: %ldx%ld (neighbour blend, exact coverage, perspective)\n", path.c_str(), image.width(),
              image.height());
  return true;
}
