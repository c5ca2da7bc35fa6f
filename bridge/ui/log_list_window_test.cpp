#include "bridge/ui/log_list_window.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

#include "desktop/gbk_text.h"
#include "desktop/recording_message_boxes.h"

namespace tavrel {

namespace {

// 2024-03-05 06:07:08 local time, 9 ms.
WallTime FixedTime() {
  std::tm local{};
  local.tm_year = 124;
  local.tm_mon = 2;
  local.tm_mday = 5;
  local.tm_hour = 6;
  local.tm_min = 7;
  local.tm_sec = 8;
  local.tm_isdst = -1;
  return {std::mktime(&local), 9};
}

class LogListWindowTest : public ::testing::Test {
 protected:
  void Log(std::string_view text) { queue_->AddLogMessage(FixedTime(), text); }
  std::string Line(int row) { return ToGbk(window_.Lines().item(row)->text()); }

  std::shared_ptr<LogLineQueue> queue_ = std::make_shared<LogLineQueue>();
  RecordingMessageBoxes boxes_;
  std::optional<std::string> folder_;
  LogListWindow window_{queue_, boxes_, [this] { return folder_; }, FixedTime};
};

TEST_F(LogListWindowTest, LongMessageIsCutTo1024CharactersAndMarked) {
  Log(std::string(2000, 'x'));
  Log("短句");
  window_.MoveQueuedLines();
  ASSERT_EQ(window_.Lines().count(), 2);
  EXPECT_EQ(Line(0), "2024-03-05 06:07:08:009  " + std::string(1024, 'x') + "......");
  EXPECT_EQ(Line(1), "2024-03-05 06:07:08:009  短句");
  EXPECT_EQ(window_.Lines().currentRow(), 1);
  // A double-byte character across the 1024th byte is left out whole.
  EXPECT_EQ(LogListLine(FixedTime(), std::string(1023, 'y') + "表" + "z"),
            "2024-03-05 06:07:08:009  " + std::string(1023, 'y') + "......");
}

TEST_F(LogListWindowTest, LineAfterAFullListEmptiesItFirst) {
  for (int line = 0; line < kLogListLines; ++line) Log(std::to_string(line));
  window_.MoveQueuedLines();
  ASSERT_EQ(window_.Lines().count(), kLogListLines);
  Log("1025th");
  Log("1026th");
  window_.MoveQueuedLines();
  ASSERT_EQ(window_.Lines().count(), 2);
  EXPECT_EQ(Line(0).substr(kLogTimeLength + 2), "1025th");
  EXPECT_EQ(window_.Lines().currentRow(), 1);
}

TEST_F(LogListWindowTest, PauseRelabelsAndDiscardsLines) {
  EXPECT_EQ(ToGbk(window_.PauseButton().text()), "暂停");
  window_.PauseButton().click();
  EXPECT_EQ(ToGbk(window_.PauseButton().text()), "开始");
  Log("while paused");
  window_.PauseButton().click();
  EXPECT_EQ(ToGbk(window_.PauseButton().text()), "停止");
  Log("after");
  window_.MoveQueuedLines();
  ASSERT_EQ(window_.Lines().count(), 1);
  EXPECT_EQ(Line(0).substr(kLogTimeLength + 2), "after");
  window_.PauseButton().click();
  EXPECT_EQ(ToGbk(window_.PauseButton().text()), "开始");
}

TEST_F(LogListWindowTest, LinesFromAnotherThreadArriveThroughTheEventLoop) {
  std::thread([this] { Log("from a worker"); }).join();
  EXPECT_EQ(window_.Lines().count(), 0);
  QCoreApplication::processEvents();
  ASSERT_EQ(window_.Lines().count(), 1);
}

TEST_F(LogListWindowTest, SavesEveryLineIntoAFileNamedForTheTime) {
  Log("one");
  Log("二");
  window_.MoveQueuedLines();
  QTemporaryDir directory;
  folder_ = directory.path().toStdString();
  window_.SaveLines();
  std::ifstream file(*folder_ + "/06-07-08.txt", std::ios::binary);
  std::stringstream contents;
  contents << file.rdbuf();
  EXPECT_EQ(contents.str(), "2024-03-05 06:07:08:009  one\r\n2024-03-05 06:07:08:009  二\r\n");
  EXPECT_TRUE(boxes_.shown.empty());

  folder_ = *folder_ + "/missing";
  window_.SaveLines();
  EXPECT_EQ(boxes_.ShownTexts(), std::vector<std::string>{"路径无效!"});
}

}  // namespace

}  // namespace tavrel
