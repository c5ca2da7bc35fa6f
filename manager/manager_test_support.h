// Helpers of the manager's tests and load program: a temporary installation folder, a name
// for a stand-in bridge, and waiting for a condition.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/test_files.h"

namespace tavrel {

// A fresh directory under the system's temporary directory, with the `log` and `servers`
// directories that an installation has; removed with everything in it.
class TemporaryInstallation {
 public:
  TemporaryInstallation();

  const std::string& path() const { return directory_.Path(); }
  // The path of `relative` inside the folder.
  std::string File(std::string_view relative) const;
  // Writes `bytes` as the whole content of `relative`.
  void Write(std::string_view relative, std::string_view bytes) const;
  // The whole content of `relative`; empty when it cannot be read.
  std::string Read(std::string_view relative) const;
  // Copies every file and directory of `source` into the folder, except the logs.
  void CopyFrom(const std::string& source) const;
  // Copies the program at `source` into the folder as `name`, executable.
  void InstallProgram(const std::string& source, std::string_view name) const;
  // Everything logged in the folder's daily logs (normally today's one file).
  std::string LogText() const;

 private:
  TestDirectory directory_;
};

// A program name of at most 15 characters that no other process carries, so that tests of
// bridge look-ups never find, or stop, a process of some other test.
std::string UniqueBridgeName();

// The ids of the running processes started from the executable file `path` (ended ones,
// zombies included, have no executable any more). Unlike a look-up by name, this never finds
// a program of the same name that some other installation runs.
std::vector<pid_t> ProcessesRunning(const std::string& path);

// While it exists, this process has no file descriptor left to open: its limit is lowered to
// a few hundred and every free descriptor is taken. The destructor gives them back.
class DescriptorsUsedUp {
 public:
  DescriptorsUsedUp();
  ~DescriptorsUsedUp();
  DescriptorsUsedUp(const DescriptorsUsedUp&) = delete;
  DescriptorsUsedUp& operator=(const DescriptorsUsedUp&) = delete;

  // Gives back one descriptor, so that the next open, socket or accept may take it.
  void Release();

 private:
  rlimit saved_{};
  std::vector<int> taken_;
};

// Polls `condition` every 10 ms until it holds or `limit` has passed; the last answer.
bool Eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds limit = std::chrono::seconds(5));

}  // namespace tavrel
