#include "bridge/ui/main_panel.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QSplitter>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bridge/opc/server_tag_browse.h"
#include "bridge/ui/template_export.h"
#include "bridge/ui/tree_labels.h"
#include "desktop/gbk_text.h"
#include "desktop/item_icons.h"
#include "desktop/row_filter.h"
#include "desktop/server_config_dialog.h"
#include "platform/com/com_apartment.h"

namespace tavrel {

namespace {

// `view` below its filter field, as one side of the splitter.
QWidget* WithFilterAbove(QLineEdit* filterField, QWidget* view) {
  auto* side = new QWidget;
  auto* layout = new QVBoxLayout(side);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(filterField);
  layout->addWidget(view, 1);
  return side;
}

constexpr int kRefreshPeriodMs = 500;
constexpr int kClockPeriodMs = 1000;
constexpr char kOverwriteQuestion[] = "已经存在一个同名的文件，要覆盖吗？";
constexpr char kTemplateSavedText[] = "保存模板成功";
constexpr char kNoTagText[] = "不存在的数据点";
constexpr char kReadOnlyText[] = "该数据点只读，不能写入";

// What a tree item stands for: its kind in Qt::UserRole, the server's index or the group in
// Qt::UserRole + 1.
enum NodeKind { kRootNode, kServerNode, kGroupNode, kAddedServerNode };

TreeItemKind ImageOf(NodeKind kind) {
  switch (kind) {
    case kRootNode:
      return TreeItemKind::kRoot;
    case kGroupNode:
      return TreeItemKind::kGroup;
    case kServerNode:
    case kAddedServerNode:
      break;
  }
  return TreeItemKind::kServer;
}

QTreeWidgetItem* NewNode(QTreeWidgetItem* parent, const std::string& label, NodeKind kind,
                         QVariant target = {}) {
  auto* item = new QTreeWidgetItem(parent, {FromGbk(label)});
  item->setIcon(0, TreeItemIcon(ImageOf(kind)));
  item->setData(0, Qt::UserRole, kind);
  item->setData(0, Qt::UserRole + 1, std::move(target));
  return item;
}

NodeKind KindOf(const QTreeWidgetItem* item) {
  return static_cast<NodeKind>(item->data(0, Qt::UserRole).toInt());
}

// Shows the servers and groups under `root` whose label contains `text` (ignoring case), a
// server with all its groups, a group with its server; an empty text shows every node.
void ShowMatchingNodes(QTreeWidgetItem* root, const QString& text) {
  const auto matches = [&text](const QTreeWidgetItem* item) {
    return item->text(0).contains(text, Qt::CaseInsensitive);
  };
  for (int index = 0; index < root->childCount(); ++index) {
    QTreeWidgetItem* server = root->child(index);
    const bool serverMatches = matches(server);
    bool groupMatches = false;
    for (int group = 0; group < server->childCount(); ++group) {
      QTreeWidgetItem* node = server->child(group);
      node->setHidden(!serverMatches && !matches(node));
      groupMatches = groupMatches || !node->isHidden();
    }
    server->setHidden(!serverMatches && !groupMatches);
  }
}

std::optional<std::string> AskTemplateFile(QWidget* parent) {
  const QString path =
      QFileDialog::getSaveFileName(parent, FromGbk("保存模板文件"), {}, FromGbk("文本文件(*.tpl)"),
                                   nullptr, QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

}  // namespace

MainPanel::MainPanel(MainPanelSources sources, MessageBoxes& boxes, MainPanelActions actions,
                     QWidget* parent)
    : QWidget(parent, Qt::Window),
      sources_(std::move(sources)),
      boxes_(boxes),
      actions_(std::move(actions)),
      tree_(new QTreeWidget),
      treeFilterField_(new QLineEdit),
      root_(nullptr),
      grid_(new QTableView),
      gridFilterField_(MakeFilterField(gridFilter_)),
      runningTime_(new QLabel),
      traversal_([this] { EndTraversal(); }) {
  if (!actions_.chooseTemplateFile) {
    actions_.chooseTemplateFile = [this] { return AskTemplateFile(this); };
  }
  if (!actions_.editNewServer) {
    actions_.editNewServer = [this](std::string& name, std::string& desc,
                                    ServerSettings& settings) {
      const auto& servers = sources_.project.Servers();
      ServerNameLookups lookups{[&servers](const std::string& taken) {
                                  for (const auto& server : servers) {
                                    if (server->name == taken) return true;
                                  }
                                  return false;
                                },
                                [&servers](const std::string& node, const std::string& sid) {
                                  for (const auto& server : servers) {
                                    if (server->node == node && server->progId == sid) return true;
                                  }
                                  return false;
                                }};
      ServerConfigDialog dialog({name, desc, settings},
                                {"Server" + std::to_string(servers.size() + 1), ""}, lookups,
                                boxes_, this);
      return dialog.exec() == QDialog::Accepted;
    };
  }
  if (!actions_.traverse) {
    actions_.traverse = [log = &sources_.log](const ProjectServer& server, bool forceFlat) {
      const ComApartment apartment;
      BrowseServerTags(*log, server.progId, server.clsid, forceFlat);
    };
  }

  setWindowTitle(FromGbk("开主面板"));
  tree_->setHeaderHidden(true);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  tree_->setAccessibleName(FromGbk(kTreeRootLabel));
  gridFilter_.setSourceModel(&model_);
  gridFilter_.setFilterKeyColumn(TagGridModel::kTagColumn);
  grid_->setModel(&gridFilter_);
  // No order until the operator picks a column: sorting 100,000 rows at every group costs.
  grid_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  grid_->setSortingEnabled(true);
  EnableRowCopy(*grid_);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  for (int column = 0; column < TagGridModel::kColumnCount; ++column) {
    grid_->setColumnWidth(column, TagGridModel::kColumnWidths[column]);
  }
  // The widths were chosen for a smaller font; a whole time stamp stays readable in any.
  const int timeWidth = grid_->fontMetrics().horizontalAdvance("0000-00-00 00:00:00 000") + 12;
  grid_->setColumnWidth(
      TagGridModel::kTimeColumn,
      std::max(timeWidth, TagGridModel::kColumnWidths[TagGridModel::kTimeColumn]));
  auto* splitter = new QSplitter;
  treeFilterField_->setPlaceholderText(QStringLiteral("Filter"));
  treeFilterField_->setAccessibleName(QStringLiteral("Filter servers and groups"));
  treeFilterField_->setClearButtonEnabled(true);
  connect(treeFilterField_, &QLineEdit::textChanged, this,
          [this](const QString& text) { ShowMatchingNodes(root_, text); });
  splitter->addWidget(WithFilterAbove(treeFilterField_, tree_));
  splitter->addWidget(WithFilterAbove(gridFilterField_, grid_));
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({260, 1000});
  auto* status = new QHBoxLayout;
  status->addWidget(new QLabel(FromGbk("运行时间(小时):")));
  status->addWidget(runningTime_);
  status->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addLayout(status);
  resize(1260, 560);
  FillTree();
  ShowRunningState();

  connect(tree_, &QTreeWidget::customContextMenuRequested, this,
          [this](const QPoint& position) { ShowTreeMenu(position); });
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item != nullptr && KindOf(item) == kGroupNode) {
      model_.ShowGroup(
          static_cast<const ProjectGroup*>(item->data(0, Qt::UserRole + 1).value<const void*>()));
    }
  });
  connect(grid_, &QTableView::customContextMenuRequested, this, [this](const QPoint& position) {
    const QModelIndex index = grid_->indexAt(position);
    if (index.isValid()) OpenWriteDialog(index.row());
  });
  connect(grid_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { OpenWriteDialog(index.row()); });
  connect(&refreshTimer_, &QTimer::timeout, this, [this] { RefreshVisibleRows(); });
  connect(&clockTimer_, &QTimer::timeout, this, [this] { ShowRunningState(); });
  refreshTimer_.start(kRefreshPeriodMs);
  clockTimer_.start(kClockPeriodMs);
}

MainPanel::~MainPanel() = default;  // the traversal is waited for before the widgets go

void MainPanel::FillTree() {
  root_ = NewNode(nullptr, kTreeRootLabel, kRootNode);
  tree_->addTopLevelItem(root_);
  const auto& servers = sources_.project.Servers();
  for (std::size_t index = 0; index < servers.size(); ++index) {
    const ProjectServer& server = *servers[index];
    QTreeWidgetItem* serverNode =
        NewNode(root_, ServerLabel(server.name), kServerNode, static_cast<int>(index));
    for (const auto& group : server.groups) {
      NewNode(serverNode, GroupLabel(group->name, group->desc), kGroupNode,
              QVariant::fromValue(static_cast<const void*>(group.get())));
    }
  }
  tree_->expandAll();
}

void MainPanel::ShowTreeMenu(const QPoint& position) {
  QTreeWidgetItem* item = tree_->itemAt(position);
  if (item == nullptr) return;
  QMenu menu;
  if (KindOf(item) == kRootNode) {
    menu.addAction(FromGbk("导出点表"), this, [this] { ExportTemplate(); });
    menu.addAction(FromGbk("添加Server"), this, [this] { AddServer(); });
  } else if (KindOf(item) == kServerNode) {
    const int index = item->data(0, Qt::UserRole + 1).toInt();
    for (const bool flat : {false, true}) {
      QAction* action = menu.addAction(FromGbk(flat ? "遍历全部节点(FLAT)" : "遍历全部节点(TREE)"),
                                       this, [this, index, flat] { StartTraversal(index, flat); });
      action->setEnabled(!TraversalRunning());
    }
  } else {
    return;
  }
  menu.exec(tree_->viewport()->mapToGlobal(position));
}

void MainPanel::ExportTemplate() {
  const std::string document = TemplateDocument(sources_.project);
  const std::optional<std::string> chosen = actions_.chooseTemplateFile();
  if (!chosen) return;
  const std::string path = TemplateFilePath(*chosen);
  std::error_code error;
  if (std::filesystem::exists(path, error) &&
      !boxes_.AskOkCancel(kOverwriteQuestion, kPromptCaption)) {
    return;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << document;
  file.close();
  if (!file) {
    boxes_.Inform("保存模板失败", kPromptCaption);
    return;
  }
  boxes_.Inform(kTemplateSavedText, kPromptCaption);
}

void MainPanel::AddServer() {
  std::string name;
  std::string desc;
  ServerSettings settings = NewServerSettings();
  if (!actions_.editNewServer(name, desc, settings)) return;
  NewNode(root_, AddedServerLabel(name, desc, settings.node), kAddedServerNode);
}

bool MainPanel::StartTraversal(int serverIndex, bool forceFlat) {
  const auto& servers = sources_.project.Servers();
  if (TraversalRunning() || serverIndex < 0 ||
      static_cast<std::size_t>(serverIndex) >= servers.size()) {
    return false;
  }
  const ProjectServer& server = *servers[serverIndex];
  busy_ = new QProgressDialog(
      FromGbk(forceFlat ? "遍历全部节点(FLAT)" : "遍历全部节点(TREE)") + " " + FromGbk(server.name),
      FromGbk("取消"), 0, 0, this);
  busy_->setWindowTitle(FromGbk(server.name));
  connect(busy_, &QProgressDialog::canceled, this, [this] {
    busy_->deleteLater();  // inside its own signal
    busy_ = nullptr;
  });
  busy_->setMinimumDuration(0);
  busy_->setWindowModality(Qt::WindowModal);
  busy_->show();
  traversal_.Start(
      [&traverse = actions_.traverse, &server, forceFlat] { traverse(server, forceFlat); });
  return true;
}

void MainPanel::EndTraversal() {
  delete busy_;  // null when cancelled
  busy_ = nullptr;
}

void MainPanel::OpenWriteDialog(int row) {
  ProjectTag* tag = model_.TagAt(gridFilter_.mapToSource(gridFilter_.index(row, 0)).row());
  if (tag == nullptr) {
    boxes_.Inform(kNoTagText, kPromptCaption);
    return;
  }
  if (!Writable(*tag)) {
    boxes_.Inform(kReadOnlyText, kPromptCaption);
    return;
  }
  WriteDialog dialog(*tag, tag->liveValue.Snapshot().textValue, actions_.write, writes_, boxes_,
                     this);
  dialog.setWindowModality(Qt::WindowModal);  // the log list stays usable meanwhile
  dialog.exec();
}

void MainPanel::RefreshVisibleRows() {
  if (!isVisible() || gridFilter_.rowCount() == 0) return;
  const int first = grid_->rowAt(0);
  if (first < 0) return;
  int last = grid_->rowAt(grid_->viewport()->height() - 1);
  if (last < 0) last = gridFilter_.rowCount() - 1;
  // Sorted or filtered, the rows on screen are scattered over the group.
  for (int row = first; row <= last; ++row) {
    const int tagRow = gridFilter_.mapToSource(gridFilter_.index(row, 0)).row();
    model_.RefreshRows(tagRow, tagRow);
  }
}

void MainPanel::ShowRunningState() {
  const double hours = static_cast<double>(sources_.clock().seconds - sources_.startTime) / 3600.0;
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", hours);
  runningTime_->setText(QString::fromLatin1(text));
  if (!sources_.serverConnected) return;
  const auto& servers = sources_.project.Servers();
  for (int index = 0; index < root_->childCount(); ++index) {
    QTreeWidgetItem* node = root_->child(index);
    if (KindOf(node) != kServerNode) continue;
    const int server = node->data(0, Qt::UserRole + 1).toInt();
    node->setText(
        0, FromGbk(ServerStateLabel(servers[server]->name, sources_.serverConnected(server))));
  }
}

}  // namespace tavrel
