// SMD model operations: cropping, building from wireframes and polygons, resolving
// crossing polys, and bounding boxes.
#include "dispc/wrfm/smdmodel.h"

#include "dispc/wrfm/wirefrm.h"

#include "zfound/lines.h"

#include <algorithm>
#include <cstddef>

// --- Cropping -------------------------------------------------------------------------------

zcSMDGDModel zcSMDGDModelPrivate::crop(const zcSMDGDModel& model, const zcSMDGDPoly& cutter, bool keepInside) {
  zcSMDGDModel out;
  for (const zcSMDGDPoly& p : model.polys_) out << zcSMDGDPolyPrivate::crop(p, cutter, keepInside);
  return out;
}

zcSMDGDModel zcSMDGDModelPrivate::crop(const zcSMDGDModel& model, const zcSMDGDModel& a) {
  const std::vector<zcSMDGDPoly>& cutters = a.polys_;
  for (std::size_t i = 0; i < cutters.size(); ++i)
    for (std::size_t j = 0; j < cutters.size(); ++j) {
      if (i == j || cutters[j].numVertices() == 0) continue;
      if (zcSMDGDPolyPrivate::inside(cutters[i], cutters[j].vertices()[0].point())) throw nestedPolys();
    }
  zcSMDGDModel out;
  for (const zcSMDGDPoly& p : model.polys_)
    for (const zcSMDGDPoly& cutter : cutters) out << zcSMDGDPolyPrivate::crop(p, cutter, true);
  return out;
}

zcSMDGDModel zcSMDGDModelPrivate::crop(const zcSMDGDModel& model, const zcPolygon& cutter, bool keepInside) {
  return crop(model, zcSMDGDPolyPrivate::convert(cutter), keepInside);
}

zcSMDGDModel zcSMDGDModelPrivate::crop(const zcSMDGDModel& model, const std::vector<zcPolygon>& cutters) {
  return crop(model, convert(cutters));
}

// --- Building from wireframes and polygons ------------------------------------------------------

namespace {

void checkWeights(const std::vector<zc2Wireframe>& wireframes, const std::vector<double>& weights) {
  if (wireframes.empty() || wireframes.size() != weights.size()) throw zcSMDGDModel::invalidIndex();
  for (double w : weights)
    if (!(w >= -1.0 && w <= 1.0)) throw zcSMDGDModel::invalidIndex();
}

}  // namespace

std::vector<zcXform<2>> zcSMDGDModelPrivate::wireframeXforms(const std::vector<zc2Wireframe>& wireframes,
                                                             const std::vector<double>& weights) {
  checkWeights(wireframes, weights);
  std::vector<zcXform<2>> out;
  for (std::size_t i = 0; i < wireframes.size(); ++i)
    if (weights[i] != 0.0) out.push_back(zcSMDGDPolyPrivate::wireframeXform(wireframes[i]));
  return out;
}

zcSMDGDModel zcSMDGDModelPrivate::weightedWireframesToModel(const std::vector<zc2Wireframe>& wireframes,
                                                            const std::vector<double>& weights) {
  checkWeights(wireframes, weights);
  zcSMDGDModel out;
  for (std::size_t i = 0; i < wireframes.size(); ++i) {
    if (weights[i] == 0.0) continue;
    zcSMDGDPoly p = zcSMDGDPolyPrivate::poly(wireframes[i]);
    p.toggleDirection();
    p.weight(weights[i]);
    out << p;
  }
  return out;
}

zcSMDGDModel zcSMDGDModelPrivate::convert(const std::vector<zcPolygon>& polygons) {
  zcSMDGDModel out;
  for (const zcPolygon& polygon : polygons) out << zcSMDGDPolyPrivate::convert(polygon);
  return out;
}

void zcSMDGDPolyPrivate::crossingPolysResolve(std::vector<zcSMDGDPoly>& out, const std::vector<zcSMDGDPoly>& in) {
  out.clear();
  std::vector<double> perimeters;
  for (const zcSMDGDPoly& p : in) {
    const double length = p.perimeter_(0.0);
    std::vector<bool> meets(out.size());
    bool dropped = false;
    for (std::size_t k = 0; k < out.size() && !dropped; ++k) {
      meets[k] = !p.intersection_(out[k]).empty();
      dropped = meets[k] && perimeters[k] >= length;
    }
    if (dropped) continue;
    std::size_t kept = 0;
    for (std::size_t k = 0; k < out.size(); ++k) {
      if (meets[k]) continue;
      out[kept] = out[k];
      perimeters[kept++] = perimeters[k];
    }
    out.resize(kept);
    perimeters.resize(kept);
    out.push_back(p);
    perimeters.push_back(length);
  }
}

// --- Boxes ------------------------------------------------------------------------------------------

namespace {

// The boxes of the admitted polys enclosed in order; box(i) gives poly i's.
template <class Admit, class Box>
zcRect enclosedBoxes(const std::vector<zcSMDGDPoly>& polys, Admit admit, Box box) {
  zcRect out;
  for (std::size_t i = 0; i < polys.size(); ++i)
    if (admit(polys[i])) out.enclose(box(i));
  return out;
}

bool any(const zcSMDGDPoly&) { return true; }

}  // namespace

zcRect zcSMDGDModel::boundingBox(const zcXform<2>& xform) const {
  return enclosedBoxes(polys_, any, [&](std::size_t i) { return polys_[i].boundingBox(xform); });
}

zcRect zcSMDGDModelPrivate::boundingBox(const zcSMDGDModel& model, const std::vector<zcXform<2>>& xforms,
                                        const zcXform<2>& xform) {
  if (xforms.size() != model.polys_.size()) throw invalidIndex();
  return enclosedBoxes(model.polys_, any, [&](std::size_t i) { return model.polys_[i].boundingBox(xform * xforms[i]); });
}

zcRect zcSMDGDModelPrivate::boundingBoxNeg(const zcSMDGDModel& model, const zcXform<2>& xform) {
  return enclosedBoxes(model.polys_, any,
                       [&](std::size_t i) { return zcSMDGDPolyPrivate::boundingBoxNeg(model.polys_[i], xform); });
}

zcRect zcSMDGDModelPrivate::boundingBoxPositive(const zcSMDGDModel& model, const std::vector<zcXform<2>>& xforms,
                                                const zcXform<2>& xform) {
  if (xforms.size() != model.polys_.size()) throw invalidIndex();
  const auto admit = [](const zcSMDGDPoly& p) { return p.weight() >= 0.0; };
  if (std::none_of(model.polys_.begin(), model.polys_.end(), admit)) throw invalidIndex();
  return enclosedBoxes(model.polys_, admit, [&](std::size_t i) { return model.polys_[i].boundingBox(xform * xforms[i]); });
}
