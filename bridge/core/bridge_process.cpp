#include "bridge/core/bridge_process.h"

#include <cstdio>
#include <optional>

#include "bridge/core/allocator_settings.h"
#include "bridge/core/bridge_runtime.h"
#include "common/crash_report.h"
#include "common/data_directory.h"
#include "common/program_directory.h"
#include "platform/com/com_apartment.h"
#include "platform/com/com_api.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/process/quit_request.h"
#include "platform/process/single_instance.h"
#include "platform/process/stop_deadline.h"

namespace tavrel {

namespace {

// The orderly stop takes milliseconds; a connection stuck in a call to a hung server must
// not keep the bridge from ending when it was asked to.
constexpr std::chrono::milliseconds kStopDeadline{5000};

}  // namespace

int RunBridgeProcess(const BridgeProgram& program) {
  ListenForQuitRequests();
  UseBridgeAllocatorSettings();
  const ComApartment apartment;
  CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_NONE,
                       RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
  RegisterOpcCoreClasses();
  if (program.registerClasses) program.registerClasses();

  const SingleInstanceLock instance(kBridgeInstanceName);
  if (!instance.held()) return 0;

  const std::optional<std::string> found = ProgramDirectory();
  if (!found) {
    std::fputs("Tavrel: the program directory cannot be found\n", stderr);
    return 1;
  }
  const std::string dataDirectory = DataDirectory(*found);
  InstallCrashReport(dataDirectory);
  std::unique_ptr<BridgeDesktop> desktop = program.makeDesktop ? program.makeDesktop() : nullptr;
  std::optional<StopDeadline> deadline;  // outlives the runtime: bounds its destruction too
  BridgeRuntime runtime(dataDirectory, {.makeEngine = program.makeEngine,
                                        .frontEnds = program.frontEnds,
                                        .logSink = desktop ? desktop->LogLines() : nullptr});
  if (desktop) {
    desktop->RunUntilQuit(runtime);
  } else {
    WaitForQuitRequest();
  }
  deadline.emplace(kStopDeadline, 0);
  desktop.reset();  // its windows and a traversal in progress end before the runtime they use
  runtime.Stop();
  return 0;
}

}  // namespace tavrel
