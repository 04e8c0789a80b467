// SMD colors: the three colors of a description, their archive form and the gray
// levels of synthetic images.
#include "dispc/wrfm/colors.h"

#include "zfound/archive.h"

#include <utility>

namespace {
constexpr const char* kModule = "dispc/wrfm/colors";
constexpr unsigned char kColorsVersion = 1;
}  // namespace

zcSMDColors::zcSMDColors(const zcColor& wireframeDefault, const zcColor& syntheticDefault,
                         const zcColor& syntheticBackground)
    : wireframe_(wireframeDefault), synthetic_(syntheticDefault), background_(syntheticBackground) {}

zcSMDColors::zcSMDColors(const zcSMDColors&) = default;
zcSMDColors& zcSMDColors::operator=(const zcSMDColors&) = default;
zcSMDColors::~zcSMDColors() = default;

void zcSMDColors::wireframeDefaultColor(const zcColor& color) {
  mutating_();
  wireframe_ = color;
}

void zcSMDColors::syntheticDefaultColor(const zcColor& color) {
  mutating_();
  synthetic_ = color;
}

void zcSMDColors::syntheticBackgroundColor(const zcColor& color) {
  mutating_();
  background_ = color;
}

bool zcSMDColors::operator==(const zcSMDColors& o) const {
  return wireframe_ == o.wireframe_ && synthetic_ == o.synthetic_ && background_ == o.background_;
}

unsigned char zcSMDColors::colorToGrayScale(const zcColor& color) {
  if (color.isIndexColor()) {
    // In this order: the first stock color whose index matches gives the level.
    static const std::pair<const zcColor& (*)(), unsigned char> kLevels[] = {
        {&zcColor::blackColor, 5},    {&zcColor::dkGreyColor, 50},  {&zcColor::greyColor, 100},
        {&zcColor::ltGreyColor, 150}, {&zcColor::whiteColor, 250},  {&zcColor::redColor, 120},
        {&zcColor::dkRedColor, 90},   {&zcColor::orangeColor, 180}, {&zcColor::yellowColor, 210},
        {&zcColor::greenColor, 130},  {&zcColor::dkGreenColor, 80}, {&zcColor::cyanColor, 200},
        {&zcColor::blueColor, 160},   {&zcColor::purpleColor, 90},  {&zcColor::magentaColor, 170}};
    for (const auto& [stock, level] : kLevels)
      if (stock().index() == color.index()) return level;
    return 0;
  }
  const zcRGB& rgb = color.rgbStruct();
  return static_cast<unsigned char>((rgb.r() + rgb.g() + rgb.b()) / 3.0 + 0.5);
}

zcPersistent* zcSMDColors::make() { return new zcSMDColors; }
const zc_Instantiator zcSMDColors::sExemplar(typeid(zcSMDColors), "zcSMDColors", &zcSMDColors::make);

void zcSMDColors::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcSMDColors", kColorsVersion, [&](unsigned char v) { serialize_(archive, v); });
}

void zcSMDColors::serialize_(zcArchive& archive, unsigned char version) {
  if (version == 0) return;
  zcPersistent::dispatchSerialize(archive);
  if (version > kColorsVersion) throw zcArchive::UnknownVersion(kModule, __LINE__);
  zcColor wireframe = wireframe_;
  zcColor synthetic = synthetic_;
  zcColor background = background_;
  archive || wireframe || synthetic || background;
  if (archive.isLoading()) {
    mutating_();
    wireframe_ = wireframe;
    synthetic_ = synthetic;
    background_ = background;
  }
}
