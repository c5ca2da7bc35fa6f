#include "bridge/opc/task_memory_owner.h"

#include "common/code_page.h"

std::string TakeTaskMemString(LPOLESTR text) {
  const TaskMemPtr<OLECHAR> owned(text);
  return text == nullptr ? std::string() : WideToAnsi(text);
}
