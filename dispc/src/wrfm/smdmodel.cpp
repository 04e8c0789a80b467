// SMD model: the poly list with its labels and position, comparison, transforms,
// sub-models, measures and the archive form. Cropping, building from wireframes and
// polygons, boxes and drawing are in smdmodel_ops.cpp.
#include "dispc/wrfm/smdmodel.h"

#include "dispc/wrfm/wirefrm.h"
#include "wrfm/smdcommon.h"

#include "zfound/archive.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <ostream>
#include <utility>

namespace {
constexpr const char* kModule = "dispc/wrfm/smdmodel";
constexpr unsigned char kModelVersion = 0;
// Smallest archive form of one poly: version, base (version, empty name), five empty
// lists, two flags, the colors' version byte.
constexpr std::size_t kMinPolyBytes = 1 + 1 + 4 + 5 * 5 + 2 + 1;
}  // namespace

// --- Exceptions ------------------------------------------------------------------------

ZC_EXCEPTION_FAMILY_SERIALIZE(zcSMDGDModel::Errors, zcException, "zcSMDGDModel::Errors")

ZC_SMD_ERROR_DEFINE(zcSMDGDModel, invalidIndex, 0x11000370, L"Invalid poly index specified.")
ZC_SMD_ERROR_DEFINE(zcSMDGDModel, crossingPolys, 0x11000371, L"At least two polys intersect.")
ZC_SMD_ERROR_DEFINE(zcSMDGDModel, nestedPolys, 0x11000372, L"At least one of the polys is nested.")

// --- State and the poly list -------------------------------------------------------------

zcSMDGDModel::zcSMDGDModel(const std::wstring& name) : zcSMDGeometricDescription(name) {}
zcSMDGDModel::zcSMDGDModel(const zcSMDGDModel&) = default;
zcSMDGDModel& zcSMDGDModel::operator=(const zcSMDGDModel& other) {
  if (this == &other) return *this;
  mutating_();
  zcSMDGeometricDescription::operator=(other);
  polys_ = other.polys_;
  labels_ = other.labels_;
  position_ = other.position_;
  return *this;
}
zcSMDGDModel::~zcSMDGDModel() = default;

void zcSMDGDModel::reset() { *this = zcSMDGDModel(); }

void zcSMDGDModel::reInit() {
  polys_.clear();
  labels_.clear();
  position_ = zc2Rigid();
}

const zcSMDGDPoly& zcSMDGDModel::poly(long i) const {
  if (i < 0 || i >= numPolys()) throw invalidIndex();
  return polys_[static_cast<std::size_t>(i)];
}

bool zcSMDGDModel::addLabel_(std::int32_t label) {
  if (std::find(labels_.begin(), labels_.end(), label) != labels_.end()) return false;
  labels_.push_back(label);
  return true;
}

void zcSMDGDModel::rebuildLabels_() {
  labels_.clear();
  for (const zcSMDGDPoly& p : polys_)
    for (std::int32_t label : p.subModelLabels()) addLabel_(label);
}

zcSMDGDModel& zcSMDGDModel::operator<<(const zcSMDGDPoly& poly) {
  mutating_();
  polys_.push_back(poly);
  for (std::int32_t label : poly.subModelLabels()) addLabel_(label);
  return *this;
}

zcSMDGDModel& zcSMDGDModel::operator<<(const zcSMDGDModel& model) {
  // A copy first: the model may be appended to itself.
  const std::vector<zcSMDGDPoly> others = model.polys_;
  for (const zcSMDGDPoly& p : others) *this << p;
  return *this;
}

zcSMDGDModel& zcSMDGDModel::operator<<(const std::vector<zc2Wireframe>& wireframes) {
  // Every poly is built before the first goes in, so a refused wireframe adds none.
  std::vector<zcSMDGDPoly> built;
  built.reserve(wireframes.size());
  for (const zc2Wireframe& w : wireframes) built.emplace_back(w, L"poly");
  for (const zcSMDGDPoly& p : built) *this << p;
  return *this;
}

void zcSMDGDModel::polys(const std::vector<zcSMDGDPoly>& list) {
  mutating_();
  std::vector<zcSMDGDPoly> copy = list;
  polys_.swap(copy);
  rebuildLabels_();
}

namespace {

// The rebuilt list of every poly but index `skip`, with `replacement` (if any) in its
// place. An index that matches no poly leaves the list as it was.
std::vector<zcSMDGDPoly> rebuilt(const std::vector<zcSMDGDPoly>& polys, long skip, const zcSMDGDPoly* replacement) {
  std::vector<zcSMDGDPoly> out;
  out.reserve(polys.size());
  for (long i = 0; i < static_cast<long>(polys.size()); ++i) {
    if (i != skip) out.push_back(polys[static_cast<std::size_t>(i)]);
    else if (replacement) out.push_back(*replacement);
  }
  return out;
}

}  // namespace

void zcSMDGDModel::replacePoly(long i, const zcSMDGDPoly& poly) {
  std::vector<zcSMDGDPoly> list = rebuilt(polys_, i, &poly);
  mutating_();
  polys_.swap(list);
  rebuildLabels_();
  zcSMDGeometricDescription::operator=(zcSMDGDModel());
}

void zcSMDGDModel::deletePoly(long i) {
  std::vector<zcSMDGDPoly> list = rebuilt(polys_, i, nullptr);
  mutating_();
  polys_.swap(list);
  rebuildLabels_();
  zcSMDGeometricDescription::operator=(zcSMDGDModel());
}

void zcSMDGDModel::deleteAllPolys() {
  mutating_();
  polys_.clear();
  labels_.clear();
  zcSMDGeometricDescription::operator=(zcSMDGDModel());
}

// --- Attributes ----------------------------------------------------------------------------

void zcSMDGDModel::colors(const zcSMDColors& colors) {
  mutating_();
  for (zcSMDGDPoly& p : polys_) p.colors(colors);
}

void zcSMDGDModel::positiveArrowColor(const zcColor& color) {
  mutating_();
  for (zcSMDGDPoly& p : polys_) p.positiveArrowColor(color);
}

void zcSMDGDModel::negativeArrowColor(const zcColor& color) {
  mutating_();
  for (zcSMDGDPoly& p : polys_) p.negativeArrowColor(color);
}

bool zcSMDGDModel::isOpen() const {
  return std::any_of(polys_.begin(), polys_.end(), [](const zcSMDGDPoly& p) { return p.isOpen(); });
}

long zcSMDGDModel::numVertices() const {
  long n = 0;
  for (const zcSMDGDPoly& p : polys_) n += p.numVertices();
  return n;
}

bool zcSMDGDModel::operator==(const zcSMDGDModel& other) const {
  return zcSMDGDModelPrivate::equivalent(*this, other) && position_ == other.position_;
}

// --- Transforms and sub-models ----------------------------------------------------------------

namespace {

template <class Map>
zcSMDGDModel mappedModel(const zcSMDGDModel& model, Map map) {
  zcSMDGDModel out;
  for (const zcSMDGDPoly& p : model.polys()) out << map(p);
  return out;
}

}  // namespace

zcSMDGDModel operator*(const zc2Rigid& xform, const zcSMDGDModel& model) {
  return mappedModel(model, [&](const zcSMDGDPoly& p) { return xform * p; });
}

zcSMDGDModel operator*(double factor, const zcSMDGDModel& model) {
  zcSMDGDModel out = mappedModel(model, [&](const zcSMDGDPoly& p) { return factor * p; });
  const zc2Rigid& at = zcSMDGDModelPrivate::position(model);
  zcSMDGDModelPrivate::position(out, zc2Rigid(at.angle(), factor * at.trans()));
  return out;
}

zcSMDGDModel zcSMDGDModel::flip() const {
  zcSMDGDModel out = mappedModel(*this, [](const zcSMDGDPoly& p) { return zcSMDGDPolyPrivate::flip(p); });
  out.position_ = zc2Rigid(-position_.angle(), -1.0 * position_.trans());
  return out;
}

zcSMDGDPoly zcSMDGDPolyPrivate::flip(const zcSMDGDPoly& poly) {
  std::vector<zcSMDGDPolyVertex> mirrored = poly.vertices();
  for (zcSMDGDPolyVertex& v : mirrored) {
    v.point(zcVector<2>(v.point().x(), -v.point().y()));
    v.segmentAngleSpan(-v.segmentAngleSpan());
  }
  zcSMDGDPoly out(poly);
  out.vertices(mirrored);
  out.toggleDirection();
  return out;
}

void zcSMDGDPolyPrivate::subModel(const zcSMDGDPoly& poly, std::int32_t label, zcSMDGDModel& out) {
  for (long v = 0; v < poly.numVertices(); ++v)
    if (poly.vertices()[static_cast<std::size_t>(v)].subModelLabel() == label) out << subPoly(poly, v, false);
}

namespace {

// The model moved into its normalized frame, with that frame as its position.
void normalize(zcSMDGDModel& model) {
  const zc2Rigid at = zcSMDGDModelPrivate::normalizedPosition(model);
  model = at.inverse() * model;
  zcSMDGDModelPrivate::position(model, at);
}

}  // namespace

void zcSMDGDModel::subModel(std::int32_t label, zcSMDGDModel& out) const {
  // The pieces join what `out` holds already, and the whole is normalized.
  zcSMDGDModel pieces(out);
  for (const zcSMDGDPoly& p : polys_) {
    zcSMDGDModel one;
    zcSMDGDPolyPrivate::subModel(p, label, one);
    pieces << one;
  }
  normalize(pieces);
  out = pieces;
}

// --- Measures ------------------------------------------------------------------------------------

zcVector<2> zcSMDGDModel::centerOfMass_() const {
  zcVector<2> sum;
  long count = 0;
  for (const zcSMDGDPoly& p : polys_)
    for (const zcSMDGDPolyVertex& v : p.vertices()) {
      sum += v.point();
      ++count;
    }
  return count == 0 ? zcVector<2>() : sum / static_cast<double>(count);
}

zcDegree zcSMDGDModel::orientation_() const {
  if (polys_.empty()) return zcDegree(0.0);
  return zcDegree(zcSMDGDPolyPrivate::position(polys_.front()).angle());
}

double zcSMDGDModel::perimeter_(double minPiece) const {
  double sum = 0.0;
  for (const zcSMDGDPoly& p : polys_) sum += p.perimeter_(minPiece);
  return sum;
}

double zcSMDGDModel::extensionPerimeter_() const {
  double sum = 0.0;
  for (const zcSMDGDPoly& p : polys_) sum += p.extensionPerimeter_();
  return sum;
}

std::vector<long> zcSMDGDModel::polysOutOfTolerance(const zcXform<2>& xform1, const zcXform<2>& xform2) const {
  std::vector<long> out;
  for (long i = 0; i < numPolys(); ++i)
    if (!polys_[static_cast<std::size_t>(i)].segmentsOutOfTolerance(xform1, xform2).empty()) out.push_back(i);
  return out;
}

void zcSMDGDModel::setExtensions_(double distance, zcDegree angle, double margin, double fraction) {
  mutating_();
  for (zcSMDGDPoly& p : polys_) {
    if (fraction >= 0.0) p.setExtensions_(fraction);
    else p.setDefaultExtensions_();
  }
  for (std::size_t i = 0; i < polys_.size(); ++i)
    for (std::size_t j = 0; j < polys_.size(); ++j) {
      // A poly checked against itself reads the state it is changing: use a copy.
      const zcSMDGDPoly other = polys_[j];
      polys_[i].checkExtensions_(other, distance, angle, margin, i == j);
    }
}

// --- zcSMDGDModelPrivate: measures -----------------------------------------------------------------

zcSMDGDModelPrivate::zcSMDGDModelPrivate(const std::wstring& name) : zcSMDGDModel(name) {}
zcSMDGDModelPrivate::zcSMDGDModelPrivate(const zcSMDGDModel& model) : zcSMDGDModel(model) {}

void zcSMDGDModelPrivate::position(zcSMDGDModel& model, const zc2Rigid& at) {
  model.mutating_();
  model.position_ = at;
}

bool zcSMDGDModelPrivate::equivalent(const zcSMDGDModel& a, const zcSMDGDModel& b) {
  return a.polys_.size() == b.polys_.size() && std::equal(a.polys_.begin(), a.polys_.end(), b.polys_.begin());
}

zc2Rigid zcSMDGDModelPrivate::normalizedPosition(const zcSMDGDModel& model) {
  if (model.polys_.empty()) return zc2Rigid(zcRadian(0.0), model.centerOfMass_());
  const zcSMDGDPoly& first = model.polys_.front();
  const zcRadian turn = zcSMDGDPolyPrivate::position(first).angle();
  if (model.polys_.size() == 1 && first.numVertices() == 3) return zc2Rigid(turn, first.vertices()[1].point());
  return zc2Rigid(turn, model.centerOfMass_());
}

zcDegree zcSMDGDModelPrivate::dominantAngle(const zcSMDGDModel& model) {
  if (model.polys_.empty()) return zcDegree(0.0);
  double x = 0.0, y = 0.0;
  for (const zcSMDGDPoly& p : model.polys_) {
    const zcDegree a = zcSMDGDPolyPrivate::dominantAngle(p);
    const double length = p.perimeter_(0.0);
    x += length * cos(a);
    y += length * sin(a);
  }
  const double d = zcDegree(zfATan2(y, x)).norm().value();
  return zcDegree(d - 90.0 * std::floor(d / 90.0 + 0.5));
}

long zcSMDGDModelPrivate::numPosProbesRequired(const zcSMDGDModel& model, const zcXform<2>& xform,
                                               const std::vector<zcXform<2>>& xforms, double spacing) {
  if (xforms.size() != model.polys_.size()) throw invalidIndex();
  double sum = 0.0;
  for (std::size_t i = 0; i < xforms.size(); ++i)
    if (model.polys_[i].weight() > 0.0) sum += model.polys_[i].perimeter_(xform * xforms[i]);
  return static_cast<long>(sum / spacing);
}

void zcSMDGDModelPrivate::corner(const zcSMDGDModel& model, zcSMDGDModel& out, long p, long v, bool wrap) {
  zcSMDGDModel result(out);
  result << zcSMDGDPolyPrivate::corner(model.poly(p), v, wrap);
  normalize(result);
  out = result;
}

void zcSMDGDModelPrivate::setExtensions(zcSMDGDModel& model, double d, double fraction) {
  model.setExtensions_(8.0 * d, zcDegree(10.0), d, fraction);
}

// --- Archive ---------------------------------------------------------------------------------------

zcPersistent* zcSMDGDModel::make() { return new zcSMDGDModel; }
const zc_Instantiator zcSMDGDModel::sExemplar(typeid(zcSMDGDModel), "zcSMDGDModel", &zcSMDGDModel::make);

void zcSMDGDModel::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcSMDGDModel", kModelVersion, [&](unsigned char v) { serialize_(archive, v); });
}

void zcSMDGDModel::serialize_(zcArchive& archive, unsigned char version) {
  if (version != kModelVersion) throw zcArchive::UnknownVersion(kModule, __LINE__);
  if (archive.isStoring() && polys_.size() > 0xffffffffu) throw zcArchive::ValueOutOfRange(L"too many polys");
  // Loading fills temporaries and assigns them at the end; the name, which the base
  // reads first, is put back when a later field fails.
  std::optional<std::wstring> nameBefore;
  if (archive.isLoading()) nameBefore = name();
  try {
    zcSMDGeometricDescription::dispatchSerialize(archive);
    const bool loading = archive.isLoading();
    std::vector<zcSMDGDPoly> loadedPolys;
    std::vector<std::int32_t> loadedLabels;
    auto& polys = loading ? loadedPolys : polys_;
    auto& labels = loading ? loadedLabels : labels_;
    zc_smd::serializeList(archive, polys, kMinPolyBytes, kModule, [&](zcSMDGDPoly& p) { archive || p; });
    zc_smd::serializeList(archive, labels, 4, kModule,
                          [&](std::int32_t& label) { zc_smd::serializeLabel(archive, label); });
    zc2Rigid position = position_;
    archive || position;
    if (!loading) return;
    mutating_();
    polys_ = std::move(polys);
    labels_ = std::move(labels);
    position_ = position;
  } catch (...) {
    if (nameBefore) zcSMDGeometricDescription::operator=(zcSMDGDModel(*nameBefore));
    throw;
  }
}
