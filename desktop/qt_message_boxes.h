// MessageBoxes on QMessageBox (and a list dialog for many lines), modal to the application's
// active window.
#pragma once

#include "desktop/message_boxes.h"

namespace tavrel {

class QtMessageBoxes final : public MessageBoxes {
 public:
  void Inform(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void InformError(const std::string& text, const std::string& caption) override;
  bool AskOkCancel(const std::string& text, const std::string& caption) override;
  // A dialog of bounded size: `text`, "Count: <n>", the lines in a read-only text field that
  // scrolls and can be selected and copied, a "Copy" button for all of them, and OK.
  void InformLines(const std::string& text, const std::vector<std::string>& lines,
                   const std::string& caption) override;
};

}  // namespace tavrel
