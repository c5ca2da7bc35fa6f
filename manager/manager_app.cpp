#include "manager/manager_app.h"

#include <optional>

#include "common/daily_log.h"
#include "common/data_directory.h"
#include "common/terminal_echo.h"
#include "manager/bridge_control.h"
#include "manager/configuration_interface.h"
#include "manager/http_server.h"
#include "manager/manager_settings.h"
#include "manager/watchdog.h"
#include "platform/process/quit_request.h"
#include "platform/process/single_instance.h"

namespace tavrel {

int RunManager(const std::string& programDirectory, const ManagerTrayFactory& makeTray) {
  const SingleInstanceLock instance(kManagerInstanceName);
  if (!instance.held()) return 0;

  const std::string dataDirectory = DataDirectory(programDirectory);
  const ManagerSettings settings = LoadManagerSettings(dataDirectory + "/" + kSettingsFileName);
  const DailyLog log(dataDirectory);
  for (const std::string& note : settings.notes) {
    log.WriteLogLine(note);
    EchoToTerminal("Morvane", note);
  }
  const BridgeControl bridge(programDirectory);
  const std::unique_ptr<ManagerTray> tray = makeTray ? makeTray(settings.watch) : nullptr;
  const ConfigurationInterface interface(dataDirectory, log, bridge);
  std::optional<HttpServerThread> http;
  http.emplace(
      settings.HttpPort(),
      [&interface](evhttp_request* request) { interface.HandleHttpRequest(request); }, log,
      HttpServerLimits{}, settings.httpAddress);

  const std::chrono::seconds delay(settings.sleep);
  if (delay.count() < 0 || !WaitForQuitRequestFor(delay)) {
    bridge.StartBridge();
    Watchdog watchdog(bridge, log);
    if (tray) {
      tray->RunUntilQuit([&watchdog] { watchdog.Tick(); }, kWatchdogPeriod);
    } else {
      watchdog.RunUntilQuit();
    }
  }

  log.WriteLogLine("OPC 管理程序退出");
  // The HTTP loop ends first, after any request in progress: a /set_opc_db restart finishes
  // before the bridge is stopped, so no bridge it starts outlives the manager.
  http.reset();
  bridge.StopBridge();
  return 0;
}

}  // namespace tavrel
