// COM task memory: the allocator through which a server hands memory to its caller.
//
// Whatever an interface method returns through an out pointer (arrays, strings, structures)
// is allocated here by the callee and freed by the caller with CoTaskMemFree.
#pragma once

#include <cstddef>

#include "common/wide_string.h"
#include "platform/com/linux/windows_types.h"

namespace tavrel {

// Returns a block of `size` bytes (a distinct non-null block also for 0), or null when memory
// is exhausted.
LPVOID CoTaskMemAlloc(SIZE_T size);
// Resizes a block from CoTaskMemAlloc keeping its contents; null `block` allocates. Returns
// null, leaving `block` valid, when memory is exhausted.
LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size);
// Frees a block from CoTaskMemAlloc; null is ignored.
void CoTaskMemFree(LPVOID block);

// A NUL-terminated copy of `text` in task memory (the form of every string a COM method
// returns), or null when memory is exhausted.
LPWSTR TaskMemStringDuplicate(WideStringView text);

// Task memory blocks allocated and not yet freed, process-wide. Tests use it to prove that
// every block a callee handed out was freed by its caller.
std::size_t TaskMemoryBlocksInUse();

}  // namespace tavrel
