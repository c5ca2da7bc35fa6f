// The group dialog "OPC GroupInfo": a group's name, description and settings.
//
// Choosing "同步" puts the update rate the dialog opened with back into its edit. OK requires
// a name, time bias, deadband, language id and refresh cycle (update rate and description may
// be empty), else "group parameters cannot be empty!" (caption "hint") and the dialog stays
// open. An edited number the bridge cannot read is refused the same way, by a message that
// names its field: update rate, refresh cycle and language id take a whole number of 0 or
// more, the time bias a whole number, the deadband a number from 0 to 100. Whether the name is
// free is the caller's check, after the dialog closed.
//
// OK stores only what was edited: a field, check box or radio button left as it opened keeps
// the text the group had, even where the dialog shows a default for a missing or unusual value
// (no datachange_type shows "异步"; a refresh cycle "1000ms" stays as it is).
#pragma once

#include <QDialog>
#include <string>
#include <vector>

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
  // An edit and the text it stores to; `rule` is what the bridge can read there.
  enum class Rule { kText, kCount, kWhole, kPercent };
  struct Field {
    const char* label;
    QLineEdit* edit;
    std::string* value;
    Rule rule;
    bool required;
  };
  std::vector<Field> EditFields();
  int CheckedCollection() const;

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
  int shownCollection_;
};

}  // namespace tavrel
