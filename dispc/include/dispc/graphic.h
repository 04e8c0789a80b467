// Graphics: for now the graphic exception classes only, until the graphics objects
// (a shape wrapped with graphic properties that draws itself) fill this header.
//
// The failures of graphics carry a message: zcGraphic::BadParams ("Item index out of
// range" from a group's item access) and zcGraphic::NoGraphicForShape.
#pragma once

#include "dispc/export.h"

#include "zfound/exception.h"

#include <string>

class DISPC_API zcGraphic {
public:
  ZC_EXCEPTION_FAMILY_WITH_MESSAGE(DISPC_API, zcExceptionWithString)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, BadParams, Errors)
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, NoGraphicForShape, Errors)
};
