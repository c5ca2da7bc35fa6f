// LatestValues: the values applied since the publisher last took them, at most one per tag,
// each with its typed form; and, for the publisher's thread, the latest value it took of every
// tag (what a new connection or a birth publishes).
//
// The bridge's push path puts every applied value here (any thread, with the tag's slot lock
// held, so Put only copies under a short lock of its own and never waits for the broker). The
// publisher thread takes everything at once. A tag that changes again before the publisher
// comes keeps only its latest value: a slow or absent broker costs intermediate values, never
// memory beyond one value per tag, and never the latest state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "bridge/core/tag_live_value.h"
#include "bridge/core/typed_value.h"
#include "common/mutex.h"

namespace tavrel {

struct LatestValue {
  TagLiveValue value;
  TypedValue typed;
};

class LatestValues {
 public:
  // Tags of handles 0 .. initial.size()-1 are kept, `initial` giving each one's value before
  // any is put (its handle and class; values the tags already had); other handles are ignored.
  // `becameNonEmpty` is called (on the putting thread, under the lock) when a value arrives and
  // none was waiting, to wake the publisher; it must not block.
  LatestValues(const std::vector<TagLiveValue>& initial, std::function<void()> becameNonEmpty);

  LatestValues(const LatestValues&) = delete;
  LatestValues& operator=(const LatestValues&) = delete;

  // Any thread.
  void Put(const TagLiveValue& value, const TypedValue& typed);
  // Replaces `out` with the waiting values, in the order their tags first changed since the
  // last take, and empties the map. Only one thread takes (the publisher's).
  void TakeAll(std::vector<LatestValue>& out);
  // The latest value of tag `handle` (0 .. count-1) that TakeAll handed out, or its initial
  // value; the taking thread only.
  const LatestValue& Current(std::int32_t handle) const {
    return current_[static_cast<std::size_t>(handle)];
  }

 private:
  struct Place {
    std::uint32_t generation = 0;  // the take it belongs to; stale when not the current one
    std::uint32_t index = 0;       // its value in waiting_
  };

  const std::function<void()> becameNonEmpty_;
  Mutex mutex_;
  std::vector<Place> places_ GUARDED_BY(mutex_);  // by handle
  std::vector<LatestValue> waiting_ GUARDED_BY(mutex_);
  std::uint32_t generation_ GUARDED_BY(mutex_) = 1;
  std::vector<LatestValue> current_;  // by handle; the taking thread's
};

}  // namespace tavrel
