#include "common/bridge_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "common/test_clock.h"
#include "common/test_files.h"

namespace tavrel {

namespace {

// A log list that records what reaches it. AddLogMessage runs on the logging threads.
class RecordingSink : public LogSink {
 public:
  void AddLogMessage(WallTime when, std::string_view text) override {
    std::lock_guard lock(mutex_);
    messages_.emplace_back(FormatTagTime(when.seconds, when.milliseconds) + " " +
                           std::string(text));
  }
  std::vector<std::string> Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> messages_;
};

class BridgeLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(directory.Path().empty());
    std::filesystem::create_directory(directory.Path() + "/log");
    clock.Set(LocalSeconds(2024, 3, 5, 10, 20, 30), 400);
  }
  std::string DailyFile() const { return directory.Path() + "/log/20240305.txt"; }

  TestDirectory directory;
  FakeWallClock clock;
  BridgeLog log{directory.Path(), clock.AsClock()};
  std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
};

TEST_F(BridgeLogTest, MessagesGoToTheLogListAndTheDailyFile) {
  log.AttachLogSink(sink);
  log.LogMessage("begin load config...", 0);
  log.LogMessage("版本6.1.1", 2);
  EXPECT_EQ(sink->Messages(),
            (std::vector<std::string>{"2024-03-05 10:20:30 400 begin load config...",
                                      "2024-03-05 10:20:30 400 版本6.1.1"}));
  EXPECT_EQ(ReadTestFile(DailyFile()),
            "2024-03-05 10:20:30 400 begin load config...\r\n"
            "2024-03-05 10:20:30 400 版本6.1.1\r\n");
}

TEST_F(BridgeLogTest, NegativeLevelReachesNeitherTheListNorTheFile) {
  log.AttachLogSink(sink);
  log.LogMessage("dropped", -1);
  log.LogMessage("dropped too", -100);
  EXPECT_TRUE(sink->Messages().empty());
  EXPECT_FALSE(std::filesystem::exists(DailyFile()));
}

TEST_F(BridgeLogTest, WithoutAWindowMessagesStillReachTheFile) {
  log.LogMessage("early", 0);
  log.AttachLogSink(sink);
  log.DetachLogSink();
  log.LogMessage("late", 0);
  EXPECT_TRUE(sink->Messages().empty());
  EXPECT_EQ(ReadTestFile(DailyFile()),
            "2024-03-05 10:20:30 400 early\r\n2024-03-05 10:20:30 400 late\r\n");
}

TEST_F(BridgeLogTest, DailyOnlyCheckAndTextWritersSkipTheLogList) {
  log.AttachLogSink(sink);
  log.WriteLogLine("程序启动");
  log.LogCheck("check line");
  log.WriteLogText("Sim.Server.1", "<root/>");
  EXPECT_TRUE(sink->Messages().empty());
  EXPECT_EQ(ReadTestFile(DailyFile()), "2024-03-05 10:20:30 400 程序启动\r\n");
  EXPECT_EQ(ReadTestFile(directory.Path() + "/log/check20240305.txt"),
            "2024-03-05 10:20:30 400 check line\r\n");
  EXPECT_EQ(ReadTestFile(directory.Path() + "/log/Sim.Server.1.txt"), "<root/>");
}

TEST_F(BridgeLogTest, RemovedLogDirectoryStillFeedsTheLogList) {
  std::filesystem::remove(directory.Path() + "/log");
  log.AttachLogSink(sink);
  log.LogMessage("shown only", 0);
  EXPECT_EQ(sink->Messages().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(directory.Path() + "/log"));
}

TEST_F(BridgeLogTest, SinkCanBeSwappedWhileOtherThreadsLog) {
  constexpr int kThreads = 4;
  constexpr int kMessages = 200;
  {
    std::vector<std::jthread> loggers;
    for (int thread = 0; thread < kThreads; ++thread) {
      loggers.emplace_back([&] {
        for (int i = 0; i < kMessages; ++i) log.LogMessage("tick", 0);
      });
    }
    for (int round = 0; round < 50; ++round) {
      log.AttachLogSink(std::make_shared<RecordingSink>());
      log.DetachLogSink();
    }
    log.AttachLogSink(sink);
  }
  // Every message reached the file; the last sink saw at most all of them.
  const std::string file = ReadTestFile(DailyFile());
  const std::string line = "2024-03-05 10:20:30 400 tick\r\n";
  EXPECT_EQ(file.size(), line.size() * kThreads * kMessages);
  EXPECT_LE(sink->Messages().size(), static_cast<std::size_t>(kThreads * kMessages));
}

}  // namespace

}  // namespace tavrel
