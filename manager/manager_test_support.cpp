#include "manager/manager_test_support.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

TemporaryInstallation::TemporaryInstallation() {
  std::string pattern = (fs::temp_directory_path() / "manager-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
  fs::create_directory(File("log"));
  fs::create_directory(File("servers"));
}

TemporaryInstallation::~TemporaryInstallation() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TemporaryInstallation::File(std::string_view relative) const {
  return path_ + "/" + std::string(relative);
}

void TemporaryInstallation::Write(std::string_view relative, std::string_view bytes) const {
  std::ofstream(File(relative), std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TemporaryInstallation::Read(std::string_view relative) const {
  std::ifstream file(File(relative), std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void TemporaryInstallation::CopyFrom(const std::string& source) const {
  fs::copy(source, path_, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
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

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}
