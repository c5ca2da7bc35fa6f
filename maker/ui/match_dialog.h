// MatchDialog: "Auto Match Tag Attribute" on a group whose server is connected (tag_match.h).
//
// Opening asks the server's organisation (a server that cannot answer leaves the dialog idle:
// "Begin Match" stays disabled) and shows the group's number of tags in "Total Tag：". "Begin
// Match" matches every tag in chunks behind a progress dialog that can cancel, then shows
// "Match Finished No Error" or "Match Finished Error List:" with the failing ids as a list
// (MessageBoxes::InformLines, caption "hint") and closes. A cancelled match keeps what it matched
// and leaves the dialog open.
#pragma once

#include <QDialog>

#include "desktop/message_boxes.h"
#include "maker/online/server_link.h"
#include "maker/project/project_nodes.h"

class QLabel;
class QPushButton;

namespace tavrel {

class MatchDialog : public QDialog {
 public:
  MatchDialog(const ServerLink& link, GroupNode& group, MessageBoxes& boxes,
              QWidget* parent = nullptr);

  void BeginMatch();

 private:
  const ServerLink& link_;
  GroupNode& group_;
  MessageBoxes& boxes_;
  QPushButton* begin_;
  QLabel* status_;
};

}  // namespace tavrel
