// Ownership of what an OPC or COM method hands its caller in task memory.
//
// TaskMemPtr<T> frees its block with CoTaskMemFree when it goes; TakeTaskMemString turns a
// returned string into system code page text and frees it, so no caller path can leak it.
#pragma once

#include <memory>
#include <string>

#include "platform/com/task_memory.h"

struct TaskMemFree {
  void operator()(void* block) const { CoTaskMemFree(block); }
};

template <typename T>
using TaskMemPtr = std::unique_ptr<T, TaskMemFree>;

// The text of `text` (null gives ""), converted to the system code page; frees `text`.
std::string TakeTaskMemString(LPOLESTR text);
