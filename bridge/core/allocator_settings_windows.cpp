#include "bridge/core/allocator_settings.h"

namespace tavrel {

// Windows' heap gives large blocks back to the system by itself: nothing to set.
void UseBridgeAllocatorSettings() {}

}  // namespace tavrel
