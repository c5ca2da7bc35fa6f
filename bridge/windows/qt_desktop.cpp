#include "bridge/ui/bridge_desktop_app.h"
#include "bridge/windows/desktop_factory.h"

namespace tavrel {

BridgeDesktopFactory WindowsDesktopFrom(int argc, const char* const* argv) {
  const BridgeDesktopOptions options = DesktopOptionsFrom(argc, argv);
  return [options] { return MakeBridgeDesktop(options); };
}

}  // namespace tavrel
