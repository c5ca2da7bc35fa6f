// Starting programs and reaping them.
#pragma once

#include <sys/types.h>

#include <string>

// Starts the executable at `path` without arguments, in the caller's working directory, with
// no signals blocked in the child. Returns the child's id, or 0 when it could not be started.
// The caller reaps its children with ReapEndedChildren, so an ended child never lingers as a
// zombie that looks like a running process.
pid_t StartProgram(const std::string& path);

// Collects every child of this process that has ended, without waiting.
void ReapEndedChildren();
