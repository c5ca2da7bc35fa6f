#include "maker/ui/editor_window.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <tuple>
#include <unordered_set>

#include "desktop/gbk_text.h"
#include "maker/online/server_link.h"
#include "maker/project/csv_tags.h"
#include "maker/project/test_launch.h"
#include "maker/ui/add_tag_dialog.h"
#include "maker/ui/group_dialog.h"
#include "maker/ui/match_dialog.h"
#include "maker/ui/tag_pick_dialog.h"
#include "maker/ui/tag_property_dialog.h"
#include "maker/ui/undoable_edits.h"

namespace tavrel {

namespace {

constexpr int kColumnWidths[] = {80, 280, 120, 100};

std::string ChooseCsvFile(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("open csv file"), QString(), FromGbk("csv文件(*.csv)"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // A name that does not exist yet is accepted: the import creates the file empty.
  dialog.setFileMode(QFileDialog::AnyFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return ToGbk(dialog.selectedFiles().front());
}

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
      csvChooser_([this] { return ChooseCsvFile(this); }),
      saveElsewhereChooser_([this] {
        return ToGbk(QFileDialog::getSaveFileName(this, QStringLiteral("Save the project as"),
                                                  FromGbk(programDirectory_),
                                                  QStringLiteral("Project (*.xml)")));
      }),
      store_(programDirectory_ + "/" + kProjectFileName),
      project_(store_.Load()),
      treeModel_(project_),
      tree_(new QTreeView),
      tagList_(new QTableView),
      tagFind_(MakeFilterField(tagFilter_)) {
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
  tagFilter_.setFilterKeyColumn(TagTableModel::kIdColumn);
  tagFilter_.setSourceModel(&tagModel_);
  tagList_->setModel(&tagFilter_);
  // Listed in the group's order until a header is clicked.
  tagList_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  tagList_->setSortingEnabled(true);
  EnableRowCopy(*tagList_);
  tagFind_->setPlaceholderText(QStringLiteral("Find tag by ID"));
  undoStack_.setUndoLimit(kUndoLimit);
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

  auto* tagPane = new QWidget;
  auto* tagLayout = new QVBoxLayout(tagPane);
  tagLayout->setContentsMargins(0, 0, 0, 0);
  tagLayout->addWidget(tagFind_);
  tagLayout->addWidget(tagList_);
  auto* splitter = new QSplitter;
  splitter->addWidget(tree_);
  splitter->addWidget(tagPane);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({340, 620});
  setCentralWidget(splitter);
  resize(1000, 600);
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  QAction* save = file->addAction(QStringLiteral("&Save"), this, &EditorWindow::Save);
  save->setShortcut(QKeySequence::Save);
  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  QAction* undo = undoStack_.createUndoAction(this);
  undo->setShortcut(QKeySequence::Undo);
  QAction* redo = undoStack_.createRedoAction(this);
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});
  edit->addActions({undo, redo});
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
                    store_.BackupPath() + ".",
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
  const std::pair<const char*, void (EditorWindow::*)()> entries[] = {
      {"Select tag online", &EditorWindow::SelectTagOnline},
      {"Load Tag From Disk", &EditorWindow::LoadTagsFromDisk},
      {"Auto Match Tag Attribute", &EditorWindow::AutoMatchTagAttributes},
      {"从全部标签中筛点", &EditorWindow::PickFromTagList}};
  for (const auto& [text, command] : entries) {
    if (!menu->isEmpty()) menu->addSeparator();
    connect(AddEntry(*menu, text), &QAction::triggered, this, command);
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
  server->settings = NewServerSettings();
  if (!RunServerDialog(*server)) return;
  treeModel_.AppendNewServer(std::move(server));
  tree_->expand(treeModel_.RootIndex());
  // Labels are long: the tree scrolls sideways rather than cut them.
  tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tree_->header()->setStretchLastSection(false);
  MarkModified();
}

void EditorWindow::ConfigureServer(ServerNode& server) {
  using Fields = std::tuple<std::string, std::string, ServerSettings>;
  const Fields before{server.name, server.desc, server.settings};
  if (!RunServerDialog(server)) return;
  treeModel_.NodeConfigured(server);
  tree_->expand(treeModel_.IndexOf(server));
  MarkModified();
  const auto set = [this, &server](const Fields& fields) {
    std::tie(server.name, server.desc, server.settings) = fields;
    treeModel_.NodeConfigured(server);
    MarkModified();
  };
  const Fields after{server.name, server.desc, server.settings};
  undoStack_.push(new FieldsEdit(
      QStringLiteral("configure server"), [set, before] { set(before); },
      [set, after] { set(after); }));
}

void EditorWindow::ConfigureGroup(GroupNode& group) {
  GroupDialog dialog({group.name, group.desc, group.settings}, boxes_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const GroupFields& fields = dialog.Fields();
  if (MakerProject::FindGroup(*group.parent, fields.name, &group) != nullptr) {
    boxes_.Inform("Group exsit " + fields.name, kMakerTitle);
    return;
  }
  const auto set = [this, &group](const GroupFields& fields) {
    group.name = fields.name;
    group.desc = fields.desc;
    group.settings = fields.settings;
    treeModel_.NodeConfigured(group);
    MarkModified();
  };
  const GroupFields before{group.name, group.desc, group.settings};
  set(fields);
  undoStack_.push(new FieldsEdit(
      QStringLiteral("configure group"), [set, before] { set(before); },
      [set, fields] { set(fields); }));
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
    undoStack_.clear();  // its edits refer to the groups that go
    tagModel_.ShowTagsOf(nullptr);
    treeModel_.RemoveServer(static_cast<ServerNode&>(*node));
  } else {
    if (!boxes_.AskYesNo("will delete all sub project ,continue?", kHintCaption)) return;
    undoStack_.clear();
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

std::vector<TagNode*> EditorWindow::SelectedTags() const {
  std::vector<std::pair<int, TagNode*>> rows;
  for (const QModelIndex& row : tagList_->selectionModel()->selectedRows()) {
    rows.emplace_back(row.row(), tagModel_.TagAt(tagFilter_.mapToSource(row).row()));
  }
  std::sort(rows.begin(), rows.end());
  std::vector<TagNode*> tags;
  tags.reserve(rows.size());
  for (const auto& [row, tag] : rows) tags.push_back(tag);
  return tags;
}

std::unique_ptr<TagsEdit> EditorWindow::BeginTagsEdit(const char* text, GroupNode& group) {
  return std::make_unique<TagsEdit>(QString::fromLatin1(text), group, [this] {
    MarkModified();
    RelistTags();
  });
}

bool EditorWindow::Push(std::unique_ptr<TagsEdit> edit) {
  edit->Finish();
  if (!edit->Changed()) return false;
  undoStack_.push(edit.release());
  MarkModified();
  RelistTags();
  return true;
}

void EditorWindow::DeleteSelectedTags() {
  GroupNode* group = CurrentGroup();
  if (group == nullptr) return;
  const std::vector<TagNode*> tags = SelectedTags();
  if (tags.empty()) return;
  if (tags.size() > 1 &&
      !boxes_.AskYesNo("delete " + std::to_string(tags.size()) + " tags?", kHintCaption)) {
    return;
  }
  auto edit = BeginTagsEdit("delete tags", *group);
  tagModel_.ShowTagsOf(nullptr);  // the list shows no tag that is about to go
  edit->Remove({tags.begin(), tags.end()});
  tagModel_.ShowTagsOf(group);
  Push(std::move(edit));
}

void EditorWindow::OpenTagProperties() {
  GroupNode* group = CurrentGroup();
  if (group == nullptr) return;
  const QModelIndexList rows = tagList_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  const int row = tagFilter_.mapToSource(rows.front()).row();
  auto edit = BeginTagsEdit("tag properties", *group);
  TagPropertyDialog dialog(*tagModel_.TagAt(row), boxes_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  // Names and descriptions are not stored in the project file: no modified flag for them.
  edit->Finish();
  if (!edit->Changed()) return;
  undoStack_.push(edit.release());
  tagModel_.RefreshRow(row);
}

GroupNode* EditorWindow::CurrentGroup() const {
  ProjectNode* node = CurrentNode();
  return node != nullptr && node->kind == NodeKind::kGroup ? static_cast<GroupNode*>(node)
                                                           : nullptr;
}

void EditorWindow::RelistTags() {
  const int top = tagList_->verticalScrollBar()->value();
  tagModel_.Rebuild();
  tagList_->verticalScrollBar()->setValue(top);
}

void EditorWindow::AddCandidates(GroupNode& group, const std::vector<TagCandidate>& candidates) {
  auto edit = BeginTagsEdit("add tags", group);
  const CandidatesAdded outcome = AddTagCandidates(group, candidates);
  if (outcome.skipped > 0) boxes_.Inform(kTagExistsMessage, kHintCaption);
  Push(std::move(edit));
}

void EditorWindow::SelectTagOnline() {
  GroupNode* group = CurrentGroup();
  if (group == nullptr) return;
  if (!ConnectServer(*group->parent, boxes_)) {
    boxes_.Inform("cannot connect server", kHintCaption);
    return;
  }
  AddTagDialog dialog(*group->parent->link, boxes_, this);
  if (dialog.exec() == QDialog::Accepted) AddCandidates(*group, dialog.Selected());
}

void EditorWindow::LoadTagsFromDisk() {
  GroupNode* group = CurrentGroup();
  if (group == nullptr) return;
  const std::string path = csvChooser_();
  if (path.empty()) return;
  std::string text;
  if (!ReadOrCreateCsvFile(path, &text)) {
    boxes_.InformError("Load csv error", kHintCaption);
    return;
  }
  if (!boxes_.AskOkCancel("load csv will clear all tags,continue？", kHintCaption)) return;
  auto edit = BeginTagsEdit("load tags from disk", *group);
  tagModel_.ShowTagsOf(nullptr);  // the list shows no tag that is about to go
  edit->RemoveAll();
  AppendUnnamedTags(*group, ParseCsvTags(text));
  tagModel_.ShowTagsOf(group);
  Push(std::move(edit));
  MarkModified();  // even when the file held the same tags
}

void EditorWindow::AutoMatchTagAttributes() {
  GroupNode* group = CurrentGroup();
  if (group == nullptr) return;
  if (!ConnectServer(*group->parent, boxes_)) {
    boxes_.Inform("cannot connetc server", kHintCaption);
    return;
  }
  auto edit = BeginTagsEdit("match tag attributes", *group);
  MatchDialog dialog(*group->parent->link, *group, boxes_, this);
  dialog.exec();
  Push(std::move(edit));
  MarkModified();
  RelistTags();
}

void EditorWindow::PickFromTagList() {
  GroupNode* group = CurrentGroup();
  if (group == nullptr) return;
  TagPickDialog dialog(programDirectory_, group->parent->settings.sid, this);
  if (dialog.exec() == QDialog::Accepted) AddCandidates(*group, dialog.Picked());
}

void EditorWindow::ShowAbout() {
  QMessageBox::about(this, FromGbk("关于 Keldrin"),
                     QStringLiteral("<b>Keldrin</b><p>Builds the project of OPC DA servers, "
                                    "groups and tags that the bridge Tavrel runs.</p>"));
}

bool EditorWindow::Save() {
  std::optional<ProjectStore> elsewhere;
  for (;;) {
    ProjectStore& target = elsewhere ? *elsewhere : store_;
    std::string error;
    if (target.Save(project_, error)) {
      if (!elsewhere) modified_ = false;
      return true;
    }
    const std::string failure = "Save Config failed: " + target.Path() + "\n" + error;
    if (boxes_.AskYesNo(failure + "\n\nTry again?", kHintCaption)) continue;
    if (!boxes_.AskYesNo("Save the project to another file?", kHintCaption)) return false;
    const std::string chosen = saveElsewhereChooser_();
    if (chosen.empty()) return false;
    elsewhere.emplace(chosen);
  }
}

void EditorWindow::closeEvent(QCloseEvent* event) {
  if (modified_ && boxes_.AskYesNo("Save Config?", kHintCaption) && !Save()) {
    event->ignore();  // nothing was saved: the edits stay
    return;
  }
  event->accept();
}

}  // namespace tavrel
