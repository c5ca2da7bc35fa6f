// The valid range of a DATE (the variant time), and a DATE from a calendar time to the
// millisecond.
#pragma once

#include "platform/com/com_api.h"

namespace tavrel {

// The first and last valid days: 1 January 100 and 31 December 9999.
inline constexpr DATE kMinVariantDate = -657434.0;
inline constexpr DATE kMaxVariantDate = 2958465.0;
// True for a DATE within those days (any time of day); false for NaN.
constexpr bool IsValidVariantDate(DATE date) {
  return date > kMinVariantDate - 1.0 && date < kMaxVariantDate + 1.0;
}
// As SystemTimeToVariantTime, but keeping the milliseconds.
bool VariantDateFromCalendar(const SYSTEMTIME& time, DATE* date);

}  // namespace tavrel
