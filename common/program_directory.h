// The installation directory of the running program.
//
// Every file the programs use (project, settings, browse files, logs) lies below the
// directory that holds the running executable. The three programs are installed together, so
// they share it.
#pragma once

#include <optional>
#include <string>

namespace tavrel {

// The directory of the running executable, without a trailing separator, so that appending
// "/name" ("\name" on Windows) forms a correct path:
//   - Linux: from the link /proc/self/exe (program_directory_posix.h); an executable in "/"
//     gives the empty text.
//   - Windows: the executable's module file name (GetModuleFileNameW) cut at its last
//     backslash ("C:\Tavrel.exe" gives "C:"), in the system code page like every narrow text
//     of the programs.
// Nothing when it cannot be read: then no path of ours can be formed, and a caller must not
// fall back to one rooted anywhere else.
std::optional<std::string> ProgramDirectory();

}  // namespace tavrel
