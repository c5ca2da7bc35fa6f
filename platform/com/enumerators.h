// IEnumString and IEnumGUID enumerators over lists of our own.
#pragma once

#include <vector>

#include "common/wide_string.h"
#include "platform/com/com_api.h"
#include "platform/com/com_ptr.h"

namespace tavrel {

// Our own helpers: enumerators over a snapshot of the given items.
ComPtr<IEnumString> CreateStringEnumerator(std::vector<WideString> strings);
ComPtr<IEnumGUID> CreateGuidEnumerator(std::vector<GUID> guids);

}  // namespace tavrel
