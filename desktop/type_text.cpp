#include "desktop/type_text.h"

#include "platform/com/com_api.h"

namespace tavrel {

const char* DataTypeName(int vt) {
  switch (vt & ~VT_ARRAY) {
    case VT_I2:
      return "Short";
    case VT_I4:
      return "Long";
    case VT_R4:
      return "Float";
    case VT_R8:
      return "Double";
    case VT_DATE:
      return "DataTime";
    case VT_BSTR:
      return "String";
    case VT_BOOL:
      return "Boolean";
    case VT_I1:
      return "Char";
    case VT_UI1:
      return "Byte";
    case VT_UI2:
      return "Word";
    case VT_UI4:
      return "DWord";
    case VT_I8:
      return "LongLong";
    case VT_UI8:
      return "ULongLong";
    default:
      return "Native";
  }
}

const char* AccessRightText(int dir) {
  switch (dir) {
    case 1:
      return "只读";
    case 2:
      return "只写";
    case 3:
      return "读写";
    default:
      return "未知";
  }
}

const char* QualityText(std::uint32_t badFlag) { return badFlag == 0 ? "good" : "bad"; }

}  // namespace tavrel
