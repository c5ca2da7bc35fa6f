#include "maker/ui/scan_dialog.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "desktop/credentials_box.h"
#include "desktop/gbk_text.h"
#include "desktop/named_edit.h"
#include "maker/online/node_discovery.h"
#include "platform/com/com_apartment.h"
#include "platform/opcda/opc_ids.h"

namespace tavrel {

namespace {

enum Column { kIndexColumn, kNameColumn, kMarkColumn, kColumnCount };
constexpr int kColumnWidths[] = {60, 380, 60};
// The role of a row's index cell holding its server entry; -1 for a restored row.
constexpr int kEntryRole = Qt::UserRole;

QString ProgressText(const ScanProgress& progress) {
  return FromGbk("已扫描SERVER " + std::to_string(progress.serversDone) + "/" +
                 std::to_string(progress.serversTotal) + "，找到点 " +
                 std::to_string(progress.itemsFound) + " 个");
}

}  // namespace

ScanDialog::ScanDialog(std::string programDirectory, MessageBoxes& boxes, QWidget* parent,
                       FolderOpener openFolder)
    : QDialog(parent),
      programDirectory_(std::move(programDirectory)),
      boxes_(boxes),
      openFolder_(std::move(openFolder)),
      node_(MakeNamedEdit("", "node")),
      version10_(new QRadioButton(QStringLiteral("1.0"))),
      version20_(new QRadioButton(QStringLiteral("2.0"))),
      credentials_(new CredentialsBox),
      discover_(new QPushButton(FromGbk("获取并保存OPC列表"))),
      deepScan_(new QPushButton(FromGbk("深度扫描点表并保存"))),
      cancel_(new QPushButton(FromGbk("停止扫描"))),
      table_(new QTableWidget(0, kColumnCount)),
      progressBar_(new QProgressBar),
      progressText_(new QLabel),
      log_(new QListWidget),
      runner_({[this](const QString& line, bool timed) { AddLogLine(line, timed); },
               [this](const ScanProgress& progress) { ShowProgress(progress); },
               [this] { ScanEnded(); }}),
      discovery_([this](const NodeDiscovery& found) { ShowDiscovery(found); }) {
  if (!openFolder_) {
    openFolder_ = [](const std::string& folder) {
      QDesktopServices::openUrl(QUrl::fromLocalFile(FromGbk(folder)));
    };
  }
  setWindowTitle(FromGbk("OPC数据点遍历并保存"));
  for (QRadioButton* radio : {version10_, version20_}) {
    radio->setObjectName(QStringLiteral("version ") + radio->text());
  }
  auto* versions = new QButtonGroup(this);
  versions->addButton(version10_);
  versions->addButton(version20_);
  auto* openSaved = new QPushButton(FromGbk("浏览已保存文件"));
  discover_->setObjectName(QStringLiteral("discover"));
  deepScan_->setObjectName(QStringLiteral("deep scan"));
  cancel_->setObjectName(QStringLiteral("cancel scan"));
  openSaved->setObjectName(QStringLiteral("open saved"));

  table_->setObjectName(QStringLiteral("servers"));
  table_->setAccessibleName(QStringLiteral("Servers"));
  table_->setHorizontalHeaderLabels({FromGbk("序号"), FromGbk("OPC名称"), FromGbk("选择")});
  for (int column = 0; column < kColumnCount; ++column) {
    table_->setColumnWidth(column, kColumnWidths[column]);
  }
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  log_->setObjectName(QStringLiteral("log"));
  log_->setAccessibleName(QStringLiteral("Scan log"));
  progressText_->setObjectName(QStringLiteral("progress"));

  auto* nodeRow = new QHBoxLayout;
  nodeRow->addWidget(new QLabel(FromGbk("OPC 节点：")));
  nodeRow->addWidget(node_, 1);
  nodeRow->addWidget(version10_);
  nodeRow->addWidget(version20_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(discover_);
  buttons->addWidget(openSaved);
  buttons->addWidget(deepScan_);
  auto* progressRow = new QHBoxLayout;
  progressRow->addWidget(progressBar_, 1);
  progressRow->addWidget(progressText_);
  progressRow->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(nodeRow);
  layout->addWidget(credentials_);
  layout->addLayout(buttons);
  layout->addWidget(table_, 2);
  layout->addLayout(progressRow);
  layout->addWidget(log_, 1);
  resize(560, 640);

  connect(discover_, &QPushButton::clicked, this, &ScanDialog::DiscoverAndSave);
  connect(openSaved, &QPushButton::clicked, this, &ScanDialog::OpenSavedFiles);
  connect(deepScan_, &QPushButton::clicked, this, &ScanDialog::StartDeepScan);
  connect(cancel_, &QPushButton::clicked, this, &ScanDialog::CancelScan);
  connect(table_, &QTableWidget::cellClicked, this, [this](int row, int column) {
    if (column == kMarkColumn) ToggleMark(row);
  });

  version20_->setChecked(true);
  RestoreServerList();
  progressBar_->setRange(0, 1);
  progressBar_->setValue(0);
  UpdateButtons();
}

void ScanDialog::RestoreServerList() {
  const std::optional<ServerList> list = LoadServerList(ServerListPath(programDirectory_));
  if (!list) return;
  credentials_->Show({list->useCredentials == "1",
                      list->user.empty() ? kDefaultServerUser : list->user, list->password,
                      list->domain});
  node_->setText(FromGbk(list->node));
  for (const ServerListEntry& server : list->servers) AddRow(server.progId, "", -1);
}

void ScanDialog::AddRow(const std::string& name, const char* mark, int entry) {
  const int row = table_->rowCount();
  table_->insertRow(row);
  auto* index = new QTableWidgetItem(QString::number(row + 1));
  index->setData(kEntryRole, entry);
  table_->setItem(row, kIndexColumn, index);
  table_->setItem(row, kNameColumn, new QTableWidgetItem(FromGbk(name)));
  table_->setItem(row, kMarkColumn, new QTableWidgetItem(FromGbk(mark)));
}

void ScanDialog::DiscoverAndSave() {
  if (discovery_.Running()) return;
  table_->setRowCount(0);
  entries_.clear();
  listSaved_ = false;
  discoveryRequest_.node = ToGbk(node_->text());
  discoveryRequest_.category = version10_->isChecked() ? CATID_OPCDAServer10 : CATID_OPCDAServer20;
  const CredentialsEntry credentials = credentials_->Entered();
  discoveryRequest_.useCredentials = credentials.used;
  discoveryRequest_.user = credentials.user;
  discoveryRequest_.password = credentials.password;
  discoveryRequest_.domain = credentials.domain;
  // A remote node may take long to answer, or not at all until the system gives up.
  discovery_.Start([request = discoveryRequest_] {
    const ComApartment apartment;
    return DiscoverNodeServers(request);
  });
  setCursor(Qt::BusyCursor);
  UpdateButtons();
}

void ScanDialog::ShowDiscovery(const NodeDiscovery& discovery) {
  unsetCursor();
  const NodeDiscoveryRequest& request = discoveryRequest_;
  if (!discovery.message.empty()) boxes_.Inform(discovery.message, kHintCaption);
  entries_ = discovery.servers;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const ServerListEntry& server = entries_[i];
    AddRow(server.progId + "  (" + server.description + ")",
           TagListExists(programDirectory_, server.progId) ? kMarkSkip : kMarkScan,
           static_cast<int>(i));
  }

  ServerList list;
  list.useCredentials = request.useCredentials ? "1" : "0";
  list.user = request.user;
  list.password = request.password;
  list.domain = request.domain;
  list.node = request.node;
  list.servers = entries_;
  const std::string path = ServerListPath(programDirectory_);
  std::string error;
  if (!CreateServersDirectory(programDirectory_, &error) || !SaveServerList(path, list, &error)) {
    boxes_.Inform("Cannot write " + path + ":\n" + error, kHintCaption);
    UpdateButtons();
    return;
  }
  access_.node = request.node;
  access_.c1 = list.useCredentials;
  access_.c2 = list.user;
  access_.c3 = list.password;
  access_.c4 = list.domain;
  listSaved_ = true;
  UpdateButtons();
}

void ScanDialog::OpenSavedFiles() { openFolder_(programDirectory_ + "/servers"); }

void ScanDialog::ToggleMark(int row) {
  QTableWidgetItem* mark = table_->item(row, kMarkColumn);
  if (mark == nullptr) return;
  mark->setText(FromGbk(ToGbk(mark->text()) == kMarkSkip ? kMarkScan : kMarkSkip));
}

std::vector<ScanTarget> ScanDialog::MarkedServers() const {
  std::vector<ScanTarget> marked;
  for (int row = 0; row < table_->rowCount(); ++row) {
    const int entry = table_->item(row, kIndexColumn)->data(kEntryRole).toInt();
    if (ToGbk(table_->item(row, kMarkColumn)->text()) != kMarkScan || entry < 0 ||
        entry >= static_cast<int>(entries_.size())) {
      continue;
    }
    const ServerListEntry& server = entries_[static_cast<std::size_t>(entry)];
    marked.push_back({server.progId, server.clsid});
  }
  return marked;
}

void ScanDialog::StartDeepScan() {
  if (!listSaved_) {
    boxes_.Inform("请先执行按钮：获取并保存OPC列表", kHintCaption);
    return;
  }
  if (runner_.IsRunning()) return;
  log_->clear();
  ScanRequest request{programDirectory_, access_, MarkedServers()};
  progressBar_->setRange(0, static_cast<int>(request.servers.size()));
  progressBar_->setValue(0);
  runner_.Start(std::move(request));
  UpdateButtons();
}

void ScanDialog::CancelScan() { runner_.Cancel(); }

void ScanDialog::AddLogLine(const QString& line, bool timed) {
  log_->addItem(line);
  if (timed) log_->setCurrentRow(log_->count() - 1);
}

void ScanDialog::ShowProgress(const ScanProgress& progress) {
  progressBar_->setRange(0, static_cast<int>(progress.serversTotal));
  progressBar_->setValue(static_cast<int>(progress.serversDone));
  progressText_->setText(ProgressText(progress));
}

void ScanDialog::ScanEnded() { UpdateButtons(); }

void ScanDialog::UpdateButtons() {
  const bool scanning = runner_.IsRunning();
  const bool discovering = discovery_.Running();
  deepScan_->setEnabled(listSaved_ && !scanning && !discovering);
  discover_->setEnabled(!scanning && !discovering);
  cancel_->setEnabled(scanning);
}

void ScanDialog::done(int result) {
  // Closing stops the scan; the worker has ended before the dialog goes.
  runner_.Cancel();
  runner_.Wait();
  QDialog::done(result);
}

}  // namespace tavrel
