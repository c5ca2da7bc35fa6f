// Tavrel, the bridge between OPC DA servers and the programs that use their values.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "bridge/api/bridge_api.h"
#include "bridge/core/app_settings.h"
#include "bridge/core/bridge_process.h"
#include "bridge/metrics/metrics_endpoint.h"
#include "bridge/mqtt/mqtt_publisher.h"
#include "bridge/opc/opc_connection.h"
#include "bridge/ui/bridge_desktop_app.h"
#include "common/data_directory.h"
#include "common/program_directory.h"
#include "platform/opcsim/simulated_servers.h"

// `Tavrel --settings` prints the settings it would use and ends (app_settings.h).
int main(int argc, char** argv) {
  using namespace tavrel;
  if (argc == 2 && std::string_view(argv[1]) == "--settings") {
    const std::optional<std::string> programDirectory = ProgramDirectory();
    if (!programDirectory) return 1;
    PrintBridgeSettings(DataDirectory(*programDirectory), stdout, stderr);
    return 0;
  }
  const BridgeDesktopOptions desktop = DesktopOptionsFrom(argc, argv);
  return RunBridgeProcess({
      .registerClasses = opcsim::RegisterSimulatedServers,
      .makeEngine = MakeOpcConnection,
      .frontEnds =
          {
              MakeApiFrontEnd,
              MakeMqttFrontEnd,
              MakeMetricsFrontEnd,
          },
      .makeDesktop = [desktop] { return MakeBridgeDesktop(desktop); },
  });
}
