#include "maker/project/tag_texts.h"

#include <cstdio>

namespace tavrel {

namespace {

constexpr int kArrayFlag = 0x2000;

std::string TypeText(const char* name, int code) {
  char text[64];
  std::snprintf(text, sizeof text, "%s(%d)", name, code);
  return text;
}

}  // namespace

const char* MakerTypeName(int vt) {
  switch (vt) {
    case 2:
      return "Short";
    case 3:
      return "Long";
    case 4:
      return "Float";
    case 5:
      return "Double";
    case 7:
      return "DataTime";
    case 8:
      return "String";
    case 11:
      return "Boolean";
    case 16:
      return "Char";
    case 17:
      return "Byte";
    case 18:
      return "Word";
    case 19:
      return "DWord";
    case 20:
      return "LongLong";
    case 21:
      return "ULongLong";
    case 22:
      return "Int";
    case 23:
      return "Uint";
    default:
      return "UnKown";
  }
}

std::string TagListTypeText(int vt) { return TypeText(MakerTypeName(vt), vt & ~kArrayFlag); }

std::string SelectedTagTypeText(int vt) {
  const int code = vt & ~kArrayFlag;
  return TypeText(MakerTypeName(code), code);
}

}  // namespace tavrel
