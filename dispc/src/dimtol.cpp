#include "dispc/dimtol.h"
#include "dispc/wrfm/smdpoly.h"

#include "zfound/archive.h"
#include "zfound/geometry.h"

#include <cmath>
#include <cstdint>
#include <ostream>

ZC_EXCEPTION_FAMILY_SERIALIZE(zcSMDDimensionErrors, zcException, "zcSMDDimensionErrors")
ZC_EXCEPTION_FAMILY_SERIALIZE(zcSMDDimension::Errors, zcSMDDimensionErrors, "zcSMDDimension::Errors")
// The message is not part of the archive form.
ZC_EXCEPTION_DEFINE(zcSMDDimension::badDimensionValue, Errors, "zcSMDDimension::badDimensionValue", 0x11000b00)

void zcSMDDimension::badDimensionValue::message_(std::wostream& out) const { out << message_text_; }

namespace {
// Tolerances count a number as not given near −1; dimensions only at −1 exactly.
constexpr double kUnsetTolerance = 1e-15;
constexpr double kEqualTolerance = 1e-15;

bool tolUnset(double value) { return std::abs(value + 1.0) <= kUnsetTolerance; }
bool dimGiven(double value) { return value != -1.0; }
}  // namespace

// --- zcDimTol -------------------------------------------------------------------

zcDimTol::zcDimTol() : nominal_(-1.0), minTol_(-1.0), maxTol_(-1.0), type_(eLimits) {}

zcDimTol::zcDimTol(double nominal, double minTol, double maxTol, TolType type)
    : nominal_(nominal), minTol_(minTol), maxTol_(maxTol), type_(type) {
  const bool anyGiven = nominal != -1.0 || minTol != -1.0 || maxTol != -1.0;
  if (anyGiven && !isValid_(nominal, minTol, maxTol, type)) throw zcShapesError::BadGeom();
}

zcDimTol zcDimTol::fromStored(double nominal, double minTol, double maxTol, TolType type) {
  zcDimTol tol;
  tol.nominal_ = nominal;
  tol.minTol_ = minTol;
  tol.maxTol_ = maxTol;
  tol.type_ = type;
  return tol;
}

// Types this library does not know (only an archive can bring one) convert like
// offsets, as the scale-type mapping treats them.
double zcDimTol::newTol_(double value, TolType target, double sign) const {
  if (target == type_) return value;
  if (tolUnset(value)) return value;
  if (tolUnset(nominal_)) throw zcShapesError::BadGeom();

  double offset = value;
  if (type_ == eLimits) offset = std::abs(nominal_ - value);
  else if (type_ == ePercentages) offset = nominal_ * value;

  if (target == eLimits) return nominal_ + sign * offset;
  if (target == ePercentages) return nominal_ == 0.0 ? 0.0 : offset / nominal_;
  return offset;
}

bool zcDimTol::isValid_(double nominal, double minTol, double maxTol, TolType type) {
  for (double v : {nominal, minTol, maxTol}) {
    if (!(v >= 0.0 || tolUnset(v))) return false;
  }

  // Tolerances without a nominal are checked against a stand-in nominal that fits
  // them, so that their own consistency is still tested.
  const bool minGiven = !tolUnset(minTol);
  const bool maxGiven = !tolUnset(maxTol);
  double probeNominal = nominal;
  if (tolUnset(nominal) && (minGiven || maxGiven)) {
    if (type == eLimits) {
      if (minGiven && maxGiven) probeNominal = (minTol + maxTol) * 0.5;
      else if (minGiven) probeNominal = minTol + 1.0;
      else probeNominal = maxTol - 1.0;
    } else if (type == ePercentages) {
      probeNominal = 1.0;
    } else if (minGiven) {
      probeNominal = minTol + 1.0;
    }
  }

  zcDimTol probe;
  probe.nominal_ = probeNominal;
  probe.minTol_ = minTol;
  probe.maxTol_ = maxTol;
  probe.type_ = type;
  try {
    const zcSMDDimension check(probe);
  } catch (const zcException&) {
    return false;
  }
  return true;
}

void zcDimTol::setChecked(double nominal, double minTol, double maxTol, TolType type) {
  if (!isValid_(nominal, minTol, maxTol, type)) throw zcShapesError::BadGeom();
  nominal_ = nominal;
  minTol_ = minTol;
  maxTol_ = maxTol;
  type_ = type;
}

void zcDimTol::limits(double minDim, double maxDim) { setChecked(nominal_, minDim, maxDim, eLimits); }
void zcDimTol::limits(double nominal, double minDim, double maxDim) { setChecked(nominal, minDim, maxDim, eLimits); }
void zcDimTol::offsets(double minOffset, double maxOffset) { setChecked(nominal_, minOffset, maxOffset, eOffsets); }
void zcDimTol::offsets(double nominal, double minOffset, double maxOffset) {
  setChecked(nominal, minOffset, maxOffset, eOffsets);
}
void zcDimTol::percentages(double minPerc, double maxPerc) { setChecked(nominal_, minPerc, maxPerc, ePercentages); }
void zcDimTol::percentages(double nominal, double minPerc, double maxPerc) {
  setChecked(nominal, minPerc, maxPerc, ePercentages);
}

void zcDimTol::nomDim(double nominal) { setChecked(nominal, minTol_, maxTol_, type_); }

void zcDimTol::tolType(TolType type) {
  if (type == type_) return;
  const double newMin = newTol_(minTol_, type, -1.0);
  const double newMax = newTol_(maxTol_, type, 1.0);
  minTol_ = newMin;
  maxTol_ = newMax;
  type_ = type;
}

bool zcDimTol::isWithin(double value) const {
  if (minTol_ >= 0.0 && value < minDim()) return false;
  if (maxTol_ < 0.0) return true;
  return value <= maxDim();
}

bool zcDimTol::operator==(const zcDimTol& o) const {
  return zfRealEq(nominal_, o.nominal_, kEqualTolerance) && zfRealEq(minTol_, o.minTol_, kEqualTolerance) &&
         zfRealEq(maxTol_, o.maxTol_, kEqualTolerance) && type_ == o.type_;
}

zcDimTol operator*(double factor, const zcDimTol& tol) {
  // Not validated: a scaled nominal may leave fixed limits behind, and the poly's
  // tolerance checks then report the segment, not the scaling.
  zcDimTol result = tol;
  if (!tolUnset(tol.nominal_)) result.nominal_ = tol.nominal_ * factor;
  return result;
}

zcArchive& operator||(zcArchive& archive, zcDimTol::TolType& type) {
  unsigned long value = static_cast<std::uint32_t>(type);
  archive || value;
  if (archive.isLoading()) type = static_cast<zcDimTol::TolType>(static_cast<std::int32_t>(value));
  return archive;
}

zcArchive& operator||(zcArchive& archive, zcDimTol& tol) {
  signed char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion("dispc/dimtol", __LINE__);
  double nominal = tol.nominal_;
  double minTol = tol.minTol_;
  double maxTol = tol.maxTol_;
  zcDimTol::TolType type = tol.type_;
  archive || nominal || minTol || maxTol || type;
  tol.nominal_ = nominal;
  tol.minTol_ = minTol;
  tol.maxTol_ = maxTol;
  tol.type_ = type;
  return archive;
}

// --- zcSMDDimension -------------------------------------------------------------

zcSMDDimension::zcSMDDimension(double nominal, double minimum, double maximum, ScaleType type) {
  set(nominal, minimum, maximum, type);
}

zcSMDDimension::zcSMDDimension(const zcDimTol& tol) {
  set(tol.nomDim(), tol.minDim(), tol.maxDim(), zcSMDGDPolyPrivate::scaleType(tol.tolType()));
}

void zcSMDDimension::set(double nominal, double minimum, double maximum, ScaleType type) {
  using Bad = badDimensionValue;
  if (!(nominal > 0.0 || nominal == -1.0)) throw Bad(L"Nominal dimension must be > 0 or -1");
  if (!(minimum > 0.0 || minimum == -1.0)) throw Bad(L"Minimum dimension must be > 0 or -1");
  if (!(maximum > 0.0 || maximum == -1.0)) throw Bad(L"Maximum dimension must be > 0 or -1");
  if (minimum > 0.0) {
    if (nominal < 0.0) throw Bad(L"Nominal must be set if minimum is > 0");
    if (nominal < minimum) throw Bad(L"Nominal must be >= minimum");
  }
  if (maximum > 0.0) {
    // The text says ">= 0" although the rule is "> 0"; callers match on the text.
    if (nominal < 0.0) throw Bad(L"Nominal must be set if maximum is >= 0");
    if (nominal > maximum) throw Bad(L"Nominal must be <= maximum");
  }
  nominal_ = nominal;
  minimum_ = minimum;
  maximum_ = maximum;
  scaleType_ = type;
}

bool zcSMDDimension::operator==(const zcSMDDimension& o) const {
  return zfRealEq(nominal_, o.nominal_, kEqualTolerance) && zfRealEq(minimum_, o.minimum_, kEqualTolerance) &&
         zfRealEq(maximum_, o.maximum_, kEqualTolerance) && scaleType_ == o.scaleType_;
}

bool zcSMDDimension::withinTolerance(double value, double scale) const {
  const zcSMDDimension scaled = scale * *this;
  if (dimGiven(scaled.minimum_) && value <= scaled.minimum_) return false;
  if (dimGiven(scaled.maximum_) && value >= scaled.maximum_) return false;
  return true;
}

zcSMDDimension operator*(double factor, const zcSMDDimension& dim) {
  const double nom = dim.nomDim();
  const double min = dim.minDim();
  const double max = dim.maxDim();
  // An unset nominal stays unset rather than becoming −factor.
  const double scaledNom = dimGiven(nom) ? nom * factor : -1.0;
  zcSMDDimension result;
  switch (dim.scaleType()) {
    case zcSMDDimension::eNoScaling:
      result.set(nom, min, max, zcSMDDimension::eNoScaling);
      break;
    case zcSMDDimension::eScaleNominal:
      result.set(scaledNom, dimGiven(min) ? scaledNom - std::abs(nom - min) : -1.0,
                 dimGiven(max) ? std::abs(nom - max) + scaledNom : -1.0, zcSMDDimension::eScaleNominal);
      break;
    case zcSMDDimension::eScaleAll:
      result.set(scaledNom, dimGiven(min) ? min * factor : -1.0, dimGiven(max) ? max * factor : -1.0,
                 zcSMDDimension::eScaleAll);
      break;
    default:
      break;
  }
  return result;
}

zcArchive& operator||(zcArchive& archive, zcSMDDimension& dim) {
  if (archive.isStoring() && (dim.scaleType_ < 0 || dim.scaleType_ > 255))
    throw zcArchive::ValueOutOfRange(L"a scale type beyond one byte");
  unsigned char version = 0;
  archive || version;
  if (version != 0) throw zcArchive::UnknownVersion();
  double nominal = dim.nominal_;
  double minimum = dim.minimum_;
  double maximum = dim.maximum_;
  unsigned char type = static_cast<unsigned char>(dim.scaleType_);
  archive || nominal || minimum || maximum || type;
  dim.nominal_ = nominal;
  dim.minimum_ = minimum;
  dim.maximum_ = maximum;
  dim.scaleType_ = static_cast<zcSMDDimension::ScaleType>(type);
  return archive;
}

// --- Conversions ----------------------------------------------------------------

zcDimTol::TolType zcSMDGDPolyPrivate::tolType(zcSMDDimension::ScaleType type) {
  switch (type) {
    case zcSMDDimension::eNoScaling: return zcDimTol::eLimits;
    case zcSMDDimension::eScaleAll: return zcDimTol::ePercentages;
    default: return zcDimTol::eOffsets;
  }
}

zcSMDDimension::ScaleType zcSMDGDPolyPrivate::scaleType(zcDimTol::TolType type) {
  switch (type) {
    case zcDimTol::eLimits: return zcSMDDimension::eNoScaling;
    case zcDimTol::ePercentages: return zcSMDDimension::eScaleAll;
    default: return zcSMDDimension::eScaleNominal;
  }
}

zcDimTol zcSMDGDPolyPrivate::dimTol(const zcSMDDimension& dim) {
  zcDimTol tol(dim.nomDim(), dim.minDim(), dim.maxDim(), zcDimTol::eLimits);
  tol.tolType(tolType(dim.scaleType()));
  return tol;
}
