#include <malloc.h>

#include "bridge/core/allocator_settings.h"

namespace tavrel {

namespace {

constexpr int kSeparatelyMappedBlockBytes = 256 * 1024;

}  // namespace

void UseBridgeAllocatorSettings() { mallopt(M_MMAP_THRESHOLD, kSeparatelyMappedBlockBytes); }

}  // namespace tavrel
