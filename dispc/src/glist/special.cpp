// The special graphics: text, cross, point icon and ellipse annulus section. What they
// share (registration, the empty draw(void*), the version level of the archive form,
// copies) is written once below; each class adds its data, drawing and measures.
#include "glist/glist_private.h"

#include "zfound/archive.h"

namespace {

// A class's level after its version byte: the version checked against the newest it
// reads, the zcGraphic part, then the data in order.
template <class... T>
void serializeLevel(zcGraphic& g, zcArchive& archive, unsigned char version, unsigned char newest, T&... data) {
  if (version > newest) throw zcArchive::UnknownVersion(zkGraphicModule, __LINE__);
  zcGraphicPrivate::serializeBase(g, archive);
  (archive || ... || data);
}

template <class G>
zcPtrHandle<zcGraphic> handle(G* g) {
  return zcPtrHandle<zcGraphic>(g);
}

// The assignment of a graphic with one field: the zcGraphic part (its mutation hook),
// then the field.
template <class G, class T>
G& assigned(G& self, const G& other, T G::*field) {
  self.zcGraphic::operator=(other);
  self.*field = other.*field;
  return self;
}

}  // namespace

// Registration under the class's own name, make, copies, the empty draw(void*) and the
// version level (written as `version`, read up to it).
#define ZC_GRAPHIC_SPECIAL_COMMON(G, version)                                                        \
  G::G(const G& other) = default;                                                                   \
  G::~G() = default;                                                                                \
  const zc_Instantiator G::sExemplar(typeid(G), #G, &G::make);                                      \
  zcPersistent* G::make() { return new G; }                                                        \
  void G::draw(void* context) const { zcGraphic::draw(context); }                                   \
  void G::dispatchSerialize(zcArchive& archive) {                                                   \
    zfSerializeLevel(archive, this, #G, version, [&](unsigned char v) { G::serialize_(archive, v); }); \
  }

ZC_GRAPHIC_SPECIAL_COMMON(zcGraphicText, 0)
ZC_GRAPHIC_SPECIAL_COMMON(zcGraphicCross, 0)
ZC_GRAPHIC_SPECIAL_COMMON(zcGraphicPointIcon, 0)
ZC_GRAPHIC_SPECIAL_COMMON(zcGraphicEllipseAnnulusSection, 1)
#undef ZC_GRAPHIC_SPECIAL_COMMON

// --- zcGraphicText -------------------------------------------------------------------------

zcGraphicText::zcGraphicText() = default;

zcGraphicText::zcGraphicText(const std::wstring& text, const zcPoint& location, const zcColor& color,
                             const zcColor& background, const zcUIFormat& format, const zcVector<2>& offset)
    : zcGraphic(color), text_(text), location_(location), background_(background), format_(format), offset_(offset) {}

zcGraphicText& zcGraphicText::operator=(const zcGraphicText& other) {
  zcGraphic::operator=(other);
  text_ = other.text_;
  location_ = other.location_;
  background_ = other.background_;
  format_ = other.format_;
  offset_ = other.offset_;
  return *this;
}

// A clone, like a map, resets the offset and the properties other than the pen color.
zcPtrHandle<zcGraphic> zcGraphicText::map(const zcXform<2>& x) const { return rebuilt(x.mapPoint(location_)); }
zcPtrHandle<zcGraphic> zcGraphicText::clone() const { return rebuilt(location_); }

zcPtrHandle<zcGraphic> zcGraphicText::rebuilt(const zcPoint& at) const {
  return handle(new zcGraphicText(text_, at, color(), background_, format_, zcVector<2>(0, 0)));
}

zcRect zcGraphicText::encloseRect() const { return zcRect(); }
double zcGraphicText::distToPoint(const zcVector<2>&) const { return 1e308; }

void zcGraphicText::draw(zcUITablet& tablet, zcUITablet::Layers layer) const {
  zfDrawText(tablet, text_, location_, offset_, color(), background_, format_, layer);
}

void zcGraphicText::serialize_(zcArchive& archive, unsigned char version) {
  serializeLevel(*this, archive, version, 0, text_, location_, background_, format_, offset_);
}

// --- zcGraphicCross ------------------------------------------------------------------------

zcGraphicCross::zcGraphicCross() = default;
zcGraphicCross::zcGraphicCross(const zcCross& cross, const zcColor& color) : zcGraphic(color), cross_(cross) {}
zcGraphicCross::zcGraphicCross(const zcCross& cross, const zcGraphicProps& props) : zcGraphic(props), cross_(cross) {}

zcGraphicCross& zcGraphicCross::operator=(const zcGraphicCross& other) {
  return assigned(*this, other, &zcGraphicCross::cross_);
}

zcPtrHandle<zcGraphic> zcGraphicCross::map(const zcXform<2>& x) const {
  return handle(new zcGraphicCross(cross_.map(x), props()));
}

zcRect zcGraphicCross::encloseRect() const { return zcRect(); }
double zcGraphicCross::distToPoint(const zcVector<2>& p) const { return cross_.center().distance(p); }

zcPtrHandle<zcGraphic> zcGraphicCross::clone() const { return handle(new zcGraphicCross(*this)); }

void zcGraphicCross::draw(zcUITablet& tablet, zcUITablet::Layers layer) const { tablet.draw(cross_, props(), layer); }

void zcGraphicCross::serialize_(zcArchive& archive, unsigned char version) {
  serializeLevel(*this, archive, version, 0, cross_);
}

// --- zcGraphicPointIcon --------------------------------------------------------------------

zcGraphicPointIcon::zcGraphicPointIcon() = default;
zcGraphicPointIcon::zcGraphicPointIcon(const zcPoint& point, const zcColor& color) : zcGraphic(color), point_(point) {}
zcGraphicPointIcon::zcGraphicPointIcon(const zcPoint& point, const zcGraphicProps& props)
    : zcGraphic(props), point_(point) {}

zcGraphicPointIcon& zcGraphicPointIcon::operator=(const zcGraphicPointIcon& other) {
  return assigned(*this, other, &zcGraphicPointIcon::point_);
}

zcPtrHandle<zcGraphic> zcGraphicPointIcon::map(const zcXform<2>& x) const {
  return handle(new zcGraphicPointIcon(x.mapPoint(point_), props()));
}

zcRect zcGraphicPointIcon::encloseRect() const { return zcRect(point_, zcVector<2>(1.0, 1.0)); }
double zcGraphicPointIcon::distToPoint(const zcVector<2>& p) const { return point_.distance(p); }

zcPtrHandle<zcGraphic> zcGraphicPointIcon::clone() const { return handle(new zcGraphicPointIcon(*this)); }

void zcGraphicPointIcon::draw(zcUITablet& tablet, zcUITablet::Layers layer) const {
  tablet.drawPointIcon(point_, props(), layer);
}

void zcGraphicPointIcon::serialize_(zcArchive& archive, unsigned char version) {
  serializeLevel(*this, archive, version, 0, point_);
}

// --- zcGraphicEllipseAnnulusSection --------------------------------------------------------

zcGraphicEllipseAnnulusSection::zcGraphicEllipseAnnulusSection() = default;

zcGraphicEllipseAnnulusSection::zcGraphicEllipseAnnulusSection(const zcEllipseAnnulusSection& section,
                                                               const zcColor& color, bool arrowHead,
                                                               bool arrowHeadForward)
    : zcGraphic(color), section_(section) {
  drawArrowHead(arrowHead, arrowHeadForward);
}

zcGraphicEllipseAnnulusSection::zcGraphicEllipseAnnulusSection(const zcEllipseAnnulusSection& section,
                                                               const zcGraphicProps& props)
    : zcGraphic(props), section_(section) {}

zcGraphicEllipseAnnulusSection& zcGraphicEllipseAnnulusSection::operator=(
    const zcGraphicEllipseAnnulusSection& other) {
  return assigned(*this, other, &zcGraphicEllipseAnnulusSection::section_);
}

zcEllipseAnnulusSection& zcGraphicEllipseAnnulusSection::item() {
  mutating_();
  return section_;
}

void zcGraphicEllipseAnnulusSection::drawArrowHead(bool head, bool forward) {
  zcGraphicProps& p = props();  // the graphic's hook; each setter calls the properties' own
  p.arrowHead(head);
  p.arrowHeadForward(forward);
}

zcPtrHandle<zcGraphic> zcGraphicEllipseAnnulusSection::map(const zcXform<2>& x) const {
  return handle(new zcGraphicEllipseAnnulusSection(section_.map(x), props()));
}

zcRect zcGraphicEllipseAnnulusSection::encloseRect() const { return section_.boundingBox(); }
double zcGraphicEllipseAnnulusSection::distToPoint(const zcVector<2>& p) const { return section_.distToPoint(p); }

zcPtrHandle<zcGraphic> zcGraphicEllipseAnnulusSection::clone() const {
  return handle(new zcGraphicEllipseAnnulusSection(*this));
}

void zcGraphicEllipseAnnulusSection::draw(zcUITablet& tablet, zcUITablet::Layers layer) const {
  tablet.draw(section_, props(), layer);
}

void zcGraphicEllipseAnnulusSection::serialize_(zcArchive& archive, unsigned char version) {
  serializeLevel(*this, archive, version, 1, section_);
  if (version == 0) {
    bool head = false, forward = false;
    archive || head || forward;
    drawArrowHead(head, forward);
  }
}
