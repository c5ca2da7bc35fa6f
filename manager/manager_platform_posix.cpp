#include <event2/thread.h>
#include <malloc.h>
#include <signal.h>

#include "manager/manager_platform.h"

namespace tavrel {

void UseManagerAllocatorSettings() { mallopt(M_MMAP_THRESHOLD, 256 * 1024); }

void ReleaseFreeHeapMemory() { malloc_trim(0); }

bool PrepareLibeventForThreads() {
  static const bool prepared = [] {
    signal(SIGPIPE, SIG_IGN);
    return evthread_use_pthreads() == 0;
  }();
  return prepared;
}

}  // namespace tavrel
