// Names that callers, and through them remote peers, put into file paths.
#pragma once

#include <string_view>

// True when `name` can stand as one path component inside a directory of ours: not empty,
// no "/" or "\" (a separator on either of the systems the files travel between), no NUL,
// and neither "." nor "..". A name that fails this test must not be used to form a path,
// since it could reach a file outside that directory.
bool IsPlainFileName(std::string_view name);
