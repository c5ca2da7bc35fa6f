#include "manager/manager_test_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "common/test_files.h"

namespace tavrel {

namespace fs = std::filesystem;

TemporaryInstallation::TemporaryInstallation() {
  if (path().empty()) std::abort();
  fs::create_directory(File("log"));
  fs::create_directory(File("servers"));
}

std::string TemporaryInstallation::File(std::string_view relative) const {
  return directory_ / std::string(relative);
}

void TemporaryInstallation::Write(std::string_view relative, std::string_view bytes) const {
  WriteTestFile(File(relative), std::string(bytes));
}

std::string TemporaryInstallation::Read(std::string_view relative) const {
  return ReadTestFile(File(relative));
}

void TemporaryInstallation::CopyFrom(const std::string& source) const {
  fs::copy(source, path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  // Logs of runs in the source folder would read as this folder's.
  fs::remove_all(File("log"));
  fs::create_directory(File("log"));
}

void TemporaryInstallation::InstallProgram(const std::string& source, std::string_view name) const {
  const std::string target = File(name);
  fs::copy_file(source, target, fs::copy_options::overwrite_existing);
  fs::permissions(target, fs::perms::owner_all, fs::perm_options::add);
}

std::string TemporaryInstallation::LogText() const {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(File("log"))) {
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::string text;
  for (const fs::path& file : files) text += Read("log/" + file.filename().string());
  return text;
}

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

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

}  // namespace tavrel
