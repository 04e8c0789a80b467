// The tablet's state: construction, maps, coordinates, visibility, locks, the
// drawing step and the recording protocol.
#include "dispc/uitablet.h"

#include "uitablet_private.h"

#include "dispc/uierror.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::uint32_t zcUITablet::timeStamp_ = 1;

namespace {
using zc_tablet::checkLayer;
using zc_tablet::forLayers;
}  // namespace

// --- Construction ------------------------------------------------------------------------

zcUITablet::zcUITablet() : drawOn_(false), recordOn_(true), drawOnOverlay_(false) {}

zcUITablet::zcUITablet(zcUIScope* image, zcUIScope* overlay)
    : drawScope_{image, overlay},
      ownScope_{image, overlay},
      drawOn_(true),
      recordOn_(false),
      drawOnOverlay_(true) {
  zcPair<long> size;
  for (zcUIScope* s : ownScope_) {
    if (!s) continue;
    const zcPair<long> sz = s->size();
    size = zcPair<long>(std::max(size.x(), sz.x()), std::max(size.y(), sz.y()));
  }
  scopeRect_ = zcUIRect(zcPair<long>(), size);
  setMap();
}

zcUITablet::zcUITablet(zcUITablet& parent, const zcUIRect& r)
    : drawOn_(true), recordOn_(false), drawOnOverlay_(true), parent_(&parent) {
  scopeRect_ = r;
  scopeOrg_ = zcPair<long>(parent.scopeOrg_.x() + r.left(), parent.scopeOrg_.y() + r.top());
  try {
    for (int l = 0; l < 2; ++l) {
      if (!parent.ownScope_[l]) continue;
      ownScope_[l] = drawScope_[l] = parent.ownScope_[l]->makeKidScope(r, false);
      ownsScope_[l] = ownScope_[l] != nullptr;
    }
  } catch (...) {
    for (int l = 0; l < 2; ++l)
      if (ownsScope_[l]) delete ownScope_[l];
    throw;
  }
  parent.kids_.push_back(this);
  sibling_ = std::prev(parent.kids_.end());
}

zcUITablet::zcUITablet(const zcUITablet& other) { copyState_(other); }

zcUITablet& zcUITablet::operator=(const zcUITablet& other) {
  if (this != &other) copyState_(other);
  return *this;
}

void zcUITablet::copyState_(const zcUITablet& other) {
  // Copies are for recorders: sharing scopes or tree links would leave two owners.
  auto inTree = [](const zcUITablet& t) { return t.ownScope_[0] || t.ownScope_[1] || t.parent_ || !t.kids_.empty(); };
  if (inTree(other) || inTree(*this)) throw zcUIError::NotAvailable();
  // The sketch first: it is the one copy that can fail (allocation), and a failed
  // growth leaves it as it was. It is assigned as a sketch value: a new copy remembers
  // the default properties, an assigned one keeps those it remembered.
  sketch_ = other.sketch_;
  baseMap_ = other.baseMap_;
  scaleMode_ = other.scaleMode_;
  scaledMap_ = other.scaledMap_;
  scaleExact_ = other.scaleExact_;
  scopeRect_ = other.scopeRect_;
  scopeOrg_ = other.scopeOrg_;
  dragDel_ = other.dragDel_;
  drawOn_ = other.drawOn_;
  recordOn_ = other.recordOn_;
  drawOnOverlay_ = other.drawOnOverlay_;
  updateLayers_ = other.updateLayers_;
  interpolation_ = other.interpolation_;
  hidden_ = other.hidden_;
  stamp_ = other.stamp_;
  redrawStamp_ = other.redrawStamp_;
  clipRects_[0] = other.clipRects_[0];
  clipRects_[1] = other.clipRects_[1];
}

void zcUITabletPrivate::dropScopes(zcUITablet& t) {
  // Deepest first: each scope was made from its parent tablet's.
  for (zcUITablet* kid : t.kids_) dropScopes(*kid);
  for (int l = 0; l < 2; ++l) {
    if (t.ownsScope_[l]) delete t.ownScope_[l];
    t.ownScope_[l] = t.drawScope_[l] = nullptr;
    t.ownsScope_[l] = false;
  }
}

zcUITablet::~zcUITablet() {
  // Off the screen first: an ancestor repaints what it covered. A destructor cannot
  // report a painting failure; the tree is taken apart all the same.
  try {
    if (visible_(false)) erase(zcUIRect(zcPair<long>(), scopeRect_.sz()), eBothLayers);
  } catch (...) {
  }
  if (parent_) parent_->kids_.erase(sibling_);
  // The kids become roots without the scopes that came from this tablet's.
  for (zcUITablet* kid : kids_) {
    kid->parent_ = nullptr;
    zcUITabletPrivate::dropScopes(*kid);
  }
  for (int l = 0; l < 2; ++l)
    if (ownsScope_[l]) delete ownScope_[l];
}

// --- State ------------------------------------------------------------------------------

zcUIScope* zcUITablet::drawingScope(Layers layer) const {
  checkLayer(layer, 1);
  return drawScope_[layer];
}

const zcRect& zcUITablet::clipRect(Layers layer) const {
  checkLayer(layer, 1);
  return clipRects_[layer];
}

// --- Maps -------------------------------------------------------------------------------

zcPair<long> zcUITablet::scale() const {
  auto axis = [](double f) { return static_cast<long>(f >= 1.0 ? f : 1.0 / f); };
  return zcPair<long>(axis(scaleExact_.x()), axis(scaleExact_.y()));
}

void zcUITablet::setMap() {
  const double x = scaleExact_.x(), y = scaleExact_.y();
  zcMatrix<2> factors(1, 0, 0, 1);
  if (scaleMode_ == eMagnify) {
    factors = zcMatrix<2>(x, 0, 0, y);
  } else if (scaleMode_ == eReduce) {
    factors = x > 1.0 && y > 1.0 ? zcMatrix<2>(1.0 / x, 0, 0, 1.0 / y) : zcMatrix<2>(x, 0, 0, y);
  }
  scaledMap_ = zcXform<2>(factors, zcVector<2>()) * baseMap_;
  dragDel_ = zcPair<long>();
}

void zcUITablet::newMap() {
  setMap();
  for (zcUITablet* kid : kids_) kid->parentMapChanged();
  redraw(eBothLayers);
}

void zcUITablet::baseMap(const zcXform<2>& map) {
  if (!zfIsFinite(map)) throw zcUIError::BadParams();
  // Pixels must map back to client coordinates.
  if (map.determinant() == 0.0) throw zcMathError::Singular();
  baseMap_ = map;
  newMap();
}

void zcUITablet::scaleMode(ScaleModes mode) {
  if (mode < eNoScale || mode > eReduce) throw zcUIError::BadParams();
  scaleMode_ = mode;
  newMap();
}

void zcUITablet::scale(const zcPair<long>& factors) {
  if (factors.x() <= 0 || factors.y() <= 0) throw zcUIError::BadParams();
  scaleExact_ = zcPair<double>(static_cast<double>(factors.x()), static_cast<double>(factors.y()));
  newMap();
}

void zcUITablet::scaleExact(const zcPair<double>& factors) {
  const double x = factors.x(), y = factors.y();
  if (!std::isfinite(x) || !std::isfinite(y) || x <= 0.0 || y <= 0.0) throw zcUIError::BadParams();
  scaleExact_ = factors;
  scaleMode_ = std::abs(1.0 - x) <= 1e-6 ? eNoScale : x > 1.0 ? eMagnify : eReduce;
  newMap();
}

void zcUITablet::interpolation(InterpolationModes mode) {
  if (mode == interpolation_) return;
  interpolation_ = mode;
  fullDraw(eBothLayers);
}

// --- Coordinates ------------------------------------------------------------------------

zcPair<long> zcUITablet::scopeCoords(const zcPoint& p) const {
  const zcPoint m = scaledMap_.mapPoint(p);
  return zcPair<long>(zcUIScope::floorTol(m.x()), zcUIScope::floorTol(m.y()));
}

zcPair<long> zcUITablet::screenCoords(const zcPoint& p) const {
  const zcPair<long> s = scopeCoords(p);
  return zcPair<long>(s.x() + scopeOrg_.x(), s.y() + scopeOrg_.y());
}

zcPoint zcUITablet::tabletCoords(const zcPair<long>& p) const {
  return scaledMap_.inverse().mapPoint(zcPoint(static_cast<double>(p.x()), static_cast<double>(p.y())));
}

// Constant-initialized: valid before any dynamic initialization runs.
const zcPoint zcUITablet::drawPointArg_(0.0, 0.0);

zcPoint zcUITablet::drawingPoint(Layers layer) const {
  checkLayer(layer, 1);
  if (!drawScope_[layer]) return zcPoint();
  return scaledMap_.inverse().mapPoint(drawScope_[layer]->drawPoint());
}

// --- Visibility and repainting ----------------------------------------------------------

bool zcUITablet::visible(bool show) {
  if (!visible_(show)) return false;
  if (show)
    fullDraw(eBothLayers);
  else
    erase(eBothLayers);
  return true;
}

bool zcUITablet::visible_(bool show) {
  if (!show) return hidden_++ == 0;
  if (hidden_ <= 0) return false;
  return --hidden_ == 0;
}

void zcUITablet::redraw(Layers layer) {
  if (!visible() || !drawOn_) return;
  zcUITabletPrivate::NoRecording quiet(*this);
  zcUITabletPrivate::Compound compound(*this, layer);
  const Layers saved = updateLayers_;
  updateLayers_ = layer;
  try {
    redraw_();
  } catch (...) {
    updateLayers_ = saved;
    throw;
  }
  updateLayers_ = saved;
  if (!updating_ && timeStamp_ != redrawStamp_) redrawStamp_ = ++timeStamp_;
}

void zcUITablet::fullDraw(Layers layer) {
  zcUITabletPrivate::Compound compound(*this, layer);
  redraw(layer);
  for (zcUITablet* kid : kids_) kid->fullDraw(layer);
}

// --- Locks ------------------------------------------------------------------------------

void zcUITablet::lockScreenUpdatesPush(bool lock, Layers layer) {
  checkLayer(layer, 2);
  forLayers(layer, [&](Layers l) {
    if (drawScope_[l]) drawScope_[l]->lockScreenUpdatesPush(lock);
  });
}

bool zcUITablet::lockScreenUpdatesPop(Layers layer) {
  checkLayer(layer, 2);
  bool locked = false;
  forLayers(layer, [&](Layers l) {
    if (drawScope_[l]) locked = drawScope_[l]->lockScreenUpdatesPop() || locked;
  });
  return locked;
}

bool zcUITablet::screenUpdatesLocked(Layers layer) const {
  checkLayer(layer, 1);
  const zcUIScope* s = drawScope_[layer];
  if (!s || s->drawingInhibited(layer)) return false;
  return s->screenUpdatesLocked();
}

void zcUITablet::optimizeDrawing(bool on, Layers layer) {
  checkLayer(layer, 1);
  if (drawScope_[layer]) drawScope_[layer]->optimizeDrawing(on);
}

// --- The drawing step -------------------------------------------------------------------

bool zcUITablet::okToDrawScope_(Layers layer) { return zcUITabletPrivate::scopeAllows(*this, layer); }

// --- Hooks ------------------------------------------------------------------------------

void zcUITablet::redraw_() {}
void zcUITablet::resize_() {}
void zcUITablet::move_() {}
void zcUITablet::clipped_() {}
void zcUITablet::newParentTablet(zcUITablet*) {}
void zcUITablet::parentMapChanged() {}

// --- Shared pieces of the drawing calls -------------------------------------------------

const zcPoint& zcUITabletPrivate::resolve(zcUITablet& t, const zcPoint& p, Layers layer, zcPoint& mapped) {
  zcUIScope& s = scope(t, layer);
  if (&p == &drawPointArg() || p == drawPointArg()) return s.drawPoint();
  mapped = t.scaledMap_.mapPoint(p);
  return mapped;
}

zcPair<long> zcUITabletPrivate::pixelStep(const zcUITablet& t, const zcVector<2>& dir, double length) {
  const zcVector<2> v = t.scaledMap_.matrix() * dir;
  const double n = v.length();
  if (!(n > 0.0) || !std::isfinite(n)) return zcPair<long>();
  const double x = v.x() / n * length, y = v.y() / n * length;
  return zcPair<long>(truncated(x), truncated(y));
}

long zcUITabletPrivate::truncated(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<long>(std::clamp(std::trunc(v), -2147483647.0, 2147483647.0));
}

double zcUITabletPrivate::arrowArmLength(const zcUITablet& t, const zcGraphicProps& props) {
  const double f = t.scaleMode_ == eReduce ? t.scaleExact_.x() : 1.0;
  return 1.5 * static_cast<double>(props.penWidth()) + 6.0 * f;
}

zcUIRect zcUITabletPrivate::pixelRect(const zcUITablet& t, const zcRect& rect) {
  const zcPair<long> a = t.scopeCoords(rect.corner());
  const zcPair<long> b = t.scopeCoords(rect.lr());
  return zcUIRect(a.x(), a.y(), b.x() - a.x(), b.y() - a.y());
}
