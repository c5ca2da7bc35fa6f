// Resolving the character references of attribute values read from a markup document.
//
// A reference is "&", a body and ";". The full build knows the HTML 4 entity names (plus
// "apos", see markup_entities.h) and numeric references "&#ddd;" and "&#xhh;" (x in either
// case), with at most 9 characters between "&" and ";". The bridge build knows only the five
// names of the escape table (lt, amp, gt, apos, quot, with exactly that spelling) and numeric
// references with a lower-case x and at most 7 characters between "&#" and ";". A resolved
// code point is written in the system code page; when it has no character there (or is not a
// character at all: 0, a surrogate, beyond U+10FFFF), or when the reference is unknown or not
// closed in time, the "&" stays a literal character and scanning goes on after it, so the
// reference is kept as written.
//
// Other bytes are copied as they are. GBK trail bytes are 0x40 and above, so neither "&" nor
// ";" can be part of a double-byte character, and no such character is ever split.
#pragma once

#include <string>
#include <string_view>

#include "common/markup_document.h"

namespace tavrel {

std::string ResolveMarkupReferences(std::string_view value, MarkupBuild build);

}  // namespace tavrel
