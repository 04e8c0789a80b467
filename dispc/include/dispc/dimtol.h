// Dimensions of SMD bodies: a length together with how far a measured length may
// stray from it. Throughout, −1 marks a number that is not given.
//
// zcDimTol is the working form: a nominal and two tolerances expressed as absolute
// limits, as offsets from the nominal or as fractions of it, convertible at will:
//
//   zcDimTol t(10, 0.1, 0.2, zcDimTol::ePercentages);   // 10 −10 % +20 %
//   t.minDim(), t.maxDim();                            // 9, 12
//   t.tolType(zcDimTol::eOffsets);                     // now (10, 1, 2)
//
// zcSMDDimension is the stored, validated form (nominal, minimum and maximum, all
// absolute) with the rule that says how it follows a scaling of its description:
//
//   zcSMDDimension d(5, 4, 6, zcSMDDimension::eScaleNominal);
//   (2.0 * d).minDim();                                 // 9: the offsets are kept
//   d.withinTolerance(4.0, 1.0);                        // false: bounds are exclusive
//
// Invalid input raises zcShapesError::BadGeom (zcDimTol) or
// zcSMDDimension::badDimensionValue with a fixed message (zcSMDDimension); the object
// is then unchanged. Neither class is polymorphic; each has a free archive operator.
#pragma once

#include "dispc/export.h"

#include "zfound/exception.h"

#include <cstdint>
#include <string>

class zcArchive;

class DISPC_API zcDimTol {
public:
  // How the two tolerances are expressed. Stored and archived as 32 bits.
  enum TolType : std::int32_t {
    eLimits = 0,       // the smallest and largest acceptable lengths
    eOffsets = 1,      // non-negative distances below and above the nominal
    ePercentages = 2,  // fractions of the nominal (0.1 is 10 %)
  };

  // All three numbers not given, type eLimits.
  zcDimTol();
  // Raises zcShapesError::BadGeom when any number is given (not exactly −1) and the
  // four do not make a valid tolerance (see isValid_).
  explicit zcDimTol(double nominal, double minTol = -1.0, double maxTol = -1.0, TolType type = eLimits);
  // The four numbers as a stored form holds them, taken without validation, as
  // loading an archive takes them (a sketch's copy of a poly's vertices).
  static zcDimTol fromStored(double nominal, double minTol, double maxTol, TolType type);

  // The stored numbers, in the current tolerance type.
  double nomDim() const { return nominal_; }
  double minTol() const { return minTol_; }
  double maxTol() const { return maxTol_; }
  TolType tolType() const { return type_; }

  // The tolerances in another type; −1 stays −1. A given tolerance with no nominal
  // cannot be converted: zcShapesError::BadGeom (except into the current type).
  double minDim() const { return newTol_(minTol_, eLimits, -1.0); }
  double maxDim() const { return newTol_(maxTol_, eLimits, 1.0); }
  double minOffset() const { return newTol_(minTol_, eOffsets, -1.0); }
  double maxOffset() const { return newTol_(maxTol_, eOffsets, 1.0); }
  double minPerc() const { return newTol_(minTol_, ePercentages, -1.0); }
  double maxPerc() const { return newTol_(maxTol_, ePercentages, 1.0); }

  // Set the tolerances and their type, the two-argument forms keeping the nominal.
  // An invalid result raises zcShapesError::BadGeom and changes nothing.
  void limits(double minDim, double maxDim);
  void limits(double nominal, double minDim, double maxDim);
  void offsets(double minOffset, double maxOffset);
  void offsets(double nominal, double minOffset, double maxOffset);
  void percentages(double minPerc, double maxPerc);
  void percentages(double nominal, double minPerc, double maxPerc);

  // A new nominal for the stored tolerances; zcShapesError::BadGeom when the result
  // is invalid.
  void nomDim(double nominal);
  // Re-expresses both tolerances in `type`. Raises zcShapesError::BadGeom (and keeps
  // the old type) when a given tolerance has no nominal to convert with.
  void tolType(TolType type);

  // Inclusive bounds: minDim() <= value <= maxDim(), a missing bound admitting all.
  bool isWithin(double value) const;

  // Each number within 1e-15, and the same type.
  bool operator==(const zcDimTol& other) const;
  bool operator!=(const zcDimTol& other) const { return !(*this == other); }

private:
  // The validity test behind every setter: each number is ≥ 0 or not given, and the
  // dimension built from them (with a stand-in nominal when none is given) is valid.
  static bool isValid_(double nominal, double minTol, double maxTol, TolType type);
  // `value` (this object's min or max tolerance) expressed in `target`; `sign` is −1
  // for the lower and +1 for the upper tolerance.
  double newTol_(double value, TolType target, double sign) const;
  // Validates, then stores all four.
  void setChecked(double nominal, double minTol, double maxTol, TolType type);

  double nominal_;
  double minTol_;
  double maxTol_;
  TolType type_;

  friend DISPC_API zcDimTol operator*(double factor, const zcDimTol& tol);
  friend DISPC_API zcArchive& operator||(zcArchive& archive, zcDimTol& tol);
};

// A copy whose nominal, when given, is multiplied by `factor`; the tolerances and their
// type are kept as they are.
DISPC_API zcDimTol operator*(double factor, const zcDimTol& tol);

// Archive form, 29 bytes: version (signed byte, 0), nominal, min tolerance, max
// tolerance (doubles), type (unsigned 32 bits). Loading does not validate; a failed
// load leaves the tolerance as it was.
DISPC_API zcArchive& operator||(zcArchive& archive, zcDimTol& tol);
// The type alone, as an unsigned 32-bit value.
DISPC_API zcArchive& operator||(zcArchive& archive, zcDimTol::TolType& type);

// Base of the failures of zcSMDDimension.
class DISPC_API zcSMDDimensionErrors : public zcException {
public:
  ~zcSMDDimensionErrors() override = default;
  ZC_EXCEPTION_FAMILY_PROTOCOL()
protected:
  zcSMDDimensionErrors() = default;
  zcSMDDimensionErrors(const zcSMDDimensionErrors&) = default;
  zcSMDDimensionErrors& operator=(const zcSMDDimensionErrors&) = default;
};

class DISPC_API zcSMDDimension {
public:
  // How a dimension follows a scaling of its description. Stored as 32 bits,
  // archived as one byte.
  enum ScaleType : std::int32_t {
    eNoScaling = 0,     // unchanged
    eScaleNominal = 1,  // the nominal scales, the distances to minimum and maximum stay
    eScaleAll = 2,      // all three scale
  };

  ZC_EXCEPTION_FAMILY(DISPC_API, zcSMDDimensionErrors)

  // An invalid dimension; the message says which rule failed. Error 0x11000b00. The
  // message is not archived.
  class DISPC_API badDimensionValue : public Errors {
  public:
    explicit badDimensionValue(const std::wstring& message = std::wstring()) : message_text_(message) {}
    badDimensionValue(const badDimensionValue&) = default;
    badDimensionValue& operator=(const badDimensionValue&) = default;
    ZC_EXCEPTION_PROTOCOL(badDimensionValue)
  protected:
    void message_(std::wostream& out) const override;

  private:
    std::wstring message_text_;
  };

  // All three numbers not given, no scaling.
  zcSMDDimension() = default;
  // The constructors below validate as set() does.
  explicit zcSMDDimension(double nominal, double minimum = -1.0, double maximum = -1.0,
                          ScaleType type = eNoScaling);
  // Nominal and absolute limits of the tolerance, the scale type that corresponds to
  // its tolerance type. A tolerance that cannot give limits raises
  // zcShapesError::BadGeom.
  explicit zcSMDDimension(const zcDimTol& tol);

  // Validates, then stores. Each number is > 0 or exactly −1; a given minimum or
  // maximum needs a nominal, and minimum <= nominal <= maximum. A failure raises
  // badDimensionValue and changes nothing.
  void set(double nominal, double minimum, double maximum, ScaleType type);

  double nomDim() const { return nominal_; }
  double minDim() const { return minimum_; }
  double maxDim() const { return maximum_; }
  ScaleType scaleType() const { return scaleType_; }

  // Each number within 1e-15, and the same scale type.
  bool operator==(const zcSMDDimension& other) const;
  bool operator!=(const zcSMDDimension& other) const { return !(*this == other); }

  // The value lies strictly between the limits of this dimension scaled by `scale`.
  bool withinTolerance(double value, double scale) const;

private:
  double nominal_ = -1.0;
  double minimum_ = -1.0;
  double maximum_ = -1.0;
  ScaleType scaleType_ = eNoScaling;

  friend DISPC_API zcArchive& operator||(zcArchive& archive, zcSMDDimension& dim);
};

// The dimension scaled by its own scale type, validated again (badDimensionValue when
// the result is invalid, e.g. for a factor <= 0). A nominal that is not given stays
// not given. An unknown scale type gives the all-unset dimension of eNoScaling.
DISPC_API zcSMDDimension operator*(double factor, const zcSMDDimension& dim);

// Archive form, 26 bytes: version (unsigned byte, 0), nominal, minimum, maximum
// (doubles), scale type (unsigned byte). Loading assigns without validating; a failed
// load leaves the dimension as it was. Storing a scale type beyond a byte raises
// zcArchive::ValueOutOfRange.
DISPC_API zcArchive& operator||(zcArchive& archive, zcSMDDimension& dim);

// The conversions between the two forms (tolerance type ↔ scale type, dimension →
// tolerance) are static helpers of the SMD poly: zcSMDGDPolyPrivate::tolType,
// ::scaleType and ::dimTol in dispc/wrfm/smdpoly.h.
