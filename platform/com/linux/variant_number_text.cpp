#include "platform/com/linux/variant_number_text.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace tavrel {

namespace {

// Exponents beyond this are certain overflow or underflow; clamping keeps int arithmetic safe.
constexpr int kExponentLimit = 100000;

bool IsWhite(WCHAR c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

bool IsDigit(WCHAR c) { return c >= u'0' && c <= u'9'; }

WideStringView Trim(WideStringView text) {
  while (!text.empty() && IsWhite(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhite(text.back())) text.remove_suffix(1);
  return text;
}

// Sets `number` to a signed value.
void SetInteger(long long value, ParsedNumber* number) {
  number->negative = value < 0;
  const unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                                 : static_cast<unsigned long long>(value);
  number->digits = magnitude == 0 ? std::string() : std::to_string(magnitude);
  number->exponent = 0;
}

// "&H..." or "&O..." at the start of `text`; advances `pos` past it.
NumberTextResult ParseRadixInteger(WideStringView text, size_t& pos, ParsedNumber* number) {
  if (pos + 1 >= text.size()) return NumberTextResult::kNotANumber;
  const WCHAR marker = text[pos + 1];
  const unsigned radix = (marker == u'H' || marker == u'h')   ? 16
                         : (marker == u'O' || marker == u'o') ? 8
                                                              : 0;
  if (radix == 0) return NumberTextResult::kNotANumber;
  pos += 2;
  unsigned long long value = 0;
  size_t digitCount = 0;
  for (; pos < text.size(); ++pos, ++digitCount) {
    const WCHAR c = text[pos];
    unsigned digit = 0;
    if (IsDigit(c)) {
      digit = c - u'0';
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      break;
    }
    if (digit >= radix) return NumberTextResult::kNotANumber;
    if (value > (std::numeric_limits<unsigned long long>::max() - digit) / radix) {
      return NumberTextResult::kOverflow;
    }
    value = value * radix + digit;
  }
  if (digitCount == 0) return NumberTextResult::kNotANumber;
  long long pattern = 0;
  if (value <= 0xFFFF) {
    pattern = static_cast<std::int16_t>(value);
  } else if (value <= 0xFFFFFFFF) {
    pattern = static_cast<std::int32_t>(value);
  } else {
    pattern = static_cast<long long>(value);
  }
  SetInteger(pattern, number);
  return NumberTextResult::kNumber;
}

// Decimal digits with thousands separators, fraction and exponent; advances `pos`.
bool ParseDecimal(WideStringView text, size_t& pos, ParsedNumber* number) {
  std::string digits;
  int exponent = 0;
  bool anyDigit = false;
  for (; pos < text.size(); ++pos) {
    const WCHAR c = text[pos];
    if (IsDigit(c)) {
      digits.push_back(static_cast<char>(c));
      anyDigit = true;
    } else if (c == u',' && anyDigit && pos + 1 < text.size() && IsDigit(text[pos + 1])) {
      continue;
    } else {
      break;
    }
  }
  if (pos < text.size() && text[pos] == u'.') {
    for (++pos; pos < text.size() && IsDigit(text[pos]); ++pos) {
      digits.push_back(static_cast<char>(text[pos]));
      --exponent;
      anyDigit = true;
    }
  }
  if (!anyDigit) return false;
  if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
    ++pos;
    bool negativeExponent = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
      negativeExponent = text[pos] == u'-';
      ++pos;
    }
    if (pos >= text.size() || !IsDigit(text[pos])) return false;
    int value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
      value = std::min(value * 10 + (text[pos] - u'0'), kExponentLimit);
    }
    exponent += negativeExponent ? -value : value;
  }
  // Normalise: no leading zeros, no trailing zeros (moved into the exponent).
  const size_t firstNonZero = digits.find_first_not_of('0');
  if (firstNonZero == std::string::npos) {
    digits.clear();
    exponent = 0;
  } else {
    digits.erase(0, firstNonZero);
    const size_t lastNonZero = digits.find_last_not_of('0');
    exponent += static_cast<int>(digits.size() - lastNonZero - 1);
    digits.erase(lastNonZero + 1);
  }
  number->digits = std::move(digits);
  number->exponent = std::clamp(exponent, -kExponentLimit, kExponentLimit);
  return true;
}

// Multiplies `value` by 10 and adds `digit`; false on 64-bit overflow.
bool AppendDigit(std::uint64_t& value, unsigned digit) {
  if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return false;
  value = value * 10 + digit;
  return true;
}

}  // namespace

NumberTextResult ParseNumberText(WideStringView text, ParsedNumber* number) {
  text = Trim(text);
  size_t pos = 0;
  bool negative = false;
  bool parenthesised = false;
  bool leadingSign = false;
  if (pos < text.size() && text[pos] == u'(') {
    parenthesised = true;
    ++pos;
  } else if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
    leadingSign = true;
    negative = text[pos] == u'-';
    ++pos;
  }
  ParsedNumber parsed;
  if (pos < text.size() && text[pos] == u'&') {
    const NumberTextResult result = ParseRadixInteger(text, pos, &parsed);
    if (result != NumberTextResult::kNumber) return result;
  } else if (!ParseDecimal(text, pos, &parsed)) {
    return NumberTextResult::kNotANumber;
  }
  if (!leadingSign && !parenthesised && pos < text.size() &&
      (text[pos] == u'+' || text[pos] == u'-')) {
    negative = text[pos] == u'-';
    ++pos;
  }
  if (parenthesised) {
    if (pos >= text.size() || text[pos] != u')') return NumberTextResult::kNotANumber;
    negative = true;
    ++pos;
  }
  if (pos != text.size()) return NumberTextResult::kNotANumber;
  parsed.negative = parsed.digits.empty() ? false : parsed.negative != negative;
  *number = std::move(parsed);
  return NumberTextResult::kNumber;
}

bool RoundParsedNumber(const ParsedNumber& number, int scale, bool* negative,
                       std::uint64_t* magnitude) {
  *negative = number.negative;
  *magnitude = 0;
  if (number.digits.empty()) return true;
  const std::string& digits = number.digits;
  const long long exponent = static_cast<long long>(number.exponent) + scale;
  std::uint64_t value = 0;
  if (exponent >= 0) {
    if (static_cast<long long>(digits.size()) + exponent > 20) return false;
    for (char d : digits) {
      if (!AppendDigit(value, static_cast<unsigned>(d - '0'))) return false;
    }
    for (long long i = 0; i < exponent; ++i) {
      if (!AppendDigit(value, 0)) return false;
    }
    *magnitude = value;
    return true;
  }
  // Split into the integer digits and the dropped fraction digits.
  const long long fractionLength = -exponent;
  const long long integerLength = static_cast<long long>(digits.size()) - fractionLength;
  if (integerLength > 20) return false;
  for (long long i = 0; i < integerLength; ++i) {
    if (!AppendDigit(value, static_cast<unsigned>(digits[i] - '0'))) return false;
  }
  // The first dropped digit decides, unless it is exactly a half: digits are normalised, so
  // any digit after a leading 5 makes the fraction more than a half.
  bool roundUp = false;
  if (integerLength >= 0) {
    const char first = digits[integerLength];
    const bool moreFollow = static_cast<long long>(digits.size()) > integerLength + 1;
    roundUp = first > '5' || (first == '5' && (moreFollow || (value & 1) != 0));
  }
  if (roundUp && value == std::numeric_limits<std::uint64_t>::max()) return false;
  *magnitude = roundUp ? value + 1 : value;
  return true;
}

bool ParsedNumberToDouble(const ParsedNumber& number, double* value) {
  if (number.digits.empty()) {
    *value = 0.0;
    return true;
  }
  const std::string text = number.digits + "e" + std::to_string(number.exponent);
  double result = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result,
                                            std::chars_format::scientific);
  if (error == std::errc::result_out_of_range) {
    // Too large, or too small to represent (which reads as zero).
    if (static_cast<long long>(number.digits.size()) + number.exponent > 0) return false;
    result = 0.0;
  } else if (error != std::errc() || end != text.data() + text.size()) {
    return false;
  }
  *value = number.negative ? -result : result;
  return true;
}

WideString FormatRealText(double value, int significantDigits) {
  if (value == 0.0) return u"0";  // also for -0
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                          std::chars_format::general, significantDigits);
  WideString text;
  for (const char* c = buffer; error == std::errc() && c != end; ++c) {
    text.push_back(static_cast<WCHAR>(*c >= 'a' && *c <= 'z' ? *c - 'a' + 'A' : *c));
  }
  return text;
}

WideString FormatIntegerText(bool negative, std::uint64_t magnitude) {
  const std::string digits = std::to_string(magnitude);
  WideString text = negative && magnitude != 0 ? u"-" : u"";
  text.append(digits.begin(), digits.end());
  return text;
}

WideString FormatCurrencyText(std::int64_t scaled) {
  const bool negative = scaled < 0;
  const std::uint64_t magnitude =
      negative ? 0ull - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
  WideString text = FormatIntegerText(negative, magnitude / 10000);
  const std::uint64_t fraction = magnitude % 10000;
  if (fraction != 0) {
    std::string decimals = std::to_string(fraction + 10000).substr(1);
    decimals.erase(decimals.find_last_not_of('0') + 1);
    if (negative && magnitude < 10000) text = u"-0";
    text.push_back(u'.');
    text.append(decimals.begin(), decimals.end());
  }
  return text;
}

}  // namespace tavrel
