// Message boxes behind one small interface, so that tests answer them and read their texts.
//
// Texts and captions are GBK, as the programs hold them. Most of the maker's messages carry
// the caption kHintCaption. Implementations show the box modally and return when the user has
// answered it.
#pragma once

#include <string>
#include <vector>

namespace tavrel {

inline constexpr char kHintCaption[] = "hint";

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A message with an OK button.
  virtual void Inform(const std::string& text, const std::string& caption) = 0;
  // A question with Yes and No buttons; true for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // A message with an OK button and the error icon.
  virtual void InformError(const std::string& text, const std::string& caption) {
    Inform(text, caption);
  }
  // A question with OK and Cancel buttons; true for OK.
  virtual bool AskOkCancel(const std::string& text, const std::string& caption) {
    return AskYesNo(text, caption);
  }
  // A message followed by lines that may be thousands (e.g. the ids a match could not
  // resolve): shown as a scrollable, copyable list under `text`, with the number of lines.
  // By default one message: `text` followed by every line and CR LF.
  virtual void InformLines(const std::string& text, const std::vector<std::string>& lines,
                           const std::string& caption) {
    std::string all = text;
    for (const std::string& line : lines) all += line + "\r\n";
    Inform(all, caption);
  }
};

}  // namespace tavrel
