// Helpers shared by the sources of the graphics module: the protected slots of other
// graphics, the run-time class name that unknown versions report, and the archive form
// of one item pointer.
#pragma once

#include "dispc/glist.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

// Source name that archive errors of this module report.
inline constexpr const char* zkGraphicModule = "dispc/glist";

// A text drawn at its location moved by its pixel offset, as zcGraphicText draws it and
// a graphics-list text record draws. The offset is truncated toward zero and held
// within 32 bits (NaN as 0), so that any offset read from outside draws.
inline void zfDrawText(zcUITablet& tablet, const std::wstring& text, const zcPoint& at, const zcVector<2>& offset,
                       const zcColor& color, const zcColor& background, const zcUIFormat& format,
                       zcUITablet::Layers layer) {
  const auto pels = [](double v) {
    return std::isnan(v) ? 0 : static_cast<long>(std::clamp(v, -2147483648.0, 2147483647.0));
  };
  tablet.drawStart(at, layer);
  tablet.moveToRelPels(pels(offset.x()), pels(offset.y()), layer);
  tablet.draw(text, zcUITablet::drawPointArg(), color, background, format, layer);
}

class zcGraphicPrivate : public zcGraphic {
public:
  static void draw(const zcGraphic& g, zcUITablet& tablet, zcUITablet::Layers layer) { g.draw(tablet, layer); }
  static void setProps(zcGraphic& g, const zcGraphicProps& props) { g.setProps_(props); }
  // The zcGraphic level of g's archive form.
  static void serializeBase(zcGraphic& g, zcArchive& archive) { g.zcGraphic::dispatchSerialize(archive); }
  // Items the factory built: they become the group's items as they are.
  static void adoptItems(zcGraphicGroup& group, std::vector<zcPtrHandle<zcGraphic>> items);
  // The registered name of the graphic's class.
  static std::string className(const zcGraphic& g);
  // One item handle as a persistent pointer; loading gives null for an object that is
  // not a graphic.
  static void serializeItem(zcArchive& archive, zcPtrHandle<zcGraphic>& item);
  // Clones of the handles, or zcBadPointer for a null one (after those before it).
  static void appendClones(std::vector<zcPtrHandle<zcGraphic>>& to, const std::vector<zcPtrHandle<zcGraphic>>& from,
                           std::size_t count);
};
