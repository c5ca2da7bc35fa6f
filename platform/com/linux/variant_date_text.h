// Dates as text, the way variant conversions read and write them.
//
// Writing uses the invariant locale's formats, "MM/dd/yyyy HH:mm:ss": the date alone when the
// time is midnight, the time alone on 30 December 1899 (day 0), as Windows does.
//
// Reading accepts a date, a time, or a date and a time separated by blanks or a "T":
//   date  yyyy-M-d | yyyy/M/d | M/d/yyyy | M/d/yy (yy 00..29 is 20yy, 30..99 is 19yy)
//   time  H:mm[:ss[.fff]] [AM|PM], or H:mm:ss fff (this system's own display form, with
//         three digits of milliseconds after a blank)
// A time alone lies on day 0; a date alone at midnight. Fields out of range, years outside
// 100..9999 and anything else are refused.
#pragma once

#include "common/wide_string.h"
#include "platform/com/linux/variant.h"

namespace tavrel {

bool ParseDateText(WideStringView text, DATE* date);
// False for a DATE outside the valid range.
bool FormatDateText(DATE date, WideString* text);

}  // namespace tavrel
