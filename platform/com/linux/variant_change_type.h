// VariantChangeType: converting a VARIANT to another type, by Windows' rules for the invariant
// locale.
//
// Numbers: a real or currency value becomes an integer by rounding half to even ("12.5" and
// 12.5 give 12, 13.5 gives 14); a value outside the target's range fails with
// DISP_E_OVERFLOW and text that is not a number (see variant_number_text.h) with
// DISP_E_TYPEMISMATCH. VT_R4 also overflows beyond the float range.
//
// Booleans: any non-zero number is VARIANT_TRUE (-1), so "12.5" gives VARIANT_TRUE; the
// texts "True" and "False" (any case) are read too. VARIANT_TRUE becomes -1 for signed
// integers and all ones for unsigned ones. A boolean becomes the text "-1" or "0"; with
// VARIANT_ALPHABOOL or VARIANT_LOCALBOOL it becomes "True" or "False".
//
// Dates: a DATE converts to and from numbers as its day count, to text and from text by the
// forms of variant_date_text.h; numbers outside the years 100..9999 overflow.
//
// Text: integers in decimal, VT_R8 with 15 and VT_R4 with 7 significant digits, currency with
// up to four decimals. VT_EMPTY converts to 0, "" or VARIANT_FALSE; VT_NULL converts to
// nothing but VT_NULL; VT_ERROR and VT_UNKNOWN only to themselves; an array only to its own
// type. Any type converts to VT_EMPTY (the destination is cleared).
//
// A VT_BYREF source is read through its reference. `destination` may be `source` (the
// conversion in place); on failure the destination is left unchanged. The locale of
// VariantChangeTypeEx is accepted, but every conversion uses the invariant locale.
#pragma once

#include "platform/com/linux/hresult.h"
#include "platform/com/linux/variant.h"

namespace tavrel {

inline constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
inline constexpr USHORT VARIANT_ALPHABOOL = 0x02;
inline constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
inline constexpr USHORT VARIANT_LOCALBOOL = 0x10;

HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                          VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANTARG* destination, const VARIANTARG* source, LCID locale,
                            USHORT flags, VARTYPE vt);

}  // namespace tavrel
