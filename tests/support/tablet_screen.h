// Test helpers for drawing tablets: a shown root tablet that paints into two logging
// scopes, and a sketch taken apart into its operations.
//
//   zc_test::Screen screen;                       // 100 × 80, visible, logs cleared
//   screen.tablet.draw(seg, props, zcUITablet::eImage);
//   EXPECT_EQ(screen.image.last(), "drawLineSeg (0,0)-(10,0) color=red width=3");
//
//   for (const zc_test::Op& op : zc_test::opsOf(recorder.sketch())) ...
#pragma once

#include "support/logging_scope.h"

#include "dispc/sketchop.h"
#include "dispc/uitablet.h"

#include "zfound/handle.h"

#include <string>
#include <vector>

namespace zc_test {

using SketchBytes = std::vector<unsigned char>;

inline SketchBytes bytesOf(const zcUISketch& s) { return SketchBytes(s.bytes().begin(), s.bytes().end()); }

inline zcUISketch sketchOf(const SketchBytes& bytes) {
  zcUISketch s;
  if (!bytes.empty()) s.append(bytes.data(), static_cast<long>(bytes.size()));
  return s;
}

// A root tablet over an image and an overlay logging scope, shown, with the logs of
// showing it cleared. The scopes are declared first so that the tablet goes first.
struct Screen {
  explicit Screen(const zcPair<long>& size = zcPair<long>(100, 80))
      : image(size, zcPair<long>(), "image"), overlay(size, zcPair<long>(), "overlay"), tablet(&image, &overlay) {
    tablet.visible(true);
    clear();
  }
  void clear() {
    image.clear();
    overlay.clear();
  }
  zcLoggingScope& scope(zcUITablet::Layers layer) { return layer == zcUITablet::eOverlay ? overlay : image; }

  zcLoggingScope image;
  zcLoggingScope overlay;
  zcUITablet tablet;
};

// One operation of a sketch as a walk sees it.
struct Op {
  long offset = 0;
  long length = 0;     // properties block, header and payload
  bool block = false;  // a properties block precedes the header
  long opcode = -1;
  zcUITablet::Layers layer = zcUITablet::eBothLayers;
  zcColor color;
  zcGraphicProps props;  // the current properties, pen color = header color
  SketchBytes payload;
  zcPtrHandle<zc_UISketchOpData> record;
};

// Walks the sketch with one header, as a replay does.
inline std::vector<Op> opsOf(const zcUISketch& sketch) {
  std::vector<Op> ops;
  for (zcUISketchCursor walk(sketch); !walk.atEnd();) {
    walk.next();
    Op op;
    op.offset = walk.offset();
    op.length = walk.length();
    op.block = walk.hasBlock();
    op.record = zcPtrHandle<zc_UISketchOpData>(walk.release());
    op.opcode = walk.header().opcode();
    op.layer = walk.header().layer();
    op.color = walk.header().color();
    op.props = walk.header().props();
    const long payloadAt = op.offset + (op.block ? zcUISketch::kPropsBlockSize : 0) + zcUISketch::kHeaderSize;
    op.payload.assign(sketch.data() + payloadAt, sketch.data() + op.offset + op.length);
    ops.push_back(std::move(op));
  }
  return ops;
}

inline std::vector<long> opcodesOf(const zcUISketch& sketch) {
  std::vector<long> out;
  for (const Op& op : opsOf(sketch)) out.push_back(op.opcode);
  return out;
}

}  // namespace zc_test
