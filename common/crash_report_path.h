// The error log's path of the crash reports, formed at installation into a fixed buffer that a
// crash handler reads without allocating.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tavrel {

// Writes "<programDirectory>/log/error_log.txt", NUL-terminated, into `path`; false, leaving
// it as it was, when it does not fit.
template <std::size_t kSize>
bool FormErrorLogPath(const std::string& programDirectory, char (&path)[kSize]) {
  static constexpr std::string_view kErrorLog = "/log/error_log.txt";
  if (programDirectory.size() + kErrorLog.size() >= kSize) return false;
  std::memcpy(path, programDirectory.data(), programDirectory.size());
  std::memcpy(path + programDirectory.size(), kErrorLog.data(), kErrorLog.size());
  path[programDirectory.size() + kErrorLog.size()] = '\0';
  return true;
}

}  // namespace tavrel
