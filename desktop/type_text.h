// Display texts of a tag's data type, access direction and quality: what every window that
// shows tags (the bridge's tag grid and write dialog, the maker's tag lists) writes for them.
#pragma once

#include <cstdint>

namespace tavrel {

// The name of VARTYPE `vt`; the array bit is ignored, so an array shows its element type.
//   2 Short, 3 Long, 4 Float, 5 Double, 7 DataTime, 8 String, 11 Boolean, 16 Char, 17 Byte,
//   18 Word, 19 DWord, 20 LongLong, 21 ULongLong, anything else Native.
const char* DataTypeName(int vt);

// The text of a tag's direction `dir`: 1 "只读", 2 "只写", 3 "读写", anything else "未知".
const char* AccessRightText(int dir);

// The quality column: "good" for bad flag 0, "bad" for any other.
const char* QualityText(std::uint32_t badFlag);

}  // namespace tavrel
