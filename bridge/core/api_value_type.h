// ApiValueType: the value class of a tag, which decides the form of its numeric value.
//
// A tag's class follows from the VARTYPE it requests in the project file (its `vt`):
//   2, 3, 16, 17, 18       integer   a 32-bit signed integer
//   11                     boolean   a 32-bit integer, 1 for true and 0 for false
//   7, 8, 8200             text      no number; the text is the value
//   anything else          real      a 64-bit real (4, 5, 19, 20, 21, 0 and unknown types)
// The numbers 1 to 4 travel in value pushes and replies of the API, so they never change.
#pragma once

#include <cstdint>

namespace tavrel {

enum class ApiValueType : std::int32_t {
  kReal = 1,
  kInteger = 2,
  kBoolean = 3,
  kText = 4,
};

// The class of a tag that requests VARTYPE `vt`.
ApiValueType ApiValueTypeOfVarType(int vt);

}  // namespace tavrel
