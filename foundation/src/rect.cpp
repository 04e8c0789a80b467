#include "zfound/rect.h"

#include "lines_support.h"
#include "zfound/genrect.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>
#include <vector>


namespace {

void checkRect(const zcPoint& corner, const zcVector<2>& size) {
  if (!zfIsFinite(corner) || !zfIsFinite(size)) throw zcShapesError::BadParams(L"non-finite rectangle");
  if (size.x() < 0.0 || size.y() < 0.0) throw zcShapesError::BadParams(L"negative rectangle size");
}

}  // namespace

const zc_Instantiator zcRect::sExemplar(typeid(zcRect), "zcRect", &zcRect::make);

zcPersistent* zcRect::make() { return new zcRect; }

zcRect::zcRect() = default;

zcRect::zcRect(const zcPoint& corner, const zcVector<2>& size) : corner_(corner), size_(size), empty_(false) {
  checkRect(corner, size);
}

zcRect::zcRect(double x, double y, double width, double height)
    : zcRect(zcPoint(x, y), zcVector<2>(width, height)) {}

zcRect::zcRect(const zcRect& other) = default;

zcRect& zcRect::operator=(const zcRect&) = default;

zcRect::~zcRect() = default;

zcRect zcRect::fromCorners(const zcPoint& a, const zcPoint& b) {
  return zcRect(zcPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                zcVector<2>(std::abs(a.x() - b.x()), std::abs(a.y() - b.y())));
}

void zcRect::corner(const zcPoint& value) {
  checkRect(value, size_);
  mutating_();
  corner_ = value;
  empty_ = false;
}

void zcRect::size(const zcVector<2>& value) {
  checkRect(corner_, value);
  mutating_();
  size_ = value;
  empty_ = false;
}

zcRect& zcRect::enclose(const zcRect& other) {
  if (other.empty_) return *this;
  if (empty_) return *this = other;
  const zcPoint lo(std::min(x(), other.x()), std::min(y(), other.y()));
  const zcPoint hi(std::max(lr().x(), other.lr().x()), std::max(lr().y(), other.lr().y()));
  return *this = zcRect(lo, hi - lo);
}

zcRect& zcRect::enclose(const zcPoint& p) { return enclose(zcRect(p, zcVector<2>())); }

bool zcRect::contains(const zcRect& other) const {
  if (other.empty_) return true;
  if (empty_) return false;
  return x() <= other.x() && y() <= other.y() && other.lr().x() <= lr().x() && other.lr().y() <= lr().y();
}

bool zcRect::intersects(const zcRect& other) const {
  if (empty_ || other.empty_) return false;
  return x() <= other.lr().x() && other.x() <= lr().x() && y() <= other.lr().y() && other.y() <= lr().y();
}

zcRect zcRect::intersection(const zcRect& other) const {
  if (!intersects(other)) return zcRect();
  const zcPoint lo(std::max(x(), other.x()), std::max(y(), other.y()));
  const zcPoint hi(std::min(lr().x(), other.lr().x()), std::min(lr().y(), other.lr().y()));
  return zcRect(lo, hi - lo);
}

bool zcRect::hasTangent() const { return !degen(); }

bool zcRect::degen() const { return empty_ || size_.x() == 0.0 || size_.y() == 0.0; }

zcRect zcRect::boundingBox() const { return *this; }

zcPoint zcRect::nearestPoint(const zcPoint& p) const {
  if (empty_) throw zcShapesError::EmptyShape(L"the empty rectangle has no points");
  return zcPoint(std::clamp(p.x(), x(), lr().x()), std::clamp(p.y(), y(), lr().y()));
}

double zcRect::perimeter() const { return empty_ ? 0.0 : 2.0 * (size_.x() + size_.y()); }

bool zcRect::within(const zcPoint& p) const {
  return !empty_ && x() <= p.x() && p.x() <= lr().x() && y() <= p.y() && p.y() <= lr().y();
}

zcShapePtr zcRect::mapShape(const zcXform<2>& x) const {
  const zcMatrix<2> m = x.matrix();
  if (empty_ || (m.element(0, 1) == 0.0 && m.element(1, 0) == 0.0)) return zcShapePtr(new zcRect(map(x)));
  return zcShapePtr(new zcGenRect(zcGenRect(*this).map(x)));
}

void zcRect::sample(const zcSampleParams& params, zcSampleResult& result) const {
  if (empty_) throw zcShapesError::EmptyShape(L"the empty rectangle has no boundary");
  const std::vector<zcPoint> corners{ul(), ur(), lr(), ll()};
  zc_lines::Chain{corners, true}.sample(params, result);
}

zcShapePtr zcRect::clone() const { return zcShapePtr(new zcRect(*this)); }

zcRect zcRect::map(const zcXform<2>& x) const {
  if (empty_) return *this;
  const zcMatrix<2> m = x.matrix();
  if (m.element(0, 1) != 0.0 || m.element(1, 0) != 0.0)
    throw zcShapesError::BadGeom(L"only axis scalings keep a rectangle axis-aligned");
  return fromCorners(x.mapPoint(ul()), x.mapPoint(lr()));
}

void zcRect::writeImage(zcImageOut<zkRectImageSize> out) const {
  std::fill(out.begin(), out.end(), static_cast<unsigned char>(0));
  zfStoreF64(out.data() + 16, x());
  zfStoreF64(out.data() + 24, y());
  zfStoreF64(out.data() + 32, width());
  zfStoreF64(out.data() + 40, height());
}

zcRect zcRect::readImage(zcImageIn<zkRectImageSize> in) {
  return zcRect(zfLoadF64(in.data() + 16), zfLoadF64(in.data() + 24), zfLoadF64(in.data() + 32),
                zfLoadF64(in.data() + 40));
}

bool zcRect::equal_(const zcShape& other) const {
  if (typeid(other) != typeid(zcRect)) return false;
  const auto& r = static_cast<const zcRect&>(other);
  return empty_ == r.empty_ && corner_ == r.corner_ && size_ == r.size_;
}

void zcRect::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcRect", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zfound/rect", __LINE__);
    zcShape::dispatchSerialize(archive);
    bool empty = empty_;
    zcPoint corner = corner_;
    zcVector<2> size = size_;
    archive || empty || corner || size;
    if (archive.isStoring()) return;
    if (!zfIsFinite(corner) || !zfIsFinite(size) || size.x() < 0.0 || size.y() < 0.0)
      throw zcArchive::BadFormat(L"not a rectangle");
    if (empty && (corner != zcPoint() || size != zcVector<2>()))
      throw zcArchive::BadFormat(L"an empty rectangle with a corner or size");
    mutating_();
    empty_ = empty;
    corner_ = corner;
    size_ = size;
  });
}

bool zfRealEq(const zcRect& a, const zcRect& b, double tol) {
  if (a.isEmpty() || b.isEmpty()) return a.isEmpty() == b.isEmpty();
  return zfRealEq(a.corner(), b.corner(), tol) && zfRealEq(a.size(), b.size(), tol);
}
