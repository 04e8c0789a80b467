// The colors of an SMD description and the gray levels of its synthetic images.
//
//   zcSMDColors c;                                       // green, light grey, dark grey
//   c.syntheticDefaultColor(zcColor(200, 200, 200));
//   zcSMDColors::colorToGrayScale(c.syntheticDefaultColor());        // 200
//   zcSMDColors::colorToGrayScale(zcColor::redColor());              // 120
#pragma once

#include "dispc/color.h"
#include "dispc/export.h"

#include "zfound/persistent.h"

// The three colors of an SMD description: its wireframe, its synthetic image and the
// background of synthetic images.
class DISPC_API zcSMDColors : public virtual zcPersistent {
public:
  // Defaults: green wireframes, light grey bodies on dark grey; any trailing color may
  // be left out.
  explicit zcSMDColors(const zcColor& wireframeDefault = zcColor::greenColor(),
                       const zcColor& syntheticDefault = zcColor::ltGreyColor(),
                       const zcColor& syntheticBackground = zcColor::dkGreyColor());
  zcSMDColors(const zcSMDColors& other);
  zcSMDColors& operator=(const zcSMDColors& other);
  ~zcSMDColors() override;

  zcColor wireframeDefaultColor() const { return wireframe_; }
  zcColor syntheticDefaultColor() const { return synthetic_; }
  zcColor syntheticBackgroundColor() const { return background_; }
  // Stored as given, unchecked.
  void wireframeDefaultColor(const zcColor& color);
  void syntheticDefaultColor(const zcColor& color);
  void syntheticBackgroundColor(const zcColor& color);

  bool operator==(const zcSMDColors& other) const;
  bool operator!=(const zcSMDColors& other) const { return !(*this == other); }

  // The gray level a synthetic image uses for the color. A color that carries an
  // index (stock colors do) goes by the stock color of that index: black 5, dark grey
  // 50, grey 100, light grey 150, white 250, red 120, dark red 90, orange 180, yellow
  // 210, green 130, dark green 80, cyan 200, blue 160, purple 90, magenta 170, any
  // other index 0. An RGB color gives the mean of its three values, rounded.
  static unsigned char colorToGrayScale(const zcColor& color);

  static const zc_Instantiator sExemplar;

protected:
  // Archive form, version 1: version byte, the persistence base, the three colors.
  // Version 0 holds nothing more and leaves the colors as they are. A later version
  // reads the persistence base, then raises zcArchive::UnknownVersion
  // ("dispc/wrfm/colors").
  void dispatchSerialize(zcArchive& archive) override;
  void serialize_(zcArchive& archive, unsigned char version);

private:
  static zcPersistent* make();

  zcColor wireframe_;
  zcColor synthetic_;
  zcColor background_;
};
