// PropertyText: the text of a property value read from a server (property reads only).
//
//   VT_I2 "%hd", VT_UI2 "%hu", VT_I4 "%d", VT_UI4 and VT_UINT "%u", VT_I8 and VT_UI8 in full
//   ("%lld" / "%llu"), VT_R4 and VT_R8 "%g", VT_DATE "YYYY-MM-DD hh:mm:ss mmm", VT_BSTR in the
//   system code page, VT_BOOL "1"/"0", VT_I1 "%d", VT_UI1 "%hd"; an array: its elements from
//   the lower to the upper bound of dimension 1 joined by ", ", each by the same rules (an
//   element type without a text, or an array whose elements are not of the variant's element
//   type, gives "?" per element); any other type "?".
#pragma once

#include <string>

#include "platform/com/com_api.h"

namespace tavrel {

std::string PropertyText(const VARIANT& value);

}  // namespace tavrel
