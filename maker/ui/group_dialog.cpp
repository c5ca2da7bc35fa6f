#include "maker/ui/group_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdint>
#include <optional>

#include "common/decimal_text.h"
#include "desktop/gbk_text.h"
#include "desktop/named_edit.h"

namespace tavrel {

namespace {

constexpr const char* kCollectionNames[] = {"同步", "异步", "读属性"};

}  // namespace

GroupDialog::GroupDialog(const GroupFields& fields, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), fields_(fields), boxes_(boxes) {
  setWindowTitle(QStringLiteral("OPC GroupInfo"));
  const GroupParameters& settings = fields.settings;
  name_ = MakeNamedEdit(fields.name, "name");
  desc_ = MakeNamedEdit(fields.desc, "desc");
  uptime_ = MakeNamedEdit(settings.uptime, "uptime");
  timeBias_ = MakeNamedEdit(settings.timebis_minutes, "timebis_minutes");
  deadband_ = MakeNamedEdit(settings.percent_deadband, "percent_deadband");
  languageId_ = MakeNamedEdit(settings.language_id, "language_id");
  cycleTime_ = MakeNamedEdit(settings.cycle_time, "cycle_time");
  active_ = new QCheckBox(QStringLiteral("Active State"));
  active_->setObjectName(QStringLiteral("active_state"));
  active_->setChecked(settings.active_state == "1");

  auto* collectionBox = new QGroupBox(QStringLiteral("Data Collection"));
  auto* collectionRow = new QHBoxLayout(collectionBox);
  auto* collectionButtons = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    collection_[i] = new QRadioButton(FromGbk(kCollectionNames[i]));
    collection_[i]->setObjectName(QStringLiteral("collection%1").arg(i));
    collectionButtons->addButton(collection_[i], i);
    collectionRow->addWidget(collection_[i]);
  }
  shownCollection_ = settings.datachange_type == "0" ? 0 : settings.datachange_type == "2" ? 2 : 1;
  collection_[shownCollection_]->setChecked(true);
  auto* registrationBox = new QGroupBox(QStringLiteral("Add Items"));
  auto* registrationRow = new QHBoxLayout(registrationBox);
  single_ = new QRadioButton(QStringLiteral("Single"));
  batch_ = new QRadioButton(QStringLiteral("Batch"));
  auto* registrationButtons = new QButtonGroup(this);
  registrationButtons->addButton(single_);
  registrationButtons->addButton(batch_);
  registrationRow->addWidget(single_);
  registrationRow->addWidget(batch_);
  (settings.additem == "1" ? batch_ : single_)->setChecked(true);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Name"), name_);
  form->addRow(QStringLiteral("Desc"), desc_);
  form->addRow(QStringLiteral("Update Rate(Mis)"), uptime_);
  form->addRow(QStringLiteral("Refesh Cycle(Mis)"), cycleTime_);
  form->addRow(QStringLiteral("Time Bias(Min)"), timeBias_);
  form->addRow(QStringLiteral("Percent Deadband"), deadband_);
  form->addRow(QStringLiteral("Language Id"), languageId_);
  form->addRow(active_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(collectionBox);
  layout->addWidget(registrationBox);
  layout->addWidget(buttons);
  setMinimumWidth(380);

  const QString openedRate = uptime_->text();
  connect(collection_[0], &QRadioButton::clicked, this,
          [this, openedRate] { uptime_->setText(openedRate); });
  connect(buttons, &QDialogButtonBox::accepted, this, &GroupDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &GroupDialog::reject);
}

std::vector<GroupDialog::Field> GroupDialog::EditFields() {
  GroupParameters& settings = fields_.settings;
  return {{"Name", name_, &fields_.name, Rule::kText, true},
          {"Desc", desc_, &fields_.desc, Rule::kText, false},
          {"Update Rate(Mis)", uptime_, &settings.uptime, Rule::kCount, false},
          {"Refesh Cycle(Mis)", cycleTime_, &settings.cycle_time, Rule::kCount, true},
          {"Time Bias(Min)", timeBias_, &settings.timebis_minutes, Rule::kWhole, true},
          {"Percent Deadband", deadband_, &settings.percent_deadband, Rule::kPercent, true},
          {"Language Id", languageId_, &settings.language_id, Rule::kCount, true}};
}

int GroupDialog::CheckedCollection() const {
  for (int i = 0; i < 3; ++i) {
    if (collection_[i]->isChecked()) return i;
  }
  return shownCollection_;
}

void GroupDialog::accept() {
  const std::vector<Field> fields = EditFields();
  for (const Field& field : fields) {
    if (field.required && field.edit->text().isEmpty()) {
      boxes_.Inform("group parameters cannot be empty!", kHintCaption);
      return;
    }
  }
  const auto edited = [](const Field& field) {
    return field.edit->text() != FromGbk(*field.value);
  };
  for (const Field& field : fields) {
    const std::string text = ToGbk(field.edit->text());
    if (!edited(field) || text.empty()) continue;
    const char* refusal = nullptr;
    if (field.rule == Rule::kCount && WholeNumber<std::int32_t>(text).value_or(-1) < 0) {
      refusal = ": enter a whole number of 0 or more";
    }
    if (field.rule == Rule::kWhole && !WholeNumber<std::int32_t>(text)) {
      refusal = ": enter a whole number";
    }
    if (field.rule == Rule::kPercent) {
      const std::optional<double> percent = WholeNumber<double>(text);
      if (!percent || !(*percent >= 0 && *percent <= 100))
        refusal = ": enter a number from 0 to 100";
    }
    if (refusal != nullptr) {
      boxes_.Inform(std::string(field.label) + refusal, kHintCaption);
      field.edit->setFocus();
      return;
    }
  }
  for (const Field& field : fields) {
    if (edited(field)) *field.value = ToGbk(field.edit->text());
  }
  GroupParameters& settings = fields_.settings;
  if (active_->isChecked() != (settings.active_state == "1")) {
    settings.active_state = active_->isChecked() ? "1" : "0";
  }
  if (CheckedCollection() != shownCollection_) {
    settings.datachange_type = std::to_string(CheckedCollection());
  }
  if (batch_->isChecked() != (settings.additem == "1")) {
    settings.additem = batch_->isChecked() ? "1" : "0";
  }
  QDialog::accept();
}

}  // namespace tavrel
