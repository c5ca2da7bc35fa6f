#include "desktop/credentials_box.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

#include "desktop/gbk_text.h"
#include "desktop/named_edit.h"

namespace tavrel {

CredentialsBox::CredentialsBox(QWidget* parent)
    : QGroupBox(parent),
      used_(new QCheckBox(FromGbk("使用指定用户名、密码、域(仅在远程访问时使用)"))),
      user_(MakeNamedEdit("", "user")),
      key_(MakeNamedEdit("", "key")),
      domain_(MakeNamedEdit("", "domain")) {
  used_->setObjectName(QStringLiteral("credentials"));
  key_->setEchoMode(QLineEdit::Password);
  auto* form = new QFormLayout(this);
  form->addRow(used_);
  form->addRow(FromGbk("User："), user_);
  form->addRow(FromGbk("Key："), key_);
  form->addRow(FromGbk("Domain："), domain_);
  EnableEdits(false);
  connect(used_, &QCheckBox::toggled, this, &CredentialsBox::EnableEdits);
}

void CredentialsBox::Show(const CredentialsEntry& entry) {
  used_->setChecked(entry.used);
  user_->setText(FromGbk(entry.user));
  key_->setText(FromGbk(entry.password));
  domain_->setText(FromGbk(entry.domain));
  for (QLineEdit* edit : {user_, key_, domain_}) edit->setCursorPosition(0);
  EnableEdits(entry.used);
}

CredentialsEntry CredentialsBox::Entered() const {
  return {used_->isChecked(), ToGbk(user_->text()), ToGbk(key_->text()), ToGbk(domain_->text())};
}

void CredentialsBox::EnableEdits(bool enabled) {
  for (QLineEdit* edit : {user_, key_, domain_}) edit->setEnabled(enabled);
}

}  // namespace tavrel
