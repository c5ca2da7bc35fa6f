// Starting, finding and stopping the bridge program that lies beside the manager.
//
// The manager starts the bridge as <ProgramDirectory>/Tavrel (Tavrel.exe on Windows) and asks it to
// end with a quit request (process_end.h); it never kills it. The manager reaps its ended children
// before every look-up, so a bridge that has died is seen as gone and not as a zombie that still
// carries the name.
//
// The bridge is a process of the manager's own account running the executable of the
// manager's own folder (FindOwnProcess): a bridge started from another folder, or a process of
// another account that carries the name, belongs to another installation and is never adopted,
// watched or stopped. Such a bridge may hold the single-instance lock, so that the manager's
// own cannot start; ForeignBridge tells which.
//
// A BridgeControl holds only settings fixed at construction, so the watchdog and the HTTP
// thread may use one object at the same time. Neither excludes the other: a watchdog tick may
// start the bridge between the HTTP thread's stop and start, and the second copy then ends at
// the bridge's own single-instance check.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

namespace tavrel {

inline constexpr char kBridgeProgramName[] = "Tavrel";

// How long StopBridge waits for the bridge to end.
inline constexpr std::chrono::milliseconds kBridgeStopTimeout{10000};

class BridgeControl {
 public:
  // The bridge is the executable of `programName` (ExecutableFileName) in `programDirectory`
  // (symbolic links in the folder's path resolved).
  explicit BridgeControl(std::string programDirectory, std::string programName = kBridgeProgramName,
                         std::chrono::milliseconds stopTimeout = kBridgeStopTimeout);

  // Starts the bridge, in the manager's working directory, whether or not one runs already.
  // A start that fails (no such file) goes unnoticed, as the next watchdog tick tries again.
  void StartBridge() const;

  // The id of a running process of this account that runs the bridge's executable (its file
  // name exactly, letter case counts), or 0; nothing when the running processes cannot all be
  // looked at, and a bridge may run. Reaps ended children first.
  std::optional<pid_t> FindBridgeProcess() const;

  // When a process other than this folder's bridge holds the bridge's single-instance lock:
  // "process <id> from <folder>" ("process <id>" when its executable cannot be read any more);
  // none otherwise.
  std::optional<std::string> ForeignBridge() const;

  const std::string& ProgramPath() const { return programPath_; }

  // Asks the running bridge to end and waits for it. The bridge is looked for in the same way,
  // its file name ignoring letter case; it is asked to quit (process_end.h), and the wait ends
  // the moment it ends or after `stopTimeout`. True when it is gone (or was not running), and then
  // reaped if it was a child; false when it still runs after the wait, or when the running
  // processes cannot be looked at. The bridge is never killed.
  bool StopBridge() const;

 private:
  std::string programPath_;
  std::chrono::milliseconds stopTimeout_;
};

}  // namespace tavrel
