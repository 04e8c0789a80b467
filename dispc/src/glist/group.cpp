// Groups and lists of graphics.
#include "glist/glist_private.h"

#include "zfound/archive.h"

#include <climits>
#include <cmath>
#include <utility>

// --- zcGraphicGroup ------------------------------------------------------------------------

zcGraphicGroup::zcGraphicGroup() = default;

zcGraphicGroup::zcGraphicGroup(const zcGraphicGroup& other)
    : zcPersistent(other), zcRepBase(other), zcGraphic(other) {
  assign_(other);
}

zcGraphicGroup& zcGraphicGroup::operator=(const zcGraphicGroup& other) {
  if (this != &other) assign_(other);
  return *this;
}

zcGraphicGroup::~zcGraphicGroup() = default;

const zc_Instantiator zcGraphicGroup::sExemplar(typeid(zcGraphicGroup), "zcGraphicGroup", &zcGraphicGroup::make);

zcPersistent* zcGraphicGroup::make() { return new zcGraphicGroup; }

void zcGraphicGroup::assign_(const zcGraphicGroup& other) {
  // The clones first, so that a failure changes nothing.
  std::vector<zcPtrHandle<zcGraphic>> copies;
  copies.reserve(other.items_.size());
  for (const zcPtrHandle<zcGraphic>& g : other.items_) copies.push_back(g ? g->clone() : zcPtrHandle<zcGraphic>());
  zcGraphic::operator=(other);
  items_.swap(copies);
  null_ = other.null_;
}

zcPtrHandle_const<zcGraphic> zcGraphicGroup::item(long i) const {
  if (i < 0 || i >= numItems()) throw BadParams(L"Item index out of range");
  return items_[static_cast<std::size_t>(i)];
}

void zcGraphicGroup::getItems(std::vector<zcPtrHandle_const<zcGraphic>>& out) const {
  out.assign(items_.begin(), items_.end());
}

void zcGraphicGroup::items(const std::vector<zcPtrHandle_const<zcGraphic>>& in) {
  std::vector<zcPtrHandle<zcGraphic>> copies;
  copies.reserve(in.size());
  for (const zcPtrHandle_const<zcGraphic>& g : in) copies.push_back(g ? g->clone() : zcPtrHandle<zcGraphic>());
  mutating_();
  items_.swap(copies);
  itemsChanged_();
}

void zcGraphicPrivate::adoptItems(zcGraphicGroup& group, std::vector<zcPtrHandle<zcGraphic>> items) {
  group.mutating_();
  group.items_ = std::move(items);
  group.itemsChanged_();
}

void zcGraphicGroup::itemsChanged_() {
  null_ = true;
  bool taken = false;
  for (const zcPtrHandle<zcGraphic>& g : items_) {
    if (!g) continue;
    if (!g->isNull()) {
      zcGraphic::props() = g->props();
      null_ = false;
      return;
    }
    if (!taken) {
      zcGraphic::props() = g->props();
      taken = true;
    }
  }
}

void zcGraphicGroup::draw(zcUITablet& tablet, zcUITablet::Layers layer) const {
  if (null_) return;
  for (const zcPtrHandle<zcGraphic>& g : items_)
    if (g) zcGraphicPrivate::draw(*g, tablet, layer);
}

void zcGraphicGroup::setProps_(const zcGraphicProps& props) {
  for (const zcPtrHandle<zcGraphic>& g : items_) {
    if (!g) continue;
    g->props() = props;
    zcGraphicPrivate::setProps(*g, props);
  }
}

zcRect zcGraphicGroup::encloseRect() const {
  zcRect box;
  if (null_) return box;
  for (const zcPtrHandle<zcGraphic>& g : items_)
    if (g) box.enclose(g->encloseRect());
  return box;
}

double zcGraphicGroup::distToPoint(const zcVector<2>& p) const {
  double least = HUGE_VAL;
  if (null_) return least;
  for (const zcPtrHandle<zcGraphic>& g : items_) {
    if (!g) continue;
    const double d = g->distToPoint(p);
    if (!(d >= least)) least = d;
  }
  return least;
}

zcPtrHandle<zcGraphic> zcGraphicGroup::clone() const { return zcPtrHandle<zcGraphic>(new zcGraphicGroup(*this)); }

zcPtrHandle<zcGraphic> zcGraphicGroup::map(const zcXform<2>& x) const {
  // The copy's members are the maps themselves: mapping clones what it needs.
  zcPtrHandle<zcGraphicGroup> copy(new zcGraphicGroup);
  copy->zcGraphic::operator=(*this);
  copy->null_ = null_;
  copy->items_.reserve(items_.size());
  for (const zcPtrHandle<zcGraphic>& g : items_) copy->items_.push_back(g ? g->map(x) : zcPtrHandle<zcGraphic>());
  return copy;
}

void zcGraphicGroup::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcGraphicGroup", 0,
                   [&](unsigned char v) { zcGraphicGroup::serialize_(archive, v); });
}

void zcGraphicGroup::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) throw zcArchive::UnknownVersion(zkGraphicModule, __LINE__);
  if (archive.isLoading()) mutating_();
  zcGraphic::dispatchSerialize(archive);
  unsigned char itemsVersion = 0;
  archive || itemsVersion;
  if (itemsVersion != 0) throw zcArchive::UnknownVersion(std::string(), 0);
  unsigned long count = items_.size();
  archive || count;
  archive.checkCount(count, 1);
  // Read into a new sequence: the items stay as they were if reading fails.
  std::vector<zcPtrHandle<zcGraphic>> read;
  std::vector<zcPtrHandle<zcGraphic>>& target = archive.isLoading() ? read : items_;
  target.resize(count);
  for (zcPtrHandle<zcGraphic>& g : target) zcGraphicPrivate::serializeItem(archive, g);
  bool null = null_;
  archive || null;
  if (archive.isLoading()) {
    items_.swap(read);
    null_ = null;
  }
}

// --- zcGraphicList ---------------------------------------------------------------------------

zcGraphicList::zcGraphicList(const zcGraphicList& other) { append(other); }

zcGraphicList& zcGraphicList::operator=(const zcGraphicList& other) {
  if (this != &other) {
    zcGraphicList copy(other);
    items_.swap(copy.items_);
  }
  return *this;
}

zcGraphicList::~zcGraphicList() = default;

void zcGraphicList::append(const zcPtrHandle<zcGraphic>& g, bool cloneIt) {
  items_.push_back(cloneIt ? g->clone() : g);
}

void zcGraphicList::append(zcGraphicList& other, bool cloneIt) {
  if (cloneIt) {
    zcGraphicPrivate::appendClones(items_, other.items_, other.items_.size());
    return;
  }
  if (&other == this) return;
  items_.insert(items_.end(), std::make_move_iterator(other.items_.begin()),
                std::make_move_iterator(other.items_.end()));
  other.items_.clear();
}

void zcGraphicList::append(const zcGraphicList& other) {
  zcGraphicPrivate::appendClones(items_, other.items_, other.items_.size());
}

void zcGraphicList::draw(zcUITablet& tablet, zcUITablet::Layers layer) const {
  for (const zcPtrHandle<zcGraphic>& g : items_) zcGraphicPrivate::draw(*g, tablet, layer);
}

zcUISketch zcGraphicList::sketch(zcUITablet::Layers layer) const {
  zcUITablet recorder;
  draw(recorder, layer);
  return recorder.sketch();
}

zcArchive& operator||(zcArchive& archive, zcGraphicList& list) {
  unsigned char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion(zkGraphicModule, __LINE__);
  std::vector<zcPtrHandle<zcGraphic>>& items = list.items();
  if (items.size() > static_cast<std::size_t>(INT_MAX))
    throw zcArchive::ValueOutOfRange(L"a graphic list longer than an int counts");
  int count = static_cast<int>(items.size());
  archive || count;
  if (count < 0) throw zcArchive::BadCount(L"a negative graphic list count");
  archive.checkCount(static_cast<unsigned long>(count), 1);
  if (archive.isStoring()) {
    for (zcPtrHandle<zcGraphic>& g : items) zcGraphicPrivate::serializeItem(archive, g);
    return archive;
  }
  std::vector<zcPtrHandle<zcGraphic>> read(static_cast<std::size_t>(count));
  for (zcPtrHandle<zcGraphic>& g : read) zcGraphicPrivate::serializeItem(archive, g);
  items.swap(read);
  return archive;
}
