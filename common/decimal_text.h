// Decimal numbers kept as text in the programs' files and settings.
#pragma once

#include <string_view>

// The value of `text` by the C atoi rules: leading white space, an optional sign, then
// decimal digits up to the first other character; no digits give 0. Unlike atoi, a value
// beyond the int range is clamped to it instead of being undefined.
int ParseDecimal(std::string_view text);
