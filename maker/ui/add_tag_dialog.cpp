#include "maker/ui/add_tag_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/decimal_text.h"
#include "desktop/gbk_text.h"
#include "desktop/named_edit.h"
#include "maker/online/tag_batch.h"
#include "maker/ui/chunked_work.h"

namespace tavrel {

namespace {

constexpr char kPlaceholder[] = "Dummy";
constexpr char kRootName[] = "Root";
// Marks the placeholder child among real branches (a branch could be named "Dummy").
constexpr int kPlaceholderRole = Qt::UserRole;

QTableView* MakeList(QAbstractItemModel& model, std::initializer_list<int> widths,
                     const char* name) {
  auto* view = new QTableView;
  view->setModel(&model);
  view->setObjectName(QString::fromLatin1(name));
  view->setAccessibleName(QString::fromLatin1(name));
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->verticalHeader()->hide();
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  view->horizontalHeader()->setStretchLastSection(true);
  int column = 0;
  for (int width : widths) view->setColumnWidth(column++, width);
  return view;
}

bool IsPlaceholder(const QTreeWidgetItem* item) { return item->data(0, kPlaceholderRole).toBool(); }

}  // namespace

AddTagDialog::AddTagDialog(const ServerLink& link, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent),
      browser_(link),
      boxes_(boxes),
      leaves_(QStringLiteral("index"), QStringLiteral("id")),
      flat_(QStringLiteral("index"), QStringLiteral("tag ID")),
      selectedModel_(selected_),
      tree_(new QTreeWidget),
      leafList_(MakeList(leaves_, {50, 120}, "leaves")),
      flatList_(MakeList(flat_, {60, 160}, "flat list")),
      selectedList_(MakeList(selectedModel_, {60, 160, 130, 100, 120}, "selected tags")),
      firstFilter_(MakeNamedEdit("*", "first filter")),
      secondFilter_(MakeNamedEdit("", "second filter")),
      batchMode_(new QRadioButton(FromGbk("批量读属性"))),
      itemMode_(new QRadioButton(FromGbk("逐条读属性"))),
      batchLimit_(MakeNamedEdit("3000", "batch limit")),
      checkDuplicates_(new QCheckBox(FromGbk("添加点检查是否重复"))),
      status_(MakeNamedEdit("", "status")) {
  setWindowTitle(QStringLiteral("Add Tag"));
  tree_->setHeaderHidden(true);
  tree_->setObjectName(QStringLiteral("branches"));
  tree_->setAccessibleName(QStringLiteral("Branches"));
  status_->setReadOnly(true);
  batchMode_->setChecked(true);
  checkDuplicates_->setChecked(true);
  auto* modes = new QButtonGroup(this);
  modes->addButton(batchMode_);
  modes->addButton(itemMode_);
  selectedList_->setContextMenuPolicy(Qt::CustomContextMenu);

  auto* filterButton = new QPushButton(QStringLiteral("FILTER"));
  auto* add = new QPushButton(QStringLiteral("ADD1>>>"));
  filterButton->setObjectName(QStringLiteral("filter"));
  add->setObjectName(QStringLiteral("add"));
  auto* options = new QFormLayout;
  options->addRow(FromGbk("一次过滤"), firstFilter_);
  options->addRow(FromGbk("二次过滤："), secondFilter_);
  options->addRow(filterButton);
  options->addRow(batchMode_);
  options->addRow(itemMode_);
  options->addRow(FromGbk("单次添加最大个数"), batchLimit_);
  options->addRow(checkDuplicates_);
  options->addRow(add);
  auto* middle = new QWidget;
  middle->setLayout(options);
  middle->setMaximumWidth(210);

  auto* lists = new QHBoxLayout;
  lists->addWidget(tree_, 2);
  lists->addWidget(leafList_, 3);
  lists->addWidget(flatList_, 4);
  lists->addWidget(middle);
  lists->addWidget(selectedList_, 6);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addWidget(status_);
  layout->addWidget(buttons);
  resize(1240, 560);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(filterButton, &QPushButton::clicked, this, &AddTagDialog::ApplySecondFilter);
  connect(add, &QPushButton::clicked, this, &AddTagDialog::AddChosen);
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { ShowLeavesOf(current); });
  connect(tree_, &QTreeWidget::itemExpanded, this, &AddTagDialog::ExpandBranch);
  connect(selectedList_, &QTableView::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("delete tag")), &QAction::triggered, this,
            &AddTagDialog::DeleteSelectedTags);
    menu.exec(selectedList_->viewport()->mapToGlobal(at));
  });

  flatList_->hide();
  if (!browser_.CanBrowse()) {
    boxes_.Inform("Browsing not supported", kMakerTitle);
    return;
  }
  const std::optional<OPCNAMESPACETYPE> organisation = browser_.Organization();
  if (!organisation) return;
  if (*organisation == OPC_NS_HIERARCHIAL) {
    ShowTree();
  } else {
    ShowFlatList();
  }
}

void AddTagDialog::ShowTree() {
  auto* root = new QTreeWidgetItem(tree_, {QString::fromLatin1(kRootName)});
  AddBranches(root, browser_.Branches({}));
  root->setExpanded(true);
  tree_->setCurrentItem(root);
  SetStatus("成功获取OPC组织形式：树形结构");
}

void AddTagDialog::ShowFlatList() {
  hierarchical_ = false;
  tree_->hide();
  leafList_->hide();
  flatList_->show();
  flat_.SetIds(browser_.FlatIds());
  SetStatus("成功获取OPC组织形式：FLAT结构");
}

void AddTagDialog::AddBranches(QTreeWidgetItem* parent, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    auto* branch = new QTreeWidgetItem(parent, {FromGbk(name)});
    auto* placeholder = new QTreeWidgetItem(branch, {QString::fromLatin1(kPlaceholder)});
    placeholder->setData(0, kPlaceholderRole, true);
  }
}

std::vector<std::string> AddTagDialog::PathOf(const QTreeWidgetItem* node) const {
  std::vector<std::string> path;
  for (; node != nullptr && node->parent() != nullptr; node = node->parent()) {
    path.push_back(ToGbk(node->text(0)));
  }
  std::reverse(path.begin(), path.end());
  return path;
}

void AddTagDialog::ExpandBranch(QTreeWidgetItem* node) {
  if (node->childCount() != 1 || !IsPlaceholder(node->child(0))) return;
  if (!browser_.CanBrowse()) {
    SetStatus("OPC 需要重新创建连接...");
    return;
  }
  delete node->takeChild(0);
  AddBranches(node, browser_.Branches(PathOf(node)));
}

void AddTagDialog::ShowLeavesOf(QTreeWidgetItem* node) {
  if (node == nullptr || IsPlaceholder(node)) return;
  if (!browser_.CanBrowse()) {
    SetStatus("OPC 需要重新创建连接...");
    return;
  }
  auto kept = keptLeaves_.find(node);
  if (kept == keptLeaves_.end()) {
    kept =
        keptLeaves_.emplace(node, browser_.Leaves(PathOf(node), ToGbk(firstFilter_->text()))).first;
  }
  leaves_.SetIds(kept->second);
  SetStatus("数据显示OK..");
}

void AddTagDialog::ApplySecondFilter() { ShownIds().KeepContaining(ToGbk(secondFilter_->text())); }

std::vector<std::string> AddTagDialog::ChosenIds() const {
  const QTableView& list = hierarchical_ ? *leafList_ : *flatList_;
  const IdListModel& model = hierarchical_ ? leaves_ : flat_;
  QModelIndexList rows = list.selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<std::string> ids;
  ids.reserve(static_cast<std::size_t>(rows.size()));
  for (const QModelIndex& row : rows)
    ids.push_back(model.Ids()[static_cast<std::size_t>(row.row())]);
  return ids;
}

void AddTagDialog::AddChosen() {
  const bool batchMode = batchMode_->isChecked();
  if (batchMode && !browser_.HasItemManagement()) {
    boxes_.Inform("itemMgt is not ready", kMakerTitle);
    return;
  }
  const std::vector<std::string> ids = ChosenIds();
  TagBatch::Resolver resolve;
  if (batchMode) {
    resolve = [this](const std::vector<std::string>& batch) {
      std::vector<std::optional<ItemAttributes>> attributes(batch.size());
      if (const auto all = browser_.ValidateBatch(batch)) {
        std::copy(all->begin(), all->end(), attributes.begin());
      }
      return attributes;
    };
  } else {
    resolve = [this](const std::vector<std::string>& batch) {
      std::vector<std::optional<ItemAttributes>> attributes;
      for (const std::string& id : batch) attributes.push_back(browser_.ReadProperties(id));
      return attributes;
    };
  }
  TagBatch batch(selected_, checkDuplicates_->isChecked(), ParseDecimal(ToGbk(batchLimit_->text())),
                 std::move(resolve));
  std::size_t done = 0;
  const bool finished = RunInChunks(this, QStringLiteral("Adding tags..."), ids.size(), [&] {
    const std::size_t end = std::min(ids.size(), done + kAddChunk);
    for (; done < end; ++done) batch.Add(ids[done]);
    return done;
  });
  if (finished) batch.Finish();
  selectedModel_.Rebuild();
  browser_.ReturnToTop();
}

void AddTagDialog::DeleteSelectedTags() {
  std::vector<bool> chosen(selected_.size(), false);
  for (const QModelIndex& row : selectedList_->selectionModel()->selectedRows()) {
    chosen[static_cast<std::size_t>(row.row())] = true;
  }
  std::size_t index = 0;
  std::erase_if(selected_, [&](const TagCandidate&) { return chosen[index++]; });
  selectedModel_.Rebuild();
}

void AddTagDialog::SetStatus(const char* text) { status_->setText(FromGbk(text)); }

}  // namespace tavrel
