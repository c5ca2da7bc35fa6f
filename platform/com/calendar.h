// Proleptic Gregorian calendar arithmetic shared by the time conversions.
#pragma once

namespace tavrel {

// Days from 1 January 1970 to the given date (negative before it).
long long DaysFromCivil(long long year, int month, int day);
// The date `days` after 1 January 1970.
void CivilFromDays(long long days, long long* year, int* month, int* day);
// 28..31; 0 for a month outside 1..12.
int DaysInMonth(long long year, int month);
// 0 = Sunday .. 6 = Saturday.
int DayOfWeek(long long days);

}  // namespace tavrel
