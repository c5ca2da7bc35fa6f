// The real bridge program, run from a temporary copy of the installation folder.
#include <gtest/gtest.h>

#include <thread>

#include "bridge/tavrel_test_support.h"

namespace tavrel {

namespace {

using namespace e2e;

TEST_F(TavrelTest, SecondStartEndsWithCodeZeroAndLeavesTheFirstRunning) {
  BridgeProcess first(Executable());
  ASSERT_TRUE(WaitForStartUp());
  BridgeProcess second(Executable());
  EXPECT_TRUE(second.EndsWithCodeZero(2s));
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(StartLines(), 1);  // the second start logged nothing
}

// The stop wakes and joins every loop: it does not wait out a fixed pause (it took a second
// when the loops were left a second to notice the stop; bench/bridge_stop_time measures it).
TEST_F(TavrelTest, QuitSignalEndsItPromptlyWithCodeZero) {
  BridgeProcess bridge(Executable());
  ASSERT_TRUE(WaitForStartUp());
  const Clock::time_point asked = Clock::now();
  bridge.Signal(SIGTERM);
  EXPECT_TRUE(bridge.EndsWithCodeZero(3s));
  EXPECT_LT(Clock::now() - asked, 900ms);
}

// A connection stuck in a call to a server that hangs cannot be told to stop; the bridge
// ends anyway, a few seconds after it was asked to.
TEST_F(TavrelTest, QuitSignalEndsItEvenWhileAServerCallHangs) {
  DeclareHungServer();
  WriteHungServerProject();
  BridgeProcess bridge(Executable());
  ASSERT_TRUE(WaitForStartUp());
  std::this_thread::sleep_for(2s);  // the first connection attempt is made and hangs
  const Clock::time_point asked = Clock::now();
  bridge.Signal(SIGTERM);
  EXPECT_TRUE(bridge.EndsWithCodeZero(10s));
  EXPECT_GE(Clock::now() - asked, 4s);  // it was the bound that ended it, not the orderly stop
}

TEST_F(TavrelTest, EmptyProjectRunsWithoutConnectionThreadsAndLogsItsStart) {
  WriteTestFile(ProjectPath(),
                "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n</root>\r\n");
  BridgeProcess bridge(Executable());
  ASSERT_TRUE(WaitForStartUp());
  EXPECT_EQ(bridge.SortedThreadNames(), ThreadsWithoutServers());
  const std::string log = LogText();
  const size_t begin = log.find(" begin load config...\r\n");
  const size_t version = log.find(" 版本6.1.1\r\n");
  const size_t end = log.find(" end load config...\r\n");
  EXPECT_NE(begin, std::string::npos);
  EXPECT_LT(begin, version);
  EXPECT_LT(version, end);
  EXPECT_LT(end, log.find(" 程序启动\r\n"));
}

TEST_F(TavrelTest, MissingProjectRunsWithoutConnectionThreadsAndStopsOnInterrupt) {
  fs::remove(ProjectPath());
  BridgeProcess bridge(Executable());
  ASSERT_TRUE(WaitForStartUp());
  EXPECT_EQ(bridge.SortedThreadNames(), ThreadsWithoutServers());
  bridge.Signal(SIGINT);
  EXPECT_TRUE(bridge.EndsWithCodeZero(3s));
}

TEST_F(TavrelTest, KilledBridgeLeavesNoLockBehind) {
  {
    BridgeProcess killed(Executable());
    ASSERT_TRUE(WaitForStartUp());
    killed.Signal(SIGKILL);
    ASSERT_TRUE(Eventually([&] { return !killed.Running(); }));
  }
  BridgeProcess next(Executable());
  EXPECT_TRUE(WaitForStartUp(2));  // the next start went through its whole start-up
  EXPECT_TRUE(next.Running());
}

}  // namespace

}  // namespace tavrel
