#include "platform/com/linux/task_memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/com/allocation_counts.h"

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

std::size_t TaskMemoryBlocksInUse() { return blocksInUse.load(std::memory_order_relaxed); }

}  // namespace tavrel
