// The real bridge program, run from a temporary copy of the installation folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bridge/core/bridge_process.h"
#include "common/test_files.h"
#include "platform/process/single_instance.h"
#include "platform/process/spawn.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Polls `condition` every 5 ms until it holds or `limit` has passed.
bool Eventually(const std::function<bool()>& condition, Clock::duration limit = 5s) {
  const Clock::time_point end = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// A started Tavrel: killed and reaped at the end of the test if it still runs.
class BridgeProcess {
 public:
  explicit BridgeProcess(const std::string& executable) : pid_(StartProgram(executable)) {}
  ~BridgeProcess() {
    if (!exitStatus_ && pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  BridgeProcess(const BridgeProcess&) = delete;
  BridgeProcess& operator=(const BridgeProcess&) = delete;

  pid_t Pid() const { return pid_; }
  // The wait status once the process has ended; reaps it.
  std::optional<int> ExitStatus() {
    int status = 0;
    if (!exitStatus_ && pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) exitStatus_ = status;
    return exitStatus_;
  }
  bool Running() { return pid_ > 0 && !ExitStatus(); }
  // Waits up to `limit` for the end; true when it ended.
  bool WaitForExit(Clock::duration limit) {
    return Eventually([this] { return ExitStatus().has_value(); }, limit);
  }
  // The names of the process's threads.
  std::vector<std::string> ThreadNames() const {
    std::vector<std::string> names;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid_) + "/task")) {
      std::string name = ReadTestFile(task.path() / "comm");
      if (!name.empty() && name.back() == '\n') name.pop_back();
      names.push_back(name);
    }
    return names;
  }

 private:
  pid_t pid_;
  std::optional<int> exitStatus_;
};

bool EndedWithCode(const std::optional<int>& status, int code) {
  return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

class TavrelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(directory_.Path().empty());
    fs::copy(TAVREL_PROGRAM_DIRECTORY, programDirectory_, fs::copy_options::recursive);
    // Another bridge on this machine would hold the lock and make every start a second one.
    ASSERT_TRUE(SingleInstanceLock(kBridgeInstanceName).held())
        << "a bridge is already running on this machine";
  }

  std::string Executable() const { return programDirectory_ + "/Tavrel"; }
  std::string ProjectPath() const { return programDirectory_ + "/opc_db.xml"; }

  // Everything written to the daily logs so far.
  std::string LogText() const {
    std::string text;
    for (const auto& file : fs::directory_iterator(programDirectory_ + "/log")) {
      text += ReadTestFile(file.path());
    }
    return text;
  }
  int StartLines() const {
    const std::string text = LogText();
    int count = 0;
    for (size_t at = text.find("程序启动"); at != std::string::npos;
         at = text.find("程序启动", at + 1)) {
      ++count;
    }
    return count;
  }
  // Waits until the bridge has written the `count`th start line: its start-up is complete.
  bool WaitForStartUp(int count = 1) {
    return Eventually([&] { return StartLines() >= count; });
  }

  TestDirectory directory_;
  const std::string programDirectory_ = directory_ / "ProgramDirectory";
};

TEST_F(TavrelTest, SecondStartEndsWithCodeZeroAndLeavesTheFirstRunning) {
  BridgeProcess first(Executable());
  ASSERT_TRUE(WaitForStartUp());

  BridgeProcess second(Executable());
  ASSERT_TRUE(second.WaitForExit(2s));
  EXPECT_TRUE(EndedWithCode(second.ExitStatus(), 0));
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(StartLines(), 1);  // the second start logged nothing
}

TEST_F(TavrelTest, QuitSignalEndsItAfterAboutOneSecondWithCodeZero) {
  BridgeProcess bridge(Executable());
  ASSERT_TRUE(WaitForStartUp());

  const Clock::time_point asked = Clock::now();
  ASSERT_EQ(kill(bridge.Pid(), SIGTERM), 0);
  ASSERT_TRUE(bridge.WaitForExit(3s));
  const auto took = Clock::now() - asked;
  EXPECT_TRUE(EndedWithCode(bridge.ExitStatus(), 0));
  EXPECT_GE(took, 950ms);  // the loops are given one second to end
  EXPECT_LE(took, 1500ms);
}

TEST_F(TavrelTest, EmptyProjectRunsWithoutConnectionThreads) {
  WriteTestFile(ProjectPath(),
                "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n</root>\r\n");
  BridgeProcess bridge(Executable());
  ASSERT_TRUE(WaitForStartUp());

  EXPECT_TRUE(bridge.Running());
  // The main thread and the API thread, nothing else.
  std::vector<std::string> names = bridge.ThreadNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"ApiThread", "Tavrel"}));
  const std::string log = LogText();
  const size_t begin = log.find(" begin load config...\r\n");
  const size_t version = log.find(" 版本6.1.1\r\n");
  const size_t end = log.find(" end load config...\r\n");
  const size_t started = log.find(" 程序启动\r\n");
  EXPECT_NE(begin, std::string::npos);
  EXPECT_LT(begin, version);
  EXPECT_LT(version, end);
  EXPECT_LT(end, started);
  EXPECT_NE(started, std::string::npos);
}

TEST_F(TavrelTest, MissingProjectRunsAndStopsOnInterrupt) {
  fs::remove(ProjectPath());
  BridgeProcess bridge(Executable());
  ASSERT_TRUE(WaitForStartUp());
  EXPECT_EQ(bridge.ThreadNames().size(), 2u);

  ASSERT_EQ(kill(bridge.Pid(), SIGINT), 0);
  ASSERT_TRUE(bridge.WaitForExit(3s));
  EXPECT_TRUE(EndedWithCode(bridge.ExitStatus(), 0));
}

TEST_F(TavrelTest, KilledBridgeLeavesNoLockBehind) {
  {
    BridgeProcess killed(Executable());
    ASSERT_TRUE(WaitForStartUp());
    ASSERT_EQ(kill(killed.Pid(), SIGKILL), 0);
    ASSERT_TRUE(killed.WaitForExit(2s));
  }
  BridgeProcess next(Executable());
  EXPECT_TRUE(WaitForStartUp(2));  // the next start went through its whole start-up
  EXPECT_TRUE(next.Running());
}

}  // namespace
