// OwnedVariant: a VARIANT with one owner, cleared (VariantClear) when the owner goes.
//
// Copies are deep (VariantCopy): each copy owns its own strings and arrays and holds its own
// reference to an interface. MoveTo hands the value to a VARIANT the caller then owns, the
// way a method fills an out parameter.
#pragma once

#include <utility>

#include "common/wide_string.h"
#include "platform/com/com_api.h"

namespace tavrel {

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

}  // namespace tavrel
