// The shape graphics: zcGraphicBuiltin<S>, zcGraphicSimple<S>, zcGraphicWithFill<S, F>,
// defined once and instantiated for the kinds of the tables in dispc/glist.h.
//
// What differs by kind is chosen by overload: the tablet call is the tablet's draw
// overload for S, the archive form the archive's operator for S (the persistent-object
// form, or the kind's own operator where it has one), the typed map S::map.
#include "glist/glist_private.h"

#include "zfound/archive.h"
#include "zfound/xformbase.h"

#include <string>
#include <type_traits>

namespace {

// The registered name of each shape kind, spelled as in the tables.
template <class S>
struct ShapeName;
#define ZC_GRAPHIC_SHAPE_NAME(S)                     \
  template <>                                        \
  struct ShapeName<S> {                              \
    static constexpr const char* value = #S;         \
  };
ZC_GRAPHIC_SHAPE_NAME(zcPoint)
ZC_GRAPHIC_SHAPE_NAME(zc2Point)
ZC_GRAPHIC_SHAPE_NAME(zcLineSeg)
ZC_GRAPHIC_SHAPE_NAME(zcLine)
ZC_GRAPHIC_SHAPE_NAME(zcFLine)
ZC_GRAPHIC_SHAPE_NAME(zcLineSegSet)
ZC_GRAPHIC_SHAPE_NAME(zcPointSet)
ZC_GRAPHIC_SHAPE_NAME(zcPolyline)
ZC_GRAPHIC_SHAPE_NAME(zcPolygon)
ZC_GRAPHIC_SHAPE_NAME(zcEllipseArc)
ZC_GRAPHIC_SHAPE_NAME(zcEllipseArc2)
ZC_GRAPHIC_SHAPE_NAME(zcGenAnnulus)
ZC_GRAPHIC_SHAPE_NAME(zcAffineRectangle)
ZC_GRAPHIC_SHAPE_NAME(zcCoordAxes)
ZC_GRAPHIC_SHAPE_NAME(zcGenPoly)
ZC_GRAPHIC_SHAPE_NAME(zc2Wireframe)
ZC_GRAPHIC_SHAPE_NAME(zcBezierCurve)
ZC_GRAPHIC_SHAPE_NAME(zcDeBoorSpline)
ZC_GRAPHIC_SHAPE_NAME(zcInterpSpline)
ZC_GRAPHIC_SHAPE_NAME(zcHermiteSpline)
ZC_GRAPHIC_FILL_ONLY_KINDS(ZC_GRAPHIC_SHAPE_NAME)
#undef ZC_GRAPHIC_SHAPE_NAME

// The names stay alive for the registry: built once, never freed before unloading.
template <class S>
const char* simpleName() {
  static const std::string name = std::string("zcGraphicSimple<") + ShapeName<S>::value + ">";
  return name.c_str();
}

template <class S, class F>
const char* fillName() {
  static const std::string name =
      std::string("zcGraphicWithFill<") + ShapeName<S>::value + "," + ShapeName<F>::value + ">";
  return name.c_str();
}

[[noreturn]] void unknownVersion(const zcGraphic& g) {
  throw zcArchive::UnknownVersion(zcGraphicPrivate::className(g), 0);
}

// The shape protocol for the kinds that are plain points.
zcRect boxOf(const zcPoint& p) { return zcRect().enclose(p); }
zcRect boxOf(const zcShape& s) { return s.boundingBox(); }
double distanceOf(const zcPoint& a, const zcPoint& p) { return a.distance(p); }
template <class S>
double distanceOf(const S& s, const zcPoint& p) {
  return s.distToPoint(p);
}

template <class S>
S mapped(const S& s, const zcXform<2>& x) {
  return s.map(x);
}
zcPoint mapped(const zcPoint& p, const zcXform<2>& x) { return x.mapPoint(p); }
zcEllipseArc2 mapped(const zcEllipseArc2& arc, const zcXform<2>& x) { return arc.map(zc2XformLinear(x)); }

}  // namespace

// --- zcGraphicBuiltin ------------------------------------------------------------------------

template <class S>
zcGraphicBuiltin<S>::zcGraphicBuiltin() = default;
template <class S>
zcGraphicBuiltin<S>::zcGraphicBuiltin(const S& shape, const zcColor& color) : zcGraphic(color), shape_(shape) {}
template <class S>
zcGraphicBuiltin<S>::zcGraphicBuiltin(const S& shape, const zcGraphicProps& props) : zcGraphic(props), shape_(shape) {}
template <class S>
zcGraphicBuiltin<S>::zcGraphicBuiltin(const zcGraphicBuiltin& other) = default;
template <class S>
zcGraphicBuiltin<S>& zcGraphicBuiltin<S>::operator=(const zcGraphicBuiltin& other) {
  zcGraphic::operator=(other);
  shape_ = other.shape_;
  return *this;
}
template <class S>
zcGraphicBuiltin<S>::~zcGraphicBuiltin() = default;

template <class S>
S& zcGraphicBuiltin<S>::item() {
  this->mutating_();
  return shape_;
}

template <class S>
zcRect zcGraphicBuiltin<S>::encloseRect() const {
  try {
    return boxOf(shape_);
  } catch (const zcShapesError::DegenerateShape&) {
    return zcRect();
  }
}

template <class S>
double zcGraphicBuiltin<S>::distToPoint(const zcVector<2>& p) const {
  return distanceOf(shape_, p);
}

template <class S>
void zcGraphicBuiltin<S>::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcGraphicBuiltin", 0,
                   [&](unsigned char v) { zcGraphicBuiltin::serialize_(archive, v); });
}

template <class S>
void zcGraphicBuiltin<S>::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) unknownVersion(*this);
  zcGraphic::dispatchSerialize(archive);
  archive || shape_;
}

// --- zcGraphicSimple ---------------------------------------------------------------------------

template <class S>
zcGraphicSimple<S>::zcGraphicSimple() = default;
template <class S>
zcGraphicSimple<S>::zcGraphicSimple(const S& shape, const zcColor& color) : zcGraphicBuiltin<S>(shape, color) {}
template <class S>
zcGraphicSimple<S>::zcGraphicSimple(const S& shape, const zcGraphicProps& props)
    : zcGraphicBuiltin<S>(shape, props) {}
template <class S>
zcGraphicSimple<S>::zcGraphicSimple(const zcGraphicSimple& other) = default;
template <class S>
zcGraphicSimple<S>& zcGraphicSimple<S>::operator=(const zcGraphicSimple& other) {
  zcGraphicBuiltin<S>::operator=(other);
  return *this;
}
template <class S>
zcGraphicSimple<S>::~zcGraphicSimple() = default;

template <class S>
zcPtrHandle<zcGraphic> zcGraphicSimple<S>::map(const zcXform<2>& x) const {
  return zcPtrHandle<zcGraphic>(new zcGraphicSimple(mapped(this->item(), x), this->props()));
}

template <class S>
zcPtrHandle<zcGraphic> zcGraphicSimple<S>::clone() const {
  return zcPtrHandle<zcGraphic>(new zcGraphicSimple(*this));
}

template <class S>
void zcGraphicSimple<S>::draw(void* context) const {
  zcGraphic::draw(context);
}

template <class S>
void zcGraphicSimple<S>::draw(zcUITablet& tablet, zcUITablet::Layers layer) const {
  tablet.draw(this->item(), this->props(), layer);
}

template <class S>
zcPersistent* zcGraphicSimple<S>::make() {
  return new zcGraphicSimple;
}

template <class S>
zcGraphicSimple<S>::Instantiator::Instantiator()
    : zc_Instantiator(typeid(zcGraphicSimple<S>), simpleName<S>(), &zcGraphicSimple<S>::make) {}

template <class S>
const typename zcGraphicSimple<S>::Instantiator zcGraphicSimple<S>::sExemplar;

template <class S>
void zcGraphicSimple<S>::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcGraphicSimple", 0,
                   [&](unsigned char v) { zcGraphicSimple::serialize_(archive, v); });
}

template <class S>
void zcGraphicSimple<S>::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) unknownVersion(*this);
  zcGraphicBuiltin<S>::dispatchSerialize(archive);
}

// --- zcGraphicWithFill ---------------------------------------------------------------------------

template <class S, class F>
zcGraphicWithFill<S, F>::zcGraphicWithFill() = default;
template <class S, class F>
zcGraphicWithFill<S, F>::zcGraphicWithFill(const S& shape, const zcColor& color, bool fill)
    : zcGraphicBuiltin<S>(shape, color) {
  this->props().fill(fill);
}
template <class S, class F>
zcGraphicWithFill<S, F>::zcGraphicWithFill(const S& shape, const zcGraphicProps& props)
    : zcGraphicBuiltin<S>(shape, props) {}
template <class S, class F>
zcGraphicWithFill<S, F>::zcGraphicWithFill(const zcGraphicWithFill& other) = default;
template <class S, class F>
zcGraphicWithFill<S, F>& zcGraphicWithFill<S, F>::operator=(const zcGraphicWithFill& other) {
  zcGraphicBuiltin<S>::operator=(other);
  return *this;
}
template <class S, class F>
zcGraphicWithFill<S, F>::~zcGraphicWithFill() = default;

template <class S, class F>
zcPtrHandle<zcGraphic> zcGraphicWithFill<S, F>::map(const zcXform<2>& x) const {
  if constexpr (std::is_same_v<F, zcEllipse>) {
    return zcPtrHandle<zcGraphic>(new zcGraphicWithFill<zcEllipse, zcEllipse>(this->item().map(x), this->props()));
  } else {
    const zcShapePtr image = this->item().mapShape(x);
    if (!image) throw zcBadPointer(L"a shape mapped to nothing");
    if (const auto* f = dynamic_cast<const F*>(image.rep()))
      return zcPtrHandle<zcGraphic>(new zcGraphicWithFill<F, F>(*f, this->props()));
    if (const auto* s = dynamic_cast<const S*>(image.rep()))
      return zcPtrHandle<zcGraphic>(new zcGraphicWithFill(*s, this->props()));
    throw zcShapesError::DegenerateShape(L"a shape mapped to a kind its graphic cannot hold");
  }
}

template <class S, class F>
zcPtrHandle<zcGraphic> zcGraphicWithFill<S, F>::clone() const {
  return zcPtrHandle<zcGraphic>(new zcGraphicWithFill(*this));
}

template <class S, class F>
void zcGraphicWithFill<S, F>::draw(void* context) const {
  zcGraphic::draw(context);
}

template <class S, class F>
void zcGraphicWithFill<S, F>::draw(zcUITablet& tablet, zcUITablet::Layers layer) const {
  tablet.draw(this->item(), this->props(), layer);
}

template <class S, class F>
zcPersistent* zcGraphicWithFill<S, F>::make() {
  return new zcGraphicWithFill;
}

template <class S, class F>
zcGraphicWithFill<S, F>::Instantiator::Instantiator()
    : zc_Instantiator(typeid(zcGraphicWithFill<S, F>), fillName<S, F>(), &zcGraphicWithFill<S, F>::make) {}

template <class S, class F>
const typename zcGraphicWithFill<S, F>::Instantiator zcGraphicWithFill<S, F>::sExemplar;

template <class S, class F>
void zcGraphicWithFill<S, F>::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcGraphicWithFill", 1,
                   [&](unsigned char v) { zcGraphicWithFill::serialize_(archive, v); });
}

template <class S, class F>
void zcGraphicWithFill<S, F>::serialize_(zcArchive& archive, unsigned char version) {
  if (version > 1) unknownVersion(*this);
  zcGraphicBuiltin<S>::dispatchSerialize(archive);
  if (version == 0) {
    bool fill = false;
    archive || fill;
    this->props().fill(fill);
  }
}

// --- The instances ---------------------------------------------------------------------------

#define ZC_GRAPHIC_DEFINE_BUILTIN(S) template class zcGraphicBuiltin<S>;
#define ZC_GRAPHIC_DEFINE_SIMPLE(S) ZC_GRAPHIC_DEFINE_BUILTIN(S) template class zcGraphicSimple<S>;
#define ZC_GRAPHIC_DEFINE_FILL(S, F) template class zcGraphicWithFill<S, F>;
ZC_GRAPHIC_SIMPLE_KINDS(ZC_GRAPHIC_DEFINE_SIMPLE)
ZC_GRAPHIC_FILL_ONLY_KINDS(ZC_GRAPHIC_DEFINE_BUILTIN)
ZC_GRAPHIC_FILL_KINDS(ZC_GRAPHIC_DEFINE_FILL)
