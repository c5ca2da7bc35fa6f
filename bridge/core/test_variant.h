// VARIANTs for tests: an owner that clears its variant, and makers for scalars and arrays.
#pragma once

#include <initializer_list>
#include <string_view>

#include "platform/com/safearray.h"
#include "platform/com/variant.h"

class TestVariant {
 public:
  TestVariant() { VariantInit(&value_); }
  ~TestVariant() { VariantClear(&value_); }
  TestVariant(const TestVariant&) = delete;
  TestVariant& operator=(const TestVariant&) = delete;

  VARIANT& operator*() { return value_; }
  VARIANT* operator->() { return &value_; }

 private:
  VARIANT value_;
};

// Sets `member` of the variant's union to `value` under type `vt`.
template <typename T>
void SetScalar(TestVariant& variant, VARTYPE vt, T VARIANT::*member, T value) {
  variant->vt = vt;
  (*variant).*member = value;
}

inline void SetText(TestVariant& variant, std::u16string_view text) {
  variant->vt = VT_BSTR;
  variant->bstrVal = BstrFromView(text);
}

// A one-dimensional array of element type `vt` with lower bound `lowerBound`; each value is
// stored as SafeArrayPutElement takes it (a pointer to the value, or the BSTR itself).
template <typename T>
void SetArray(TestVariant& variant, VARTYPE vt, std::initializer_list<T> values,
              LONG lowerBound = 0) {
  SAFEARRAY* array = SafeArrayCreateVector(vt, lowerBound, static_cast<ULONG>(values.size()));
  LONG index = lowerBound;
  for (T value : values) {
    if constexpr (std::is_same_v<T, BSTR>) {
      SafeArrayPutElement(array, &index, value);
    } else {
      SafeArrayPutElement(array, &index, &value);
    }
    ++index;
  }
  variant->vt = static_cast<VARTYPE>(VT_ARRAY | vt);
  variant->parray = array;
}
