#include "common/daily_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "common/test_clock.h"
#include "common/test_files.h"

namespace tavrel {

namespace {

class DailyLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(directory.Path().empty());
    std::filesystem::create_directory(LogDirectory());
    clock.Set(LocalSeconds(2024, 1, 31, 8, 5, 9), 42);
  }
  std::string LogDirectory() const { return directory.Path() + "/log"; }

  TestDirectory directory;
  FakeWallClock clock;
  DailyLog log{directory.Path(), clock.AsClock()};
};

TEST_F(DailyLogTest, LinesAreStampedAndEndInCrLfInTheFileOfTheDay) {
  EXPECT_EQ(log.DailyLogPath(log.Now()), LogDirectory() + "/20240131.txt");
  ASSERT_TRUE(log.WriteLogLine("PORT=9527 HTTP监听成功"));
  clock.Set(LocalSeconds(2024, 1, 31, 8, 5, 10), 7);
  ASSERT_TRUE(log.WriteLogLine("OPC 管理程序退出"));
  EXPECT_EQ(ReadTestFile(LogDirectory() + "/20240131.txt"),
            "2024-01-31 08:05:09 042 PORT=9527 HTTP监听成功\r\n"
            "2024-01-31 08:05:10 007 OPC 管理程序退出\r\n");
}

TEST_F(DailyLogTest, EmptyMessageStillGivesStampAndOneBlank) {
  ASSERT_TRUE(log.WriteLogLine(""));
  EXPECT_EQ(ReadTestFile(log.DailyLogPath(log.Now())), "2024-01-31 08:05:09 042 \r\n");
}

TEST_F(DailyLogTest, LinesOnEitherSideOfMidnightGoToTwoFiles) {
  clock.Set(LocalSeconds(2023, 12, 31, 23, 59, 59), 999);
  ASSERT_TRUE(log.WriteLogLine("before"));
  clock.Set(LocalSeconds(2024, 1, 1, 0, 0, 0), 0);
  ASSERT_TRUE(log.WriteLogLine("after"));
  EXPECT_EQ(ReadTestFile(LogDirectory() + "/20231231.txt"), "2023-12-31 23:59:59 999 before\r\n");
  EXPECT_EQ(ReadTestFile(LogDirectory() + "/20240101.txt"), "2024-01-01 00:00:00 000 after\r\n");
}

TEST_F(DailyLogTest, CheckLinesGoToTheCheckFileOfTheDay) {
  ASSERT_TRUE(log.WriteCheckLine("check"));
  EXPECT_EQ(ReadTestFile(LogDirectory() + "/check20240131.txt"),
            "2024-01-31 08:05:09 042 check\r\n");
  EXPECT_FALSE(std::filesystem::exists(LogDirectory() + "/20240131.txt"));
}

TEST_F(DailyLogTest, NamedTextIsAppendedUnchanged) {
  ASSERT_TRUE(log.WriteLogText("Sim.Server.1", "<root/>\n"));
  ASSERT_TRUE(log.WriteLogText("Sim.Server.1", "<root ver=\"0\"/>"));
  EXPECT_EQ(ReadTestFile(LogDirectory() + "/Sim.Server.1.txt"), "<root/>\n<root ver=\"0\"/>");
}

TEST_F(DailyLogTest, NamedTextRefusesNamesThatLeaveTheLogDirectory) {
  for (const char* name : {"../opc_db", "a/b", "a\\b", "", "..", "."}) {
    EXPECT_FALSE(log.WriteLogText(name, "x")) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(directory.Path() + "/opc_db.txt"));
  EXPECT_TRUE(std::filesystem::is_empty(LogDirectory()));
}

TEST_F(DailyLogTest, MissingLogDirectoryIsNotCreatedAndNothingIsWritten) {
  std::filesystem::remove(LogDirectory());
  EXPECT_FALSE(log.WriteLogLine("lost"));
  EXPECT_FALSE(log.WriteCheckLine("lost"));
  EXPECT_FALSE(log.WriteLogText("walk", "lost"));
  EXPECT_FALSE(std::filesystem::exists(LogDirectory()));
  EXPECT_TRUE(std::filesystem::is_empty(directory.Path()));
}

TEST(DailyLogConcurrency, LinesFromManyThreadsNeverMix) {
  TestDirectory directory;
  ASSERT_FALSE(directory.Path().empty());
  std::filesystem::create_directory(directory.Path() + "/log");
  FakeWallClock clock;
  clock.Set(LocalSeconds(2024, 6, 1, 12, 0, 0), 0);
  constexpr int kThreads = 8;
  constexpr int kLines = 300;
  {
    std::vector<std::jthread> writers;
    for (int thread = 0; thread < kThreads; ++thread) {
      writers.emplace_back([&, thread] {
        // Each writer has its own DailyLog, as two programs writing one file have.
        const DailyLog log(directory.Path(), clock.AsClock());
        const std::string body(200 + thread * 37, static_cast<char>('a' + thread));
        for (int line = 0; line < kLines; ++line) log.WriteLogLine(body);
      });
    }
  }
  std::istringstream file(ReadTestFile(directory.Path() + "/log/20240601.txt"));
  int lines[kThreads] = {};
  for (std::string line; std::getline(file, line);) {
    ASSERT_GT(line.size(), 25u);
    ASSERT_EQ(line.substr(0, 24), "2024-06-01 12:00:00 000 ");
    ASSERT_EQ(line.back(), '\r');
    const int thread = line[24] - 'a';
    ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
    ASSERT_EQ(line.substr(24, line.size() - 25),
              std::string(200 + thread * 37, static_cast<char>('a' + thread)));
    ++lines[thread];
  }
  for (int count : lines) EXPECT_EQ(count, kLines);
}

}  // namespace

}  // namespace tavrel
