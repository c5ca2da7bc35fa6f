// The texts of a tag row in the maker: its data type and its direction.
#pragma once

#include <string>

namespace tavrel {

// The maker's own VARTYPE names: 2 Short, 3 Long, 4 Float, 5 Double, 7 DataTime, 8 String,
// 11 Boolean, 16 Char, 17 Byte, 18 Word, 19 DWord, 20 LongLong, 21 ULongLong, 22 Int,
// 23 Uint, anything else (an array among them) "UnKown".
const char* MakerTypeName(int vt);

// "<name>(<code>)" as the tag list shows it: the name looked up with the array flag (0x2000)
// kept, the code printed without it.
std::string TagListTypeText(int vt);

// "<name>(<code>)" as the online browser's selected tags show it: the array flag removed before
// the lookup as well.
std::string SelectedTagTypeText(int vt);

}  // namespace tavrel
