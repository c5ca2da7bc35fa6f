#include "maker/ui/tag_property_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "desktop/gbk_text.h"
#include "maker/project/maker_project.h"

namespace tavrel {

TagPropertyDialog::TagPropertyDialog(TagNode& tag, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent),
      tag_(tag),
      boxes_(boxes),
      name_(new QLineEdit(FromGbk(tag.name))),
      desc_(new QLineEdit(FromGbk(tag.desc))) {
  setWindowTitle(FromGbk("点属性"));
  name_->setObjectName(QStringLiteral("name"));
  desc_->setObjectName(QStringLiteral("desc"));
  auto* id = new QLineEdit(FromGbk(tag.id));
  id->setObjectName(QStringLiteral("id"));
  id->setReadOnly(true);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Name"), name_);
  form->addRow(QStringLiteral("Desc"), desc_);
  form->addRow(QStringLiteral("OPC LONG NAME"), id);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  setMinimumWidth(420);
  connect(buttons, &QDialogButtonBox::accepted, this, &TagPropertyDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TagPropertyDialog::reject);
}

void TagPropertyDialog::accept() {
  const std::string name = ToGbk(name_->text());
  if (MakerProject::FindTag(*tag_.parent, name, &tag_) != nullptr) {
    boxes_.Inform("name exist!", kHintCaption);
    return;
  }
  tag_.name = name;
  tag_.desc = ToGbk(desc_->text());
  QDialog::accept();
}

}  // namespace tavrel
