#include "bridge/mqtt/latest_values.h"

#include <utility>

namespace tavrel {

LatestValues::LatestValues(const std::vector<TagLiveValue>& initial,
                           std::function<void()> becameNonEmpty)
    : becameNonEmpty_(std::move(becameNonEmpty)), places_(initial.size()) {
  current_.reserve(initial.size());
  for (const TagLiveValue& value : initial) current_.push_back({value, {}});
}

void LatestValues::Put(const TagLiveValue& value, const TypedValue& typed) {
  MutexLock lock(mutex_);
  if (value.handle < 0 || static_cast<std::size_t>(value.handle) >= places_.size()) return;
  Place& place = places_[static_cast<std::size_t>(value.handle)];
  if (place.generation == generation_) {
    LatestValue& waiting = waiting_[place.index];
    waiting.value = value;  // field by field, reusing the memory of the text and elements
    waiting.typed = typed;
    return;
  }
  place = {generation_, static_cast<std::uint32_t>(waiting_.size())};
  waiting_.push_back({value, typed});
  if (waiting_.size() == 1 && becameNonEmpty_) becameNonEmpty_();
}

void LatestValues::TakeAll(std::vector<LatestValue>& out) {
  out.clear();
  {
    MutexLock lock(mutex_);
    out.swap(waiting_);
    // Every place now names the previous take; the wrap after four billion takes would need a
    // handle untouched for exactly that long to alias, so clear them then.
    if (++generation_ == 0) {
      for (Place& place : places_) place = {};
      generation_ = 1;
    }
  }
  for (const LatestValue& taken : out)
    current_[static_cast<std::size_t>(taken.value.handle)] = taken;
}

}  // namespace tavrel
