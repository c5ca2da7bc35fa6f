// Runs test code under a limit on the size of the files it writes (POSIX: setrlimit in a child
// process), to see how writers meet a full disk.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace tavrel {

// Runs `body` in a child process whose writes fail with EFBIG beyond `limit` bytes of a file.
// Returns what `body` returned; false when the child did not end normally.
inline bool RunWithFileSizeLimit(rlim_t limit, const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit fileSize{limit, limit};
    ::_exit(::setrlimit(RLIMIT_FSIZE, &fileSize) == 0 && body() ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

}  // namespace tavrel
