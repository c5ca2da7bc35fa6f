// Tavrel for Windows: the bridge with the front ends that the Windows build has, the TCP API,
// and its desktop when the build has one (desktop_factory.h).
//
//   Tavrel              the bridge until the manager's quit message, Ctrl+C, the console's
//                       close or the session's end (or the tray's "退出系统")
//   Tavrel --window     the same, with the main panel open at the start (a build with a desktop)
//   Tavrel --settings   prints the settings it would use and ends (app_settings.h)
//
// The simulated OPC servers of the demo project run in this process; with the environment
// variable TAVREL_SIMULATED_SERVERS=out-of-process they are left to opcsim_server.exe, which
// COM starts as their registered local server, as it starts every real OPC server.
#include <cstdlib>
#include <optional>
#include <string_view>

#include "bridge/api/bridge_api.h"
#include "bridge/core/app_settings.h"
#include "bridge/core/bridge_process.h"
#include "bridge/opc/opc_connection.h"
#include "bridge/windows/desktop_factory.h"
#include "platform/opcsim/simulated_servers.h"

int main(int argc, char** argv) {
  using namespace tavrel;
  if (const std::optional<int> printed = PrintBridgeSettingsIfAsked(argc, argv)) return *printed;
  const char* servers = std::getenv("TAVREL_SIMULATED_SERVERS");
  const bool outOfProcess = servers != nullptr && std::string_view(servers) == "out-of-process";
  return RunBridgeProcess({
      .registerClasses = outOfProcess ? ClassRegistration() : opcsim::RegisterSimulatedServers,
      .makeEngine = MakeOpcConnection,
      .frontEnds = {MakeApiFrontEnd},
      .makeDesktop = WindowsDesktopFrom(argc, argv),
  });
}
