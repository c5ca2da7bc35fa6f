// TagBatch: how "ADD1>>>" turns chosen item ids into selected tags.
//
// Ids are taken in order; with the duplicate check on, an id already among the selected tags
// is skipped. The ids are collected into a batch, which is resolved and emptied as soon as it
// holds more ids than the limit (so with the limit 3000 a batch of 3001), and once more at the
// end. The ids the resolver gives attributes for join the selected tags; the others are dropped
// without a word (the batch mode's resolver refuses a whole batch, "批量读属性"; the item mode's
// one id at a time, "逐条读属性").
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "maker/online/item_attributes.h"
#include "maker/project/tag_candidates.h"

namespace tavrel {

inline constexpr int kDefaultBatchLimit = 3000;

class TagBatch {
 public:
  // The attributes of each id of a batch, in order; nothing for an id to drop.
  using Resolver =
      std::function<std::vector<std::optional<ItemAttributes>>(const std::vector<std::string>&)>;

  // `limit` below 1 means kDefaultBatchLimit.
  TagBatch(std::vector<TagCandidate>& selected, bool checkDuplicates, int limit, Resolver resolve);

  void Add(const std::string& id);
  // Resolves what is left; call once after the last Add.
  void Finish();

 private:
  void Resolve();

  std::vector<TagCandidate>& selected_;
  bool checkDuplicates_;
  std::size_t limit_;
  Resolver resolve_;
  std::unordered_set<std::string> selectedIds_;
  std::vector<std::string> batch_;
};

}  // namespace tavrel
