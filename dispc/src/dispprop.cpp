#include "dispc/dispprop.h"

#include "dispc/uisketch.h"

#include "zfound/archive.h"
#include "zfound/bytes.h"

#include <limits>

ZC_EXCEPTION_DEFINE(zcGraphicProps::BadParams, zcException, "zcGraphicProps::BadParams", 0x10004513)

namespace {
// The width is a 32-bit field: a width it cannot hold is refused like a negative one.
void checkWidth(long width) {
  if (width < 0 || width > std::numeric_limits<std::int32_t>::max()) throw zcGraphicProps::BadParams();
}
}  // namespace

// The accessor, not the static copy: properties may be built while the library loads.
zcGraphicProps::zcGraphicProps() : zcGraphicProps(zcColor::cyanColor(), 1, ePenStyleDefault, false) {}

zcGraphicProps::zcGraphicProps(const zcColor& color, long width, zePenStyle style, bool fill)
    : penColor_(color),
      penWidth_(static_cast<std::int32_t>(width)),
      penStyle_(style),
      fill_(fill),
      penJoin_(ePenJoinDefault),
      penEndCap_(ePenEndCapDefault),
      arrowHead_(true),
      arrowHeadForward_(true),
      showVertex_(false) {
  checkWidth(width);
}

zcGraphicProps::zcGraphicProps(const zcGraphicProps& other) = default;
zcGraphicProps::~zcGraphicProps() = default;

zcGraphicProps& zcGraphicProps::operator=(const zcGraphicProps&) = default;

void zcGraphicProps::penColor(const zcColor& color) {
  mutating_();
  penColor_ = color;
}

void zcGraphicProps::penWidth(long width) {
  checkWidth(width);
  mutating_();
  penWidth_ = static_cast<std::int32_t>(width);
}

void zcGraphicProps::penStyle(zePenStyle style) {
  mutating_();
  penStyle_ = style;
}

void zcGraphicProps::fill(bool fill) {
  mutating_();
  fill_ = fill;
}

void zcGraphicProps::penJoin(zePenJoin join) {
  mutating_();
  penJoin_ = join;
}

void zcGraphicProps::penEndCap(zePenEndCap endCap) {
  mutating_();
  penEndCap_ = endCap;
}

void zcGraphicProps::arrowHead(bool on) {
  mutating_();
  arrowHead_ = on;
}

void zcGraphicProps::arrowHeadForward(bool forward) {
  mutating_();
  arrowHeadForward_ = forward;
}

void zcGraphicProps::showVertex(bool show) {
  mutating_();
  showVertex_ = show;
}

zcPersistent* zcGraphicProps::make() { return new zcGraphicProps; }
const zc_Instantiator zcGraphicProps::sExemplar(typeid(zcGraphicProps), "zcGraphicProps", &zcGraphicProps::make);

void zcGraphicProps::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcGraphicProps", 0, [&](unsigned char v) { serialize_(archive, v); });
}

void zcGraphicProps::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) throw zcArchive::UnknownVersion("dispc/dispprop", __LINE__);
  zcPersistent::dispatchSerialize(archive);
  if (archive.isLoading()) mutating_();
  long width = penWidth_;
  int style = penStyle_, join = penJoin_, endCap = penEndCap_;
  archive || penColor_ || width || style || fill_ || join || endCap || arrowHead_ || arrowHeadForward_ ||
      showVertex_;
  penWidth_ = static_cast<std::int32_t>(width);
  penStyle_ = static_cast<zePenStyle>(style);
  penJoin_ = static_cast<zePenJoin>(join);
  penEndCap_ = static_cast<zePenEndCap>(endCap);
}

void zcGraphicProps::writeRecord(zcUISketch& sketch) const { writeRecord(sketch.append(kRecordSize)); }

void zcGraphicProps::writeRecord(unsigned char* out) const {
  out[0] = 0;
  out[1] = fill_ ? 1 : 0;
  zfStoreI32(out + 2, penWidth_);
  zfStoreI32(out + 6, penStyle_);
  zfStoreI32(out + 10, penJoin_);
  zfStoreI32(out + 14, penEndCap_);
  out[18] = arrowHead_ ? 1 : 0;
  out[19] = arrowHeadForward_ ? 1 : 0;
  out[20] = showVertex_ ? 1 : 0;
}

void zcGraphicProps::readRecord(const unsigned char* in) {
  fill(in[0] != 0);
  penWidth(zfLoadI32(in + 1));
  penStyle(static_cast<zePenStyle>(zfLoadI32(in + 5)));
  penJoin(static_cast<zePenJoin>(zfLoadI32(in + 9)));
  penEndCap(static_cast<zePenEndCap>(zfLoadI32(in + 13)));
  arrowHead(in[17] != 0);
  arrowHeadForward(in[18] != 0);
  showVertex(in[19] != 0);
}

long zcGraphicProps::opcode(zcUISketch* sketch, const zcGraphicProps& p) const {
  if (!sketch) return 0;
  p.writeRecord(*sketch);
  return kRecordSize;
}

long zcGraphicProps::opcode(zcGraphicProps* target, const unsigned char* in) const {
  if (!target || !in) return 0;
  target->readRecord(in);
  return kRecordSize - 1;
}
