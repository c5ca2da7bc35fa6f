#include "manager/bridge_control.h"

#include <signal.h>

#include <thread>
#include <utility>

#include "platform/process/process_list.h"
#include "platform/process/quit_signal.h"
#include "platform/process/spawn.h"

BridgeControl::BridgeControl(std::string programDirectory, std::string programName,
                             BridgeStopWait wait)
    : programPath_(std::move(programDirectory) + "/" + programName),
      programName_(std::move(programName)),
      wait_(wait) {}

void BridgeControl::StartBridge() const { StartProgram(programPath_); }

pid_t BridgeControl::FindBridgeProcess() const {
  ReapEndedChildren();
  return FindProcessByName(programName_, NameMatch::kExact);
}

bool BridgeControl::StopBridge() const {
  ReapEndedChildren();
  const pid_t bridge = FindProcessByName(programName_, NameMatch::kIgnoreCase);
  if (bridge == 0) return true;
  // A bridge that ended since it was found cannot take the signal; the polls see it gone.
  kill(bridge, kQuitSignal);
  for (int poll = 1; poll <= wait_.polls; ++poll) {
    if (!IsProcessRunning(bridge)) {
      // Seen ended (a zombie counts as ended): a bridge this manager started is reaped now.
      ReapEndedChildren();
      return true;
    }
    if (poll < wait_.polls) std::this_thread::sleep_for(wait_.interval);
  }
  return false;
}
