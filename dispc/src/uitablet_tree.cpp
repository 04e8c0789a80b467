// The tablet tree: kids and siblings, parents and the scopes made from theirs,
// stacking, moving, updates, erasing, change tracking and dragging.
//
// Repaint protocol. A painting scope notes what it painted (its change rectangle and
// modified flag). update(layer) walks the tree: where a tablet's scope changed, every
// kid and every tablet in front of it that was redrawn before that change repaints the
// changed area through a temporary kid scope, back to front. erase asks the nearest
// ancestor whose scope is opaque (it covers its whole area when it redraws) to repaint
// the area; the kids and the tablets in front follow at the next update(layer).
//
// Time stamps are compared as plain unsigned numbers: after 2^32 drawings the counter
// wraps and a tablet drawn just before the wrap counts as drawn after the change, so
// it keeps its pixels until its next redraw.
#include "dispc/uitablet.h"

#include "uitablet_private.h"

#include <iterator>
#include <memory>
#include <vector>

namespace {
using zc_tablet::checkLayer;
using zc_tablet::forLayers;
using P = zcUITabletPrivate;
using Layers = zcUITabletEnums::Layers;
constexpr Layers kLayers[2] = {zcUITabletEnums::eImage, zcUITabletEnums::eOverlay};

zcUIRect scopeArea(const zcUIScope* s) { return s ? zcUIRect(s->origin(), s->size()) : zcUIRect::null; }
}  // namespace

// --- Kids and siblings -------------------------------------------------------------------

zcUITablet* zcUITablet::firstKid() const { return kids_.empty() ? nullptr : kids_.front(); }
zcUITablet* zcUITablet::lastKid() const { return kids_.empty() ? nullptr : kids_.back(); }

zcUITablet* zcUITablet::nextSib() const {
  if (!parent_) return nullptr;
  const auto next = std::next(sibling_);
  return next == parent_->kids_.end() ? nullptr : *next;
}

zcUITablet* zcUITablet::prevSib() const {
  if (!parent_ || sibling_ == parent_->kids_.begin()) return nullptr;
  return *std::prev(sibling_);
}

// --- Scopes ------------------------------------------------------------------------------

void zcUITabletPrivate::parentScopesDeleted(zcUITablet& t, Layers layer) {
  // Deepest first: each scope was made from its parent tablet's.
  for (zcUITablet* kid : t.kids_) parentScopesDeleted(*kid, layer);
  if (t.ownsScope_[layer]) delete t.ownScope_[layer];
  t.ownScope_[layer] = t.drawScope_[layer] = nullptr;
  t.ownsScope_[layer] = false;
}

void zcUITabletPrivate::makeOwnScope(zcUITablet& t, Layers layer, const zcUIRect& r) {
  zcUIScope* from = t.parent_ ? t.parent_->ownScope_[layer] : nullptr;
  if (!from) return;
  t.ownScope_[layer] = t.drawScope_[layer] = from->makeKidScope(r, false);
  t.ownsScope_[layer] = t.ownScope_[layer] != nullptr;
}

void zcUITablet::newScope(bool quiet) {
  if (!parent_) {
    for (zcUITablet* kid : kids_) kid->newScope(false);
    return;
  }
  zcUIRect before[2];
  if (!quiet)
    for (Layers l : kLayers) before[l] = currentScope(l);
  scopeOrg_ = zcPair<long>(parent_->scopeOrg_.x() + scopeRect_.left(), parent_->scopeOrg_.y() + scopeRect_.top());
  for (Layers l : kLayers) {
    zcUIScope* from = parent_->ownScope_[l];
    if (!from) {
      P::parentScopesDeleted(*this, l);
    } else if (ownScope_[l]) {
      ownScope_[l]->move(*from, scopeRect_);
    } else {
      P::makeOwnScope(*this, l, scopeRect_);
    }
    drawScope_[l] = ownScope_[l];
  }
  for (zcUITablet* kid : kids_) kid->newScope(false);
  if (!quiet && (before[0] != currentScope(eImage) || before[1] != currentScope(eOverlay))) clipped_();
}

zcUIRect zcUITablet::activeScope(Layers layer) const {
  checkLayer(layer, 1);
  return scopeArea(drawScope_[layer]);
}

zcUIRect zcUITablet::currentScope(Layers layer) const {
  checkLayer(layer, 1);
  return scopeArea(ownScope_[layer]);
}

void zcUITabletPrivate::replaceRootScope(zcUITablet& root, Layers layer, zcUIScope* scope, bool own) {
  for (zcUITablet* kid : root.kids_) parentScopesDeleted(*kid, layer);
  if (root.ownsScope_[layer] && root.ownScope_[layer] != scope) delete root.ownScope_[layer];
  root.ownScope_[layer] = root.drawScope_[layer] = scope;
  root.ownsScope_[layer] = own && scope;
}

void zcUITabletPrivate::fitRoot(zcUITablet& root) {
  long w = 0, h = 0;
  for (const zcUIScope* s : root.ownScope_) {
    if (!s) continue;
    w = std::max(w, s->size().x());
    h = std::max(h, s->size().y());
  }
  const zcUIRect r(root.scopeRect_.ul(), zcPair<long>(w, h));
  if (r != root.scopeRect_)
    root.scopeRect(r);
  else
    root.newScope(true);
}

void zcUITablet::setScope(Layers layer, zcUIScope* scope, bool own) {
  checkLayer(layer, 1);
  zcUITablet* root = this;
  while (root->parent_) root = root->parent_;
  P::replaceRootScope(*root, layer, scope, own);
  if (scope) P::fitRoot(*root);
}

void zcUITablet::setScope(zcUIScope* image, zcUIScope* overlay, bool own) {
  zcUITablet* root = this;
  while (root->parent_) root = root->parent_;
  P::replaceRootScope(*root, eImage, image, own);
  P::replaceRootScope(*root, eOverlay, overlay, own);
  if (image || overlay) P::fitRoot(*root);
}

// --- Moving in the tree ------------------------------------------------------------------

void zcUITablet::setParent(zcUITablet& p, const zcUIRect& r) {
  for (const zcUITablet* a = &p; a; a = a->parent_)
    if (a == this) throw zcUIError::BadParams();
  if (visible_(false)) erase(zcUIRect(zcPair<long>(), scopeRect_.sz()), eBothLayers);
  if (parent_) parent_->kids_.erase(sibling_);
  // The kids' scopes were made from this tablet's: they go with them, deepest first.
  P::dropScopes(*this);
  parent_ = &p;
  scopeOrg_ = zcPair<long>(p.scopeOrg_.x() + r.left(), p.scopeOrg_.y() + r.top());
  for (Layers l : kLayers) P::makeOwnScope(*this, l, r);
  p.kids_.push_back(this);
  sibling_ = std::prev(p.kids_.end());
  // Each kid rejoins this tablet in its place, its scopes rebuilt below the new ones.
  const std::vector<zcUITablet*> kids(kids_.begin(), kids_.end());
  for (zcUITablet* kid : kids) kid->setParent(*this, kid->scopeRect_);
  newParentTablet(&p);
  scopeRect(r);
  if (visible_(true)) fullDraw(eBothLayers);
}

void zcUITablet::front() {
  if (!parent_ || !nextSib()) return;
  std::list<zcUITablet*>& list = parent_->kids_;
  const std::vector<zcUITablet*> passed(std::next(sibling_), list.end());
  list.splice(list.end(), list, sibling_);
  const zcUIRect mine = absRect();
  // The walk toward the front ends at the first hidden sibling.
  for (zcUITablet* sibling : passed) {
    if (!sibling->visible()) break;
    const zcUIRect overlap = sibling->absRect() & mine;
    if (overlap.isNull()) continue;
    for (Layers l : kLayers) {
      zcUIScope* own = ownScope_[l];
      if (!own) continue;
      update(overlap, l, true);
      own->change(overlap - scopeOrg_ - own->origin(), false);
      stamp_ = P::nextStamp();
    }
    if (overlap == mine) break;
  }
}

void zcUITablet::back() {
  if (!parent_ || !prevSib()) return;
  std::list<zcUITablet*>& list = parent_->kids_;
  list.splice(list.begin(), list, sibling_);
  for (zcUIScope* own : ownScope_)
    if (own) own->allChange();
  stamp_ = P::nextStamp();
}

void zcUITablet::scopeRect(const zcUIRect& r) {
  if (r == scopeRect_) return;
  const zcUIRect old = scopeRect_;
  // Part of the old area left uncovered: off the screen for the change.
  const bool hide = (r & old) != old;
  if (hide && visible_(false)) erase(zcUIRect(zcPair<long>(), old.sz()), eBothLayers);
  scopeRect_ = r;
  newScope(true);
  if (old.ul() != r.ul()) move_();
  if (old.sz() != r.sz()) resize_();
  if (!hide)
    redraw(eBothLayers);
  else if (visible_(true))
    fullDraw(eBothLayers);
}

void zcUITablet::moveRel(const zcPair<long>& d) { scopeRect(scopeRect_ + d); }
void zcUITablet::moveAbs(const zcPair<long>& p) { scopeRect(zcUIRect(p, scopeRect_.sz())); }
void zcUITablet::size(const zcPair<long>& s) { scopeRect(zcUIRect(scopeRect_.ul(), s)); }

// --- Updates -----------------------------------------------------------------------------

void zcUITablet::update(const zcUIRect& r, Layers layer, bool partial) {
  checkLayer(layer, 2);
  forLayers(layer, [&](Layers l) { P::updateRect(*this, r, l, partial); });
}

void zcUITabletPrivate::updateRect(zcUITablet& t, const zcUIRect& r, Layers layer, bool partial) {
  zcUIScope* own = t.ownScope_[layer];
  if (!own) return;
  Compound compound(t, layer);
  std::unique_ptr<zcUIScope> temporary(own->makeKidScope(r - t.scopeOrg_, true));
  if (!temporary) return;
  // The drawing scope and the updating flag come back on every exit, before the
  // temporary scope goes and the compound is popped from the own scope.
  struct Restore {
    zcUITablet& t;
    Layers layer;
    zcUIScope* drawing;
    bool updating;
    ~Restore() {
      t.drawScope_[layer] = drawing;
      t.updating_ = updating;
    }
  } restore{t, layer, t.drawScope_[layer], t.updating_};
  t.drawScope_[layer] = temporary.get();
  t.updating_ = true;
  if (!t.visible() || !t.drawOn_) return;
  if (partial) {
    t.redraw(layer);
    own->change(temporary->changeRect() - own->origin(), temporary->opaque());
    if (temporary->modified()) own->modified(true);
    t.stamp_ = nextStamp();
    return;
  }
  temporary->allChange();
  t.redraw(layer);
  if (temporary->modified()) own->modified(true);
  // Everything that changed lies in the repainted area: nothing is left to repaint.
  if ((r - t.scopeOrg_).within(own->changeRect())) own->noChange();
  for (zcUITablet* kid : t.kids_)
    if (kid->visible() && !r.nullIntersection(kid->absRect())) updateRect(*kid, r, layer, false);
}

void zcUITablet::update(Layers layer) {
  checkLayer(layer, 2);
  forLayers(layer, [&](Layers l) { P::updateChanges(*this, l); });
}

void zcUITabletPrivate::updateChanges(zcUITablet& t, Layers layer) {
  zcUIScope* own = t.ownScope_[layer];
  if (!own || !t.visible()) return;
  Compound compound(t, layer);
  if (own->someChanged()) {
    std::uint32_t stamp = t.stamp_;
    const zcUIRect changed = own->changeRect() + t.scopeOrg_;
    // Once one tablet repainted, every tablet after it in stacking order follows.
    auto repaint = [&](zcUITablet* other) {
      if (other->redrawStamp_ > stamp || !other->visible() || changed.nullIntersection(other->absRect())) return;
      updateRect(*other, changed, layer, false);
      stamp = zcUITablet::timeStamp_;
    };
    for (zcUITablet* kid : t.kids_) repaint(kid);
    for (zcUITablet* a = &t; a->parent_; a = a->parent_)
      for (auto it = std::next(a->sibling_); it != a->parent_->kids_.end(); ++it) repaint(*it);
    own->noChange();
  }
  for (zcUITablet* kid : t.kids_) updateChanges(*kid, layer);
}

// --- Erasing -----------------------------------------------------------------------------

void zcUITablet::erase(const zcUIRect& r, Layers layer) {
  checkLayer(layer, 2);
  P::Compound compound(*this, eBothLayers);
  visible_(false);
  try {
    forLayers(layer, [&](Layers l) { P::eraseLayer(*this, r, l); });
  } catch (...) {
    visible_(true);
    throw;
  }
  visible_(true);
}

void zcUITabletPrivate::eraseLayer(zcUITablet& t, const zcUIRect& r, Layers layer) {
  if (!t.modified(layer)) return;
  zcUITablet* a = t.parent_;
  while (a && !(a->ownScope_[layer] && a->ownScope_[layer]->opaque())) a = a->parent_;
  if (a) a->update(r + t.scopeOrg_, layer, true);
  // The whole tablet area, in its own pixels.
  if (r == zcUIRect(zcPair<long>(), t.scopeRect_.sz()) && t.ownScope_[layer]) t.ownScope_[layer]->modified(false);
}

void zcUITablet::erase(Layers layer) {
  erase(zcUIRect(zcPair<long>(), scopeRect_.sz()), layer);
  if (recordOn_) sketch_.erase();
}

// --- Change tracking ---------------------------------------------------------------------

bool zcUITablet::recordChanges() const {
  for (const zcUIScope* s : drawScope_)
    if (s && s->clientChangeEnable()) return true;
  return false;
}

void zcUITablet::recordChanges(bool on) {
  for (zcUIScope* s : drawScope_)
    if (s) s->clientChangeEnable(on);
}

void zcUITablet::getChanges(zcUIRect* out, bool keep) {
  for (Layers l : kLayers) out[l] = drawScope_[l] ? drawScope_[l]->clientChangedRect(keep) : zcUIRect::null;
}

bool zcUITablet::modified(Layers layer) const {
  checkLayer(layer, 1);
  if (!ownScope_[layer]) return false;
  if (ownScope_[layer]->modified()) return true;
  for (const zcUITablet* kid : kids_)
    if (kid->modified(layer)) return true;
  return false;
}

void zcUITablet::modified(Layers layer, bool on) {
  checkLayer(layer, 1);
  if (drawScope_[layer]) drawScope_[layer]->modified(on);
}

bool zcUITablet::opaque(Layers layer) const {
  checkLayer(layer, 1);
  return ownScope_[layer] && ownScope_[layer]->opaque();
}

void zcUITablet::opaque(Layers layer, bool on) {
  checkLayer(layer, 1);
  if (ownScope_[layer]) ownScope_[layer]->opaque(on);
}

bool zcUITablet::anyChanged(Layers layer) const {
  checkLayer(layer, 1);
  return ownScope_[layer] && ownScope_[layer]->anyChanged();
}

void zcUITablet::clearAnyChanged(Layers layer) {
  checkLayer(layer, 1);
  if (ownScope_[layer]) ownScope_[layer]->clearAnyChanged();
}

zcUITablet zcUITablet::scratchPad;

// --- Dragging ----------------------------------------------------------------------------

namespace {
// The drawing scope of a layer that may be dragged on, or null.
template <class F>
void dragging(zcUIScope* const* scopes, Layers layer, F&& f) {
  checkLayer(layer, 1);
  zcUIScope* s = scopes[layer];
  if (s && !s->drawingInhibited(layer)) f(*s);
}
}  // namespace

void zcUITablet::dragStart(Layers layer) {
  dragging(drawScope_, layer, [](zcUIScope& s) { s.dragStart(); });
}
void zcUITablet::dragStop(Layers layer) {
  dragging(drawScope_, layer, [](zcUIScope& s) { s.dragStop(); });
}
void zcUITablet::dragErase(Layers layer) {
  dragging(drawScope_, layer, [](zcUIScope& s) { s.dragErase(); });
}
void zcUITablet::dragAnimate(bool on, Layers layer) {
  dragging(drawScope_, layer, [on](zcUIScope& s) { s.dragAnimate(on); });
}

void zcUITablet::dragDel(const zcPair<long>& d) {
  setMap();
  const zcVector<2> shift(static_cast<double>(d.x()), static_cast<double>(d.y()));
  scaledMap_ = zcXform<2>(scaledMap_.matrix(), scaledMap_.trans() + shift);
  dragDel_ = d;
}
