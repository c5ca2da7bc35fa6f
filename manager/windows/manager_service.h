// The manager as a Windows service: `Morvane.exe --service`, as the installer registers it
// under kManagerServiceName.
//
// The Service Control Manager starts the process; RunAsService hands it the service's entry
// and runs the manager on the service's thread. A stop, or the system's shutdown, is the
// manager's quit request (RequestQuit): the manager ends in its usual order, the bridge
// stopped last, and the service reports itself stopped with the manager's exit code.
#pragma once

#include <functional>

namespace tavrel {

inline constexpr char kManagerServiceName[] = "Morvane";

// Runs `manager` as the service's work and returns its exit code once the service has
// stopped. Returns 1, with the reason on stderr, when the process was not started by the
// Service Control Manager. Call it once, from the main thread, after ListenForQuitRequests.
int RunAsService(std::function<int()> manager);

}  // namespace tavrel
