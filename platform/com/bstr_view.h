// BSTRs seen as wide strings, and made from them.
#pragma once

#include "common/wide_string.h"
#include "platform/com/com_api.h"

namespace tavrel {

// The characters of `string` (embedded NULs included); empty for null.
WideStringView BstrView(BSTR string);
// A new BSTR holding `text` (embedded NULs included); null when out of memory.
BSTR BstrFromView(WideStringView text);

}  // namespace tavrel
