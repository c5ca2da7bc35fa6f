// The named character references understood when reading attribute values in the full build:
// the 252 entity names of HTML 4 plus "apos".
#pragma once

#include <optional>
#include <string_view>

namespace tavrel {

// The code point of the entity `name` (without "&" and ";"). A name is matched with its exact
// spelling first; failing that, without regard to case, and where two names differ only in
// case (Oslash, oslash) the one with capital letters answers, so "&OSLASH;" gives U+00D8
// while "&oslash;" keeps its own U+00F8. Unknown names give nothing.
std::optional<char32_t> LookupHtmlEntity(std::string_view name);

}  // namespace tavrel
