#include <event2/thread.h>
#include <malloc.h>

#include "manager/manager_platform.h"

namespace tavrel {

void UseManagerAllocatorSettings() {}

void ReleaseFreeHeapMemory() { _heapmin(); }

bool PrepareLibeventForThreads() {
  static const bool prepared = evthread_use_windows_threads() == 0;
  return prepared;
}

}  // namespace tavrel
