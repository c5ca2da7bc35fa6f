#include "platform/process/stop_deadline.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

namespace tavrel {

namespace {

using namespace std::chrono_literals;

// The exit status of a child process that runs `body` and then exits with 3.
int ExitStatusOf(const std::function<void()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    body();
    _exit(3);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(StopDeadline, AStuckStopEndsTheProcessWithTheCodeAndAFinishedOneLetsItGoOn) {
  EXPECT_EQ(ExitStatusOf([] {
              const StopDeadline deadline(50ms, 0);
              std::this_thread::sleep_for(30s);  // a stop that never ends
            }),
            0);
  EXPECT_EQ(ExitStatusOf([] {
              { const StopDeadline deadline(50ms, 0); }  // done in time
              std::this_thread::sleep_for(100ms);        // past the limit
            }),
            3);
}

}  // namespace

}  // namespace tavrel
