// Area and length of a contour made of line segments and elliptical arcs, from its
// pieces alone (Green's theorem), to check decompositions against analytic values.
//
//   double a = zc_test::signedArea(*polygon.decompose());   // > 0 counter-clockwise
#pragma once

#include "zfound/conics.h"
#include "zfound/lines.h"
#include "zfound/trees.h"

#include <stdexcept>
#include <typeinfo>

namespace zc_test {

// ½ ∮ (x dy − y dx) over the pieces in order. A segment p → q gives ½ p × q; an arc
// P(t) = c + U (cos t, sin t) from t0 through σ gives ½ (c × (P(t0 + σ) − P(t0)) +
// det U · σ). Contour trees add their pieces; any other kind is refused.
inline double signedArea(const zcShape& s) {
  if (const auto* seg = dynamic_cast<const zcLineSeg*>(&s)) return 0.5 * seg->p1().cross(seg->p2());
  if (const auto* arc = dynamic_cast<const zcEllipseArc2*>(&s)) {
    const zcXform<2>& u = arc->ellFromUnitCirc();
    const zcPoint c = u.trans();
    return 0.5 * (c.cross(arc->endPoint() - arc->startPoint()) + u.determinant() * arc->phiSpan().value());
  }
  if (const auto* tree = dynamic_cast<const zcContourTree*>(&s)) {
    double sum = 0.0;
    for (const zcShapePtr& piece : tree->children()) sum += signedArea(*piece);
    return sum;
  }
  throw std::invalid_argument(std::string("no area rule for ") + typeid(s).name());
}

// The sum of the pieces' own lengths.
inline double pieceLength(const zcShape& s) {
  if (const auto* tree = dynamic_cast<const zcContourTree*>(&s)) {
    double sum = 0.0;
    for (const zcShapePtr& piece : tree->children()) sum += pieceLength(*piece);
    return sum;
  }
  return s.perimeter();
}

}  // namespace zc_test
