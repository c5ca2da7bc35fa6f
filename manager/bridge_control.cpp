#include "manager/bridge_control.h"

#include <filesystem>
#include <utility>

#include "common/program_files.h"
#include "platform/process/process_end.h"
#include "platform/process/process_list.h"
#include "platform/process/single_instance.h"
#include "platform/process/spawn.h"

namespace tavrel {

namespace {

// The folder with symbolic links resolved, as /proc shows a running program's executable.
std::string ResolvedFolder(const std::string& folder) {
  std::error_code ignored;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(folder, ignored);
  return resolved.empty() ? folder : resolved.string();
}

}  // namespace

BridgeControl::BridgeControl(std::string programDirectory, std::string programName,
                             std::chrono::milliseconds stopTimeout)
    : programPath_((std::filesystem::path(ResolvedFolder(programDirectory)) /
                    ExecutableFileName(programName))
                       .string()),
      stopTimeout_(stopTimeout) {}

void BridgeControl::StartBridge() const { StartProgram(programPath_); }

std::optional<pid_t> BridgeControl::FindBridgeProcess() const {
  ReapEndedChildren();
  return FindOwnProcess(programPath_, NameMatch::kExact);
}

std::optional<std::string> BridgeControl::ForeignBridge() const {
  const std::optional<pid_t> holder = SingleInstanceLock::Holder(kBridgeInstanceName);
  if (!holder) return std::nullopt;
  const std::optional<std::string> executable = ProcessExecutable(*holder);
  if (executable == programPath_) return std::nullopt;
  const std::string process = "process " + std::to_string(*holder);
  if (!executable) return process;  // ended meanwhile
  return process + " from " + executable->substr(0, executable->rfind('/'));
}

bool BridgeControl::StopBridge() const {
  ReapEndedChildren();
  const std::optional<pid_t> bridge = FindOwnProcess(programPath_, NameMatch::kIgnoreCase);
  if (!bridge) return false;
  if (*bridge == 0) return true;
  if (!AskToQuitAndWaitForEnd(*bridge, stopTimeout_)) return false;
  // Ended (a zombie counts as ended): a bridge this manager started is reaped now.
  ReapEndedChildren();
  return true;
}

}  // namespace tavrel
