#include "common/markup_element_index.h"

#include <algorithm>

namespace tavrel {

namespace {

constexpr size_t kFirstRoomDivisor = 64;
constexpr size_t kFirstRoomExtra = 8;

}  // namespace

MarkupElementIndex::MarkupElementIndex() { Reset(0); }

void MarkupElementIndex::Reset(size_t textLength) {
  size_ = 0;
  Reserve(textLength / kFirstRoomDivisor + kFirstRoomExtra);
  Add();
}

uint32_t MarkupElementIndex::Add() {
  if (size_ == capacity_) Reserve(capacity_ + capacity_ / 2);
  const uint32_t index = size_++;
  (*this)[index] = MarkupElement{};
  return index;
}

void MarkupElementIndex::Reserve(size_t capacity) {
  // Indices are 32 bits: the index can never hold more records than that.
  capacity = std::min<size_t>(capacity, UINT32_MAX);
  while (capacity_ < capacity) {
    const size_t segment = capacity_ / kSegmentSize;
    const size_t segmentStart = segment * kSegmentSize;
    const size_t allocated = capacity_ - segmentStart;  // > 0 for a partial last segment
    const size_t wanted = std::min<size_t>(kSegmentSize, capacity - segmentStart);
    auto records = std::make_unique_for_overwrite<MarkupElement[]>(wanted);
    if (allocated > 0) {
      const size_t used = size_ > segmentStart ? size_ - segmentStart : 0;
      std::copy_n(segments_[segment].get(), used, records.get());
      segments_[segment] = std::move(records);
    } else {
      segments_.push_back(std::move(records));
    }
    capacity_ = segment * kSegmentSize + wanted;
  }
}

}  // namespace tavrel
