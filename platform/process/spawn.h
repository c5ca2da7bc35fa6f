// Starting programs, and reaping them where that is needed.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// The file name of the executable of the program `name` ("Tavrel"): the name itself on Linux,
// the name with ".exe" on Windows.
std::string ExecutableFileName(std::string_view name);

// Starts the executable at `path` with `arguments`, in the caller's working directory. Returns
// the new process's id, or 0 when it could not be started.
//   - Linux: argv[0] is the path; no signals are blocked in the child. The caller reaps its
//     children with ReapEndedChildren, so an ended child never lingers as a zombie that looks
//     like a running process.
//   - Windows: CreateProcessW with a command line of the path and the arguments, each quoted so
//     that the C runtime (and CommandLineToArgvW) takes them back apart unchanged; the narrow
//     texts are in the system code page. No handle is inherited, and the handles of the new
//     process and its thread are closed at once, so nothing of it lingers in the caller.
pid_t StartProgram(const std::string& path, const std::vector<std::string>& arguments = {});

// Runs the executable at `path` with `arguments`, as StartProgram starts it, and waits for its
// end. The program writes to the caller's standard output and error and reads its standard
// input. Returns its exit code (Linux: a program ended by a signal gives 128 plus the signal's
// number, as a shell says), or nothing when it could not be started or waited for.
//   - Linux: the program is reaped here. A ReapEndedChildren in another thread meanwhile may
//     collect it first, and then nothing is returned.
//   - Windows: the program inherits the caller's three standard handles, and every other handle
//     that the caller made inheritable (the programs' sockets and files are not).
std::optional<int> RunProgram(const std::string& path, const std::vector<std::string>& arguments);

// Linux: collects every child of this process that has ended, without waiting. Windows: does
// nothing, as there is nothing to collect: a process that has ended is gone with its last
// handle, and StartProgram keeps none.
void ReapEndedChildren();

}  // namespace tavrel
