// The group dialog "OPC GroupInfo": a group's name, description and settings.
//
// Choosing "同步" puts the update rate the dialog opened with back into its edit. OK requires
// a name, time bias, deadband, language id and refresh cycle (update rate and description may
// be empty), else "group parameters cannot be empty!" (caption "hint") and the dialog stays
// open. Whether the name is free is the caller's check, after the dialog closed.
#pragma once

#include <QDialog>
#include <string>

#include "desktop/message_boxes.h"
#include "maker/project/project_nodes.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tavrel {

struct GroupFields {
  std::string name;
  std::string desc;
  GroupParameters settings;
};

class GroupDialog : public QDialog {
 public:
  GroupDialog(const GroupFields& fields, MessageBoxes& boxes, QWidget* parent = nullptr);

  // The edited fields; valid after the dialog was accepted.
  const GroupFields& Fields() const { return fields_; }

  void accept() override;

 private:
  GroupFields fields_;
  MessageBoxes& boxes_;
  QLineEdit* name_;
  QLineEdit* desc_;
  QLineEdit* uptime_;
  QLineEdit* timeBias_;
  QLineEdit* deadband_;
  QLineEdit* languageId_;
  QLineEdit* cycleTime_;
  QCheckBox* active_;
  QRadioButton* collection_[3];
  QRadioButton* single_;
  QRadioButton* batch_;
};

}  // namespace tavrel
