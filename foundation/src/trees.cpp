// Shape trees, contour trees, generic shapes and mapped shapes (zfound/trees).
#include "zfound/trees.h"

#include "zfound/rect.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>
#include <unordered_set>

class zcShapeTreePrivate : public zcShapeTree {
public:
  // True when `target` is `from` or is held somewhere below it (tree children,
  // the shapes of mapped and generic shapes).
  static bool reaches(const zcShape* from, const zcShape* target, std::unordered_set<const zcShape*>& seen) {
    if (!from) return false;
    if (from == target) return true;
    if (!seen.insert(from).second) return false;
    if (const auto* tree = dynamic_cast<const zcShapeTree*>(from)) {
      for (const zcShapePtr& c : tree->children())
        if (reaches(c.rep(), target, seen)) return true;
    } else if (const auto* mapped = dynamic_cast<const zcMappedShape*>(from)) {
      return reaches(mapped->shape().rep(), target, seen);
    } else if (const auto* gen = dynamic_cast<const zcGenShape*>(from)) {
      return reaches(gen->shape().rep(), target, seen);
    }
    return false;
  }

  // The protocol's protected hooks, called on other shapes: naming a hook through
  // this derived class gives a pointer to zcShape's member, which may be applied to
  // any shape and dispatches virtually.
  static void perimPointAndTangent(const zcShape& s, double position, zcPoint& point, zcRadian& tangent) {
    const auto hook =
        static_cast<void (zcShape::*)(double, zcPoint&, zcRadian&) const>(&zcShapeTreePrivate::perimPointAndTangent_);
    (s.*hook)(position, point, tangent);
  }

  // The point (and tangent) at a perimeter position of a contour, from the pieces'
  // lengths; positions are clamped to the contour. Pieces without length are
  // stepped over unless all are.
  static void locate(const std::vector<zcShapePtr>& pieces, const std::vector<double>& lengths, double position,
                     zcPoint& point, zcRadian& tangent) {
    std::size_t chosen = pieces.size();
    double before = 0.0, chosenBefore = 0.0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      if (lengths[i] > 0.0 || chosen == pieces.size()) chosen = i, chosenBefore = before;
      if (lengths[i] > 0.0 && position <= before + lengths[i]) break;
      before += lengths[i];
    }
    perimPointAndTangent(*pieces[chosen], std::clamp(position - chosenBefore, 0.0, lengths[chosen]), point, tangent);
  }

  static std::vector<double> lengths(const std::vector<zcShapePtr>& pieces) {
    std::vector<double> out;
    for (const zcShapePtr& c : pieces) out.push_back(c->perimeter());
    return out;
  }

  [[noreturn]] static void empty() { throw zcShapesError::EmptyShape(L"a shape without points"); }
};

namespace {

constexpr const char* kModule = "zfound/trees";

template <class F>
auto asArchiveError(const wchar_t* what, F&& f) {
  try {
    return f();
  } catch (const zcShapesError::Errors&) {
    throw zcArchive::BadFormat(what);
  } catch (const zcBadPointer&) {
    throw zcArchive::BadFormat(what);
  }
}

}  // namespace

// --- zcShapeTree -----------------------------------------------------------------------

const zc_Instantiator zcShapeTree::sExemplar(typeid(zcShapeTree), "zcShapeTree", &zcShapeTree::make);
zcPersistent* zcShapeTree::make() { return new zcShapeTree; }

zcShapeTree::zcShapeTree() = default;

zcShapeTree::zcShapeTree(std::vector<zcShapePtr> children) {
  checkChildren_(children);
  children_ = std::move(children);
}

zcShapeTree::zcShapeTree(const zcShapeTree& other) : zcPersistent(other), zcRepBase(other), zcShape(other) {
  for (const zcShapePtr& c : other.children_) children_.push_back(c->clone());
}

zcShapeTree& zcShapeTree::operator=(const zcShapeTree& other) {
  if (this == &other) return *this;
  std::vector<zcShapePtr> copies;
  for (const zcShapePtr& c : other.children_) copies.push_back(c->clone());
  zcShape::operator=(other);
  children_ = std::move(copies);
  return *this;
}

zcShapeTree::~zcShapeTree() = default;

const zcShapePtr& zcShapeTree::child(long i) const {
  if (i < 0 || i >= numChildren()) throw zcShapesError::BadParams(L"a child index out of range");
  return children_[static_cast<std::size_t>(i)];
}

void zcShapeTree::addChild(const zcShapePtr& child) {
  checkAppend_(child);
  mutating_();
  children_.push_back(child);
}

void zcShapeTree::checkAppend_(const zcShapePtr& child) const { zcShapeTree::checkChildren_({child}); }

void zcShapeTree::setChildren_(std::vector<zcShapePtr> children) {
  mutating_();
  children_ = std::move(children);
}

void zcShapeTree::checkChildren_(const std::vector<zcShapePtr>& children) const {
  for (const zcShapePtr& c : children) {
    if (!c) throw zcBadPointer(L"a null child shape");
    std::unordered_set<const zcShape*> seen;
    if (zcShapeTreePrivate::reaches(c.rep(), this, seen))
      throw zcShapesError::BadParams(L"a shape tree cannot contain itself");
  }
}

bool zcShapeTree::contains(const zcShape* shape) const {
  std::unordered_set<const zcShape*> seen;
  return zcShapeTreePrivate::reaches(this, shape, seen);
}

bool zcShapeTree::isConnected() const { return children_.size() == 1 && children_.front()->isConnected(); }

bool zcShapeTree::isFinite() const {
  return std::all_of(children_.begin(), children_.end(), [](const zcShapePtr& c) { return c->isFinite(); });
}

bool zcShapeTree::degen() const {
  return std::all_of(children_.begin(), children_.end(), [](const zcShapePtr& c) { return c->degen(); });
}

zcRect zcShapeTree::boundingBox() const {
  zcRect box;
  bool any = false;
  for (const zcShapePtr& c : children_) {
    try {
      box.enclose(c->boundingBox());
      any = true;
    } catch (const zcShapesError::EmptyShape&) {
      // A child without points adds nothing.
    }
  }
  if (!any) zcShapeTreePrivate::empty();
  return box;
}

zcPoint zcShapeTree::nearestPoint(const zcPoint& p) const {
  zcPoint best;
  double bestDist = std::numeric_limits<double>::infinity();
  for (const zcShapePtr& c : children_) {
    try {
      const zcPoint q = c->nearestPoint(p);
      if (q.distance(p) < bestDist) bestDist = q.distance(p), best = q;
    } catch (const zcShapesError::EmptyShape&) {
      // A child without points has no nearest point.
    }
  }
  if (bestDist == std::numeric_limits<double>::infinity()) zcShapeTreePrivate::empty();
  return best;
}

double zcShapeTree::perimeter() const {
  double sum = 0.0;
  for (const zcShapePtr& c : children_) sum += c->perimeter();
  return sum;
}

zcShapePtr zcShapeTree::mapShape(const zcXform<2>& x) const {
  std::vector<zcShapePtr> mapped;
  for (const zcShapePtr& c : children_) mapped.push_back(c->mapShape(x));
  zcShapeTree* tree = new zcShapeTree;
  zcShapePtr out(tree);
  tree->children_ = std::move(mapped);
  return out;
}

zcShape* zcShapeTree::cloneThat_() const { return new zcShapeTree(*this); }

zcShapePtr zcShapeTree::reverse_() const {
  std::vector<zcShapePtr> reversed;
  for (const zcShapePtr& c : children_) reversed.push_back(c->reverse());
  zcShapeTree* tree = new zcShapeTree;
  zcShapePtr out(tree);
  tree->children_ = std::move(reversed);
  return out;
}

bool zcShapeTree::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(*this)) return false;
  const auto& o = static_cast<const zcShapeTree&>(other);
  if (children_.size() != o.children_.size()) return false;
  for (std::size_t i = 0; i < children_.size(); ++i)
    if (*children_[i] != *o.children_[i]) return false;
  return true;
}

zcShapePtr zcShapeTree::clip_(const zcRect& window, zcClipInfo& info) const {
  info = zcClipInfo();
  info.result = zcClipInfo::eOutside;
  std::vector<zcShapePtr> kept;
  bool allInside = !children_.empty();
  for (const zcShapePtr& c : children_) {
    zcClipInfo own;
    zcShapePtr part;
    try {
      part = c->clip(window, own);
    } catch (const zcShapesError::EmptyShape&) {
      // A child without points is outside every window.
    }
    allInside = allInside && part && own.result == zcClipInfo::eInside;
    if (!part) continue;
    kept.push_back(part);
    info.pieces += own.pieces;
  }
  if (kept.empty()) return zcShapePtr();
  info.result = allInside ? zcClipInfo::eInside : zcClipInfo::eClipped;
  zcShapeTree* tree = new zcShapeTree;
  zcShapePtr out(tree);
  tree->children_ = std::move(kept);
  return out;
}

bool zcShapeTree::serializeTree_(zcArchive& archive, std::vector<zcShapePtr>& loaded) {
  bool read = false;
  zfSerializeLevel(archive, this, "zcShapeTree", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion(kModule, __LINE__);
    zcShape::dispatchSerialize(archive);
    unsigned long count = static_cast<unsigned long>(children_.size());
    archive || count;
    // A child takes at least its pointer tag.
    archive.checkCount(count, 1);
    if (archive.isStoring()) {
      for (zcShapePtr& c : children_) archive || c;
      return;
    }
    std::vector<zcShapePtr> children;
    children.reserve(count);
    for (unsigned long i = 0; i < count; ++i) {
      zcShapePtr c;
      archive || c;
      if (!c) throw zcArchive::BadFormat(L"a null child shape");
      children.push_back(c);
    }
    loaded = std::move(children);
    read = true;
  });
  return read;
}

void zcShapeTree::dispatchSerialize(zcArchive& archive) {
  std::vector<zcShapePtr> loaded;
  if (!serializeTree_(archive, loaded)) return;
  asArchiveError(L"children that make no shape tree", [&] { checkChildren_(loaded); });
  setChildren_(std::move(loaded));
}

// --- zcContourTree ---------------------------------------------------------------------

const zc_Instantiator zcContourTree::sExemplar(typeid(zcContourTree), "zcContourTree", &zcContourTree::make);
zcPersistent* zcContourTree::make() { return new zcContourTree; }

zcContourTree::zcContourTree() = default;

zcContourTree::zcContourTree(bool closed) : closed_(closed) {}

zcContourTree::zcContourTree(std::vector<zcShapePtr> pieces, bool closed) : closed_(closed) {
  checkChildren_(pieces);
  setChildren_(std::move(pieces));
}

zcContourTree& zcContourTree::operator=(const zcContourTree&) = default;

zcContourTree::~zcContourTree() = default;

namespace {

double extentOf(const zcPoint& a, const zcPoint& b) {
  return std::max({std::abs(a.x()), std::abs(a.y()), std::abs(b.x()), std::abs(b.y())});
}

void checkPiece(const zcShape& piece) {
  if (!piece.isOpenContour()) throw zcShapesError::NotOpenContour(L"a contour piece that is not an open contour");
}

}  // namespace

void zcContourTree::checkChildren_(const std::vector<zcShapePtr>& pieces) const {
  zcShapeTree::checkChildren_(pieces);
  std::vector<zcPoint> starts, ends;
  double size = 0.0;
  for (const zcShapePtr& c : pieces) {
    checkPiece(*c);
    starts.push_back(c->startPoint());
    ends.push_back(c->endPoint());
    size = std::max(size, extentOf(starts.back(), ends.back()));
  }
  const double tol = 1e-7 * size;
  for (std::size_t i = 1; i < pieces.size(); ++i)
    if (ends[i - 1].distance(starts[i]) > tol) throw zcShapesError::BadParams(L"contour pieces that do not join");
  if (closed_ && !pieces.empty() && ends.back().distance(starts.front()) > tol)
    throw zcShapesError::BadParams(L"a closed contour that does not return to its start");
}

double zcContourTree::extent() const {
  const std::vector<zcShapePtr>& pieces = children();
  if (extentOf_ > pieces.size()) extentOf_ = 0, extent_ = 0.0;
  for (; extentOf_ < pieces.size(); ++extentOf_)
    extent_ = std::max(extent_, extentOf(pieces[extentOf_]->startPoint(), pieces[extentOf_]->endPoint()));
  return extent_;
}

void zcContourTree::checkAppend_(const zcShapePtr& piece) const {
  zcShapeTree::checkAppend_(piece);
  checkPiece(*piece);
  const zcPoint start = piece->startPoint(), end = piece->endPoint();
  // The tolerance of the whole list with the piece added: the joins already checked
  // stay within it, since it only grows.
  const double tol = 1e-7 * std::max(extent(), extentOf(start, end));
  if (!children().empty() && children().back()->endPoint().distance(start) > tol)
    throw zcShapesError::BadParams(L"contour pieces that do not join");
  const zcPoint first = children().empty() ? start : children().front()->startPoint();
  if (closed_ && end.distance(first) > tol)
    throw zcShapesError::BadParams(L"a closed contour that does not return to its start");
}

double zcContourTree::nearestPerimPos(const zcPoint& p) const {
  if (children().empty()) zcShapeTreePrivate::empty();
  double before = 0.0, bestDist = std::numeric_limits<double>::infinity(), bestPos = 0.0;
  for (const zcShapePtr& c : children()) {
    const double d = c->nearestPoint(p).distance(p);
    if (d < bestDist) bestDist = d, bestPos = before + c->nearestPerimPos(p);
    before += c->perimeter();
  }
  return bestPos;
}

zcPoint zcContourTree::startPoint() const {
  if (closed_) throw zcShapesError::NotOpenContour(L"a closed contour has no ends");
  if (children().empty()) zcShapeTreePrivate::empty();
  return children().front()->startPoint();
}

zcPoint zcContourTree::endPoint() const {
  if (closed_) throw zcShapesError::NotOpenContour(L"a closed contour has no ends");
  if (children().empty()) zcShapeTreePrivate::empty();
  return children().back()->endPoint();
}

zcRadian zcContourTree::startAngle() const {
  if (closed_) throw zcShapesError::NotOpenContour(L"a closed contour has no ends");
  if (children().empty()) zcShapeTreePrivate::empty();
  for (const zcShapePtr& c : children())
    if (!c->degen()) return c->startAngle();
  throw zcShapesError::NoTangent(L"a contour without extent has no direction");
}

zcRadian zcContourTree::endAngle() const {
  if (closed_) throw zcShapesError::NotOpenContour(L"a closed contour has no ends");
  if (children().empty()) zcShapeTreePrivate::empty();
  for (auto it = children().rbegin(); it != children().rend(); ++it)
    if (!(*it)->degen()) return (*it)->endAngle();
  throw zcShapesError::NoTangent(L"a contour without extent has no direction");
}

zcRadian zcContourTree::tangentRotation() const {
  zcRadian sum;
  const zcShape* first = nullptr;
  const zcShape* previous = nullptr;
  for (const zcShapePtr& c : children()) {
    if (c->degen()) continue;
    if (previous) sum += (c->startAngle() - previous->endAngle()).signedNorm();
    sum += c->tangentRotation();
    previous = c.rep();
    if (!first) first = previous;
  }
  if (closed_ && first) sum += (first->startAngle() - previous->endAngle()).signedNorm();
  return sum;
}

zcRadian zcContourTree::windingAngle(const zcPoint& p) const {
  zcRadian sum;
  for (const zcShapePtr& c : children()) sum += c->windingAngle(p);
  return sum;
}

bool zcContourTree::isRightHanded() const {
  if (!closed_) throw zcShapesError::NotRegion(L"an open contour bounds no region");
  if (children().empty()) zcShapeTreePrivate::empty();
  return tangentRotation().value() > 0.0;
}

bool zcContourTree::within(const zcPoint& p) const {
  if (!closed_) throw zcShapesError::NotRegion(L"an open contour bounds no region");
  if (children().empty()) return false;
  try {
    // A whole number of turns: 0 outside, ±2π (or more) inside.
    return std::abs(windingAngle(p).value()) > zkPi;
  } catch (const zcShapesError::BadGeom&) {
    return true;  // on the contour
  }
}

zcShapePtr zcContourTree::mapShape(const zcXform<2>& x) const {
  std::vector<zcShapePtr> mapped;
  for (const zcShapePtr& c : children()) mapped.push_back(c->mapShape(x));
  return zcShapePtr(new zcContourTree(std::move(mapped), closed_));
}

zcShapePtr zcContourTree::subShape(double from, double to) const {
  if (std::isnan(from) || std::isnan(to)) throw zcShapesError::BadParams(L"a NaN perimeter position");
  if (children().empty()) zcShapeTreePrivate::empty();
  const std::vector<double> lengths = zcShapeTreePrivate::lengths(children());
  double total = 0.0;
  for (double l : lengths) total += l;
  const double a = std::clamp(std::min(from, to), 0.0, total);
  const double b = std::clamp(std::max(from, to), 0.0, total);
  std::vector<zcShapePtr> parts;
  double before = 0.0;
  for (std::size_t i = 0; i < children().size(); ++i) {
    const double len = lengths[i];
    const bool last = i + 1 == children().size();
    if (a == b && (a <= before + len || last)) {
      parts.push_back(children()[i]->subShape(a - before, a - before));
      break;
    }
    if (a < before + len && b > before)
      parts.push_back(children()[i]->subShape(std::max(a - before, 0.0), std::min(b - before, len)));
    before += len;
  }
  zcShapePtr part(new zcContourTree(std::move(parts), false));
  return from > to ? part->reverse() : part;
}

void zcContourTree::sample(const zcSampleParams& params, zcSampleResult& result) const {
  params.validate();
  if (children().empty()) zcShapeTreePrivate::empty();
  result.reserveFor(params);
  if (!params.uniform) {
    for (std::size_t i = 0; i < children().size(); ++i) {
      const zcShape& piece = *children()[i];
      const bool skipJoin = i > 0 && !params.duplicateCorners;
      // Without duplicated corners a piece without extent adds only its join again.
      if (skipJoin && piece.degen()) continue;
      zcSampleParams own = params;
      own.reserve = 0;
      if (params.maxPoints > 0) {
        // The piece may give its share of the points left, plus the join it shares.
        const long room = params.maxPoints - static_cast<long>(result.points.size()) + (skipJoin ? 1 : 0);
        if (room <= 0) throw zcShapesError::SampleOverflow(L"more points than the sampling allows");
        own.maxPoints = room;
      }
      zcSampleResult part;
      piece.sample(own, part);
      for (std::size_t k = skipJoin ? 1 : 0; k < part.points.size(); ++k) result.add(part.points[k], params);
    }
    return;
  }
  if (params.tolerance > 0.0)
    throw zcShapesError::BadParams(L"uniform sampling cannot promise a tolerance as well");
  try {
    const std::vector<double> lengths = zcShapeTreePrivate::lengths(children());
    double total = 0.0;
    for (double l : lengths) total += l;
    zcPoint p;
    zcRadian tangent;
    const zcPoint start = children().front()->startPoint();
    result.add(start, params);
    for (double s = params.spacing; s < total - 1e-9 * params.spacing; s += params.spacing) {
      zcShapeTreePrivate::locate(children(), lengths, s, p, tangent);
      result.add(p, params);
    }
    result.add(closed_ ? start : children().back()->endPoint(), params);
  } catch (const zcShapesError::NotOpenContour&) {
    throw zcShapesError::BadParams(L"a contour piece cannot be sampled uniformly");
  } catch (const zcShapesError::BadGeom&) {
    throw zcShapesError::BadParams(L"a contour piece cannot be sampled uniformly");
  }
}

zcShapePtr zcContourTree::clip_(const zcRect& window, zcClipInfo& info) const {
  if (children().empty()) {
    info = zcClipInfo();
    info.result = zcClipInfo::eOutside;
    return zcShapePtr();
  }
  return zcShape::clip_(window, info);
}

zcShape* zcContourTree::cloneThat_() const { return new zcContourTree(*this); }

zcShapePtr zcContourTree::reverse_() const {
  std::vector<zcShapePtr> reversed;
  for (auto it = children().rbegin(); it != children().rend(); ++it) reversed.push_back((*it)->reverse());
  return zcShapePtr(new zcContourTree(std::move(reversed), closed_));
}

bool zcContourTree::equal_(const zcShape& other) const {
  return zcShapeTree::equal_(other) && static_cast<const zcContourTree&>(other).closed_ == closed_;
}

void zcContourTree::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  if (std::isnan(position)) throw zcShapesError::BadParams(L"a NaN perimeter position");
  if (children().empty()) zcShapeTreePrivate::empty();
  zcShapeTreePrivate::locate(children(), zcShapeTreePrivate::lengths(children()), position, point, tangent);
}

void zcContourTree::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcContourTree", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion(kModule, __LINE__);
    std::vector<zcShapePtr> loaded;
    const bool read = serializeTree_(archive, loaded);
    bool closed = closed_;
    archive || closed;
    if (archive.isStoring()) return;
    const bool wasClosed = closed_;
    closed_ = closed;  // the contour checks read the flag
    try {
      asArchiveError(L"pieces that make no contour", [&] { checkChildren_(read ? loaded : children()); });
    } catch (...) {
      closed_ = wasClosed;
      throw;
    }
    closed_ = wasClosed;
    mutating_();
    closed_ = closed;
    if (read) setChildren_(std::move(loaded));
    extentOf_ = 0;
  });
}

// --- zcGenShape ------------------------------------------------------------------------

const zc_Instantiator zcGenShape::sExemplar(typeid(zcGenShape), "zcGenShape", &zcGenShape::make);
zcPersistent* zcGenShape::make() { return new zcGenShape; }

zcGenShape::zcGenShape() = default;
zcGenShape::zcGenShape(const zcShape& shape) : shape_(shape.clone()) {}
zcGenShape::zcGenShape(const zcShapePtr_const& shape) : shape_(shape ? shape->clone() : zcShapePtr()) {}
zcGenShape::zcGenShape(const zcGenShape& other)
    : zcPersistent(other), zcRepBase(other), zcShape(other), shape_(other.shape_ ? other.shape_->clone() : zcShapePtr()) {}

zcGenShape& zcGenShape::operator=(const zcGenShape& other) {
  zcShapePtr copy = other.shape_ ? other.shape_->clone() : zcShapePtr();
  zcShape::operator=(other);
  shape_ = copy;
  return *this;
}

zcGenShape::~zcGenShape() = default;

const zcShape& zcGenShape::held() const {
  if (!shape_) zcShapeTreePrivate::empty();
  return *shape_;
}

std::vector<unsigned char> zcGenShape::bytes() const {
  zcArchive out;
  zcShape* raw = shape_.rep();
  out.serializePointer(raw);
  return out.bytes();
}

zcGenShape zcGenShape::fromBytes(const unsigned char* data, std::size_t size) {
  zcArchive in(data, size);
  zcShapePtr shape;
  in || shape;
  if (in.remaining() != 0) throw zcArchive::BadFormat(L"bytes left over after a generic shape");
  zcGenShape g;
  g.shape_ = shape;
  return g;
}

zcGenShape zcGenShape::fromBytes(const std::vector<unsigned char>& bytes) {
  return fromBytes(bytes.data(), bytes.size());
}

bool zcGenShape::isOpenContour() const { return shape_ && shape_->isOpenContour(); }
bool zcGenShape::isRegion() const { return shape_ && shape_->isRegion(); }
bool zcGenShape::isFinite() const { return !shape_ || shape_->isFinite(); }
bool zcGenShape::degen() const { return !shape_ || shape_->degen(); }
bool zcGenShape::hasTangent() const { return shape_ && shape_->hasTangent(); }
bool zcGenShape::isCompound() const { return shape_ && shape_->isCompound(); }
bool zcGenShape::isConnected() const { return !shape_ || shape_->isConnected(); }
bool zcGenShape::isMultipleContours_() const {
  return shape_ && shape_->isMultipleContours();
}

zcRect zcGenShape::boundingBox() const { return held().boundingBox(); }
zcPoint zcGenShape::nearestPoint(const zcPoint& p) const { return held().nearestPoint(p); }
double zcGenShape::perimeter() const { return held().perimeter(); }
double zcGenShape::nearestPerimPos(const zcPoint& p) const { return held().nearestPerimPos(p); }
zcPoint zcGenShape::startPoint() const { return held().startPoint(); }
zcPoint zcGenShape::endPoint() const { return held().endPoint(); }
zcRadian zcGenShape::startAngle() const { return held().startAngle(); }
zcRadian zcGenShape::endAngle() const { return held().endAngle(); }
zcRadian zcGenShape::tangentRotation() const { return held().tangentRotation(); }
zcRadian zcGenShape::windingAngle(const zcPoint& p) const { return held().windingAngle(p); }
bool zcGenShape::isRightHanded() const { return held().isRightHanded(); }
bool zcGenShape::within(const zcPoint& p) const { return held().within(p); }

zcGenShape zcGenShape::map(const zcXform<2>& x) const {
  zcGenShape g;
  if (shape_) g.shape_ = shape_->mapShape(x);
  return g;
}

zcShapePtr zcGenShape::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcGenShape(map(x))); }
zcShapePtr zcGenShape::decompose() const { return held().decompose(); }
zcShapePtr zcGenShape::subShape(double from, double to) const { return held().subShape(from, to); }
void zcGenShape::sample(const zcSampleParams& params, zcSampleResult& result) const { held().sample(params, result); }

zcShape* zcGenShape::cloneThat_() const { return new zcGenShape(*this); }

zcShapePtr zcGenShape::reverse_() const {
  zcGenShape* g = new zcGenShape;
  zcShapePtr out(g);
  if (shape_) g->shape_ = shape_->reverse();
  return out;
}

bool zcGenShape::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(*this)) return false;
  const auto& o = static_cast<const zcGenShape&>(other);
  if (!shape_ || !o.shape_) return !shape_ && !o.shape_;
  return *shape_ == *o.shape_;
}

zcShapePtr zcGenShape::clip_(const zcRect& window, zcClipInfo& info) const { return held().clip(window, info); }

void zcGenShape::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  zcShapeTreePrivate::perimPointAndTangent(held(), position, point, tangent);
}

void zcGenShape::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcGenShape", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion(kModule, __LINE__);
    zcShape::dispatchSerialize(archive);
    zcShapePtr shape = shape_;
    archive || shape;
    if (archive.isLoading()) {
      mutating_();
      shape_ = shape;
    }
  });
}

// --- zcMappedShape ---------------------------------------------------------------------

const zc_Instantiator zcMappedShape::sExemplar(typeid(zcMappedShape), "zcMappedShape", &zcMappedShape::make);
zcPersistent* zcMappedShape::make() { return new zcMappedShape; }

zcMappedShape::zcMappedShape() = default;

zcMappedShape::zcMappedShape(const zcShapePtr& shape, const zcXform<2>& xform) : shape_(shape), xform_(xform) {
  const zcMatrix<2> m = xform.matrix();
  for (double v : {m.element(0, 0), m.element(0, 1), m.element(1, 0), m.element(1, 1), xform.trans().x(),
                   xform.trans().y()})
    if (!std::isfinite(v)) throw zcShapesError::BadParams(L"a transform with a non-finite entry");
}

zcMappedShape::zcMappedShape(const zcMappedShape& other)
    : zcPersistent(other),
      zcRepBase(other),
      zcShape(other),
      shape_(other.shape_ ? other.shape_->clone() : zcShapePtr()),
      xform_(other.xform_) {}

zcMappedShape& zcMappedShape::operator=(const zcMappedShape& other) {
  zcShapePtr copy = other.shape_ ? other.shape_->clone() : zcShapePtr();
  zcShape::operator=(other);
  shape_ = copy;
  xform_ = other.xform_;
  return *this;
}

zcMappedShape::~zcMappedShape() = default;

zcShapePtr zcMappedShape::mapped() const {
  if (!shape_) zcShapeTreePrivate::empty();
  return shape_->mapShape(xform_);
}

bool zcMappedShape::isOpenContour() const { return shape_ && mapped()->isOpenContour(); }
bool zcMappedShape::isRegion() const { return shape_ && mapped()->isRegion(); }
bool zcMappedShape::isFinite() const { return !shape_ || shape_->isFinite(); }
bool zcMappedShape::degen() const { return !shape_ || mapped()->degen(); }
bool zcMappedShape::hasTangent() const { return shape_ && mapped()->hasTangent(); }
bool zcMappedShape::isCompound() const { return shape_ && shape_->isCompound(); }
bool zcMappedShape::isConnected() const { return !shape_ || shape_->isConnected(); }
bool zcMappedShape::isMultipleContours_() const {
  return shape_ && mapped()->isMultipleContours();
}

zcRect zcMappedShape::boundingBox() const { return mapped()->boundingBox(); }
zcPoint zcMappedShape::nearestPoint(const zcPoint& p) const { return mapped()->nearestPoint(p); }
double zcMappedShape::perimeter() const { return mapped()->perimeter(); }
double zcMappedShape::nearestPerimPos(const zcPoint& p) const { return mapped()->nearestPerimPos(p); }
zcPoint zcMappedShape::startPoint() const { return mapped()->startPoint(); }
zcPoint zcMappedShape::endPoint() const { return mapped()->endPoint(); }
zcRadian zcMappedShape::startAngle() const { return mapped()->startAngle(); }
zcRadian zcMappedShape::endAngle() const { return mapped()->endAngle(); }
zcRadian zcMappedShape::tangentRotation() const { return mapped()->tangentRotation(); }
zcRadian zcMappedShape::windingAngle(const zcPoint& p) const { return mapped()->windingAngle(p); }
bool zcMappedShape::isRightHanded() const { return mapped()->isRightHanded(); }
bool zcMappedShape::within(const zcPoint& p) const { return mapped()->within(p); }

zcMappedShape zcMappedShape::map(const zcXform<2>& x) const {
  return zcMappedShape(shape_ ? shape_->clone() : zcShapePtr(), x * xform_);
}

zcShapePtr zcMappedShape::mapShape(const zcXform<2>& x) const { return zcShapePtr(new zcMappedShape(map(x))); }
zcShapePtr zcMappedShape::decompose() const { return mapped()->decompose(); }
zcShapePtr zcMappedShape::subShape(double from, double to) const { return mapped()->subShape(from, to); }
void zcMappedShape::sample(const zcSampleParams& params, zcSampleResult& result) const {
  mapped()->sample(params, result);
}

zcShape* zcMappedShape::cloneThat_() const { return new zcMappedShape(*this); }

zcShapePtr zcMappedShape::reverse_() const {
  if (!shape_) return zcShapePtr(new zcMappedShape(*this));
  return zcShapePtr(new zcMappedShape(shape_->reverse(), xform_));
}

bool zcMappedShape::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(*this)) return false;
  const auto& o = static_cast<const zcMappedShape&>(other);
  if (!(xform_ == o.xform_)) return false;
  if (!shape_ || !o.shape_) return !shape_ && !o.shape_;
  return *shape_ == *o.shape_;
}

zcShapePtr zcMappedShape::clip_(const zcRect& window, zcClipInfo& info) const {
  return mapped()->clip(window, info);
}

void zcMappedShape::perimPointAndTangent_(double position, zcPoint& point, zcRadian& tangent) const {
  zcShapeTreePrivate::perimPointAndTangent(*mapped(), position, point, tangent);
}

void zcMappedShape::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcMappedShape", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion(kModule, __LINE__);
    zcShape::dispatchSerialize(archive);
    zcShapePtr shape = shape_;
    zcXform<2> xform = xform_;
    archive || shape || xform;
    if (archive.isLoading()) {
      mutating_();
      shape_ = shape;
      xform_ = xform;
    }
  });
}
