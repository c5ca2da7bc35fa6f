// The manager program: single instance, settings, HTTP interface, the bridge's first start and
// the watchdog, and the orderly exit on a quit signal.
//
// Start-up, in this order: the quit signals are blocked (before any thread starts, so every
// thread inherits the mask and only the main thread takes them); the machine-wide single-
// instance lock is taken, and a second manager ends at once with exit code 0; config.xml is
// read; the HTTP server starts; after `sleep` seconds (none when negative) the bridge is
// started, whether or not one runs already; then the watchdog looks for it every 5 seconds.
//
// SIGTERM or SIGINT ends the manager in this order: the line "OPC 管理程序退出" is logged,
// the HTTP loop is ended (after the request in progress) and its thread joined, and the bridge
// is asked to stop and waited for, up to about 10 seconds. A quit signal during the wait before
// the first start ends the manager the same way, without starting the bridge.
#pragma once

#include <string>

inline constexpr char kManagerInstanceName[] = "Global\\QZ_OPC_PLATFORM_MORVANE";

// Runs the manager installed in `programDirectory` until a quit signal arrives; returns the
// process's exit code. The calling thread must be the only one, with the quit signals
// blocked (BlockQuitSignals).
int RunManager(const std::string& programDirectory);
