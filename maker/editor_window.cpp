#include "maker/editor_window.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>
#include <unordered_set>

#include "desktop/gbk_text.h"
#include "maker/group_dialog.h"
#include "maker/server_link.h"
#include "maker/tag_property_dialog.h"
#include "maker/test_launch.h"

namespace {

constexpr int kColumnWidths[] = {80, 280, 120, 100};

// The tag list's entries for functions this build does not offer yet: shown, not enabled.
constexpr const char* kTagImportEntries[] = {"Select tag online", "Load Tag From Disk",
                                             "Auto Match Tag Attribute", "从全部标签中筛点"};

QAction* AddEntry(QMenu& menu, const char* text) { return menu.addAction(FromGbk(text)); }

void AddShortcuts(QWidget* view, std::initializer_list<QKeySequence> keys,
                  const std::function<void()>& action) {
  for (const QKeySequence& key : keys) {
    auto* shortcut = new QShortcut(key, view);
    shortcut->setContext(Qt::WidgetShortcut);
    QObject::connect(shortcut, &QShortcut::activated, view, action);
  }
}

}  // namespace

EditorWindow::EditorWindow(std::string programDirectory, MessageBoxes& boxes, QWidget* parent,
                           ServerChooserLauncher chooser)
    : QMainWindow(parent),
      programDirectory_(std::move(programDirectory)),
      boxes_(boxes),
      chooser_(std::move(chooser)),
      store_(programDirectory_ + "/" + kProjectFileName),
      project_(store_.Load()),
      treeModel_(project_),
      tree_(new QTreeView),
      tagList_(new QTableView) {
  setWindowTitle(QString::fromLatin1(kMakerTitle));
  tree_->setModel(&treeModel_);
  tree_->setHeaderHidden(true);
  tree_->setUniformRowHeights(true);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  tree_->setAccessibleName(QStringLiteral("Project tree"));
  tree_->expand(treeModel_.RootIndex());
  // Labels are long: the tree scrolls sideways rather than cut them.
  tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tree_->header()->setStretchLastSection(false);
  tagList_->setModel(&tagModel_);
  tagList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tagList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tagList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tagList_->setContextMenuPolicy(Qt::CustomContextMenu);
  tagList_->setAccessibleName(QStringLiteral("Tag list"));
  tagList_->verticalHeader()->hide();
  tagList_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  tagList_->verticalHeader()->setDefaultSectionSize(tagList_->fontMetrics().height() + 6);
  tagList_->horizontalHeader()->setStretchLastSection(true);
  for (int column = 0; column < TagTableModel::kColumnCount; ++column) {
    tagList_->setColumnWidth(column, kColumnWidths[column]);
  }

  auto* splitter = new QSplitter;
  splitter->addWidget(tree_);
  splitter->addWidget(tagList_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({340, 620});
  setCentralWidget(splitter);
  resize(1000, 600);
  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  connect(help->addAction(FromGbk("关于 Keldrin(&A)...")), &QAction::triggered, this,
          &EditorWindow::ShowAbout);

  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) { SetCurrent(index); });
  connect(tree_, &QTreeView::customContextMenuRequested, this, [this](const QPoint& at) {
    if (auto menu = TreeMenuAt(tree_->indexAt(at))) menu->exec(tree_->viewport()->mapToGlobal(at));
  });
  connect(tagList_, &QTableView::customContextMenuRequested, this, [this](const QPoint& at) {
    if (auto menu = TagListMenu()) menu->exec(tagList_->viewport()->mapToGlobal(at));
  });
  connect(tagList_, &QTableView::doubleClicked, this, &EditorWindow::OpenTagProperties);
  AddShortcuts(tree_, {QKeySequence::Delete}, [this] { DeleteCurrent(); });
  AddShortcuts(tree_, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F2}, [this] { ConfigureCurrent(); });
  AddShortcuts(tagList_, {QKeySequence::Delete}, [this] { DeleteSelectedTags(); });
  AddShortcuts(tagList_, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F2},
               [this] { OpenTagProperties(); });
}

EditorWindow::~EditorWindow() {
  // The views go before the models they show.
  delete takeCentralWidget();
}

void EditorWindow::ReportLoadProblem() {
  if (store_.LoadError().empty()) return;
  boxes_.Inform(store_.Path() + " could not be read:\n" + store_.LoadError() +
                    "\n\nThe editor starts with an empty project. The file is not replaced "
                    "unless you save (\"Save Config?\" Yes); it is then kept as " +
                    store_.Path() + kBackupSuffix + ".",
                kHintCaption);
}

ProjectNode* EditorWindow::CurrentNode() const { return treeModel_.NodeAt(current_); }

void EditorWindow::SetCurrent(const QModelIndex& index) {
  current_ = index;
  tagModel_.ShowTagsOf(CurrentNode());
}

std::unique_ptr<QMenu> EditorWindow::TreeMenuAt(const QModelIndex& index) {
  if (!index.isValid()) return nullptr;
  tree_->setCurrentIndex(index);  // the current item from now on (SetCurrent)
  auto menu = std::make_unique<QMenu>(this);
  const ProjectNode* node = CurrentNode();
  if (node == nullptr) {
    connect(AddEntry(*menu, "new server"), &QAction::triggered, this, &EditorWindow::NewServer);
    AddEntry(*menu, "config");  // the root has nothing to configure
  } else if (node->kind == NodeKind::kServer) {
    connect(AddEntry(*menu, "new group"), &QAction::triggered, this, &EditorWindow::NewGroup);
    connect(AddEntry(*menu, "config"), &QAction::triggered, this, &EditorWindow::ConfigureCurrent);
    connect(AddEntry(*menu, "delete"), &QAction::triggered, this, &EditorWindow::DeleteCurrent);
    menu->addSeparator();
    connect(AddEntry(*menu, "高级扫点操作"), &QAction::triggered, this, &EditorWindow::LaunchTest);
  } else {
    connect(AddEntry(*menu, "config"), &QAction::triggered, this, &EditorWindow::ConfigureCurrent);
    connect(AddEntry(*menu, "delete"), &QAction::triggered, this, &EditorWindow::DeleteCurrent);
  }
  return menu;
}

std::unique_ptr<QMenu> EditorWindow::TagListMenu() {
  const ProjectNode* node = CurrentNode();
  if (node == nullptr || node->kind != NodeKind::kGroup) return nullptr;
  auto menu = std::make_unique<QMenu>(this);
  for (const char* entry : kTagImportEntries) {
    if (!menu->isEmpty()) menu->addSeparator();
    AddEntry(*menu, entry)->setEnabled(false);
  }
  if (tagList_->selectionModel()->hasSelection()) {
    menu->addSeparator();
    connect(AddEntry(*menu, "delete"), &QAction::triggered, this,
            &EditorWindow::DeleteSelectedTags);
  }
  return menu;
}

bool EditorWindow::RunServerDialog(ServerNode& server) {
  const ServerNameLookups lookups{
      [&](const std::string& name) { return project_.FindServer(name, &server) != nullptr; },
      [&](const std::string& node, const std::string& sid) {
        return project_.FindServerBySource(node, sid, &server) != nullptr;
      }};
  ServerConfigDialog dialog({server.name, server.desc, server.settings},
                            project_.ProposeServerName(), lookups, boxes_, this, chooser_);
  return dialog.exec() == QDialog::Accepted;
}

void EditorWindow::NewServer() {
  auto server = std::make_unique<ServerNode>();
  if (!RunServerDialog(*server)) return;
  treeModel_.AppendNewServer(std::move(server));
  tree_->expand(treeModel_.RootIndex());
  // Labels are long: the tree scrolls sideways rather than cut them.
  tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tree_->header()->setStretchLastSection(false);
  MarkModified();
}

void EditorWindow::ConfigureServer(ServerNode& server) {
  if (!RunServerDialog(server)) return;
  treeModel_.NodeConfigured(server);
  tree_->expand(treeModel_.IndexOf(server));
  MarkModified();
}

void EditorWindow::ConfigureGroup(GroupNode& group) {
  GroupDialog dialog({group.name, group.desc, group.settings}, boxes_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const GroupFields& fields = dialog.Fields();
  if (MakerProject::FindGroup(*group.parent, fields.name, &group) != nullptr) {
    boxes_.Inform("Group exsit " + fields.name, kMakerTitle);
    return;
  }
  group.name = fields.name;
  group.desc = fields.desc;
  group.settings = fields.settings;
  treeModel_.NodeConfigured(group);
  MarkModified();
}

void EditorWindow::ConfigureCurrent() {
  ProjectNode* node = CurrentNode();
  if (node == nullptr) return;
  if (node->kind == NodeKind::kServer) ConfigureServer(static_cast<ServerNode&>(*node));
  if (node->kind == NodeKind::kGroup) ConfigureGroup(static_cast<GroupNode&>(*node));
}

void EditorWindow::NewGroup() {
  ProjectNode* node = CurrentNode();
  if (node == nullptr || node->kind != NodeKind::kServer) return;
  auto& server = static_cast<ServerNode&>(*node);
  const auto [name, desc] = MakerProject::ProposeGroupName(server);
  GroupDialog dialog({name, desc, GroupParameters{}}, boxes_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const GroupFields& fields = dialog.Fields();
  if (MakerProject::FindGroup(server, fields.name, nullptr) != nullptr) {
    boxes_.Inform("Group Exsit " + fields.name, kMakerTitle);
    return;
  }
  auto group = std::make_unique<GroupNode>(&server);
  group->name = fields.name;
  group->desc = fields.desc;
  group->settings = fields.settings;
  treeModel_.AppendGroup(server, std::move(group));
  tree_->expand(treeModel_.IndexOf(server));
  MarkModified();
}

void EditorWindow::DeleteCurrent() {
  ProjectNode* node = CurrentNode();
  if (node == nullptr) return;
  if (node->kind == NodeKind::kServer) {
    if (!boxes_.AskYesNo("will delete all sub project,continue?", kHintCaption)) return;
    tagModel_.ShowTagsOf(nullptr);
    treeModel_.RemoveServer(static_cast<ServerNode&>(*node));
  } else {
    if (!boxes_.AskYesNo("will delete all sub project ,continue?", kHintCaption)) return;
    tagModel_.ShowTagsOf(nullptr);
    treeModel_.RemoveGroup(static_cast<GroupNode&>(*node));
  }
  SetCurrent(tree_->currentIndex());
  MarkModified();
}

void EditorWindow::LaunchTest() {
  const ProjectNode* node = CurrentNode();
  if (node == nullptr || node->kind != NodeKind::kServer) return;
  LaunchTestClient(static_cast<const ServerNode&>(*node), programDirectory_);
}

void EditorWindow::DeleteSelectedTags() {
  ProjectNode* node = CurrentNode();
  if (node == nullptr || node->kind != NodeKind::kGroup) return;
  const QModelIndexList rows = tagList_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  std::unordered_set<const TagNode*> selected;
  for (const QModelIndex& row : rows) selected.insert(tagModel_.TagAt(row.row()));
  MakerProject::RemoveTags(static_cast<GroupNode&>(*node), selected);
  MarkModified();
  tagModel_.Rebuild();
}

void EditorWindow::OpenTagProperties() {
  const ProjectNode* node = CurrentNode();
  if (node == nullptr || node->kind != NodeKind::kGroup) return;
  const QModelIndexList rows = tagList_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  const int row = rows.front().row();
  TagPropertyDialog dialog(*tagModel_.TagAt(row), boxes_, this);
  if (dialog.exec() == QDialog::Accepted) tagModel_.RefreshRow(row);
}

void EditorWindow::ShowAbout() {
  QMessageBox::about(this, FromGbk("关于 Keldrin"),
                     QStringLiteral("<b>Keldrin</b><p>Builds the project of OPC DA servers, "
                                    "groups and tags that the bridge Tavrel runs.</p>"));
}

void EditorWindow::closeEvent(QCloseEvent* event) {
  if (modified_ && boxes_.AskYesNo("Save Config?", kHintCaption)) {
    std::string error;
    if (!store_.Save(project_, error)) {
      boxes_.Inform("Save Config failed: " + store_.Path() + "\n" + error, kHintCaption);
    }
  }
  event->accept();
}
