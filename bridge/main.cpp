// Tavrel, the bridge between OPC DA servers and the programs that use their values.
#include <optional>

#include "bridge/api/bridge_api.h"
#include "bridge/core/app_settings.h"
#include "bridge/core/bridge_process.h"
#include "bridge/metrics/metrics_endpoint.h"
#include "bridge/mqtt/mqtt_publisher.h"
#include "bridge/opc/opc_connection.h"
#include "bridge/ui/bridge_desktop_app.h"
#include "platform/opcsim/simulated_servers.h"

// `Tavrel --settings` prints the settings it would use and ends (app_settings.h).
int main(int argc, char** argv) {
  using namespace tavrel;
  if (const std::optional<int> printed = PrintBridgeSettingsIfAsked(argc, argv)) return *printed;
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
