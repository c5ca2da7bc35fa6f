#include "desktop/server_chooser_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "desktop/gbk_text.h"

namespace tavrel {

ServerChooserDialog::ServerChooserDialog(ServerChooserRequest start, MessageBoxes& boxes,
                                         QWidget* parent)
    : QDialog(parent),
      request_(std::move(start)),
      boxes_(boxes),
      host_(new QComboBox),
      version10_(new QRadioButton(QStringLiteral("OPC DA 1.0"))),
      version20_(new QRadioButton(QStringLiteral("OPC DA 2.0"))),
      servers_(new QListWidget) {
  setWindowTitle(QStringLiteral("Select OPC Server"));
  host_->setEditable(true);
  host_->setObjectName(QStringLiteral("host"));
  host_->setAccessibleName(QStringLiteral("Host"));
  for (const std::string& host : EnumNetworkHosts()) host_->addItem(FromGbk(host));
  host_->setEditText(FromGbk(request_.host));
  auto* refresh = new QPushButton(QStringLiteral("Refresh"));
  refresh->setObjectName(QStringLiteral("refresh"));
  version10_->setObjectName(QStringLiteral("version10"));
  version20_->setObjectName(QStringLiteral("version20"));
  (request_.category == CATID_OPCDAServer10 ? version10_ : version20_)->setChecked(true);
  servers_->setObjectName(QStringLiteral("servers"));
  servers_->setAccessibleName(QStringLiteral("Servers"));
  servers_->setMinimumWidth(360);

  auto* hostRow = new QHBoxLayout;
  hostRow->addWidget(new QLabel(QStringLiteral("Node:")));
  hostRow->addWidget(host_, 1);
  hostRow->addWidget(refresh);
  auto* versionRow = new QHBoxLayout;
  versionRow->addWidget(version10_);
  versionRow->addWidget(version20_);
  versionRow->addStretch();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(hostRow);
  layout->addLayout(versionRow);
  layout->addWidget(servers_, 1);
  layout->addWidget(buttons);

  connect(refresh, &QPushButton::clicked, this, &ServerChooserDialog::Refill);
  connect(version10_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) Refill();
  });
  connect(version20_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) Refill();
  });
  connect(servers_, &QListWidget::itemDoubleClicked, this, &ServerChooserDialog::accept);
  connect(buttons, &QDialogButtonBox::accepted, this, &ServerChooserDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ServerChooserDialog::reject);
  Refill();
}

void ServerChooserDialog::Refill() {
  request_.host = ToGbk(host_->currentText().trimmed());
  request_.category = version10_->isChecked() ? CATID_OPCDAServer10 : CATID_OPCDAServer20;
  ServerChooserList list = FillServerChooser(request_);
  servers_->clear();
  for (const std::string& line : list.lines) servers_->addItem(FromGbk(line));
  if (list.selected >= 0) servers_->setCurrentRow(list.selected);
  entries_ = std::move(list.entries);
  for (const std::string& message : list.messages) boxes_.Inform(message, kHintCaption);
}

void ServerChooserDialog::accept() {
  const int row = servers_->currentRow();
  if (row < 0 || row >= static_cast<int>(entries_.size())) {
    boxes_.Inform("服务名不能为空!", kHintCaption);
    return;
  }
  const ServerChooserEntry& entry = entries_[static_cast<size_t>(row)];
  chosen_ = {request_.host, entry.progId, entry.clsid, request_.category};
  QDialog::accept();
}

std::optional<ChosenServer> ChooseServer(const ServerChooserRequest& start, MessageBoxes& boxes,
                                         QWidget* parent) {
  ServerChooserDialog dialog(start, boxes, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Chosen();
}

}  // namespace tavrel
