// The mode dialog "服务选择": scan the servers of a node into browse files, or edit the project.
#pragma once

#include <QDialog>

namespace tavrel {

enum class MakerMode { kNone, kScan, kEdit };

class ModeDialog : public QDialog {
 public:
  explicit ModeDialog(QWidget* parent = nullptr);
  // kNone when the dialog was closed without a choice.
  MakerMode Chosen() const { return chosen_; }

 private:
  MakerMode chosen_ = MakerMode::kNone;
};

}  // namespace tavrel
