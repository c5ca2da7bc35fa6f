// The server configuration dialog "OPC SERVER NODE".
//
// It edits a server's name, description and settings in place. A new server (empty name)
// is shown with the proposed name and description and fault handling entry 0; an empty fault
// check period shows "120". The credentials box enables its three edits. "SEL SERVER" first
// stores the box and the three edits into the settings (c1 to c4: they stay even when the
// dialog is cancelled afterwards), then runs the server chooser on the dialog's node and sid
// with those credentials; its choice fills node, sid and CLSID and keeps the category for OK.
// OK runs the checks of server_config_check.h, each failure a message box captioned "hint"
// that keeps the dialog open, then stores the fields. What the dialog shows in place of a
// stored value of a server that has a name keeps the stored value until it is edited: an empty
// fault check period (shown as "120"), a fault handling beyond the list (shown as none), and c1,
// whose box is ticked when c1 reads as a number other than 0 (as the bridge reads it) and which is
// rewritten as "1" or "0" only when the box is toggled.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "common/project_file.h"
#include "desktop/message_boxes.h"
#include "desktop/server_chooser_dialog.h"
#include "desktop/server_config_check.h"

class QComboBox;
class QLineEdit;

namespace tavrel {

class CredentialsBox;

// Runs the server chooser for "SEL SERVER"; none when it was cancelled.
using ServerChooserLauncher =
    std::function<std::optional<ChosenServer>(const ServerChooserRequest& start)>;

// The server the dialog edits: fields it writes on OK (and c1 to c4 on "SEL SERVER").
// The settings a new server starts from: all empty but the user, kDefaultServerUser.
ServerSettings NewServerSettings();

struct ServerUnderEdit {
  std::string& name;
  std::string& desc;
  ServerSettings& settings;
};

class ServerConfigDialog : public QDialog {
 public:
  // `proposal` is the name and description a new server is offered. The chooser launcher
  // defaults to the modal ServerChooserDialog.
  ServerConfigDialog(ServerUnderEdit server, std::pair<std::string, std::string> proposal,
                     ServerNameLookups lookups, MessageBoxes& boxes, QWidget* parent = nullptr,
                     ServerChooserLauncher chooser = {});

  void accept() override;

 private:
  void StoreCredentials();
  void SelectServer();

  ServerUnderEdit server_;
  ServerNameLookups lookups_;
  MessageBoxes& boxes_;
  ServerChooserLauncher chooser_;
  std::string chosenCatid_;
  bool isNew_ = false;
  std::string shownOuttime_;
  int shownSolution_ = -1;
  QLineEdit* name_;
  QLineEdit* desc_;
  QLineEdit* node_;
  QLineEdit* sid_;
  QLineEdit* clsid_;
  QLineEdit* outtime_;
  QComboBox* solution_;
  CredentialsBox* credentials_;
};

}  // namespace tavrel
