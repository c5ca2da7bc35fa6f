#include "bridge/core/bridge_process.h"

#include "bridge/core/bridge_runtime.h"
#include "common/crash_report.h"
#include "common/program_directory.h"
#include "platform/com/activation.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_servers.h"
#include "platform/process/quit_signal.h"
#include "platform/process/single_instance.h"

namespace {

// The calling thread's membership of the COM apartment.
class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

}  // namespace

int RunBridgeProcess(const ApiServiceFactory& makeApiService,
                     const ConnectionEngineFactory& makeEngine) {
  BlockQuitSignals();
  const ComApartment apartment;
  CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_NONE,
                       RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
  RegisterOpcCoreClasses();
  RegisterSimulatedServers();

  const SingleInstanceLock instance(kBridgeInstanceName);
  if (!instance.held()) return 0;

  const std::string programDirectory = ProgramDirectory();
  InstallCrashReport(programDirectory);
  BridgeRuntime runtime(programDirectory, makeApiService, kStopWait, SystemWallTime, makeEngine);
  WaitForQuitSignal();
  runtime.Stop();
  return 0;
}
