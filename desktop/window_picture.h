// Pictures of windows for the documentation (the programs' window galleries).
#pragma once

#include <QWidget>
#include <cstdio>
#include <string>

#include "desktop/message_boxes.h"

namespace tavrel {

// Message boxes for a gallery run without a person: texts go to stderr, questions are
// answered No.
class PrintingMessageBoxes final : public MessageBoxes {
 public:
  void Inform(const std::string& text, const std::string&) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

// Shows `window`, lets it settle for `settleMs` of events, and saves it as
// `directory`/`name`.png; false (said on stderr) when the file cannot be written.
bool SaveWindowPicture(QWidget& window, const std::string& directory, const char* name,
                       int settleMs = 200);

}  // namespace tavrel
