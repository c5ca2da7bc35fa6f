// VARIANTs for tests: an owner that clears its variant, and a maker of arrays.
#pragma once

#include <cstring>
#include <initializer_list>
#include <type_traits>

#include "platform/com/safearray.h"
#include "platform/com/variant.h"

class TestVariant {
 public:
  TestVariant() { VariantInit(&value_); }
  // A scalar of type `vt` whose union holds the bytes of `value`.
  template <typename T>
  TestVariant(VARTYPE vt, T value) : TestVariant() {
    static_assert(sizeof(T) <= sizeof value_.llVal);
    value_.vt = vt;
    std::memcpy(&value_.llVal, &value, sizeof value);
  }
  ~TestVariant() { VariantClear(&value_); }
  TestVariant(const TestVariant&) = delete;
  TestVariant& operator=(const TestVariant&) = delete;

  VARIANT& operator*() { return value_; }
  VARIANT* operator->() { return &value_; }

 private:
  VARIANT value_;
};

// A one-dimensional array of element type `vt` from `lowerBound`. Each value is stored as
// SafeArrayPutElement takes it: the BSTR itself, else a pointer to the value.
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
