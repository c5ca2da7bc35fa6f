#include "platform/com/task_memory_ptr.h"

#include "common/code_page.h"

namespace tavrel {

std::string TakeTaskMemoryString(LPOLESTR text) {
  const TaskMemoryPtr<OLECHAR> owned(text);
  return text == nullptr ? std::string() : WideToAnsi(text);
}

}  // namespace tavrel
