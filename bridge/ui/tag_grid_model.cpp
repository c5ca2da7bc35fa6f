#include "bridge/ui/tag_grid_model.h"

#include <algorithm>

#include "common/log_time.h"
#include "desktop/gbk_text.h"
#include "desktop/type_text.h"

namespace tavrel {

namespace {

QStringList Titles() {
  QStringList titles;
  for (const char* title : {"序号", "组名称", "TagId", "当前值", "质量戳", "最后更新时间", "类型",
                            "方向", "更新计数"}) {
    titles.push_back(FromGbk(title));
  }
  return titles;
}

}  // namespace

TagGridModel::TagGridModel(QObject* parent) : TitledTableModel(Titles(), parent) {}

void TagGridModel::ShowGroup(const ProjectGroup* group) {
  beginResetModel();
  group_ = group;
  shown_.assign(group ? group->tags.size() : 0, ShownValue{});
  endResetModel();
}

ProjectTag* TagGridModel::TagAt(int row) const {
  if (group_ == nullptr || row < 0 || static_cast<std::size_t>(row) >= group_->tags.size()) {
    return nullptr;
  }
  return group_->tags[row].get();
}

const TagLiveValue& TagGridModel::ValueAt(int row) const {
  ShownValue& shown = shown_[row];
  if (!shown.taken) {
    shown.value = group_->tags[row]->liveValue.Snapshot();
    shown.taken = true;
  }
  return shown.value;
}

int TagGridModel::RefreshRows(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, rowCount() - 1);
  int changed = 0;
  for (int row = first; row <= last; ++row) {
    ShownValue& shown = shown_[row];
    TagLiveValue now = group_->tags[row]->liveValue.Snapshot();
    // Every applied value counts, so an unchanged count is an unchanged value.
    if (shown.taken && now.updateCount == shown.value.updateCount) continue;
    shown.value = std::move(now);
    shown.taken = true;
    ++changed;
    emit dataChanged(index(row, kValueColumn), index(row, kCountColumn), {Qt::DisplayRole});
  }
  return changed;
}

int TagGridModel::RowCount() const { return static_cast<int>(shown_.size()); }

QVariant TagGridModel::Cell(int row, int column) const {
  const ProjectTag& tag = *group_->tags[row];
  switch (column) {
    case kRowColumn:
      return row + 1;
    case kGroupColumn:
      return FromGbk(group_->name);
    case kTagColumn:
      return FromGbk(tag.id);
    case kValueColumn:
      return FromGbk(ValueAt(row).textValue);
    case kQualityColumn: {
      const TagLiveValue& value = ValueAt(row);
      return FromGbk(QualityText(value.updateCount == 0 ? 1 : value.badFlag));
    }
    case kTimeColumn: {
      const TagLiveValue& value = ValueAt(row);
      if (value.updateCount == 0) return QString();
      return FromGbk(FormatTagTime(value.seconds, value.milliseconds));
    }
    case kTypeColumn:
      return FromGbk(DataTypeName(tag.vt));
    case kDirectionColumn:
      return FromGbk(AccessRightText(tag.dir));
    case kCountColumn:
      return QString::number(ValueAt(row).updateCount);
    default:
      return {};
  }
}

}  // namespace tavrel
