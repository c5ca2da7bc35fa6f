#include "platform/com/linux/variant_time.h"

#include <cmath>

#include "platform/com/calendar.h"
#include "platform/com/variant_date.h"

namespace tavrel {

namespace {

constexpr long long kSecondsPerDay = 86'400;

// Day index of 30 December 1899 counted from 1 January 1970.
long long DateEpochDays() { return DaysFromCivil(1899, 12, 30); }

}  // namespace

INT SystemTimeToVariantTime(LPSYSTEMTIME systemTime, DATE* date) {
  if (systemTime == nullptr || date == nullptr) return FALSE;
  SYSTEMTIME wholeSeconds = *systemTime;
  wholeSeconds.wMilliseconds = 0;
  return VariantDateFromCalendar(wholeSeconds, date) ? TRUE : FALSE;
}

INT VariantTimeToSystemTime(DATE date, LPSYSTEMTIME systemTime) {
  if (systemTime == nullptr || !IsValidVariantDate(date)) return FALSE;
  // The calendar day is the integer part for either sign; the fraction runs forwards.
  const double whole = std::trunc(date);
  long long day = static_cast<long long>(whole) + DateEpochDays();
  long long seconds = std::llround(std::fabs(date - whole) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    ++day;
  }
  long long year = 0;
  int month = 0;
  int dayOfMonth = 0;
  CivilFromDays(day, &year, &month, &dayOfMonth);
  if (year > 9999) return FALSE;
  systemTime->wYear = static_cast<WORD>(year);
  systemTime->wMonth = static_cast<WORD>(month);
  systemTime->wDay = static_cast<WORD>(dayOfMonth);
  systemTime->wDayOfWeek = static_cast<WORD>(DayOfWeek(day));
  systemTime->wHour = static_cast<WORD>(seconds / 3600);
  systemTime->wMinute = static_cast<WORD>(seconds / 60 % 60);
  systemTime->wSecond = static_cast<WORD>(seconds % 60);
  systemTime->wMilliseconds = 0;
  return TRUE;
}

}  // namespace tavrel
