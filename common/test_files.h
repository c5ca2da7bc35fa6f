// Helpers for tests that work on real files.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <system_error>

namespace tavrel {

// A fresh directory under the system's temporary directory, removed with its content.
class TestDirectory {
 public:
  TestDirectory() {
    std::random_device random;
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    for (int attempt = 0; attempt < 100 && !error; ++attempt) {
      const std::filesystem::path path = temporary / ("tavrel-" + std::to_string(random()));
      if (std::filesystem::create_directory(path, error)) {
        path_ = path.string();
        return;
      }
    }
  }
  ~TestDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TestDirectory(const TestDirectory&) = delete;
  TestDirectory& operator=(const TestDirectory&) = delete;

  // The directory itself; empty when it could not be made.
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::string path_;
};

inline void WriteTestFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadTestFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace tavrel
