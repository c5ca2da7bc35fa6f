// The Linux side of program_directory.h, with the link it reads open to tests.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tavrel {

// The directory of the executable that the link `executableLink` names, without a trailing
// slash: an executable in "/" gives the empty text. Nothing when the link cannot be read (no
// /proc, or a link that is not there) or names no absolute path.
std::optional<std::string> ProgramDirectoryOfLink(const std::filesystem::path& executableLink);

}  // namespace tavrel
