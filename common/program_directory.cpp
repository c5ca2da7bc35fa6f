#include "common/program_directory.h"

#include <filesystem>
#include <system_error>

std::string ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  std::string directory = executable.parent_path().string();
  // parent_path() of "/Tavrel" is "/": drop the root's slash as well, per the contract.
  while (!directory.empty() && directory.back() == '/') directory.pop_back();
  return directory;
}
