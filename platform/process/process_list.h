// Finding running processes by name, from /proc.
//
// A process's name is the kernel's command name (the executable's file name, cut to 15
// characters). Zombies (ended, not yet reaped) are not running and are never found, and
// neither are the processes of other PID namespaces (containers) that this one can see: a
// program in a container belongs to another installation.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string_view>

namespace tavrel {

enum class NameMatch { kExact, kIgnoreCase };

// The id of a running process named `name` (the lowest id when several match), or 0 when
// none runs. Nothing when that cannot be told: /proc or the status of one of its processes
// cannot be read (no /proc, no descriptor left), so a match may have been missed.
std::optional<pid_t> FindProcessByName(std::string_view name, NameMatch match);

// True while process `pid` exists and has not ended (a zombie has ended).
bool IsProcessRunning(pid_t pid);

}  // namespace tavrel
