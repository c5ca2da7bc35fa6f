#include "bridge/ui/log_list_window.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "desktop/gbk_text.h"

namespace tavrel {

namespace {

constexpr char kPauseLabel[] = "暂停";
constexpr char kResumeLabel[] = "开始";
constexpr char kRunningLabel[] = "停止";
constexpr char kFolderTitle[] = "选择工程路径：";
constexpr char kInvalidFolderText[] = "路径无效!";
constexpr char kLogListTitle[] = "查看日志";

std::optional<std::string> AskForFolder(QWidget* parent) {
  const QString folder = QFileDialog::getExistingDirectory(parent, FromGbk(kFolderTitle));
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

std::string SavedFileName(WallTime now) {
  const std::time_t seconds = static_cast<std::time_t>(now.seconds);
  std::tm local{};
  localtime_r(&seconds, &local);
  char name[32];
  std::snprintf(name, sizeof name, "%02d-%02d-%02d.txt", local.tm_hour, local.tm_min, local.tm_sec);
  return name;
}

}  // namespace

LogListWindow::LogListWindow(std::shared_ptr<LogLineQueue> queue, MessageBoxes& boxes,
                             FolderChooser chooseFolder, WallClock clock, QWidget* parent)
    : QWidget(parent, Qt::Window),
      queue_(std::move(queue)),
      boxes_(boxes),
      chooseFolder_(chooseFolder ? std::move(chooseFolder)
                                 : FolderChooser([this] { return AskForFolder(this); })),
      clock_(std::move(clock)),
      lines_(new QListWidget),
      pause_(new QPushButton(FromGbk(kPauseLabel))) {
  setWindowTitle(FromGbk(kLogListTitle));
  lines_->setUniformItemSizes(true);
  lines_->setAccessibleName(FromGbk(kLogListTitle));
  auto* clear = new QPushButton(FromGbk("清空"));
  auto* save = new QPushButton(FromGbk("保存报文"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(clear);
  buttons->addWidget(save);
  buttons->addWidget(pause_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lines_);
  layout->addLayout(buttons);
  resize(760, 420);

  connect(clear, &QPushButton::clicked, lines_, &QListWidget::clear);
  connect(save, &QPushButton::clicked, this, [this] { SaveLines(); });
  connect(pause_, &QPushButton::clicked, this, [this] { TogglePause(); });
  queue_->SetWakeUp([this] { handback_.Post([this] { MoveQueuedLines(); }); });
}

LogListWindow::~LogListWindow() { queue_->SetWakeUp({}); }

void LogListWindow::MoveQueuedLines() {
  const std::vector<std::string> arrived = queue_->TakeLines();
  if (arrived.empty()) return;
  for (const std::string& line : arrived) {
    if (lines_->count() >= kLogListLines) lines_->clear();
    lines_->addItem(FromGbk(line));
  }
  lines_->setCurrentRow(lines_->count() - 1);
}

void LogListWindow::TogglePause() {
  const bool pause = !queue_->Paused();
  queue_->SetPaused(pause);
  pause_->setText(FromGbk(pause ? kResumeLabel : kRunningLabel));
}

void LogListWindow::SaveLines() {
  const std::optional<std::string> folder = chooseFolder_();
  if (!folder) return;
  std::error_code error;
  if (!std::filesystem::is_directory(*folder, error)) {
    boxes_.Inform(kInvalidFolderText, kLogListTitle);
    return;
  }
  std::ofstream file(*folder + "/" + SavedFileName(clock_()), std::ios::binary | std::ios::trunc);
  for (int row = 0; row < lines_->count(); ++row) {
    file << ToGbk(lines_->item(row)->text()) << "\r\n";
  }
}

}  // namespace tavrel
