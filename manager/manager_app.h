// The manager program: single instance, settings, HTTP interface, the bridge's first start and
// the watchdog, and the orderly exit on a quit signal.
//
// Start-up, in this order: the program listens for quit requests (before any thread starts: on
// Linux every thread inherits the blocked quit signals, and only the main thread takes them);
// the machine-wide single-instance lock is taken, and a second manager ends at once with exit
// code 0; config.xml is read; the tray icon shows, when there is a display (manager_tray.h); the
// HTTP server starts; after `sleep` seconds (none when negative) the bridge is started, whether
// or not one runs already; then the watchdog looks for it every 5 seconds.
//
// SIGTERM or SIGINT, or the tray's "退出系统", ends the manager in this order: the line "OPC
// 管理程序退出" is logged, the HTTP loop is ended (after the request in progress) and its thread
// joined, and the bridge is asked to stop and waited for, up to about 10 seconds. A quit signal
// during the wait before the first start ends the manager the same way, without starting the
// bridge.
#pragma once

#include <string>

#include "manager/manager_tray.h"

namespace tavrel {

inline constexpr char kManagerInstanceName[] = "Global\\QZ_OPC_PLATFORM_MORVANE";

// Runs the manager installed in `programDirectory`, with its files in that folder's
// DataDirectory (common/data_directory.h) and the tray that `makeTray` makes (none without
// one), until it is asked to quit; returns the process's exit code. The calling thread must be
// the only one, listening for quit requests (ListenForQuitRequests).
int RunManager(const std::string& programDirectory, const ManagerTrayFactory& makeTray = {});

}  // namespace tavrel
