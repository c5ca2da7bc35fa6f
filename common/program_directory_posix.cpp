#include "common/program_directory_posix.h"

#include <system_error>

#include "common/program_directory.h"

namespace tavrel {

std::optional<std::string> ProgramDirectoryOfLink(const std::filesystem::path& executableLink) {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink(executableLink, error);
  if (error || !executable.is_absolute()) return std::nullopt;
  std::string directory = executable.parent_path().string();
  // parent_path() of "/Tavrel" is "/": drop the root's slash as well, per the contract.
  while (!directory.empty() && directory.back() == '/') directory.pop_back();
  return directory;
}

std::optional<std::string> ProgramDirectory() { return ProgramDirectoryOfLink("/proc/self/exe"); }

}  // namespace tavrel
