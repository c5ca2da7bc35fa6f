// The comparisons a simulated server makes between values and between types: whether a value
// changed since it was last sent, how far (for the deadband), and whether an item's value can
// be served in the type a client asks for.
#pragma once

#include <optional>

#include "platform/com/com_api.h"

namespace tavrel::opcsim {

// True when both hold the same type and the same content (strings and arrays element by
// element). Reals compare by value, so NaN never equals itself.
bool VariantsEqual(const VARIANT& a, const VARIANT& b);

// The value of a numeric or boolean scalar as a double; nothing for other types.
std::optional<double> VariantAsDouble(const VARIANT& value);

// True for the scalar types a value can be converted from and to (integers, reals, currency,
// date, text, boolean).
bool IsConvertibleScalarType(VARTYPE vt);
// True when a value of `canonical` type can be served as `requested`: VT_EMPTY (the canonical
// type itself), the same type, or, for scalars, any convertible scalar type. Arrays are served
// only as themselves.
bool CanServeAs(VARTYPE canonical, VARTYPE requested);

}  // namespace tavrel::opcsim
