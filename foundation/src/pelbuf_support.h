// Checks shared by the pel buffer, the pel helpers and run-length images.
#pragma once

#include "zfound/pelbuf.h"

class zc_PelSizes {
public:
  // Width and height >= 0, each and their product at most zkPelLimit.
  static bool valid(long width, long height);
  // The same, raising zcShapesError::BadParams.
  static void check(long width, long height);
  static bool validOffset(const zcPair<long>& offset);
  static void checkOffset(const zcPair<long>& offset);
  // The rectangle (x, y, w, h) lies within the window (offset, width, height):
  // zcPel::UnboundWindow when not bound, zcPel::BadCoord when it does not.
  static void checkRect(bool bound, const zcPair<long>& offset, long width, long height, long x, long y, long w,
                        long h);
};
