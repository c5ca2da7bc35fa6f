#include "common/program_directory.h"

#include <system_error>

namespace tavrel {

std::optional<std::string> ProgramDirectory(const std::filesystem::path& executableLink) {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink(executableLink, error);
  if (error || !executable.is_absolute()) return std::nullopt;
  std::string directory = executable.parent_path().string();
  // parent_path() of "/Tavrel" is "/": drop the root's slash as well, per the contract.
  while (!directory.empty() && directory.back() == '/') directory.pop_back();
  return directory;
}

}  // namespace tavrel
