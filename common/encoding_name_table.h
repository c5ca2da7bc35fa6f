// The encoding names that markup files may declare, and the Windows code pages they stand for.
//
// A name is compared in lower case against a constant table of 365 names for 110 code pages.
// Look-up rules, in this order:
//  - the empty name is the system code page (kSystemCodePage);
//  - a name that begins with "UTF-32", in upper case as written, is code page 65005;
//  - a name of kMaxEncodingNameLength characters or more is unknown;
//  - otherwise the table decides; a name not in it is unknown.
// Knowing a code page's number does not mean this machine can convert it (IsCodePageConvertible).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tavrel {

inline constexpr size_t kMaxEncodingNameLength = 100;
inline constexpr unsigned kUtf32NameCodePage = 65005;

// The code page that `name` stands for, or nothing when the name is unknown.
std::optional<unsigned> CodePageOfEncodingName(std::string_view name);

}  // namespace tavrel
