#include "manager/process_test_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <system_error>

namespace tavrel {

namespace fs = std::filesystem;

std::string UniqueBridgeName() {
  static std::atomic<int> serial = 0;
  return "Tvb" + std::to_string(getpid()) + "x" + std::to_string(serial++ % 100);
}

std::vector<pid_t> ProcessesRunning(const std::string& path) {
  std::vector<pid_t> found;
  std::error_code error;
  const fs::path executable = fs::weakly_canonical(path, error);
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code unreadable;
    if (fs::read_symlink(entry.path() / "exe", unreadable) == executable) {
      found.push_back(static_cast<pid_t>(std::stol(name)));
    }
  }
  return found;
}

DescriptorsUsedUp::DescriptorsUsedUp() {
  getrlimit(RLIMIT_NOFILE, &saved_);
  rlimit lowered = saved_;
  lowered.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, 512);
  setrlimit(RLIMIT_NOFILE, &lowered);
  while (true) {
    const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd < 0) break;
    taken_.push_back(fd);
  }
}

DescriptorsUsedUp::~DescriptorsUsedUp() {
  for (const int fd : taken_) close(fd);
  setrlimit(RLIMIT_NOFILE, &saved_);
}

void DescriptorsUsedUp::Release() {
  if (taken_.empty()) return;
  close(taken_.back());
  taken_.pop_back();
}

}  // namespace tavrel
