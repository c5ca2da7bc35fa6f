#include "platform/com/variant_date.h"

#include "platform/com/calendar.h"

namespace tavrel {

namespace {

constexpr long long kSecondsPerDay = 86'400;

}  // namespace

bool VariantDateFromCalendar(const SYSTEMTIME& t, DATE* date) {
  if (t.wYear < 100 || t.wYear > 9999 || t.wDay < 1 || t.wDay > DaysInMonth(t.wYear, t.wMonth) ||
      t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59 || t.wMilliseconds > 999) {
    return false;
  }
  const double day =
      static_cast<double>(DaysFromCivil(t.wYear, t.wMonth, t.wDay) - DaysFromCivil(1899, 12, 30));
  const double fraction =
      ((t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond) * 1000.0 + t.wMilliseconds) /
      (kSecondsPerDay * 1000.0);
  *date = day >= 0 ? day + fraction : day - fraction;
  return true;
}

}  // namespace tavrel
