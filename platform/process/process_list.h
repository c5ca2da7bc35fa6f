// Finding running processes by name.
//
// Linux: from /proc. A process's name is the kernel's command name (the executable's file
// name, cut to 15 characters). Zombies (ended, not yet reaped) are not running and are never
// found, and neither are the processes of other PID namespaces (containers) that this one can
// see: a program in a container belongs to another installation.
//
// Windows: from a Tool Help snapshot of the machine's processes (every account and session). A
// process's name is its executable's file name ("Tavrel.exe"); a process that has ended is
// never found, even while others still hold a handle to it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

enum class NameMatch { kExact, kIgnoreCase };

// The id of a running process named `name` (the lowest id when several match), or 0 when
// none runs. Nothing when that cannot be told (Linux: /proc or the status of one of its
// processes cannot be read, no descriptor left; Windows: no snapshot), so a match may have
// been missed.
std::optional<pid_t> FindProcessByName(std::string_view name, NameMatch match);

// The id of a running process of this account whose executable is `executable` (a full path,
// on Linux without symbolic links; its file name compared as `match` says, its folder exactly,
// on Windows with "/" read as "\"), the lowest id when several match; 0 when none runs; none
// when that cannot be told. A process of another account, or one started from another folder,
// is never found: it belongs to another installation (on Windows a process whose account or
// executable this account may not read counts as another account's). On Linux a process whose
// file was replaced since it started (a new build) still counts.
std::optional<pid_t> FindOwnProcess(const std::string& executable, NameMatch match);

// The executable file process `pid` runs (Linux: without the " (deleted)" of a replaced file;
// Windows: its full path in the system code page); none when it cannot be read (the process
// has ended, or belongs to another account).
std::optional<std::string> ProcessExecutable(pid_t pid);

// True while process `pid` exists and has not ended (a zombie has ended).
bool IsProcessRunning(pid_t pid);

}  // namespace tavrel
