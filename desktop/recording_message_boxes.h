// MessageBoxes for tests: records every box and answers questions from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "desktop/message_boxes.h"

namespace tavrel {

class RecordingMessageBoxes final : public MessageBoxes {
 public:
  struct Box {
    std::string text;
    std::string caption;
    bool operator==(const Box&) const = default;
  };

  void Inform(const std::string& text, const std::string& caption) override {
    shown.push_back({text, caption});
  }
  // Recorded in `shown` and in `errors`.
  void InformError(const std::string& text, const std::string& caption) override {
    Inform(text, caption);
    errors.push_back({text, caption});
  }
  // Answers the queued answers in order; No when none is left.
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    asked.push_back({text, caption});
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  // Recorded in `asked` and in `okCancel`; answered as AskYesNo (Yes meaning OK).
  bool AskOkCancel(const std::string& text, const std::string& caption) override {
    okCancel.push_back({text, caption});
    return AskYesNo(text, caption);
  }

  // Recorded in `lineLists`, and in `shown` as the one message the lines make.
  void InformLines(const std::string& text, const std::vector<std::string>& lines,
                   const std::string& caption) override {
    lineLists.push_back(lines);
    MessageBoxes::InformLines(text, lines, caption);
  }

  std::vector<std::string> ShownTexts() const {
    std::vector<std::string> texts;
    for (const Box& box : shown) texts.push_back(box.text);
    return texts;
  }

  std::vector<Box> shown;
  std::vector<Box> errors;
  std::vector<Box> asked;
  std::vector<Box> okCancel;
  std::vector<std::vector<std::string>> lineLists;
  std::deque<bool> answers;
};

}  // namespace tavrel
