#include "common/signal_safe_text.h"

namespace tavrel {

SignalSafeText& SignalSafeText::Append(std::string_view text) {
  for (const char c : text) {
    if (size_ == capacity_) break;
    buffer_[size_++] = c;
  }
  return *this;
}

SignalSafeText& SignalSafeText::AppendDecimal(std::int64_t value) {
  // Negate in unsigned arithmetic, which is defined for the most negative value too.
  std::uint64_t magnitude = static_cast<std::uint64_t>(value);
  if (value < 0) {
    Append("-");
    magnitude = 0 - magnitude;
  }
  return AppendPadded(magnitude, 1);
}

SignalSafeText& SignalSafeText::AppendPadded(std::uint64_t value, int width) {
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (; width > count; --width) Append("0");
  while (count > 0) Append(std::string_view(&digits[--count], 1));
  return *this;
}

SignalSafeText& SignalSafeText::AppendHex(std::uintptr_t value) {
  char digits[2 * sizeof value];
  int count = 0;
  do {
    digits[count++] = "0123456789abcdef"[value & 0xF];
    value >>= 4;
  } while (value != 0);
  Append("0x");
  while (count > 0) Append(std::string_view(&digits[--count], 1));
  return *this;
}

CalendarTime CalendarFromSeconds(std::int64_t seconds) {
  constexpr std::int64_t kSecondsPerDay = 86400;
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t secondOfDay = seconds % kSecondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += kSecondsPerDay;
    --days;
  }
  // Days to civil date, counted in eras of 400 years that start on 0000-03-01, so that the
  // leap day is the last day of a year.
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // 0 = March
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return CalendarTime{year,
                      month,
                      day,
                      static_cast<int>(secondOfDay / 3600),
                      static_cast<int>(secondOfDay / 60 % 60),
                      static_cast<int>(secondOfDay % 60)};
}

void AppendLogTime(SignalSafeText& text, std::int64_t seconds, int milliseconds,
                   std::int64_t utcOffsetSeconds) {
  const CalendarTime local = CalendarFromSeconds(seconds + utcOffsetSeconds);
  text.AppendPadded(static_cast<std::uint64_t>(local.year < 0 ? 0 : local.year), 4)
      .Append("-")
      .AppendPadded(static_cast<std::uint64_t>(local.month), 2)
      .Append("-")
      .AppendPadded(static_cast<std::uint64_t>(local.day), 2)
      .Append(" ")
      .AppendPadded(static_cast<std::uint64_t>(local.hour), 2)
      .Append(":")
      .AppendPadded(static_cast<std::uint64_t>(local.minute), 2)
      .Append(":")
      .AppendPadded(static_cast<std::uint64_t>(local.second), 2)
      .Append(" ")
      .AppendPadded(static_cast<std::uint64_t>(milliseconds < 0 ? 0 : milliseconds % 1000), 3);
}

}  // namespace tavrel
