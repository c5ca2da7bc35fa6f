#include "maker/online/tag_batch.h"

namespace tavrel {

TagBatch::TagBatch(std::vector<TagCandidate>& selected, bool checkDuplicates, int limit,
                   Resolver resolve)
    : selected_(selected),
      checkDuplicates_(checkDuplicates),
      limit_(static_cast<std::size_t>(limit < 1 ? kDefaultBatchLimit : limit)),
      resolve_(std::move(resolve)) {
  if (checkDuplicates_) {
    for (const TagCandidate& tag : selected_) selectedIds_.insert(tag.id);
  }
}

void TagBatch::Add(const std::string& id) {
  if (checkDuplicates_ && selectedIds_.contains(id)) return;
  batch_.push_back(id);
  if (batch_.size() > limit_) Resolve();
}

void TagBatch::Finish() {
  if (!batch_.empty()) Resolve();
}

void TagBatch::Resolve() {
  const std::vector<std::optional<ItemAttributes>> attributes = resolve_(batch_);
  for (std::size_t i = 0; i < batch_.size() && i < attributes.size(); ++i) {
    if (!attributes[i]) continue;
    TagCandidate& tag = selected_.emplace_back();
    tag.id = batch_[i];
    tag.vt = attributes[i]->vt;
    tag.dir = attributes[i]->dir;
    if (checkDuplicates_) selectedIds_.insert(tag.id);
  }
  batch_.clear();
}

}  // namespace tavrel
