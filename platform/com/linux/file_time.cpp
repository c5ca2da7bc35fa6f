#include "platform/com/linux/file_time.h"

#include <ctime>

#include "platform/com/calendar.h"
#include "platform/com/file_time_ticks.h"

namespace tavrel {

namespace {

constexpr long long kTicksPerMillisecond = 10'000;
constexpr long long kTicksPerSecond = kFileTimeTicksPerSecond;
constexpr long long kTicksPerDay = 86'400 * kTicksPerSecond;
constexpr long long kUnixEpochTicks = kUnixEpochFileTimeTicks;
constexpr ULONGLONG kFirstInvalidTicks = 0x8000000000000000ull;

// Shifts a file time by `offsetSeconds`; false when the result leaves the valid range.
bool ShiftTicks(ULONGLONG ticks, long long offsetSeconds, LPFILETIME result) {
  const long long shifted = static_cast<long long>(ticks) + offsetSeconds * kTicksPerSecond;
  if (shifted < 0 || static_cast<ULONGLONG>(shifted) >= kFirstInvalidTicks) return false;
  *result = FileTimeFromTicks(static_cast<ULONGLONG>(shifted));
  return true;
}

// Seconds since 1970 of a file time that is valid (below 2^63 ticks).
long long UnixSecondsOf(ULONGLONG ticks) {
  return FloorDivide(static_cast<long long>(ticks) - kUnixEpochTicks, kTicksPerSecond);
}

}  // namespace

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
  if (fileTime == nullptr || systemTime == nullptr) return FALSE;
  const ULONGLONG ticks = FileTimeTicks(*fileTime);
  if (ticks >= kFirstInvalidTicks) return FALSE;
  const long long days = static_cast<long long>(ticks) / kTicksPerDay;
  long long timeOfDay = static_cast<long long>(ticks) % kTicksPerDay;
  const long long daysSince1970 = days + DaysFromCivil(1601, 1, 1);
  long long year = 0;
  int month = 0;
  int day = 0;
  CivilFromDays(daysSince1970, &year, &month, &day);
  systemTime->wYear = static_cast<WORD>(year);
  systemTime->wMonth = static_cast<WORD>(month);
  systemTime->wDay = static_cast<WORD>(day);
  systemTime->wDayOfWeek = static_cast<WORD>(DayOfWeek(daysSince1970));
  systemTime->wHour = static_cast<WORD>(timeOfDay / (3600 * kTicksPerSecond));
  timeOfDay %= 3600 * kTicksPerSecond;
  systemTime->wMinute = static_cast<WORD>(timeOfDay / (60 * kTicksPerSecond));
  timeOfDay %= 60 * kTicksPerSecond;
  systemTime->wSecond = static_cast<WORD>(timeOfDay / kTicksPerSecond);
  systemTime->wMilliseconds = static_cast<WORD>(timeOfDay % kTicksPerSecond / kTicksPerMillisecond);
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime) {
  if (systemTime == nullptr || fileTime == nullptr) return FALSE;
  const SYSTEMTIME& t = *systemTime;
  if (t.wYear < 1601 || t.wYear > 30827 || t.wDay < 1 || t.wDay > DaysInMonth(t.wYear, t.wMonth) ||
      t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59 || t.wMilliseconds > 999) {
    return FALSE;
  }
  const long long days = DaysFromCivil(t.wYear, t.wMonth, t.wDay) - DaysFromCivil(1601, 1, 1);
  const long long ticks = days * kTicksPerDay +
                          (t.wHour * 3600LL + t.wMinute * 60LL + t.wSecond) * kTicksPerSecond +
                          t.wMilliseconds * kTicksPerMillisecond;
  if (static_cast<ULONGLONG>(ticks) >= kFirstInvalidTicks) return FALSE;
  *fileTime = FileTimeFromTicks(static_cast<ULONGLONG>(ticks));
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime) {
  if (fileTime == nullptr || localFileTime == nullptr) return FALSE;
  const ULONGLONG ticks = FileTimeTicks(*fileTime);
  if (ticks >= kFirstInvalidTicks) return FALSE;
  const std::time_t seconds = static_cast<std::time_t>(UnixSecondsOf(ticks));
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return FALSE;
  return ShiftTicks(ticks, local.tm_gmtoff, localFileTime) ? TRUE : FALSE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime) {
  if (localFileTime == nullptr || fileTime == nullptr) return FALSE;
  const ULONGLONG ticks = FileTimeTicks(*localFileTime);
  if (ticks >= kFirstInvalidTicks) return FALSE;
  // The local fields, read back as local time by mktime, give the UTC instant.
  const std::time_t localSeconds = static_cast<std::time_t>(UnixSecondsOf(ticks));
  std::tm fields{};
  if (gmtime_r(&localSeconds, &fields) == nullptr) return FALSE;
  fields.tm_isdst = -1;
  fields.tm_wday = -1;  // set by a successful mktime, whose result may itself be -1
  const std::time_t utcSeconds = std::mktime(&fields);
  if (utcSeconds == static_cast<std::time_t>(-1) && fields.tm_wday == -1) return FALSE;
  return ShiftTicks(ticks, -static_cast<long long>(localSeconds - utcSeconds), fileTime) ? TRUE
                                                                                         : FALSE;
}

LONG CompareFileTime(const FILETIME* first, const FILETIME* second) {
  const ULONGLONG a = FileTimeTicks(*first);
  const ULONGLONG b = FileTimeTicks(*second);
  return a < b ? -1 : (a > b ? 1 : 0);
}

void GetSystemTimeAsFileTime(LPFILETIME fileTime) {
  *fileTime = FileTimeFromSystemClock(std::chrono::system_clock::now());
}

void GetSystemTime(LPSYSTEMTIME systemTime) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  FileTimeToSystemTime(&now, systemTime);
}

void GetLocalTime(LPSYSTEMTIME systemTime) {
  FILETIME now{};
  FILETIME local{};
  GetSystemTimeAsFileTime(&now);
  FileTimeToLocalFileTime(&now, &local);
  FileTimeToSystemTime(&local, systemTime);
}

}  // namespace tavrel
