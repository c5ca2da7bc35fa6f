#include <windows.h>

#include <cstdlib>

#include "desktop/desktop_application.h"

namespace tavrel {

namespace {

// Only the interactive window station (WinSta0) is visible; a service runs in a window station of
// its own, which is not, and so do the programs it starts.
bool InVisibleWindowStation() {
  USEROBJECTFLAGS flags{};
  return GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   nullptr) &&
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

bool DisplayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  return (platform != nullptr && *platform != '\0') || InVisibleWindowStation();
}

}  // namespace tavrel
