#include "bridge/windows/desktop_factory.h"

namespace tavrel {

BridgeDesktopFactory WindowsDesktopFrom(int, const char* const*) { return {}; }

}  // namespace tavrel
