// The graphic base: properties, the tablet's drawing of a graphic, the factory for
// shapes and the base part of the archive form.
#include "glist/glist_private.h"

#include "dispc/uierror.h"

#include "zfound/archive.h"
#include "zfound/trees.h"

#include <utility>

// --- zcGraphic ---------------------------------------------------------------------------

zcGraphic::zcGraphic() = default;
zcGraphic::zcGraphic(const zcColor& color) : props_(color, 1, zcGraphicProps::ePenStyleDefault, false) {}
zcGraphic::zcGraphic(const zcGraphicProps& props) : props_(props) {}
zcGraphic::zcGraphic(const zcGraphic& other)
    : zcPersistent(other), zcRepBase(other), props_(other.props_), builtin_(other.builtin_) {}

zcGraphic& zcGraphic::operator=(const zcGraphic& other) {
  mutating_();
  props_ = other.props_;
  builtin_ = other.builtin_;
  return *this;
}

zcGraphic::~zcGraphic() = default;

bool zcGraphic::isNull() const { return false; }
void zcGraphic::draw(void*) const {}
void zcGraphic::setProps_(const zcGraphicProps&) {}

void zcGraphic::props(const zcGraphicProps& p) {
  mutating_();
  props_ = p;
  setProps_(p);
}

void zcGraphic::color(const zcColor& c) {
  mutating_();
  props_.penColor(c);
  setProps_(props_);
}

void zcGraphic::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcGraphic", 1, [&](unsigned char v) { zcGraphic::serialize_(archive, v); });
}

void zcGraphic::serialize_(zcArchive& archive, unsigned char version) {
  if (version > 1) throw zcArchive::UnknownVersion(zkGraphicModule, __LINE__);
  zcPersistent::dispatchSerialize(archive);
  if (version == 1) {
    archive || props_;
    return;
  }
  zcColor color;
  archive || color;
  props_ = zcGraphicProps(color, 1, zcGraphicProps::ePenStyleDefault, false);
}

void zcUITablet::draw(const zcGraphic& graphic, Layers layer) {
  if (!graphic.builtin()) throw zcUIError::NotImplemented();
  graphic.draw(*this, layer);
}

// --- The factory ---------------------------------------------------------------------------

namespace {

using Builder = zcGraphic* (*)(const zcShape&, const zcGraphicProps&);

// The row of kind S: any shape that is an S, its derived kinds included.
template <class S, class G>
zcGraphic* build(const zcShape& shape, const zcGraphicProps& props) {
  const auto* typed = dynamic_cast<const S*>(&shape);
  return typed ? new G(*typed, props) : nullptr;
}

template <class S>
constexpr Builder simple = build<S, zcGraphicSimple<S>>;
template <class S, class F>
constexpr Builder filled = build<S, zcGraphicWithFill<S, F>>;

// The kinds in the order they are tried: a kind derived from another takes the first
// row it matches, so a wireframe becomes the graphic of the generalized polygon it is.
const Builder kRows[] = {
    simple<zc2Point>,                  simple<zcLineSeg>,       simple<zcLine>,
    simple<zcFLine>,                   filled<zcRect, zcGenRect>, filled<zcCircle, zcEllipse2>,
    filled<zcAnnulus, zcGenAnnulus>,   simple<zcEllipseArc2>,   filled<zcEllipse2, zcEllipse2>,
    filled<zcGenRect, zcGenRect>,      simple<zcGenAnnulus>,    simple<zcPolyline>,
    simple<zcGenPoly>,                 simple<zc2Wireframe>,    simple<zcAffineRectangle>,
    simple<zcBezierCurve>,             simple<zcDeBoorSpline>,  simple<zcInterpSpline>,
    simple<zcHermiteSpline>,           filled<zcEllipseAnnulus, zcEllipseAnnulus>,
    build<zcEllipseAnnulusSection, zcGraphicEllipseAnnulusSection>, simple<zcLineSegSet>,
};

}  // namespace

zcPtrHandle<zcGraphic> zcGraphic::makeShapeGraphic(const zcShape* shape, const zcGraphicProps& props) {
  if (!shape) return {};
  if (const auto* tree = dynamic_cast<const zcShapeTree*>(shape)) {
    zcPtrHandle<zcGraphicGroup> group(new zcGraphicGroup);
    group->props(props);
    std::vector<zcPtrHandle<zcGraphic>> items;
    items.reserve(tree->children().size());
    for (const zcShapePtr& child : tree->children()) items.push_back(makeShapeGraphic(child.rep(), props));
    zcGraphicPrivate::adoptItems(*group, std::move(items));
    return group;
  }
  for (const Builder row : kRows)
    if (zcGraphic* made = row(*shape, props)) return zcPtrHandle<zcGraphic>(made);
  throw NoGraphicForShape();
}

zcPtrHandle<zcGraphic> zcGraphic::makeShapeGraphic(const zcShape& shape, const zcGraphicProps& props) {
  return makeShapeGraphic(&shape, props);
}

zcPtrHandle<zcGraphic> zcGraphic::makeShapeGraphic(const zcPtrHandle_const<zcShape>& shape,
                                                   const zcGraphicProps& props) {
  return makeShapeGraphic(shape.rep(), props);
}

// --- Helpers of the module -----------------------------------------------------------------

std::string zcGraphicPrivate::className(const zcGraphic& g) {
  const char* name = zc_Instantiator::nameOf(g);
  return name ? name : "zcGraphic";
}

void zcGraphicPrivate::serializeItem(zcArchive& archive, zcPtrHandle<zcGraphic>& item) {
  zcGraphic* rep = item.rep();
  archive.serializePointerOrNull(rep);
  if (archive.isLoading()) item = zcPtrHandle<zcGraphic>(rep);
}

void zcGraphicPrivate::appendClones(std::vector<zcPtrHandle<zcGraphic>>& to,
                                    const std::vector<zcPtrHandle<zcGraphic>>& from, std::size_t count) {
  to.reserve(to.size() + count);
  for (std::size_t i = 0; i < count; ++i) {
    if (!from[i]) throw zcBadPointer(L"a null graphic cannot be cloned");
    to.push_back(from[i]->clone());
  }
}
