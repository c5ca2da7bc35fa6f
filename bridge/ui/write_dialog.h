// The write dialog: one tag's type name, tag name and current value; OK writes the edited
// value text through the engine's write, the same operation as the API's write command.
//
// The write runs on a thread of its own, so that a server that is slow to answer or hangs
// leaves the windows responsive; meanwhile the dialog keeps its place with its controls off and
// cannot be dismissed. Its result is shown before the dialog closes: kWriteAcceptedText when
// the server took the value, else the error text the API would answer (kWriteRefusedText when
// the engine gives none). Destroying the dialog waits for a write in progress.
#pragma once

#include <QDialog>
#include <functional>
#include <string_view>

#include "bridge/core/connection_engine.h"
#include "bridge/core/project_tree.h"
#include "desktop/background_call.h"
#include "desktop/message_boxes.h"

class QDialogButtonBox;
class QLineEdit;

namespace tavrel {

inline constexpr char kWriteCaption[] = "写入";
inline constexpr char kWriteAcceptedText[] = "写入成功";
inline constexpr char kWriteRefusedText[] = "写入失败";

// Writes a value text to a tag; the bridge's is the tag's connection's WriteTag.
using TagWriter = std::function<WriteResult(ProjectTag& tag, std::string_view value)>;

// The write through the tag's own connection.
WriteResult WriteThroughConnection(ProjectTag& tag, std::string_view value);

class WriteDialog : public QDialog {
 public:
  // `value`: the tag's current value text (GBK).
  WriteDialog(ProjectTag& tag, const std::string& value, TagWriter write, MessageBoxes& boxes,
              QWidget* parent = nullptr);

  QLineEdit& ValueEdit() { return *value_; }

  bool Writing() const { return writing_.Running(); }
  // Starts the write of the edited text (OK).
  void accept() override;
  // Closes the dialog unless a write is in progress.
  void reject() override;

 private:
  // Shows the result of the write and closes.
  void Finish(const WriteResult& result);

  ProjectTag& tag_;
  TagWriter write_;
  MessageBoxes& boxes_;
  QLineEdit* value_;
  QDialogButtonBox* buttons_;
  BackgroundCall<WriteResult> writing_;  // declared last: waited for before the members go
};

}  // namespace tavrel
