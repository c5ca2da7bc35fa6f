// DATE, the variant time, and its conversion to and from SYSTEMTIME.
//
// A DATE counts days from 30 December 1899, midnight; its fraction is the time of day. Before
// that day the integer part counts backwards while the fraction still runs forwards from
// midnight: -1.25 is 29 December 1899, 06:00. Valid dates lie in the years 100 to 9999.
#pragma once

#include "platform/com/file_time.h"
#include "platform/com/variant.h"

namespace tavrel {

// The calendar time of `date`, rounded to the nearest second (wMilliseconds is always 0, as on
// Windows). FALSE outside the valid range.
INT VariantTimeToSystemTime(DATE date, LPSYSTEMTIME systemTime);
// The DATE of a calendar time; wMilliseconds and wDayOfWeek are ignored, as on Windows. FALSE
// for fields out of range or a year outside 100..9999.
INT SystemTimeToVariantTime(LPSYSTEMTIME systemTime, DATE* date);

// Our own helpers.
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
