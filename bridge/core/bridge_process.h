// The bridge as a process: what `Tavrel` does from main to its exit code.
//
//   1. Block the quit signals (SIGTERM, SIGINT) before any thread exists, so that only the
//      main thread receives them.
//   2. Enter the multithreaded COM apartment, set the process's COM security (authentication
//      level none, impersonation level identify; its result is ignored), register the
//      runtime's own OPC classes and then the program's further classes (the bridge program's
//      are the simulated OPC servers).
//   3. Take the machine-wide single-instance lock kBridgeInstanceName. When another bridge
//      holds it (or it cannot be made), end at once with exit code 0, touching nothing.
//   4. Find the program directory (when it cannot be found, say so on stderr and end with
//      exit code 1) and install the crash report.
//   5. Start the bridge (bridge_runtime.h) with its API service and its OPC engine.
//   6. Wait on the main thread for a quit signal.
//   7. The orderly stop, leave the apartment and end with exit code 0.
// The lock is released by the kernel when the process ends, however it ends.
#pragma once

#include <functional>

#include "bridge/core/api_service.h"
#include "bridge/core/connection_engine.h"

inline constexpr char kBridgeInstanceName[] = "Global\\QZ_OPC_PLATFORM_TAVREL";

// Registers classes with the process's class registry, at step 2.
using ClassRegistration = std::function<void()>;

// Runs the bridge with the classes `registerClasses` registers, the API service that
// `makeApiService` makes and the connection engines that `makeEngine` makes; returns the exit
// code.
int RunBridgeProcess(const ClassRegistration& registerClasses,
                     const ApiServiceFactory& makeApiService,
                     const ConnectionEngineFactory& makeEngine);
