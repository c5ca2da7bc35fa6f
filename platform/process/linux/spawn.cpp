#include "platform/process/spawn.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace tavrel {

std::string ExecutableFileName(std::string_view name) { return std::string(name); }

pid_t StartProgram(const std::string& path, const std::vector<std::string>& arguments) {
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return 0;
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  // A parent that blocks or ignores its quit signals must not pass that on.
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, path.c_str(), nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  return error == 0 ? pid : 0;
}

std::optional<int> RunProgram(const std::string& path, const std::vector<std::string>& arguments) {
  const pid_t pid = StartProgram(path, arguments);
  if (pid == 0) return std::nullopt;
  int status = 0;
  while (waitpid(pid, &status, 0) != pid) {
    if (errno != EINTR) return std::nullopt;
  }
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

void ReapEndedChildren() {
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
}

}  // namespace tavrel
