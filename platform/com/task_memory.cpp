#include "platform/com/task_memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace tavrel {

namespace {
std::atomic<std::size_t> blocksInUse{0};
}  // namespace

LPVOID CoTaskMemAlloc(SIZE_T size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr) blocksInUse.fetch_add(1, std::memory_order_relaxed);
  return block;
}

LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size) {
  if (block == nullptr) return CoTaskMemAlloc(size);
  return std::realloc(block, size == 0 ? 1 : size);
}

void CoTaskMemFree(LPVOID block) {
  if (block == nullptr) return;
  blocksInUse.fetch_sub(1, std::memory_order_relaxed);
  std::free(block);
}

LPWSTR TaskMemStringDuplicate(WideStringView text) {
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
  if (copy == nullptr) return nullptr;
  if (!text.empty()) std::memcpy(copy, text.data(), text.size() * sizeof(WCHAR));
  copy[text.size()] = u'\0';
  return copy;
}

std::size_t TaskMemoryBlocksInUse() { return blocksInUse.load(std::memory_order_relaxed); }

}  // namespace tavrel
