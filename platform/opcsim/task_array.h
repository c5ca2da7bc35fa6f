// Arrays in COM task memory, the form in which a server hands arrays to its caller.
//
// TaskArray<T> owns a zero-filled block of n elements from CoTaskMemAlloc until Release()
// hands it to an out parameter; a method that fails midway lets the owner free it. Elements
// that own memory themselves (strings, VARIANTs) are the method's business.
#pragma once

#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/com/task_memory.h"

template <typename T>
class TaskArray {
 public:
  explicit TaskArray(std::size_t count)
      : data_(static_cast<T*>(CoTaskMemAlloc(count * sizeof(T)))), count_(count) {
    if (data_ != nullptr && count > 0) std::memset(static_cast<void*>(data_), 0, count * sizeof(T));
  }
  TaskArray(const TaskArray&) = delete;
  TaskArray& operator=(const TaskArray&) = delete;
  ~TaskArray() { CoTaskMemFree(data_); }

  // False when memory was exhausted.
  explicit operator bool() const { return data_ != nullptr; }
  T& operator[](std::size_t index) { return data_[index]; }
  T* Get() { return data_; }
  std::size_t Size() const { return count_; }
  // Gives the block to the caller, who frees it with CoTaskMemFree.
  T* Release() { return std::exchange(data_, nullptr); }

 private:
  T* data_;
  std::size_t count_;
};
