#include "manager/bridge_control.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <future>
#include <thread>
#include <vector>

#include "common/program_files.h"
#include "manager/manager_test_support.h"
#include "manager/process_test_support.h"
#include "manager/watchdog.h"
#include "platform/process/linux/quit_signal.h"
#include "platform/process/process_list.h"
#include "platform/process/quit_request.h"
#include "platform/process/single_instance.h"
#include "platform/process/spawn.h"

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
    ListenForQuitRequests();
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
  const DailyLog log_{folder_.path()};
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
  // A program that leaves the quit signal as it finds it, started with the signal ignored.
  std::filesystem::remove(folder_.File(name_));
  folder_.InstallProgram("/bin/sleep", name_);
  const pid_t stubborn = fork();
  ASSERT_GE(stubborn, 0);
  if (stubborn == 0) {
    signal(SIGTERM, SIG_IGN);
    const std::string program = folder_.File(name_);
    execl(program.c_str(), program.c_str(), "30", nullptr);
    _exit(127);
  }
  ASSERT_TRUE(Eventually([&] { return bridge_.FindBridgeProcess() == stubborn; }));

  const BridgeControl impatient(folder_.path(), name_, 50ms);
  EXPECT_FALSE(impatient.StopBridge());
  EXPECT_TRUE(IsProcessRunning(stubborn));
}

TEST_F(BridgeControlTest, WatchdogTickStartsAMissingBridgeOnly) {
  Watchdog watchdog(bridge_, log_);
  EXPECT_TRUE(watchdog.Tick());
  ASSERT_TRUE(Eventually([&] { return bridge_.FindBridgeProcess() != 0; }));
  EXPECT_FALSE(watchdog.Tick());
}

// Bridges of another folder, and processes of another account that carry the bridge's name,
// belong to other installations: they are neither taken for this folder's bridge nor stopped.
TEST_F(BridgeControlTest, OnlyTheBridgeOfTheOwnFolderAndAccountIsWatchedAndStopped) {
  TemporaryInstallation other;
  other.InstallProgram(BRIDGE_STAND_IN, name_);
  const BridgeControl otherBridge(other.path(), name_);
  otherBridge.StartBridge();
  ASSERT_TRUE(Eventually([&] { return otherBridge.FindBridgeProcess() != 0; }));
  const pid_t theirs = *otherBridge.FindBridgeProcess();
  std::vector<pid_t> decoys;
  if (geteuid() == 0) {  // the same file, started by another account
    decoys.push_back(StartProgram("/usr/bin/setpriv", {"--reuid=65534", "--regid=65534",
                                                       "--clear-groups", folder_.File(name_)}));
  }
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(bridge_.FindBridgeProcess(), 0);
  EXPECT_TRUE(bridge_.StopBridge());
  EXPECT_TRUE(IsProcessRunning(theirs));
  for (const pid_t decoy : decoys) EXPECT_TRUE(IsProcessRunning(decoy));
  Watchdog watchdog(bridge_, log_);
  EXPECT_TRUE(watchdog.Tick());
  EXPECT_TRUE(Eventually([&] { return bridge_.FindBridgeProcess() != 0; }));
  EXPECT_TRUE(bridge_.StopBridge());
  EXPECT_TRUE(IsProcessRunning(theirs));
  EXPECT_TRUE(otherBridge.StopBridge());
  for (const pid_t decoy : decoys) kill(decoy, SIGKILL);
  for (const pid_t decoy : decoys) waitpid(decoy, nullptr, 0);
}

// Each start is logged, at most a line a minute with the count of the starts it did not tell,
// and a bridge of another folder that holds the single-instance lock is named.
TEST_F(BridgeControlTest, WatchdogStartsAreLoggedOnceAMinuteWithACount) {
  Watchdog::Clock::time_point now{};
  Watchdog watchdog(bridge_, log_, kWatchdogPeriod, [&] { return now; });
  const std::string started =
      "watchdog: the bridge was not running; started " + bridge_.ProgramPath();
  const struct {
    std::chrono::seconds at;
    std::string line;  // logged by a tick that starts the bridge: empty for none
  } steps[] = {
      {0s, started}, {5s, ""}, {30s, ""}, {60s, started + " (started 3 times since the last line)"},
      {65s, ""},
  };
  for (const auto& step : steps) {
    now = Watchdog::Clock::time_point{} + step.at;
    const std::string before = folder_.LogText();
    ASSERT_TRUE(Eventually([&] { return bridge_.FindBridgeProcess() == 0; }));
    EXPECT_TRUE(watchdog.Tick());
    const std::string logged = folder_.LogText().substr(before.size());
    EXPECT_EQ(logged.empty() ? "" : logged.substr(24, logged.size() - 26), step.line)
        << step.at.count();
    ASSERT_TRUE(Eventually([&] { return bridge_.FindBridgeProcess() != 0; }));
    EXPECT_TRUE(bridge_.StopBridge());
  }
  // A bridge of another folder holds the lock (in a runtime directory of this test's own):
  // named in the next line.
  const std::string runtime = folder_.File("run");
  std::filesystem::create_directory(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  const SingleInstanceLock held(kBridgeInstanceName);
  ASSERT_TRUE(held.held());
  now += 60s;
  const std::string before = folder_.LogText();
  EXPECT_TRUE(watchdog.Tick());
  EXPECT_NE(folder_.LogText().find(
                "; the single-instance lock is held by the bridge of another installation: "
                "process " +
                    std::to_string(getpid()) + " from " +
                    std::filesystem::canonical("/proc/self/exe").parent_path().string(),
                before.size()),
            std::string::npos)
      << folder_.LogText();
  unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(BridgeControlTest, ProcessListThatCannotBeReadCountsAsARunningBridge) {
  Watchdog watchdog(bridge_, log_);
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
  std::future<void> quit = std::async(std::launch::async, [&] {
    started.set_value(pthread_self());
    Watchdog(bridge_, log_, 20ms).RunUntilQuit();
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
  EXPECT_EQ(quit.wait_for(5s), std::future_status::ready);
}

}  // namespace

}  // namespace tavrel
