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

zcGraphicProps::zcGraphicProps() : values_(kDefaultValues) {}

zcGraphicProps::zcGraphicProps(const zcColor& color, long width, zePenStyle style, bool fill)
    : values_{{}, color} {
  checkWidth(width);
  // Version 0, join and end cap 0, no vertex markers: the zeros above.
  values_.record[kFillAt] = fill ? 1 : 0;
  zfStoreI32(values_.record + kWidthAt, static_cast<std::int32_t>(width));
  zfStoreI32(values_.record + kStyleAt, style);
  values_.record[kArrowHeadAt] = 1;
  values_.record[kArrowHeadForwardAt] = 1;
}

zcGraphicProps::zcGraphicProps(const zcGraphicProps& other) = default;
zcGraphicProps::~zcGraphicProps() = default;

zcGraphicProps& zcGraphicProps::operator=(const zcGraphicProps&) = default;

void zcGraphicProps::penColor(const zcColor& color) {
  mutating_();
  values_.penColor = color;
}

void zcGraphicProps::penWidth(long width) {
  checkWidth(width);
  mutating_();
  zfStoreI32(values_.record + kWidthAt, static_cast<std::int32_t>(width));
}

void zcGraphicProps::penStyle(zePenStyle style) {
  mutating_();
  zfStoreI32(values_.record + kStyleAt, style);
}

void zcGraphicProps::fill(bool fill) {
  mutating_();
  values_.record[kFillAt] = fill ? 1 : 0;
}

void zcGraphicProps::penJoin(zePenJoin join) {
  mutating_();
  zfStoreI32(values_.record + kJoinAt, join);
}

void zcGraphicProps::penEndCap(zePenEndCap endCap) {
  mutating_();
  zfStoreI32(values_.record + kEndCapAt, endCap);
}

void zcGraphicProps::arrowHead(bool on) {
  mutating_();
  values_.record[kArrowHeadAt] = on ? 1 : 0;
}

void zcGraphicProps::arrowHeadForward(bool forward) {
  mutating_();
  values_.record[kArrowHeadForwardAt] = forward ? 1 : 0;
}

void zcGraphicProps::showVertex(bool show) {
  mutating_();
  values_.record[kShowVertexAt] = show ? 1 : 0;
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
  long width = penWidth();
  int style = penStyle(), join = penJoin(), endCap = penEndCap();
  bool fill = this->fill(), arrow = arrowHead(), forward = arrowHeadForward(), vertex = showVertex();
  archive || values_.penColor || width || style || fill || join || endCap || arrow || forward || vertex;
  // Stored back as read (or as they were): nothing read is validated.
  values_.record[kFillAt] = fill ? 1 : 0;
  zfStoreI32(values_.record + kWidthAt, static_cast<std::int32_t>(width));
  zfStoreI32(values_.record + kStyleAt, style);
  zfStoreI32(values_.record + kJoinAt, join);
  zfStoreI32(values_.record + kEndCapAt, endCap);
  values_.record[kArrowHeadAt] = arrow ? 1 : 0;
  values_.record[kArrowHeadForwardAt] = forward ? 1 : 0;
  values_.record[kShowVertexAt] = vertex ? 1 : 0;
}

void zcGraphicProps::writeRecord(zcUISketch& sketch) const { writeRecord(sketch.append(kRecordSize)); }

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
