// LatestValues: the values applied since the publisher last took them, at most one per tag.
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
#include <mutex>
#include <vector>

#include "bridge/core/tag_live_value.h"

class LatestValues {
 public:
  // Tags of handles 0 .. tagCount-1 are kept; other handles are ignored. `becameNonEmpty` is
  // called (on the putting thread, under the lock) when a value arrives and none was waiting,
  // to wake the publisher; it must not block.
  LatestValues(std::size_t tagCount, std::function<void()> becameNonEmpty);

  LatestValues(const LatestValues&) = delete;
  LatestValues& operator=(const LatestValues&) = delete;

  void Put(const TagLiveValue& value);
  // Replaces `out` with the waiting values, in the order their tags first changed since the
  // last take, and empties the map.
  void TakeAll(std::vector<TagLiveValue>& out);

 private:
  struct Place {
    std::uint32_t generation = 0;  // the take it belongs to; stale when not the current one
    std::uint32_t index = 0;       // its value in waiting_
  };

  const std::function<void()> becameNonEmpty_;
  std::mutex mutex_;
  std::vector<Place> places_;  // by handle
  std::vector<TagLiveValue> waiting_;
  std::uint32_t generation_ = 1;
};
