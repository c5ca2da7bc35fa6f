// The server chooser: a host, the OPC DA 1.0 or 2.0 servers on it, one of them chosen.
//
// The host combo offers the nodes the class registry knows (EnumNetworkHosts) and may be
// typed into; the version radios and the refresh button refill the list for the typed host
// (FillServerChooser, whose messages are shown in order). OK without a chosen server says
// "服务名不能为空!" and keeps the dialog open. The list is filled on the user-interface thread,
// which waits for the host's answer.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "desktop/message_boxes.h"
#include "opcclient/server_chooser.h"

class QComboBox;
class QListWidget;
class QRadioButton;

namespace tavrel {

// What the chooser hands back on OK.
struct ChosenServer {
  std::string host;
  std::string progId;
  CLSID clsid = CLSID_NULL;
  CATID category = CATID_OPCDAServer20;
};

class ServerChooserDialog : public QDialog {
 public:
  // `start` gives the host, the chosen ProgID, the category and how a named host is reached.
  ServerChooserDialog(ServerChooserRequest start, MessageBoxes& boxes, QWidget* parent = nullptr);

  // Valid after the dialog was accepted.
  const ChosenServer& Chosen() const { return chosen_; }

  void accept() override;

 private:
  void Refill();

  ServerChooserRequest request_;
  MessageBoxes& boxes_;
  QComboBox* host_;
  QRadioButton* version10_;
  QRadioButton* version20_;
  QListWidget* servers_;
  std::vector<ServerChooserEntry> entries_;
  ChosenServer chosen_;
};

// Runs the chooser modally; none when it was cancelled.
std::optional<ChosenServer> ChooseServer(const ServerChooserRequest& start, MessageBoxes& boxes,
                                         QWidget* parent);

}  // namespace tavrel
