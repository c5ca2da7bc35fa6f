// The VARIANT types that values of the programs and of the simulated servers may have.
#pragma once

#include "platform/com/com_api.h"

namespace tavrel {

// True when `vt` (with its VT_ARRAY / VT_BYREF bits) is one of the scalar types the OPC DA
// value conversions know (integers, reals, currency, dates, texts, booleans, errors and
// interfaces), an array of them, an array of VARIANTs or a reference to any of these.
bool IsSupportedVariantType(VARTYPE vt);

// The size of an element of type `vt` in a SAFEARRAY of that type (SafeArrayGetElemsize); 0 for
// a type the programs' arrays do not hold (decimals, records).
ULONG SafeArrayElementSizeOf(VARTYPE vt);

}  // namespace tavrel
