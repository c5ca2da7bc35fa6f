// Text building for signal handlers: no allocation, no locks, no locale, no C streams.
//
// Everything here is plain arithmetic on caller-owned memory, so it may run inside a handler
// of a fatal signal, where the heap or the C library's locks may be in any state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tavrel {

// Appends to a fixed buffer; what does not fit is cut off.
class SignalSafeText {
 public:
  SignalSafeText(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {}

  SignalSafeText& Append(std::string_view text);
  SignalSafeText& AppendDecimal(std::int64_t value);
  // `value` in decimal with leading zeros up to `width` digits.
  SignalSafeText& AppendPadded(std::uint64_t value, int width);
  // "0x" and `value` in lower-case hexadecimal without leading zeros.
  SignalSafeText& AppendHex(std::uintptr_t value);

  std::string_view View() const { return {buffer_, size_}; }

 private:
  char* buffer_;
  std::size_t capacity_;
  std::size_t size_ = 0;
};

// A calendar time worked out without the C library's time zone state.
struct CalendarTime {
  std::int64_t year;
  int month;  // 1..12
  int day;    // 1..31
  int hour;
  int minute;
  int second;
};

// The proleptic Gregorian calendar time of `seconds` since 1970-01-01 00:00, taken as given
// (pass UTC seconds plus the local offset to get local time).
CalendarTime CalendarFromSeconds(std::int64_t seconds);

// Appends "%04d-%02d-%02d %02d:%02d:%02d %03d" of `seconds` shifted by `utcOffsetSeconds`.
void AppendLogTime(SignalSafeText& text, std::int64_t seconds, int milliseconds,
                   std::int64_t utcOffsetSeconds);

}  // namespace tavrel
