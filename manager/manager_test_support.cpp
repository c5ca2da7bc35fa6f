#include "manager/manager_test_support.h"

#include <algorithm>
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

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

}  // namespace tavrel
