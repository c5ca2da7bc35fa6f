#include "bridge/ui/write_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "bridge/core/server_connection.h"
#include "bridge/core/type_text.h"
#include "desktop/gbk_text.h"

WriteResult WriteThroughConnection(ProjectTag& tag, std::string_view value) {
  if (tag.connection == nullptr) return {1, kNotConnectedText};
  return tag.connection->WriteTag(tag, value);
}

WriteDialog::WriteDialog(ProjectTag& tag, const std::string& value, TagWriter write,
                         MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), tag_(tag), write_(std::move(write)), boxes_(boxes), value_(new QLineEdit) {
  setWindowTitle(FromGbk(kWriteCaption));
  value_->setText(FromGbk(value));
  value_->setAccessibleName(FromGbk("当前值"));
  auto* form = new QFormLayout(this);
  form->addRow(FromGbk("类型"), new QLabel(FromGbk(DataTypeName(tag.vt))));
  form->addRow(FromGbk("TagId"), new QLabel(FromGbk(tag.id)));
  form->addRow(FromGbk("当前值"), value_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  setMinimumWidth(360);
}

void WriteDialog::accept() {
  const WriteResult result = write_(tag_, ToGbk(value_->text()));
  if (result.code == 0) {
    boxes_.Inform(kWriteAcceptedText, kWriteCaption);
  } else {
    boxes_.Inform(result.message.empty() ? kWriteRefusedText : result.message, kWriteCaption);
  }
  QDialog::accept();
}
