// Tag properties "点属性": a tag's name and description; its item id is shown read-only.
// OK refuses a name another tag of the same group has ("name exist!", caption "hint").
#pragma once

#include <QDialog>

#include "desktop/message_boxes.h"
#include "maker/project/project_nodes.h"

class QLineEdit;

namespace tavrel {

class TagPropertyDialog : public QDialog {
 public:
  TagPropertyDialog(TagNode& tag, MessageBoxes& boxes, QWidget* parent = nullptr);

  void accept() override;

 private:
  TagNode& tag_;
  MessageBoxes& boxes_;
  QLineEdit* name_;
  QLineEdit* desc_;
};

}  // namespace tavrel
