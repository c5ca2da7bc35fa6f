// The write dialog: one tag's type name, tag name and current value; OK writes the edited
// value text through the engine's write, the same operation as the API's write command.
//
// The write runs on a thread of its own (WritesInFlight), so that a server that is slow to
// answer or hangs leaves the windows responsive; meanwhile the dialog keeps its place with the
// value and OK off. Its result is shown before the dialog closes: kWriteAcceptedText when the
// server took the value, else the error text the API would answer (kWriteRefusedText when the
// engine gives none). Cancel while the write waits closes the dialog at once: the write goes on
// and its result is dropped; so does destroying the dialog, which never waits for a server.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string_view>

#include "bridge/core/connection_engine.h"
#include "bridge/core/project_tree.h"
#include "bridge/ui/writes_in_flight.h"
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

// True when the tag's direction lets a value be written (write only, read and write).
bool Writable(const ProjectTag& tag);

class WriteDialog : public QDialog {
 public:
  // `value`: the tag's current value text (GBK). `tag` and `writes` must outlive the writes
  // started here (the project and the main panel do).
  WriteDialog(ProjectTag& tag, const std::string& value, TagWriter write, WritesInFlight& writes,
              MessageBoxes& boxes, QWidget* parent = nullptr);
  ~WriteDialog() override;

  QLineEdit& ValueEdit() { return *value_; }

  bool Writing() const { return writing_.has_value(); }
  // Starts the write of the edited text (OK).
  void accept() override;
  // Closes the dialog; a write in progress goes on and its result is dropped.
  void reject() override;

 private:
  // Shows the result of the write and closes.
  void Finish(const WriteResult& result);

  ProjectTag& tag_;
  TagWriter write_;
  WritesInFlight& writes_;
  MessageBoxes& boxes_;
  QLineEdit* value_;
  QDialogButtonBox* buttons_;
  std::optional<WritesInFlight::Id> writing_;
};

}  // namespace tavrel
