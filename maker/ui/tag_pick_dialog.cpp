#include "maker/ui/tag_pick_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/gbk_text.h"
#include "maker/project/tag_list_pick.h"

namespace tavrel {

TagPickDialog::TagPickDialog(const std::string& programDirectory, const std::string& sid,
                             QWidget* parent)
    : QDialog(parent), ids_(new QPlainTextEdit) {
  setWindowTitle(FromGbk("批量筛点"));
  auto* count = new QLineEdit;
  count->setReadOnly(true);
  count->setObjectName(QStringLiteral("count"));
  if (const auto path = TagListPath(programDirectory, sid);
      path && TagListExists(programDirectory, sid)) {
    tagList_ = LoadTagList(*path);
    count->setText(FromGbk("共加载OPC标签个数:" + std::to_string(tagList_.size())));
  }
  ids_->setObjectName(QStringLiteral("ids"));
  ids_->setAccessibleName(FromGbk("标签列表(一个标签一行)"));
  auto* pick = new QPushButton(FromGbk("开始筛选"));
  pick->setObjectName(QStringLiteral("pick"));
  auto* cancel = new QDialogButtonBox(QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(count);
  layout->addWidget(new QLabel(FromGbk("标签列表(一个标签一行)")));
  layout->addWidget(ids_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(pick);
  buttons->addStretch(1);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  resize(420, 480);
  connect(pick, &QPushButton::clicked, this, &TagPickDialog::Pick);
  connect(cancel, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TagPickDialog::Pick() {
  picked_ = PickFromTagList(tagList_, ToGbk(ids_->toPlainText()));
  tagList_.clear();
  accept();
}

}  // namespace tavrel
