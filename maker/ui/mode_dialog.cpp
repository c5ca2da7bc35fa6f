#include "maker/ui/mode_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/gbk_text.h"

namespace tavrel {

ModeDialog::ModeDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(FromGbk("服务选择"));
  auto* scan = new QPushButton(FromGbk("扫描保存OPC所有点"));
  scan->setObjectName(QStringLiteral("scan"));
  auto* edit = new QPushButton(FromGbk("配置OPC点表"));
  edit->setObjectName(QStringLiteral("edit"));
  for (QPushButton* button : {scan, edit}) button->setMinimumHeight(40);
  auto* note = new QLabel(FromGbk(
      "      说明：第一个按钮用以扫描OPC SERVER的所有的点表，并保存起来，方便远程配置时选点用。"
      "第二个按钮配点用，因为可以远程配点，因此该功能不常用。"));
  note->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scan);
  layout->addWidget(edit);
  layout->addWidget(note);
  setFixedWidth(420);
  connect(scan, &QPushButton::clicked, this, [this] {
    chosen_ = MakerMode::kScan;
    accept();
  });
  connect(edit, &QPushButton::clicked, this, [this] {
    chosen_ = MakerMode::kEdit;
    accept();
  });
}

}  // namespace tavrel
