// Starting programs and reaping them.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tavrel {

// Starts the executable at `path` with `arguments` (argv[0] is the path), in the caller's
// working directory, with no signals blocked in the child. Returns the child's id, or 0 when it
// could not be started. The caller reaps its children with ReapEndedChildren, so an ended child
// never lingers as a zombie that looks like a running process.
pid_t StartProgram(const std::string& path, const std::vector<std::string>& arguments = {});

// Collects every child of this process that has ended, without waiting.
void ReapEndedChildren();

}  // namespace tavrel
