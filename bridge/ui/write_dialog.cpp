#include "bridge/ui/write_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "bridge/core/server_connection.h"
#include "desktop/gbk_text.h"
#include "desktop/type_text.h"

namespace tavrel {

WriteResult WriteThroughConnection(ProjectTag& tag, std::string_view value) {
  if (tag.connection == nullptr) return {1, kNotConnectedText};
  return tag.connection->WriteTag(tag, value);
}

bool Writable(const ProjectTag& tag) { return tag.dir == 2 || tag.dir == 3; }

WriteDialog::WriteDialog(ProjectTag& tag, const std::string& value, TagWriter write,
                         WritesInFlight& writes, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent),
      tag_(tag),
      write_(std::move(write)),
      writes_(writes),
      boxes_(boxes),
      value_(new QLineEdit),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel)) {
  setWindowTitle(FromGbk(kWriteCaption));
  value_->setText(FromGbk(value));
  value_->setAccessibleName(FromGbk("当前值"));
  auto* form = new QFormLayout(this);
  form->addRow(FromGbk("类型"), new QLabel(FromGbk(DataTypeName(tag.vt))));
  form->addRow(FromGbk("TagId"), new QLabel(FromGbk(tag.id)));
  form->addRow(FromGbk("当前值"), value_);
  form->addRow(buttons_);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  setMinimumWidth(360);
}

WriteDialog::~WriteDialog() {
  if (writing_) writes_.LetGo(*writing_);
}

void WriteDialog::accept() {
  if (Writing()) return;
  value_->setEnabled(false);
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(false);
  writing_ = writes_.Start(
      [&tag = tag_, write = write_, value = ToGbk(value_->text())] { return write(tag, value); },
      [this](const WriteResult& result) { Finish(result); });
}

void WriteDialog::reject() {
  if (writing_) writes_.LetGo(*writing_);
  writing_.reset();
  QDialog::reject();
}

void WriteDialog::Finish(const WriteResult& result) {
  writing_.reset();
  value_->setEnabled(true);
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(true);
  if (result.code == 0) {
    boxes_.Inform(kWriteAcceptedText, kWriteCaption);
  } else {
    boxes_.Inform(result.message.empty() ? kWriteRefusedText : result.message, kWriteCaption);
  }
  QDialog::accept();
}

}  // namespace tavrel
