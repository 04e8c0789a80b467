// Failures of the tablet layer: tablets, sketches, scopes, bitmaps and colors.
//
// zcUIError only holds the classes; each failure is a leaf of zcUIError::Errors with
// a fixed error number and no message. Catch a leaf, zcUIError::Errors or
// zcException:
//   try { color.rgb(); } catch (const zcUIError::NotRGBColor&) { ... }
#pragma once

#include "dispc/export.h"

#include "zfound/exception.h"

// Every leaf of zcUIError::Errors: name and error number. One row per class.
#define ZC_UIERROR_CLASSES(X)          \
  X(BadLayer, 0x10002B00)              \
  X(BadIconPattern, 0x10002B01)        \
  X(FlagStackUnderflow, 0x10002B02)    \
  X(FlagStackOverflow, 0x10002B03)     \
  X(FlagStackOutOfRange, 0x10002B04)   \
  X(NotAvailable, 0x10002B06)          \
  X(NotEnabled, 0x10002B07)            \
  X(BadKeyValue, 0x10002B08)           \
  X(InvalidColorMapSize, 0x10002B09)   \
  X(NotImplemented, 0x10002B12)        \
  X(BadParams, 0x10002B13)             \
  X(NotRGBColor, 0x10002B14)           \
  X(NotIndexColor, 0x10002B15)         \
  X(NoLongerSupported, 0x10002B16)     \
  X(InvalidUISketch, 0x10002B17)       \
  X(InitFailed, 0x10002B18)

class DISPC_API zcUIError {
public:
  zcUIError& operator=(const zcUIError&) { return *this; }

  ZC_EXCEPTION_FAMILY(DISPC_API, zcException)

#define ZC_UIERROR_DECLARE(Name, Number) ZC_EXCEPTION_CLASS(DISPC_API, Name, Errors)
  ZC_UIERROR_CLASSES(ZC_UIERROR_DECLARE)
#undef ZC_UIERROR_DECLARE
};
