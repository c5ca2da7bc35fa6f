#include "platform/com/linux/data_object.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tavrel {

namespace {

// The block in front of every HGLOBAL: its size and lock count.
struct GlobalHeader {
  SIZE_T size;
  std::atomic<ULONG> locks;
};

// Keeps the data aligned for any type.
constexpr SIZE_T kHeaderSize = (sizeof(GlobalHeader) + alignof(std::max_align_t) - 1) /
                               alignof(std::max_align_t) * alignof(std::max_align_t);

GlobalHeader* HeaderOf(HGLOBAL memory) {
  return reinterpret_cast<GlobalHeader*>(static_cast<char*>(memory) - kHeaderSize);
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  char* block = static_cast<char*>(std::malloc(kHeaderSize + (bytes == 0 ? 1 : bytes)));
  if (block == nullptr) return nullptr;
  new (block) GlobalHeader{bytes, {0}};
  char* data = block + kHeaderSize;
  if (flags & GMEM_ZEROINIT) std::memset(data, 0, bytes);
  return data;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  if (memory == nullptr) return nullptr;
  GlobalHeader* header = HeaderOf(memory);
  header->~GlobalHeader();
  std::free(header);
  return nullptr;
}

LPVOID GlobalLock(HGLOBAL memory) {
  if (memory == nullptr) return nullptr;
  HeaderOf(memory)->locks.fetch_add(1);
  return memory;
}

BOOL GlobalUnlock(HGLOBAL memory) {
  if (memory == nullptr) return FALSE;
  std::atomic<ULONG>& locks = HeaderOf(memory)->locks;
  ULONG current = locks.load();
  while (current > 0 && !locks.compare_exchange_weak(current, current - 1)) {
  }
  return current > 1 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL memory) { return memory == nullptr ? 0 : HeaderOf(memory)->size; }

void ReleaseStgMedium(LPSTGMEDIUM medium) {
  if (medium == nullptr) return;
  if (medium->pUnkForRelease != nullptr) {
    medium->pUnkForRelease->Release();
  } else if (medium->tymed == TYMED_HGLOBAL) {
    GlobalFree(medium->hGlobal);
  }
  medium->tymed = TYMED_NULL;
  medium->hGlobal = nullptr;
  medium->pUnkForRelease = nullptr;
}

}  // namespace tavrel
