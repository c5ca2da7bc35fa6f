// Text helpers of the OPC engine's log lines.
#pragma once

#include <cstdio>
#include <string>

namespace tavrel {

// printf-style formatting into a string of any length.
template <typename... Args>
std::string FormatText(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// The local time now as "YYYY-MM-DD hh:mm:ss:mmm" (colon before the milliseconds).
std::string CycleTimeText();

}  // namespace tavrel
