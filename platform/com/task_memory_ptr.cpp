#include "platform/com/task_memory_ptr.h"

#include <cstring>

#include "common/code_page.h"

namespace tavrel {

std::string TakeTaskMemoryString(LPOLESTR text) {
  const TaskMemoryPtr<OLECHAR> owned(text);
  return text == nullptr ? std::string() : WideToAnsi(text);
}

LPWSTR TaskMemStringDuplicate(WideStringView text) {
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
  if (copy == nullptr) return nullptr;
  if (!text.empty()) std::memcpy(copy, text.data(), text.size() * sizeof(WCHAR));
  copy[text.size()] = OLESTR('\0');
  return copy;
}

}  // namespace tavrel
