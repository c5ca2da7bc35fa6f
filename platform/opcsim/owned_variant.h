// OwnedVariant: a VARIANT with one owner, cleared when the owner goes.
//
// The simulated servers keep values, last sent values and values on their way to a client in
// OwnedVariant; copies are deep (VariantCopy). Also the comparisons a server needs to decide
// whether a value changed.
#pragma once

#include <optional>
#include <utility>

#include "platform/com/variant.h"
#include "platform/com/wide_string.h"

class OwnedVariant {
 public:
  OwnedVariant() { VariantInit(&value_); }
  // A deep copy of `value`; an unsupported type gives VT_EMPTY.
  explicit OwnedVariant(const VARIANT& value);
  OwnedVariant(const OwnedVariant& other) : OwnedVariant(other.value_) {}
  OwnedVariant(OwnedVariant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  OwnedVariant& operator=(const OwnedVariant& other) {
    OwnedVariant(other).Swap(*this);
    return *this;
  }
  OwnedVariant& operator=(OwnedVariant&& other) noexcept {
    OwnedVariant(std::move(other)).Swap(*this);
    return *this;
  }
  ~OwnedVariant() { VariantClear(&value_); }

  static OwnedVariant FromDouble(double value);
  static OwnedVariant FromBool(bool value);
  static OwnedVariant FromText(WideStringView text);

  const VARIANT& Get() const { return value_; }
  VARIANT* Mutable() { return &value_; }
  VARTYPE Type() const { return value_.vt; }
  // Hands the value to `out` (an uninitialised or cleared VARIANT) and leaves this empty.
  void MoveTo(VARIANT* out) {
    *out = value_;
    VariantInit(&value_);
  }
  void Swap(OwnedVariant& other) noexcept { std::swap(value_, other.value_); }

 private:
  VARIANT value_;
};

// True when both hold the same type and the same content (strings and arrays element by
// element). Reals compare by value, so NaN never equals itself.
bool VariantsEqual(const VARIANT& a, const VARIANT& b);

// The value of a numeric or boolean scalar as a double; nothing for other types.
std::optional<double> VariantAsDouble(const VARIANT& value);

// True for the scalar types a value can be converted from and to (integers, reals, currency,
// date, text, boolean).
bool IsConvertibleScalarType(VARTYPE vt);
// True when a value of `canonical` type can be served as `requested`: VT_EMPTY (the canonical
// type itself), the same type, or, for scalars, any convertible scalar type. Arrays are served
// only as themselves.
bool CanServeAs(VARTYPE canonical, VARTYPE requested);
