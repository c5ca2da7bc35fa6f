// FILETIME and SYSTEMTIME and the conversions between them and local time.
//
// A FILETIME counts 100-nanosecond intervals since 1 January 1601, UTC (or local time for a
// "local file time"). A SYSTEMTIME is the broken-down calendar time.
#pragma once

#include <chrono>

#include "platform/com/linux/windows_types.h"

namespace tavrel {

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;  // 0 = Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

using LPFILETIME = FILETIME*;
using LPSYSTEMTIME = SYSTEMTIME*;

// FALSE for a file time of 0x8000000000000000 or more, as on Windows.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
// FALSE for fields out of range (year 1601..30827); wDayOfWeek is ignored.
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
// UTC to local time and back, by the time zone of the process (TZ). The offset applied is the
// one in force at the converted instant, so daylight saving time is honoured for past and
// future times alike (Windows applies the offset in force now; in a zone without daylight
// saving time both give the same result).
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime);
// -1, 0 or 1 as the first time is earlier than, equal to or later than the second.
LONG CompareFileTime(const FILETIME* first, const FILETIME* second);

void GetSystemTimeAsFileTime(LPFILETIME fileTime);
void GetSystemTime(LPSYSTEMTIME systemTime);
void GetLocalTime(LPSYSTEMTIME systemTime);

}  // namespace tavrel
