// The bridge as a process: what `Tavrel` does from main to its exit code.
//
//   1. Listen for quit requests (quit_request.h: on Linux the quit signals SIGTERM and SIGINT
//      are blocked before any thread exists, so that only the main thread receives them).
//   2. Enter the multithreaded COM apartment, set the process's COM security (authentication
//      level none, impersonation level identify; its result is ignored), register the
//      runtime's own OPC classes and then the program's further classes (the bridge program's
//      are the simulated OPC servers).
//   3. Take the single-instance lock kBridgeInstanceName (single_instance.h: on Linux one per
//      account and machine, on a file only the account can write; on Windows the named
//      semaphore). When another bridge holds it (or it cannot be made), end at once with exit
//      code 0, touching nothing.
//   4. Find the program directory (when it cannot be found, say so on stderr and end with
//      exit code 1) and its data folder (data_directory.h), where the bridge reads and writes
//      its files, and install the crash report.
//   5. Make the desktop front end when a factory is given and a display is available
//      (bridge_desktop.h), then start the bridge (bridge_runtime.h) with its OPC engine, its
//      front ends (front_end.h) and the desktop's log list.
//   6. Wait on the main thread for a quit request, or run the front end until a quit signal or
//      its "退出系统".
//   7. The orderly stop, leave the apartment and end with exit code 0.
// The lock is released by the system when the process ends, however it ends.
#pragma once

#include <functional>
#include <vector>

#include "bridge/core/bridge_desktop.h"
#include "bridge/core/connection_engine.h"
#include "bridge/core/front_end.h"
#include "common/program_files.h"

namespace tavrel {

// Registers classes with the process's class registry, at step 2.
using ClassRegistration = std::function<void()>;

// What a bridge program is made of (bridge/main.cpp).
struct BridgeProgram {
  // The program's classes beside the runtime's own (the simulated OPC servers).
  ClassRegistration registerClasses = {};
  ConnectionEngineFactory makeEngine = {};
  // The front ends, in start-up order.
  std::vector<FrontEndFactory> frontEnds = {};
  // Headless without one.
  BridgeDesktopFactory makeDesktop = {};
};

// Runs the bridge `program` describes; returns the exit code.
int RunBridgeProcess(const BridgeProgram& program);

}  // namespace tavrel
