// Decimal numbers kept as text in the programs' files and settings.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace tavrel {

// The value of `text` by the C atoi rules: leading white space, an optional sign, then
// decimal digits up to the first other character; no digits give 0. Unlike atoi, a value
// beyond the int range is clamped to it instead of being undefined.
int ParseDecimal(std::string_view text);

// `text` as a number of type `Number` when the whole of it is one (std::from_chars: no white
// space, no '+', decimal for integers); none for anything else or a value out of range.
template <typename Number>
std::optional<Number> WholeNumber(std::string_view text) {
  Number number{};
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (error != std::errc() || stop != end) return std::nullopt;
  return number;
}

}  // namespace tavrel
