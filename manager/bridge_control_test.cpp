#include "manager/bridge_control.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <future>
#include <thread>
#include <vector>

#include "manager/manager_test_support.h"
#include "manager/watchdog.h"
#include "platform/process/process_list.h"
#include "platform/process/quit_signal.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

// True when `pid` has been reaped: not even a zombie is left of it. (Asking waitpid would
// reap it.)
bool IsReaped(pid_t pid) { return !std::filesystem::exists("/proc/" + std::to_string(pid)); }

// The stand-in bridge (a real program that ends on the quit signal) installed under a name of
// its own in a temporary folder.
class BridgeControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Threads started from here on inherit the mask; the stand-in does not (StartProgram).
    BlockQuitSignals();
    folder_.InstallProgram(BRIDGE_STAND_IN, name_);
  }
  void TearDown() override {
    while (const pid_t left = FindProcessByName(name_, NameMatch::kIgnoreCase).value_or(0)) {
      kill(left, SIGKILL);
      waitpid(left, nullptr, 0);
    }
  }

  // Starts the bridge and waits until it runs; its id, or 0.
  pid_t StartAndFind() {
    bridge_.StartBridge();
    pid_t pid = 0;
    Eventually([&] { return (pid = bridge_.FindBridgeProcess().value_or(0)) != 0; });
    return pid;
  }

  TemporaryInstallation folder_;
  const std::string name_ = UniqueBridgeName();
  const BridgeControl bridge_{folder_.path(), name_};
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST_F(BridgeControlTest, StopFindsTheBridgeIgnoringCaseAndWaitsUntilItHasEnded) {
  const pid_t pid = StartAndFind();
  ASSERT_GT(pid, 0);
  const BridgeControl otherCase(folder_.path(), Lower(name_));
  // The watchdog's look-up is exact; the stop's is not.
  EXPECT_EQ(otherCase.FindBridgeProcess(), 0);
  EXPECT_TRUE(otherCase.StopBridge());
  EXPECT_FALSE(IsProcessRunning(pid));
  EXPECT_TRUE(IsReaped(pid));
  EXPECT_EQ(bridge_.FindBridgeProcess(), 0);
  // Nothing left to stop.
  EXPECT_TRUE(bridge_.StopBridge());
}

TEST_F(BridgeControlTest, StopReturnsWhenTheBridgeEndsNotWhenItsTimeIsUp) {
  const pid_t pid = StartAndFind();
  ASSERT_GT(pid, 0);
  const BridgeControl patient(folder_.path(), name_, std::chrono::hours(1));
  std::future<bool> stop = std::async(std::launch::async, [&] { return patient.StopBridge(); });
  const bool returned = stop.wait_for(30s) == std::future_status::ready;
  if (!returned) kill(pid, SIGKILL);  // the wait would not end otherwise
  ASSERT_TRUE(returned);
  EXPECT_TRUE(stop.get());
  EXPECT_TRUE(IsReaped(pid));
}

TEST_F(BridgeControlTest, KilledBridgeIsSeenAsGoneAndReaped) {
  const pid_t pid = StartAndFind();
  ASSERT_GT(pid, 0);
  kill(pid, SIGKILL);
  // Not found as soon as it has ended; reaped by a look-up at the latest once it has.
  EXPECT_TRUE(Eventually([&] { return bridge_.FindBridgeProcess() == 0 && IsReaped(pid); }));
}

TEST_F(BridgeControlTest, BridgeThatIgnoresTheQuitSignalIsReportedAndLeftRunning) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t stubborn = fork();
  ASSERT_GE(stubborn, 0);
  if (stubborn == 0) {
    signal(SIGTERM, SIG_IGN);
    prctl(PR_SET_NAME, name_.c_str());
    (void)!write(ready[1], "r", 1);
    while (true) pause();
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);
  close(ready[1]);

  const BridgeControl impatient(folder_.path(), name_, 50ms);
  EXPECT_FALSE(impatient.StopBridge());
  EXPECT_TRUE(IsProcessRunning(stubborn));
}

TEST_F(BridgeControlTest, WatchdogTickStartsAMissingBridgeOnly) {
  const Watchdog watchdog(bridge_);
  EXPECT_TRUE(watchdog.Tick());
  ASSERT_TRUE(Eventually([&] { return bridge_.FindBridgeProcess() != 0; }));
  EXPECT_FALSE(watchdog.Tick());
}

TEST_F(BridgeControlTest, ProcessListThatCannotBeReadCountsAsARunningBridge) {
  const Watchdog watchdog(bridge_);
  {
    const DescriptorsUsedUp exhausted;
    EXPECT_EQ(bridge_.FindBridgeProcess(), std::nullopt);
    EXPECT_FALSE(watchdog.Tick());
    EXPECT_FALSE(bridge_.StopBridge());
  }
  EXPECT_EQ(bridge_.FindBridgeProcess(), pid_t{0});
  EXPECT_EQ(ProcessesRunning(folder_.File(name_)), std::vector<pid_t>{});
}

TEST_F(BridgeControlTest, WatchdogRestartsAKilledBridgeUntilTheQuitSignal) {
  const pid_t first = StartAndFind();
  ASSERT_GT(first, 0);
  std::promise<pthread_t> started;
  std::future<int> quit = std::async(std::launch::async, [&] {
    started.set_value(pthread_self());
    return Watchdog(bridge_, 20ms).RunUntilQuit();
  });
  const pthread_t watchdogThread = started.get_future().get();

  kill(first, SIGKILL);
  pid_t second = 0;
  EXPECT_TRUE(Eventually([&] {
    second = bridge_.FindBridgeProcess().value_or(0);
    return second != 0 && second != first;
  }));
  // The watchdog's ticks reap it.
  EXPECT_TRUE(Eventually([&] { return IsReaped(first); }));

  ASSERT_EQ(pthread_kill(watchdogThread, kQuitSignal), 0);
  ASSERT_EQ(quit.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(quit.get(), kQuitSignal);
}

}  // namespace

}  // namespace tavrel
