// SMD poly: data model, indexing, editing by transaction, comparison, transforms and
// the archive form. The geometry of the validation is in smdpoly_validate.cpp, the
// further operations in smdpoly_ops.cpp.
#include "dispc/wrfm/smdpoly.h"

#include "wrfm/smdcommon.h"
#include "wrfm/smdpoly_index.h"

#include "zfound/archive.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <ostream>
#include <unordered_set>
#include <utility>

namespace {
constexpr const char* kModule = "dispc/wrfm/smdpoly";
constexpr unsigned char kPolyVersion = 1;
constexpr double kZeroTol = 1e-15;
// Smallest archive form of one vertex: version, base (version, empty name), point,
// radius, span, two fractions, label.
constexpr std::size_t kMinVertexBytes = 1 + 1 + 4 + 16 + 8 + 8 + 16 + 4;
}  // namespace

// --- Exceptions ------------------------------------------------------------------------

ZC_EXCEPTION_FAMILY_SERIALIZE(zcSMDGDPoly::Errors, zcException, "zcSMDGDPoly::Errors")

ZC_SMD_ERROR_DEFINE(zcSMDGDPoly, invalidVertices, 0x11000360, L"Invalid poly vertices.")
ZC_SMD_ERROR_DEFINE(zcSMDGDPoly, crossingSegments, 0x11000361, L"Two or more poly segments cross.")
ZC_SMD_ERROR_DEFINE(zcSMDGDPoly, invalidIndex, 0x11000362, L"Invalid index for poly vertex or segment.")
ZC_SMD_ERROR_DEFINE(zcSMDGDPoly, invalidRounding, 0x11000363, L"Invalid radius for poly vertex rounding.")
ZC_SMD_ERROR_DEFINE(zcSMDGDPoly, noPelBuffer, 0x11000364, L"No pel buffer to draw on.")
ZC_SMD_ERROR_DEFINE(zcSMDGDPoly, badSubModel, 0x11000365, L"The specified sub-model is not 2D")
ZC_SMD_ERROR_DEFINE(zcSMDGDPoly, notClosed, 0x11000366, L"An operation was performed which requires a closed poly.")

// --- The edit journal --------------------------------------------------------------------------

// While an edit runs, every write to the rounding caches and the piece index is
// recorded, so that a refused edit can put back exactly what it changed instead of
// copying the whole poly.
struct zcSMDGDPoly::Journal {
  struct Entry {
    long v;
    zcVector<2> start;
    zcVector<2> end;
    double span;
  };

  explicit Journal(zcSMDGDPoly& poly)
      : poly_(poly), pieces_(poly.pieces_), spread_(poly.spread_), open_(poly.open_) {
    poly_.journal_.value = this;
    if (poly_.index_.value) poly_.index_.value->logging = true;
  }
  ~Journal() {
    poly_.journal_.value = nullptr;
    if (poly_.index_.value) {
      poly_.index_.value->logging = false;
      poly_.index_.value->log.clear();
    }
  }
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  void record(long v) {
    entries_.push_back({v, poly_.roundedStart_[v], poly_.roundedEnd_[v], poly_.roundedSpan_[v]});
  }
  // The index the edit began with is kept aside (with its log) the first time another
  // one takes its place.
  void replaceIndex(std::unique_ptr<Index> index) {
    if (!indexReplaced_) {
      oldIndex_ = std::move(poly_.index_.value);
      indexReplaced_ = true;
    }
    poly_.index_.value = std::move(index);
  }

  // The caches, the index, the open flag and the pieces state as they were when the
  // edit began (cache indices are those after the edit's structural change).
  void rollBack() {
    for (auto e = entries_.rbegin(); e != entries_.rend(); ++e) {
      poly_.roundedStart_[e->v] = e->start;
      poly_.roundedEnd_[e->v] = e->end;
      poly_.roundedSpan_[e->v] = e->span;
    }
    entries_.clear();
    if (indexReplaced_) poly_.index_.value = std::move(oldIndex_);
    indexReplaced_ = false;
    if (poly_.index_.value) poly_.index_.value->undo();
    poly_.pieces_ = pieces_;
    poly_.spread_ = spread_;
    poly_.open_ = open_;
  }

private:
  zcSMDGDPoly& poly_;
  std::vector<Entry> entries_;
  Pieces pieces_;
  double spread_;
  bool open_;
  bool indexReplaced_ = false;
  std::unique_ptr<Index> oldIndex_;
};

void zcSMDGDPoly::installIndex_(std::unique_ptr<Index> index) {
  if (journal_.value) journal_.value->replaceIndex(std::move(index));
  else index_.value = std::move(index);
}

void zcSMDGDPoly::storeRounding_(long v, const zcVector<2>& start, const zcVector<2>& end, double span) {
  if (journal_.value) journal_.value->record(v);
  roundedStart_[v] = start;
  roundedEnd_[v] = end;
  roundedSpan_[v] = span;
}

// --- Construction and state ------------------------------------------------------------------

zcSMDGDPoly::zcSMDGDPoly(const std::wstring& name)
    : zcSMDGeometricDescription(name), positiveArrow_(zcColor::greenColor()), negativeArrow_(zcColor::greenColor()) {}

zcSMDGDPoly::zcSMDGDPoly(const zcSMDGDPoly&) = default;
zcSMDGDPoly& zcSMDGDPoly::operator=(const zcSMDGDPoly&) = default;
zcSMDGDPoly::~zcSMDGDPoly() = default;

void zcSMDGDPoly::reset() { *this = zcSMDGDPoly(); }

void zcSMDGDPoly::reInit() {
  mutating_();
  vertices_.clear();
  labels_.clear();
  roundedStart_.clear();
  roundedEnd_.clear();
  roundedSpan_.clear();
  open_ = true;
  pieces_ = Pieces::eBuildable;
  spread_ = 0.0;
  index_.value.reset();
}

long zcSMDGDPoly::numSegments() const {
  const long n = numVertices();
  if (n < 2) return 0;
  return open_ ? n - 1 : n;
}

const zcSMDGDPolyVertex& zcSMDGDPoly::vertex(long index, bool wrap) const { return vertices_[vertexIndex_(index, wrap)]; }

void zcSMDGDPoly::weight(double weight) {
  mutating_();
  weight_ = weight;
}

void zcSMDGDPoly::colors(const zcSMDColors& colors) {
  mutating_();
  colors_ = colors;
}

void zcSMDGDPoly::positiveArrowColor(const zcColor& color) {
  mutating_();
  positiveArrow_ = color;
}

void zcSMDGDPoly::negativeArrowColor(const zcColor& color) {
  mutating_();
  negativeArrow_ = color;
}

void zcSMDGDPoly::toggleDirection() {
  mutating_();
  reversed_ = !reversed_;
}

bool zcSMDGDPoly::addLabel_(std::int32_t label) {
  if (label == -1) return false;
  for (std::int32_t known : labels_)
    if (known == label) return false;
  labels_.push_back(label);
  return true;
}

void zcSMDGDPoly::rebuildLabels_() {
  std::vector<std::int32_t> labels;
  std::unordered_set<std::int32_t> seen;
  for (const zcSMDGDPolyVertex& v : vertices_) {
    const std::int32_t label = v.subModelLabel();
    if (label != -1 && seen.insert(label).second) labels.push_back(label);
  }
  labels_ = std::move(labels);
}

// --- Indexing ------------------------------------------------------------------------------------

void zcSMDGDPoly::badIndex_() { throw invalidIndex(); }

long zcSMDGDPoly::wrappedVertexIndex_(long i, bool wrap) const {
  const long n = numVertices();
  if (n == 0) throw invalidIndex();
  if (wrap) return ((i % n) + n) % n;
  if (i < 0 || i >= n) throw invalidIndex();
  return i;
}

long zcSMDGDPoly::nextSegmentIndex_(long v) const {
  v = vertexIndex_(v, false);
  const long n = numVertices();
  if (open_ && v == n - 1) return -1;
  return (v + 1) % n;
}


long zcSMDGDPoly::firstVertexIndex_() const { return vertexIndex_(0, false); }
long zcSMDGDPoly::lastVertexIndex_() const { return vertexIndex_(numVertices() - 1, false); }
long zcSMDGDPoly::firstSegmentIndex_() const { return nextSegmentIndex_(0); }

long zcSMDGDPoly::lastSegmentIndex_() const {
  const long last = lastVertexIndex_();
  return open_ ? previousSegmentIndex_(last) : nextSegmentIndex_(last);
}


double zcSMDGDPoly::vertexRadius_(long v) const { return std::abs(vertices_[vertexIndex_(v, false)].vertexRadius()); }

bool zcSMDGDPoly::isRoundingUncertain_(long v) const { return vertices_[vertexIndex_(v, false)].vertexRadius() < 0.0; }


zcDegree zcSMDGDPoly::segmentAngleSpan_(long s) const {
  // As stored: a span beyond a whole turn makes no arc through two points.
  if (!isSegmentArc_(s)) return zcDegree(0.0);
  return vertices_[s].segmentAngleSpan();
}

// --- Editing -------------------------------------------------------------------------------------

void zcSMDGDPoly::insertVertex(long index, const zcSMDGDPolyVertex& vertex) {
  const long n = numVertices();
  if (index < -1 || index > n - 1) throw invalidIndex();
  mutating_();
  const zcSMDGDPolyVertex added = vertex;
  // Room first (growing geometrically), so that neither the insertion nor its undoing
  // can fail half-way.
  const auto room = [](auto& list, std::size_t size) {
    if (list.capacity() < size) list.reserve(std::max(size, 2 * list.capacity()));
  };
  room(vertices_, n + 1);
  room(roundedStart_, n + 1);
  room(roundedEnd_, n + 1);
  room(roundedSpan_, n + 1);
  room(labels_, labels_.size() + 1);

  const long v = index + 1;
  Journal journal(*this);
  if (v != n) installIndex_(nullptr);
  vertices_.insert(vertices_.begin() + v, added);
  roundedStart_.insert(roundedStart_.begin() + v, zcVector<2>());
  roundedEnd_.insert(roundedEnd_.begin() + v, zcVector<2>());
  roundedSpan_.insert(roundedSpan_.begin() + v, 0.0);
  const bool labelAdded = addLabel_(added.subModelLabel());
  try {
    validateReplacement_(v);
  } catch (...) {
    journal.rollBack();
    vertices_.erase(vertices_.begin() + v);
    roundedStart_.erase(roundedStart_.begin() + v);
    roundedEnd_.erase(roundedEnd_.begin() + v);
    roundedSpan_.erase(roundedSpan_.begin() + v);
    if (labelAdded) labels_.pop_back();
    throw;
  }
}

zcSMDGDPoly& zcSMDGDPoly::operator<<(const zcSMDGDPolyVertex& vertex) {
  insertVertex(numVertices() - 1, vertex);
  return *this;
}

void zcSMDGDPoly::replaceVertex(long index, const zcSMDGDPolyVertex& vertex) {
  if (index < 0 || index >= numVertices()) throw invalidIndex();
  mutating_();
  const zcSMDGDPolyVertex replacement = vertex;
  const zcSMDGDPolyVertex old = vertices_[index];
  std::vector<std::int32_t> oldLabels = labels_;
  Journal journal(*this);
  vertices_[index] = replacement;
  try {
    rebuildLabels_();
    validateReplacement_(index);
  } catch (...) {
    journal.rollBack();
    vertices_[index] = old;
    labels_ = std::move(oldLabels);
    throw;
  }
}

void zcSMDGDPoly::deleteVertex(long index) {
  if (index < 0 || index >= numVertices()) throw invalidIndex();
  mutating_();
  const zcSMDGDPolyVertex old = vertices_[index];
  const zcVector<2> oldStart = roundedStart_[index];
  const zcVector<2> oldEnd = roundedEnd_[index];
  const double oldSpan = roundedSpan_[index];
  std::vector<std::int32_t> oldLabels = labels_;
  Journal journal(*this);
  installIndex_(nullptr);
  vertices_.erase(vertices_.begin() + index);
  roundedStart_.erase(roundedStart_.begin() + index);
  roundedEnd_.erase(roundedEnd_.begin() + index);
  roundedSpan_.erase(roundedSpan_.begin() + index);
  try {
    rebuildLabels_();
    validateDeletion_(index);
  } catch (...) {
    journal.rollBack();
    // Erasing kept the capacity, so putting the entries back cannot reallocate.
    vertices_.insert(vertices_.begin() + index, old);
    roundedStart_.insert(roundedStart_.begin() + index, oldStart);
    roundedEnd_.insert(roundedEnd_.begin() + index, oldEnd);
    roundedSpan_.insert(roundedSpan_.begin() + index, oldSpan);
    labels_ = std::move(oldLabels);
    throw;
  }
}

void zcSMDGDPoly::vertices(const std::vector<zcSMDGDPolyVertex>& list) {
  mutating_();
  // A copy first: the list may be this poly's own.
  std::vector<zcSMDGDPolyVertex> fresh = list;
  const std::size_t n = fresh.size();
  std::vector<zcVector<2>> start(n), end(n);
  std::vector<double> span(n, 0.0);
  std::vector<zcSMDGDPolyVertex> oldVertices = std::exchange(vertices_, std::move(fresh));
  std::vector<std::int32_t> oldLabels = std::move(labels_);
  std::vector<zcVector<2>> oldStart = std::exchange(roundedStart_, std::move(start));
  std::vector<zcVector<2>> oldEnd = std::exchange(roundedEnd_, std::move(end));
  std::vector<double> oldSpan = std::exchange(roundedSpan_, std::move(span));
  const Pieces oldPieces = pieces_;
  const double oldSpread = spread_;
  try {
    rebuildLabels_();
    validate_();
    index_.value.reset();
  } catch (...) {
    spread_ = oldSpread;
    vertices_ = std::move(oldVertices);
    labels_ = std::move(oldLabels);
    roundedStart_ = std::move(oldStart);
    roundedEnd_ = std::move(oldEnd);
    roundedSpan_ = std::move(oldSpan);
    pieces_ = oldPieces;
    throw;
  }
}

void zcSMDGDPoly::deleteAllVertices() { vertices(std::vector<zcSMDGDPolyVertex>()); }

void zcSMDGDPoly::close() {
  if (vertices_.empty()) throw invalidVertices();
  mutating_();
  Journal journal(*this);
  open_ = false;
  try {
    validateReplacement_(0);
  } catch (...) {
    journal.rollBack();
    throw;
  }
}

void zcSMDGDPoly::open() {
  mutating_();
  open_ = true;
  try {
    validateReplacement_(0);
  } catch (...) {
    // Stays open with whatever roundings the check left: nothing is known about them.
    pieces_ = Pieces::eUnknown;
    spread_ = -1.0;
    index_.value.reset();
    throw;
  }
}

void zcSMDGDPolyPrivate::assignStored(zcSMDGDPoly& poly, std::vector<zcSMDGDPolyVertex> vertices,
                                      std::vector<zcVector<2>> roundedStarts, std::vector<zcVector<2>> roundedEnds,
                                      std::vector<double> roundedSpans, bool open) {
  const std::size_t n = vertices.size();
  if (roundedStarts.size() != n || roundedEnds.size() != n || roundedSpans.size() != n)
    throw zcShapesError::BadParams(L"rounding caches that disagree with the vertex count");
  poly.mutating_();
  poly.vertices_ = std::move(vertices);
  poly.roundedStart_ = std::move(roundedStarts);
  poly.roundedEnd_ = std::move(roundedEnds);
  poly.roundedSpan_ = std::move(roundedSpans);
  poly.open_ = open;
  poly.rebuildLabels_();
  // Nothing is known about pieces that were not validated here.
  poly.pieces_ = Pieces::eUnknown;
  poly.spread_ = -1.0;
  poly.index_.value.reset();
}

zcSMDGDPolyPrivate::zcSMDGDPolyPrivate(const std::wstring& name) : zcSMDGDPoly(name) {}

zcSMDGDPolyPrivate::zcSMDGDPolyPrivate(const zcSMDGDPoly& poly) : zcPersistent(poly), zcSMDGDPoly(poly) {}

// --- Comparison, transforms, dimensions -------------------------------------------------------

namespace {
bool polyEq(const zcSMDGDPoly& a, const zcSMDGDPoly& b, double vertexTol, double weightTol) {
  if (a.numVertices() != b.numVertices() || a.isOpen() != b.isOpen()) return false;
  if (a.isDirectionReversed() != b.isDirectionReversed()) return false;
  if (a.colors() != b.colors() || a.positiveArrowColor() != b.positiveArrowColor() ||
      a.negativeArrowColor() != b.negativeArrowColor())
    return false;
  if (!zfRealEq(a.weight(), b.weight(), weightTol)) return false;
  for (long i = 0; i < a.numVertices(); ++i)
    if (!zfRealEq(a.vertices()[i], b.vertices()[i], vertexTol)) return false;
  return true;
}
}  // namespace

// The vertices by their own equality (1e-11), the weight within 1e-15.
bool zcSMDGDPoly::operator==(const zcSMDGDPoly& other) const { return polyEq(*this, other, 1e-11, kZeroTol); }

bool zfRealEq(const zcSMDGDPoly& a, const zcSMDGDPoly& b, double tol) { return polyEq(a, b, tol, tol); }

zcSMDGDPoly operator*(const zc2Rigid& xform, const zcSMDGDPoly& poly) {
  std::vector<zcSMDGDPolyVertex> mapped;
  mapped.reserve(poly.vertices().size());
  for (const zcSMDGDPolyVertex& v : poly.vertices()) mapped.push_back(xform * v);
  zcSMDGDPoly result(poly);
  result.vertices(mapped);
  return result;
}

zcSMDGDPoly operator*(double factor, const zcSMDGDPoly& poly) {
  std::vector<zcSMDGDPolyVertex> scaled;
  scaled.reserve(poly.vertices().size());
  for (const zcSMDGDPolyVertex& v : poly.vertices()) scaled.push_back(factor * v);
  zcSMDGDPoly result(poly);
  result.vertices(scaled);
  return result;
}

zcSMDDimension zcSMDGDPoly::segmentDimension(long segment) const {
  const long end = nextVertexIndex_(segment);
  const double length = segmentLength_(segment);
  zcDimTol tol = vertices_[end].segmentLengthTol();
  try {
    tol.nomDim(length);
    return zcSMDDimension(tol);
  } catch (const zcException&) {
    throw zcSMDGDPolyVertex::invalidSegmentLength();
  }
}

// --- Archive ---------------------------------------------------------------------------------------

zcPersistent* zcSMDGDPoly::make() { return new zcSMDGDPoly(L"poly"); }
const zc_Instantiator zcSMDGDPoly::sExemplar(typeid(zcSMDGDPoly), "zcSMDGDPoly", &zcSMDGDPoly::make);


void zcSMDGDPoly::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcSMDGDPoly", kPolyVersion, [&](unsigned char v) { serialize_(archive, v); });
}

void zcSMDGDPoly::serialize_(zcArchive& archive, unsigned char version) {
  if (version > kPolyVersion) throw zcArchive::UnknownVersion(kModule, __LINE__);
  if (archive.isStoring() && vertices_.size() > 0xffffffffu) throw zcArchive::ValueOutOfRange(L"too many vertices");

  // Loading fills temporaries and assigns them at the end; the name, which the base
  // reads first, is put back when a later field fails.
  std::optional<zcSMDGDPoly> nameBefore;
  if (archive.isLoading()) nameBefore.emplace(name());
  try {
    zcSMDGeometricDescription::dispatchSerialize(archive);
    const bool loading = archive.isLoading();
    // Storing writes the fields themselves; loading reads into these.
    std::vector<zcSMDGDPolyVertex> loadedVertices;
    std::vector<std::int32_t> loadedLabels;
    std::vector<zcVector<2>> loadedStart, loadedEnd;
    std::vector<double> loadedSpan;
    auto& vertices = loading ? loadedVertices : vertices_;
    auto& labels = loading ? loadedLabels : labels_;
    auto& start = loading ? loadedStart : roundedStart_;
    auto& end = loading ? loadedEnd : roundedEnd_;
    auto& span = loading ? loadedSpan : roundedSpan_;
    using zc_smd::serializeList;
    serializeList(archive, vertices, kMinVertexBytes, kModule, [&](zcSMDGDPolyVertex& v) { archive || v; });
    serializeList(archive, labels, 4, kModule, [&](std::int32_t& label) { zc_smd::serializeLabel(archive, label); });
    serializeList(archive, start, 16, kModule, [&](zcVector<2>& p) { archive || p; });
    serializeList(archive, end, 16, kModule, [&](zcVector<2>& p) { archive || p; });
    serializeList(archive, span, 8, kModule, [&](double& s) { archive || s; });

    bool open = open_;
    bool reversed = reversed_;
    zcSMDColors colors = colors_;
    zcColor positive = positiveArrow_;
    zcColor negative = negativeArrow_;
    double weight = weight_;
    archive || open || reversed || colors || positive || negative;
    if (version >= 1) archive || weight;
    else weight = 1.0;
    if (!loading) return;

    // Every index of the poly reaches into the caches: their lengths must agree.
    if (start.size() != vertices.size() || end.size() != vertices.size() || span.size() != vertices.size())
      throw zcArchive::BadFormat(L"the rounding caches of a poly disagree with its vertex count");
    mutating_();
    vertices_ = std::move(vertices);
    labels_ = std::move(labels);
    roundedStart_ = std::move(start);
    roundedEnd_ = std::move(end);
    roundedSpan_ = std::move(span);
    open_ = open;
    reversed_ = reversed;
    colors_ = colors;
    positiveArrow_ = positive;
    negativeArrow_ = negative;
    weight_ = weight;
    // Nothing is known about pieces that were not validated here.
    pieces_ = Pieces::eUnknown;
    spread_ = -1.0;
    index_.value.reset();
  } catch (...) {
    if (nameBefore) zcSMDGeometricDescription::operator=(*nameBefore);
    throw;
  }
}
