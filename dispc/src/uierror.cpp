#include "dispc/uierror.h"

#include "dispc/glist.h"

#include "zfound/archive.h"

ZC_EXCEPTION_FAMILY_SERIALIZE(zcUIError::Errors, zcException, "zcUIError::Errors")

#define ZC_UIERROR_DEFINE(Name, Number) \
  ZC_EXCEPTION_DEFINE(zcUIError::Name, Errors, "zcUIError::" #Name, Number)
ZC_UIERROR_CLASSES(ZC_UIERROR_DEFINE)
#undef ZC_UIERROR_DEFINE

ZC_EXCEPTION_FAMILY_SERIALIZE(zcGraphic::Errors, zcExceptionWithString, "zcGraphic::Errors")
ZC_EXCEPTION_DEFINE(zcGraphic::BadParams, Errors, "zcGraphic::BadParams", 0x10009600)
ZC_EXCEPTION_DEFINE(zcGraphic::NoGraphicForShape, Errors, "zcGraphic::NoGraphicForShape", 0x10009601)
