// Owners of COM task memory: what a callee hands its caller, and what a callee builds before
// it hands it over.
//
// TaskMemoryPtr<T> frees its block with CoTaskMemFree when it goes, so no path of the caller
// can leak what a method returned; TakeTaskMemoryString does the same for a returned string.
// TaskArray<T> is the callee's side: a zero-filled array it fills and then releases into an
// out parameter, freed if the method fails first. Elements that own memory themselves
// (strings, VARIANTs, blobs) are freed by whoever owns the array; these owners free only the
// block.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "common/wide_string.h"
#include "platform/com/com_api.h"

namespace tavrel {

struct TaskMemoryFree {
  void operator()(void* block) const { CoTaskMemFree(block); }
};

// A block from CoTaskMemAlloc: one T, or the first of an array of them.
template <typename T>
using TaskMemoryPtr = std::unique_ptr<T, TaskMemoryFree>;

// The text of `text` (null gives ""), converted to the system code page; frees `text`.
std::string TakeTaskMemoryString(LPOLESTR text);

// A NUL-terminated copy of `text` in task memory (the form of every string a COM method
// returns), or null when memory is exhausted.
LPWSTR TaskMemStringDuplicate(WideStringView text);

template <typename T>
class TaskArray {
 public:
  // `count` zero-filled elements; false (operator bool) when memory is exhausted.
  explicit TaskArray(std::size_t count)
      : block_(static_cast<T*>(CoTaskMemAlloc(count * sizeof(T)))), count_(count) {
    if (block_ != nullptr && count > 0) {
      std::memset(static_cast<void*>(block_.get()), 0, count * sizeof(T));
    }
  }

  explicit operator bool() const { return block_ != nullptr; }
  T& operator[](std::size_t index) { return block_.get()[index]; }
  T* Get() { return block_.get(); }
  std::size_t Size() const { return count_; }
  // Gives the block to the caller, who frees it with CoTaskMemFree.
  T* Release() { return block_.release(); }

 private:
  TaskMemoryPtr<T> block_;
  std::size_t count_;
};

}  // namespace tavrel
