// A run-length image with what it takes to draw it: a byte color map and the pass
// (transparent) settings.
//
//   zcUIBitmap marker(zcUITablet::makeIcon(L"/090/999/090/", {}), {0, 0, 0, 0, 0, 0, 0, 0, 0, 249}, true, 0);
//   tablet.draw(marker, pos, marker.colorMap(), marker.passThrough(), marker.passColor(), false, layer);
//
// The bitmap is a zcRLEBuffer, whose destructor is not virtual: own bitmaps as
// bitmaps, never delete one through a zcRLEBuffer pointer.
#pragma once

#include "dispc/export.h"

#include "zfound/rle.h"

#include <vector>

class DISPC_API zcUIBitmap : public zcRLEBuffer {
public:
  // An empty image, an empty map, pass-through off, pass value 0.
  zcUIBitmap() = default;
  zcUIBitmap(const zcRLEBuffer& image, const std::vector<unsigned char>& colorMap, bool passThrough,
             unsigned char passColor);
  zcUIBitmap(const zcUIBitmap&) = default;
  zcUIBitmap& operator=(const zcUIBitmap&) = default;
  ~zcUIBitmap() = default;

  // The image holds data.
  bool isInit() const { return zcRLEBuffer::isInit(); }
  void rleBuf(const zcRLEBuffer& image) { static_cast<zcRLEBuffer&>(*this) = image; }
  const std::vector<unsigned char>& colorMap() const { return colorMap_; }
  void colorMap(const std::vector<unsigned char>& map) { colorMap_ = map; }
  bool passThrough() const { return passThrough_; }
  void passThrough(bool on) { passThrough_ = on; }
  unsigned char passColor() const { return passColor_; }
  void passColor(unsigned char value) { passColor_ = value; }

private:
  std::vector<unsigned char> colorMap_;
  bool passThrough_ = false;
  unsigned char passColor_ = 0;
};
