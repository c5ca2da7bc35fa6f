// Numbers as text, the way variant conversions read and write them (invariant locale).
//
// Reading accepts, around optional white space: a leading "+" or "-", or a trailing one, or
// parentheses for a negative number; decimal digits with "," thousands separators between
// digits, an optional "." fraction and an optional exponent ("1.5e3"); or "&H" hexadecimal
// and "&O" octal integers. A hexadecimal or octal value is a bit pattern in the smallest of
// 16, 32 or 64 bits that holds it, as in Basic: "&HFFFF" is -1 and "&H10000" is 65536.
// Currency symbols are not accepted.
//
// Writing gives integers in decimal and reals with 15 (VT_R8) or 7 (VT_R4) significant
// digits, switching to an exponent as printf's %G does: "12.5", "0.1", "1E+20", "1E-05".
#pragma once

#include <cstdint>
#include <string>

#include "common/wide_string.h"

namespace tavrel {

// The exact value of a number read from text: digits x 10^exponent.
struct ParsedNumber {
  bool negative = false;
  std::string digits;  // decimal digits without leading zeros; empty for zero
  int exponent = 0;
};

enum class NumberTextResult { kNumber, kNotANumber, kOverflow };

NumberTextResult ParseNumberText(WideStringView text, ParsedNumber* number);

// The value of `number` x 10^scale rounded to an integer, half to even (banker's rounding, as
// Windows rounds). False when the magnitude exceeds 64 bits.
bool RoundParsedNumber(const ParsedNumber& number, int scale, bool* negative,
                       std::uint64_t* magnitude);
// The nearest double; false on overflow (a value too small to represent gives 0).
bool ParsedNumberToDouble(const ParsedNumber& number, double* value);

WideString FormatRealText(double value, int significantDigits);
WideString FormatIntegerText(bool negative, std::uint64_t magnitude);
// A currency value (scaled by 10000) with at most four decimals, trailing zeros dropped.
WideString FormatCurrencyText(std::int64_t scaled);

}  // namespace tavrel
