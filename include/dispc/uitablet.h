// The drawing tablet: maps client coordinates to screen pixels, paints through the
// scope of each layer and records every drawing call into its sketch.
//
// Its enumerations (zcUITablet::Layers: eImage 0, eOverlay 1, eBothLayers 2; scale
// modes, fill types, interpolation modes) come from zcUITabletEnums (dispc/uirect.h),
// so that scopes can name them too.
#pragma once

#include "dispc/export.h"
#include "dispc/uirect.h"

class DISPC_API zcUITablet : public zcUITabletEnums {};
