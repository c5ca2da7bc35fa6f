// Helpers of the manager's Linux tests: a name for a stand-in bridge, the processes of one
// executable, and a process without free file descriptors.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace tavrel {

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

}  // namespace tavrel
