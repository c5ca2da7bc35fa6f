// DATE, the variant time, and its conversion to and from SYSTEMTIME.
//
// A DATE counts days from 30 December 1899, midnight; its fraction is the time of day. Before
// that day the integer part counts backwards while the fraction still runs forwards from
// midnight: -1.25 is 29 December 1899, 06:00. Valid dates lie in the years 100 to 9999.
#pragma once

#include "platform/com/linux/file_time.h"
#include "platform/com/linux/variant.h"

namespace tavrel {

// The calendar time of `date`, rounded to the nearest second (wMilliseconds is always 0, as on
// Windows). FALSE outside the valid range.
INT VariantTimeToSystemTime(DATE date, LPSYSTEMTIME systemTime);
// The DATE of a calendar time; wMilliseconds and wDayOfWeek are ignored, as on Windows. FALSE
// for fields out of range or a year outside 100..9999.
INT SystemTimeToVariantTime(LPSYSTEMTIME systemTime, DATE* date);

}  // namespace tavrel
