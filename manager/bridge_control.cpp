#include "manager/bridge_control.h"

#include <utility>

#include "platform/process/process_end.h"
#include "platform/process/process_list.h"
#include "platform/process/quit_signal.h"
#include "platform/process/spawn.h"

namespace tavrel {

BridgeControl::BridgeControl(std::string programDirectory, std::string programName,
                             std::chrono::milliseconds stopTimeout)
    : programPath_(std::move(programDirectory) + "/" + programName),
      programName_(std::move(programName)),
      stopTimeout_(stopTimeout) {}

void BridgeControl::StartBridge() const { StartProgram(programPath_); }

std::optional<pid_t> BridgeControl::FindBridgeProcess() const {
  ReapEndedChildren();
  return FindProcessByName(programName_, NameMatch::kExact);
}

bool BridgeControl::StopBridge() const {
  ReapEndedChildren();
  const std::optional<pid_t> bridge = FindProcessByName(programName_, NameMatch::kIgnoreCase);
  if (!bridge) return false;
  if (*bridge == 0) return true;
  if (!SignalAndWaitForEnd(*bridge, kQuitSignal, stopTimeout_)) return false;
  // Ended (a zombie counts as ended): a bridge this manager started is reaped now.
  ReapEndedChildren();
  return true;
}

}  // namespace tavrel
