// The log list window "查看日志": the bridge's recent log lines.
//
// Lines reach it only through its LogLineQueue: the logging thread queues them and posts a
// wake-up through the window's WindowHandback, and the window moves them into its list on the
// user-interface thread. The list holds at most kLogListLines lines: a line that arrives when it is
// full empties it first. The last line is selected.
//
// Buttons: "清空" empties the list; "保存报文" asks for a folder ("选择工程路径：") and writes
// every line, each followed by CR LF, to "%02d-%02d-%02d.txt" (hour, minute, second of now)
// in it, or says "路径无效!" when the folder does not exist; the third button, "暂停" at
// first, pauses the list (then reads "开始") and resumes it (then reads "停止"). While paused,
// arriving lines are discarded.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "bridge/ui/log_line_queue.h"
#include "common/log_time.h"
#include "desktop/message_boxes.h"
#include "desktop/window_handback.h"

class QListWidget;
class QPushButton;

namespace tavrel {

inline constexpr int kLogListLines = 1024;

// Asks the user for a folder; none when cancelled.
using FolderChooser = std::function<std::optional<std::string>()>;

class LogListWindow : public QWidget {
 public:
  // The folder chooser defaults to the folder dialog; the clock names the saved file.
  LogListWindow(std::shared_ptr<LogLineQueue> queue, MessageBoxes& boxes,
                FolderChooser chooseFolder = {}, WallClock clock = SystemWallTime,
                QWidget* parent = nullptr);
  ~LogListWindow() override;

  QListWidget& Lines() { return *lines_; }
  QPushButton& PauseButton() { return *pause_; }
  // Moves the queued lines into the list (what the posted wake-up does).
  void MoveQueuedLines();
  void SaveLines();

 private:
  void TogglePause();

  std::shared_ptr<LogLineQueue> queue_;
  MessageBoxes& boxes_;
  FolderChooser chooseFolder_;
  WallClock clock_;
  QListWidget* lines_;
  QPushButton* pause_;
  WindowHandback handback_;
};

}  // namespace tavrel
