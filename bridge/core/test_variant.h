// VARIANTs for tests (scalars of given bytes and one-dimensional arrays, in OwnedVariant) and
// the FILETIMEs of Unix times.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <type_traits>

#include "platform/com/com_api.h"
#include "platform/com/file_time_ticks.h"
#include "platform/com/owned_variant.h"

namespace tavrel {

// A scalar of type `vt` whose union holds the bytes of `value`.
template <typename T>
OwnedVariant ScalarVariant(VARTYPE vt, T value) {
  OwnedVariant variant;
  static_assert(sizeof(T) <= sizeof variant.Mutable()->llVal);
  variant.Mutable()->vt = vt;
  std::memcpy(&variant.Mutable()->llVal, &value, sizeof value);
  return variant;
}

// A one-dimensional array of element type `vt` from `lowerBound`. Each value is stored as
// SafeArrayPutElement takes it: the BSTR itself, else a pointer to the value.
template <typename T>
void SetArray(OwnedVariant& variant, VARTYPE vt, std::initializer_list<T> values,
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
  variant.Mutable()->vt = static_cast<VARTYPE>(VT_ARRAY | vt);
  variant.Mutable()->parray = array;
}

inline FILETIME FileTimeOfUnix(std::int64_t seconds, int milliseconds = 0) {
  constexpr std::int64_t kUnixEpochTicks = 116'444'736'000'000'000;
  return FileTimeFromTicks(kUnixEpochTicks + seconds * 10'000'000 + milliseconds * 10'000);
}

}  // namespace tavrel
