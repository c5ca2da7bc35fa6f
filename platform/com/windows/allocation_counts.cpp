// The leak counts on Windows: a malloc spy on the system's task allocator counts the blocks
// allocated through it (CoTaskMemAlloc, and BSTRs when the BSTR cache is off, OANOCACHE=1)
// from the first call of either count on. Blocks allocated before that are not counted, nor
// their frees.
#include "platform/com/allocation_counts.h"

#include <atomic>
#include <mutex>

#include "platform/com/com_api.h"

namespace tavrel {

namespace {

// The spy lives as long as the process; COM holds it from registration on.
class CountingMallocSpy final : public IMallocSpy {
 public:
  std::size_t BlocksInUse() const { return blocksInUse_.load(std::memory_order_relaxed); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy)) {
      *object = static_cast<IMallocSpy*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T requested) override { return requested; }
  void* STDMETHODCALLTYPE PostAlloc(void* actual) override {
    if (actual != nullptr) blocksInUse_.fetch_add(1, std::memory_order_relaxed);
    return actual;
  }
  void* STDMETHODCALLTYPE PreFree(void* request, BOOL spied) override {
    if (request != nullptr && spied) blocksInUse_.fetch_sub(1, std::memory_order_relaxed);
    return request;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  // A reallocation of null allocates (counted after it succeeded); one to 0 bytes frees.
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T requested, void** newRequest,
                                      BOOL spied) override {
    reallocAllocates_ = request == nullptr;
    if (request != nullptr && requested == 0 && spied) {
      blocksInUse_.fetch_sub(1, std::memory_order_relaxed);
    }
    *newRequest = request;
    return requested;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override {
    if (reallocAllocates_ && actual != nullptr) {
      blocksInUse_.fetch_add(1, std::memory_order_relaxed);
    }
    return actual;
  }
  void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}

 private:
  std::atomic<std::size_t> blocksInUse_{0};
  // Between PreRealloc and PostRealloc of the same call, on the calling thread.
  static thread_local bool reallocAllocates_;
};

thread_local bool CountingMallocSpy::reallocAllocates_ = false;

const CountingMallocSpy& Spy() {
  static CountingMallocSpy spy;
  static std::once_flag registered;
  std::call_once(registered, [] { CoRegisterMallocSpy(&spy); });
  return spy;
}

}  // namespace

std::size_t TaskMemoryBlocksInUse() { return Spy().BlocksInUse(); }

std::size_t BstrsInUse() { return Spy().BlocksInUse(); }

}  // namespace tavrel
