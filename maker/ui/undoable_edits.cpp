#include "maker/ui/undoable_edits.h"

#include <unordered_map>

namespace tavrel {

void MadeEdit::redo() {
  if (made_) Redo();
  made_ = true;
}

TagsEdit::TagsEdit(const QString& text, GroupNode& group, std::function<void()> changed)
    : MadeEdit(text), group_(group), changed_(std::move(changed)) {
  before_.reserve(group.tags.size());
  fieldsBefore_.reserve(group.tags.size());
  for (const auto& tag : group.tags) {
    before_.push_back(tag.get());
    fieldsBefore_.push_back(FieldsOf(*tag));
  }
}

TagsEdit::~TagsEdit() = default;

TagsEdit::TagFields TagsEdit::FieldsOf(const TagNode& tag) {
  return {tag.name, tag.desc, tag.vt, tag.dir};
}

void TagsEdit::SetFields(TagNode& tag, const TagFields& fields) {
  tag.name = fields.name;
  tag.desc = fields.desc;
  tag.vt = fields.vt;
  tag.dir = fields.dir;
}

void TagsEdit::Remove(const std::unordered_set<const TagNode*>& tags) {
  std::vector<std::unique_ptr<TagNode>> kept;
  kept.reserve(group_.tags.size());
  for (auto& tag : group_.tags) {
    (tags.contains(tag.get()) ? outside_ : kept).push_back(std::move(tag));
  }
  group_.tags = std::move(kept);
}

void TagsEdit::RemoveAll() {
  for (auto& tag : group_.tags) outside_.push_back(std::move(tag));
  group_.tags.clear();
}

void TagsEdit::Finish() {
  after_.reserve(group_.tags.size());
  for (const auto& tag : group_.tags) after_.push_back(tag.get());
  for (std::size_t i = 0; i < before_.size(); ++i) {
    const TagFields& was = fieldsBefore_[i];
    const TagFields now = FieldsOf(*before_[i]);
    if (now.name != was.name || now.desc != was.desc || now.vt != was.vt || now.dir != was.dir) {
      fieldChanges_.push_back({before_[i], was, now});
    }
  }
  fieldsBefore_ = {};
  if (after_ == before_) {  // fields only: nothing to arrange
    before_ = {};
    after_ = {};
  }
}

void TagsEdit::Arrange(const std::vector<TagNode*>& order) {
  std::unordered_map<TagNode*, std::unique_ptr<TagNode>> owned;
  owned.reserve(group_.tags.size() + outside_.size());
  for (auto& tag : group_.tags) owned.emplace(tag.get(), std::move(tag));
  for (auto& tag : outside_) owned.emplace(tag.get(), std::move(tag));
  group_.tags.clear();
  outside_.clear();
  group_.tags.reserve(order.size());
  for (TagNode* tag : order) group_.tags.push_back(std::move(owned.at(tag)));
  for (auto& [address, tag] : owned) {
    if (tag) outside_.push_back(std::move(tag));
  }
}

void TagsEdit::undo() {
  if (!before_.empty() || !after_.empty()) Arrange(before_);
  for (const FieldChange& change : fieldChanges_) SetFields(*change.tag, change.before);
  changed_();
}

void TagsEdit::Redo() {
  if (!before_.empty() || !after_.empty()) Arrange(after_);
  for (const FieldChange& change : fieldChanges_) SetFields(*change.tag, change.after);
  changed_();
}

}  // namespace tavrel
