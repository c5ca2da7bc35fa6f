#include "bridge/core/api_value_type.h"

#include "platform/com/com_api.h"

namespace tavrel {

ApiValueType ApiValueTypeOfVarType(int vt) {
  switch (vt) {
    case VT_I2:
    case VT_I4:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
      return ApiValueType::kInteger;
    case VT_BOOL:
      return ApiValueType::kBoolean;
    case VT_DATE:
    case VT_BSTR:
    case VT_ARRAY | VT_BSTR:
      return ApiValueType::kText;
    default:
      return ApiValueType::kReal;
  }
}

}  // namespace tavrel
