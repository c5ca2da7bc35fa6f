// The installation directory of the running program.
//
// Every file the programs use (project, settings, browse files, logs) lies below the
// directory that holds the running executable. The three programs are installed together, so
// they share it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tavrel {

// The directory of the executable that the link `executableLink` names (the running one by
// default), without a trailing slash: an executable in "/" gives the empty text, so that
// appending "/name" still forms a correct path. Nothing when the link cannot be read (no
// /proc, or a link that is not there): then no path of ours can be formed, and a caller must
// not fall back to one rooted at "/".
std::optional<std::string> ProgramDirectory(
    const std::filesystem::path& executableLink = "/proc/self/exe");

}  // namespace tavrel
