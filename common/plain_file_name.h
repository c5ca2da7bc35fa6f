// Names that callers, and through them remote peers, put into file paths.
#pragma once

#include <cstddef>
#include <string_view>

namespace tavrel {

// The longest name a directory entry may have, in bytes (NAME_MAX).
inline constexpr size_t kMaxFileNameLength = 255;

// True when `name` (system code page) can stand as one path component inside a directory of
// ours: not empty, at most kMaxFileNameLength bytes, no "/" or "\" character (a separator on
// either of the systems the files travel between; a 0x5C byte that is the trail byte of a GBK
// character is none), no NUL, and neither "." nor "..". A name that fails this test must not
// be used to form a path, since it could reach a file outside that directory (or is no name a
// directory can hold).
bool IsPlainFileName(std::string_view name);

}  // namespace tavrel
