// MessageBoxes on QMessageBox, modal to the application's active window.
#pragma once

#include "desktop/message_boxes.h"

namespace tavrel {

class QtMessageBoxes final : public MessageBoxes {
 public:
  void Inform(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void InformError(const std::string& text, const std::string& caption) override;
  bool AskOkCancel(const std::string& text, const std::string& caption) override;
};

}  // namespace tavrel
