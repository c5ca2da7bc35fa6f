// Helpers of the manager's tests and load program on both systems: a temporary installation
// folder and waiting for a condition (process_test_support.h has the Linux-only ones).
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

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

// Polls `condition` every 10 ms until it holds or `limit` has passed; the last answer.
bool Eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds limit = std::chrono::seconds(5));

}  // namespace tavrel
