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
  const int collection = settings.datachange_type == "0"   ? 0
                         : settings.datachange_type == "2" ? 2
                                                           : 1;
  collection_[collection]->setChecked(true);
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

void GroupDialog::accept() {
  for (const QLineEdit* required : {name_, timeBias_, deadband_, languageId_, cycleTime_}) {
    if (required->text().isEmpty()) {
      boxes_.Inform("group parameters cannot be empty!", kHintCaption);
      return;
    }
  }
  fields_.name = ToGbk(name_->text());
  fields_.desc = ToGbk(desc_->text());
  GroupParameters& settings = fields_.settings;
  settings.uptime = ToGbk(uptime_->text());
  settings.timebis_minutes = ToGbk(timeBias_->text());
  settings.percent_deadband = ToGbk(deadband_->text());
  settings.language_id = ToGbk(languageId_->text());
  settings.cycle_time = ToGbk(cycleTime_->text());
  settings.active_state = active_->isChecked() ? "1" : "0";
  for (int i = 0; i < 3; ++i) {
    if (collection_[i]->isChecked()) settings.datachange_type = std::to_string(i);
  }
  settings.additem = batch_->isChecked() ? "1" : "0";
  QDialog::accept();
}

}  // namespace tavrel
