#include "zfound/exception.h"

#include "zfound/archive.h"
#include "zfound/status.h"
#include "zfound/strings.h"

#include <cstdio>
#include <new>
#include <stdexcept>
#include <sstream>

zcException::~zcException() = default;

void zcException::message_(std::wostream&) const {}

std::wstring zcException::message() const {
  std::wostringstream out;
  message_(out);
  return out.str();
}

std::string zcException::what() const {
  const char* name = zc_Instantiator::nameOf(*this);
  char number[16];
  std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(errorNumber()) & 0xFFFFFFFFul);
  std::string text = std::string(name ? name : "unregistered exception") + " (error " + number + ")";
  const std::wstring m = message();
  if (!m.empty()) text += ": " + zfConvertString(m);
  return text;
}

void zcException::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcException", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zcException", 0);
    zcPersistent::dispatchSerialize(archive);
  });
}

zcExceptionWithString::~zcExceptionWithString() = default;

void zcExceptionWithString::message_(std::wostream& out) const { out << message_text_; }

void zcExceptionWithString::dispatchSerialize(zcArchive& archive) {
  zfSerializeLevel(archive, this, "zcExceptionWithString", 0, [&](unsigned char version) {
    if (version != 0) throw zcArchive::UnknownVersion("zcExceptionWithString", 0);
    zcException::dispatchSerialize(archive);
    archive || message_text_;
  });
}

ZC_EXCEPTION_DEFINE(zcBadPointer, zcExceptionWithString, "zcBadPointer", 0x10000001)

ZC_EXCEPTION_DEFINE(zcMalformedData, zcExceptionWithString, "zcMalformedData", 0x10000003)

ZC_EXCEPTION_DEFINE(zcFailedStatus, zcException, "zcFailedStatus", 0x10000002, archive || status_;)

void zcFailedStatus::message_(std::wostream& out) const { out << L"failed status " << status_; }

ZC_EXCEPTION_FAMILY_SERIALIZE(zcShapesError::Errors, zcExceptionWithString, "zcShapesError::Errors")
ZC_EXCEPTION_DEFINE(zcShapesError::BadGeom, Errors, "zcShapesError::BadGeom", 0x10000101)
ZC_EXCEPTION_DEFINE(zcShapesError::DegenerateShape, Errors, "zcShapesError::DegenerateShape", 0x10000102)
ZC_EXCEPTION_DEFINE(zcShapesError::BadParams, Errors, "zcShapesError::BadParams", 0x10000103)
ZC_EXCEPTION_DEFINE(zcShapesError::BadRadius, Errors, "zcShapesError::BadRadius", 0x10000104)
ZC_EXCEPTION_DEFINE(zcShapesError::BadCoef, Errors, "zcShapesError::BadCoef", 0x10000105)
ZC_EXCEPTION_DEFINE(zcShapesError::EmptyShape, Errors, "zcShapesError::EmptyShape", 0x10000106)
ZC_EXCEPTION_DEFINE(zcShapesError::NoTangent, Errors, "zcShapesError::NoTangent", 0x10000107)
ZC_EXCEPTION_DEFINE(zcShapesError::NotOpenContour, Errors, "zcShapesError::NotOpenContour", 0x10000108)
ZC_EXCEPTION_DEFINE(zcShapesError::NotRegion, Errors, "zcShapesError::NotRegion", 0x10000109)
ZC_EXCEPTION_DEFINE(zcShapesError::SampleOverflow, Errors, "zcShapesError::SampleOverflow", 0x1000010A)

ZC_EXCEPTION_FAMILY_SERIALIZE(zcMathError::Errors, zcException, "zcMathError::Errors")
ZC_EXCEPTION_DEFINE(zcMathError::Singular, Errors, "zcMathError::Singular", 0x10000201)

ZC_EXCEPTION_FAMILY_SERIALIZE(zcPel::Errors, zcException, "zcPel::Errors")
ZC_EXCEPTION_DEFINE(zcPel::UnboundWindow, Errors, "zcPel::UnboundWindow", 0x10000301)
ZC_EXCEPTION_DEFINE(zcPel::BadCoord, Errors, "zcPel::BadCoord", 0x10000302)

void zfThrowExceptionOnFailure(long status) {
  switch (status) {
#define ZF_STATUS_RAISE(code, name, raised) \
  case code:                                \
    throw raised;
    ZF_STATUS_TABLE(ZF_STATUS_RAISE)
#undef ZF_STATUS_RAISE
    default:
      if (status < 0) throw zcFailedStatus(status);
  }
}
