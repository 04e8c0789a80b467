#include "dispc/sketchop.h"

#include "sketchio.h"
#include "sketchkinds.h"

#include "dispc/uitablet.h"

#include "zfound/archive.h"
#include "zfound/handle.h"

#include <array>
#include <cstring>
#include <memory>
#include <typeinfo>

namespace {
using zc_sketch::kOpcodeLimit;

// The operation kinds, indexed by opcode (see ops.def).
struct Kind {
  zcUISketchOpKind kind;
  zc_UISketchOpData* (*make)();
};

template <class R>
zc_UISketchOpData* makeRecord() {
  return new R;
}

const std::array<Kind, kOpcodeLimit> kKinds = [] {
  std::array<Kind, kOpcodeLimit> kinds{};
#define ZC_SKETCH_OP(code, name, Class, length) kinds[code] = {{code, #name, length, false}, makeRecord<Class>};
#define ZC_SKETCH_OP_FILLED(code, name, Class, length) kinds[code] = {{code, #name, length, true}, makeRecord<Class>};
#include "ops.def"
  return kinds;
}();

const Kind* kindOf(long opcode) {
  if (opcode < 0 || opcode >= kOpcodeLimit || !kKinds[opcode].make) return nullptr;
  return &kKinds[opcode];
}

const Kind& checkedKind(long opcode) {
  const Kind* kind = kindOf(opcode);
  if (!kind) zc_SketchIO::invalid();
  return *kind;
}

// The library's own walks report every malformed operation as an invalid sketch,
// whatever part of the foundation refused its bytes.
template <class F>
decltype(auto) asSketchError(F&& f) {
  try {
    return f();
  } catch (const zcUIError::InvalidUISketch&) {
    throw;
  } catch (const zcException&) {
    throw zcUIError::InvalidUISketch();
  }
}

std::size_t availableBytes(long available) {
  if (available < 0) throw zcUIError::InvalidUISketch();
  return static_cast<std::size_t>(available);
}
}  // namespace

zc_UISketchOpData* zfCreateUISketchOpData(long opcode) { return checkedKind(opcode).make(); }

std::span<const zcUISketchOpKind> zfUISketchOpKinds() {
  static const std::vector<zcUISketchOpKind> kinds = [] {
    std::vector<zcUISketchOpKind> all;
    for (const Kind& k : kKinds)
      if (k.make) all.push_back(k.kind);
    return all;
  }();
  return kinds;
}

const zcUISketchOpKind* zfUISketchOpKind(long opcode) {
  const Kind* kind = kindOf(opcode);
  return kind ? &kind->kind : nullptr;
}

const char* zfUISketchOpName(long opcode) {
  const Kind* kind = kindOf(opcode);
  return kind ? kind->kind.name : nullptr;
}

// ---------------------------------------------------------------------------
// Header record.

// The header color is the default properties' pen color, as the properties say.
zc_UISketchOpHeader::zc_UISketchOpHeader() : color_(props_.penColor()) {}

zc_UISketchOpHeader::zc_UISketchOpHeader(long opcode, zcUITablet::Layers layer, const zcColor& color,
                                         const zcGraphicProps& props, bool hasProps)
    : hasProps_(hasProps), props_(props), layer_(layer), color_(color), opcode_(static_cast<std::int32_t>(opcode)) {
  props_.penColor(color);
}

zc_UISketchOpHeader::zc_UISketchOpHeader(const zc_UISketchOpHeader& other)
    : zcPersistent(other),
      zcRepBase(other),
      hasProps_(other.hasProps_),
      propsVersion_(other.propsVersion_),
      props_(other.props_),
      layer_(other.layer_),
      color_(other.color_),
      opcode_(other.opcode_) {}

zc_UISketchOpHeader::~zc_UISketchOpHeader() = default;

void zc_UISketchOpHeader::layer(zcUITablet::Layers layer) {
  mutating_();
  layer_ = layer;
}

long zc_UISketchOpHeader::parseByteStream(const unsigned char* p) { return parse_(p, zc_SketchIO::kUnbounded); }

long zc_UISketchOpHeader::parseByteStream(const unsigned char* p, long available) {
  return asSketchError([&] { return parse_(p, availableBytes(available)); });
}

// Everything is checked before anything changes: a refused operation leaves the
// header as it was. Only a properties block copies the properties.
long zc_UISketchOpHeader::parse_(const unsigned char* p, std::size_t available) {
  if (available < 1) zc_SketchIO::invalid();
  if (p[0] == zcUISketch::kPropsOpcode) return parseBlock_(p, available);
  if (available < zcUISketch::kHeaderSize || p[1] > zcUITablet::eBothLayers) zc_SketchIO::invalid();
  mutating_();
  adopt_(p);
  return zcUISketch::kHeaderSize;
}

// A properties block and the header after it; out of line, as most operations
// have none.
[[gnu::noinline]] long zc_UISketchOpHeader::parseBlock_(const unsigned char* p, std::size_t available) {
  constexpr std::size_t at = zcUISketch::kPropsBlockSize;
  if (at + zcUISketch::kHeaderSize > available || p[1] != 0 || p[at] == zcUISketch::kPropsOpcode ||
      p[at + 1] > zcUITablet::eBothLayers)
    zc_SketchIO::invalid();
  zcGraphicProps props(props_);
  props.readRecord(p + 2);
  mutating_();
  hasProps_ = true;
  propsVersion_ = 0;
  props_ = props;
  adopt_(p + at);
  return static_cast<long>(at + zcUISketch::kHeaderSize);
}

// The opcode, layer and color of checked header bytes. The color is read, and
// handed to the properties, only when it changes.
void zc_UISketchOpHeader::adopt_(const unsigned char* header) {
  const zcImageIn<zcColor::kImageSize> color(header + 2, zcColor::kImageSize);
  if (!color_.hasImage(color)) color_ = zcColor::readImage(color);
  if (!props_.penColor().hasImage(color)) props_.penColor(color_);
  opcode_ = header[0];
  layer_ = static_cast<zcUITablet::Layers>(header[1]);
}

void zc_UISketchOpHeader::populateSketch(zcUISketch& sketch) const {
  if (hasProps_) sketch.writePropsBlock(props_);
  sketch.writeHeader(static_cast<signed char>(opcode_), static_cast<signed char>(layer_), color_);
}

zcPersistent* zc_UISketchOpHeader::make() { return new zc_UISketchOpHeader; }
const zc_Instantiator zc_UISketchOpHeader::sExemplar(typeid(zc_UISketchOpHeader), "zc_UISketchOpHeader",
                                                     &zc_UISketchOpHeader::make);

void zc_UISketchOpHeader::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zc_UISketchOpHeader", 0, [&](unsigned char v) { serialize_(archive, v); });
}

void zc_UISketchOpHeader::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) throw zcArchive::UnknownVersion("dispc/sketchop", __LINE__);
  zcPersistent::dispatchSerialize(archive);
  if (archive.isLoading()) mutating_();
  long layer = layer_;
  long opcode = opcode_;
  archive || hasProps_;
  if (hasProps_) archive || propsVersion_ || props_;
  archive || layer || color_ || opcode;
  layer_ = static_cast<zcUITablet::Layers>(layer);
  opcode_ = static_cast<std::int32_t>(opcode);
  if (archive.isLoading()) props_.penColor(color_);
}

// ---------------------------------------------------------------------------
// Payload records.

zc_UISketchOpData::~zc_UISketchOpData() = default;

long zc_UISketchOpData::read_(const unsigned char* p, std::size_t available, bool version0, bool bounded) {
  auto read = [&] {
    zc_SketchIO in(p, available);
    if (version0) {
      fieldsV0_(in);
    } else {
      fields_(in);
    }
    return static_cast<long>(in.consumed());
  };
  if (!bounded) return read();
  return asSketchError(read);
}

long zc_UISketchOpData::parseByteStream(const unsigned char* p) {
  return read_(p, zc_SketchIO::kUnbounded, false, false);
}

long zc_UISketchOpData::parseVersion0ByteStream(const unsigned char* p) {
  return read_(p, zc_SketchIO::kUnbounded, true, false);
}

long zc_UISketchOpData::parseByteStream(const unsigned char* p, long available) {
  return read_(p, availableBytes(available), false, true);
}

long zc_UISketchOpData::parseVersion0ByteStream(const unsigned char* p, long available) {
  return read_(p, availableBytes(available), true, true);
}

void zc_UISketchOpData::populateSketch(zcUISketch& sketch) const {
  // The payload is appended whole or not at all.
  const zcUISketchMark start = sketch.mark();
  zc_SketchIO out(sketch);
  try {
    // Writing only reads the fields; the description is shared with reading.
    const_cast<zc_UISketchOpData*>(this)->fields_(out);
  } catch (...) {
    sketch.remove(start, sketch.mark());
    throw;
  }
}

void zc_UISketchOpData::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, zc_Instantiator::nameOf(*this), 0, [&](unsigned char v) { serialize_(archive, v); });
}

void zc_UISketchOpData::serialize_(zcArchive& archive, unsigned char version) {
  if (version != 0) throw zcArchive::UnknownVersion("dispc/sketchop", __LINE__);
  zfSerializeLevel(archive, this, "zc_UISketchOpData", 0, [&](unsigned char v) {
    if (v != 0) throw zcArchive::UnknownVersion("dispc/sketchop", __LINE__);
    zcPersistent::dispatchSerialize(archive);
  });
  if (archive.isLoading()) mutating_();
  zc_SketchIO io(archive);
  fields_(io);
}

// ---------------------------------------------------------------------------
// Walking and archiving sketches.

zcUISketchCursor::zcUISketchCursor(const zcUISketch& sketch, long offset)
    : sketch_(sketch), at_(offset), offset_(offset), ownHeader_(new zc_UISketchOpHeader), header_(ownHeader_.get()) {}

zcUISketchCursor::zcUISketchCursor(const zcUISketch& sketch, long offset, zc_UISketchOpHeader& header)
    : sketch_(sketch), at_(offset), offset_(offset), header_(&header) {}

zcUISketchCursor::~zcUISketchCursor() = default;

// The header and the payload are read inline, within what remains of the sketch
// (and within the kind's fixed length, when it has one).
zc_UISketchOpData& zcUISketchCursor::next() {
  const long size = sketch_.size();
  if (at_ < 0 || at_ >= size) zc_SketchIO::invalid();
  const unsigned char* p = sketch_.data() + at_;
  const std::size_t left = static_cast<std::size_t>(size - at_);
  return asSketchError([&]() -> zc_UISketchOpData& {
    const std::size_t headerLength = static_cast<std::size_t>(header_->parse_(p, left));
    const long opcode = header_->opcode();
    // An operation of the kind last read takes that kind's record and length again.
    if (opcode != kind_ || !record_) {
      const Kind& kind = checkedKind(opcode);
      if (records_.empty()) records_.resize(kOpcodeLimit);
      std::unique_ptr<zc_UISketchOpData>& record = records_[opcode];
      if (!record) record.reset(kind.make());
      record_ = record.get();
      fixed_ = kind.kind.fixedLength;
      kind_ = opcode;
    }
    std::size_t available = left - headerLength;
    if (fixed_ >= 0) {
      if (available < static_cast<std::size_t>(fixed_)) zc_SketchIO::invalid();
      available = static_cast<std::size_t>(fixed_);
    }
    zc_SketchIO in(p + headerLength, available);
    record_->fields_(in);
    const std::size_t payloadLength = in.consumed();
    if (fixed_ >= 0 && payloadLength != static_cast<std::size_t>(fixed_)) zc_SketchIO::invalid();
    block_ = headerLength > zcUISketch::kHeaderSize;
    offset_ = at_;
    at_ += static_cast<long>(headerLength + payloadLength);
    last_ = opcode;
    return *record_;
  });
}

zc_UISketchOpData* zcUISketchCursor::release() {
  if (last_ < 0 || !records_[last_]) throw zcUIError::InvalidUISketch();
  if (records_[last_].get() == record_) record_ = nullptr;
  return records_[last_].release();
}

long zfParseUISketch(const zcUISketch& sketch, long offset, zc_UISketchOpHeader& header, zc_UISketchOpData** record) {
  zcUISketchCursor walk(sketch, offset, header);
  walk.next();
  if (record) *record = walk.release();
  return walk.length();
}

namespace {
// Checks that the bytes from `from` on are whole operations.
void checkWalk(const zcUISketch& sketch, long from) {
  for (zcUISketchCursor walk(sketch, from); !walk.atEnd();) walk.next();
}

void storeSketch(zcArchive& archive, const zcUISketch& sketch) {
  // The archive knows objects by address: every record stays alive until the end,
  // so that no later record can take a written one's place. Each stored header
  // holds the properties only when a block preceded it.
  std::vector<zcPtrHandle<zc_UISketchOpHeader>> headers;
  std::vector<zcPtrHandle<zc_UISketchOpData>> records;
  for (zcUISketchCursor walk(sketch); !walk.atEnd();) {
    walk.next();
    const zc_UISketchOpHeader& h = walk.header();
    headers.emplace_back(new zc_UISketchOpHeader(h.opcode(), h.layer(), h.color(), h.props(), walk.hasBlock()));
    records.emplace_back(walk.release());
  }
  signed char version = 1;
  long count = static_cast<long>(records.size());
  archive || version || count;
  for (std::size_t i = 0; i < records.size(); ++i) archive || headers[i] || records[i];
}

void loadVersion1(zcArchive& archive, zcUISketch& sketch) {
  long count = 0;
  archive || count;
  if (count < 0) throw zcUIError::InvalidUISketch();
  // Each operation takes at least its two handle tags.
  archive.checkCount(static_cast<unsigned long>(count), 2);
  // Every record read stays alive until the end: a later back-reference may name it.
  std::vector<zcPtrHandle<zc_UISketchOpHeader>> headers;
  std::vector<zcPtrHandle<zc_UISketchOpData>> records;
  for (long i = 0; i < count; ++i) {
    zcPtrHandle<zc_UISketchOpHeader> header;
    zcPtrHandle<zc_UISketchOpData> record;
    archive || header;
    if (!header) throw zcBadPointer(L"a sketch operation without its header");
    headers.push_back(header);
    archive || record;
    if (!record) throw zcBadPointer(L"a sketch operation without its payload");
    records.push_back(record);
    // The record must be of the header's kind, or the bytes would not walk back.
    std::unique_ptr<zc_UISketchOpData> expected(zfCreateUISketchOpData(header->opcode()));
    const zc_UISketchOpData& made = *expected;
    const zc_UISketchOpData& read = *record;
    if (typeid(made) != typeid(read)) throw zcUIError::InvalidUISketch();
    header->populateSketch(sketch);
    record->populateSketch(sketch);
  }
}

void loadVersion0(zcArchive& archive, zcUISketch& sketch) {
  long length = 0;
  archive || length;
  if (length < 1) return;
  archive.checkCount(static_cast<unsigned long>(length), 1);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(length));
  archive.raw(bytes.data(), bytes.size());
  for (long at = 0; at < length;) {
    zc_UISketchOpHeader header;
    at += header.parseByteStream(bytes.data() + at, length - at);
    std::unique_ptr<zc_UISketchOpData> record(zfCreateUISketchOpData(header.opcode()));
    at += record->parseVersion0ByteStream(bytes.data() + at, length - at);
    header.populateSketch(sketch);
    record->populateSketch(sketch);
  }
}
}  // namespace

zcArchive& operator||(zcArchive& archive, zcUISketch& sketch) {
  if (archive.isStoring()) {
    storeSketch(archive, sketch);
    return archive;
  }
  signed char version = 0;
  archive || version;
  if (version != 0 && version != 1) throw zcArchive::UnknownVersion("dispc/uisketch", __LINE__);
  // Nothing is appended unless every operation reads back.
  const zcUISketchMark start = sketch.mark();
  const zcGraphicProps props = sketch.props();
  auto rollBack = [&] {
    sketch.remove(start, sketch.mark());
    sketch.props(props);
  };
  try {
    if (version == 1) {
      loadVersion1(archive, sketch);
    } else {
      loadVersion0(archive, sketch);
    }
    checkWalk(sketch, start.offset());
  } catch (const zcUIError::Errors&) {
    rollBack();
    throw;
  } catch (const zcArchive::Errors&) {
    rollBack();
    throw;
  } catch (const zcBadPointer&) {
    rollBack();
    throw;
  } catch (const zcException&) {
    // A value the foundation refused to build: the stored sketch is malformed.
    rollBack();
    throw zcUIError::InvalidUISketch();
  } catch (...) {
    rollBack();
    throw;
  }
  return archive;
}
