// ComEnumerator: the implementation behind every IEnumXxx interface of this runtime.
//
// An enumerator walks a snapshot of items taken when it was made; clones share the snapshot
// and start at the clone's position. Next hands each item out as a copy the caller owns, by
// the rules of the interface, which `Policy` states:
//
//   struct Policy {
//     using Element = ...;  // what Next writes (LPOLESTR, GUID, CONNECTDATA, ...)
//     using Stored = ...;   // what the snapshot keeps
//     static bool CopyOut(const Stored& item, Element* out);  // false when out of memory
//     static void Free(Element* element);                     // undoes CopyOut
//   };
//
// Next returns S_OK when it delivered `count` items and S_FALSE when it ran out first; the
// number delivered goes to `*fetched`, which may be null only when `count` is 1.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "common/mutex.h"
#include "platform/com/com_object.h"

namespace tavrel {

// EnumeratorCursor: what every enumerator shares: a snapshot of items taken when it was made,
// a position guarded by a lock, and Skip, Reset and Clone. Clones share the snapshot and start
// at the clone's position. `Derived` is the concrete enumerator, constructible from a snapshot
// and a position, which adds Next; `kNullClone` is what Clone answers for a null pointer.
template <typename IEnum, typename Derived, typename Stored, HRESULT kNullClone = E_POINTER>
class EnumeratorCursor : public ComObject<IEnum> {
 public:
  using Items = std::vector<Stored>;

  STDMETHODIMP Skip(ULONG count) override {
    MutexLock lock(mutex_);
    const size_t skipped = std::min<size_t>(count, items_->size() - position_);
    position_ += skipped;
    return skipped == count ? S_OK : S_FALSE;
  }

  STDMETHODIMP Reset() override {
    MutexLock lock(mutex_);
    position_ = 0;
    return S_OK;
  }

  STDMETHODIMP Clone(IEnum** clone) override {
    if (clone == nullptr) return kNullClone;
    MutexLock lock(mutex_);
    *clone = MakeComObject<Derived>(items_, position_).Detach();
    return S_OK;
  }

 protected:
  EnumeratorCursor(std::shared_ptr<const Items> items, size_t position)
      : items_(std::move(items)), position_(position) {}

  const std::shared_ptr<const Items> items_;
  Mutex mutex_;
  size_t position_ GUARDED_BY(mutex_);
};

template <typename IEnum, typename Policy>
class ComEnumerator final
    : public EnumeratorCursor<IEnum, ComEnumerator<IEnum, Policy>, typename Policy::Stored> {
  using Cursor = EnumeratorCursor<IEnum, ComEnumerator<IEnum, Policy>, typename Policy::Stored>;
  using Cursor::items_;
  using Cursor::mutex_;
  using Cursor::position_;

 public:
  using Element = typename Policy::Element;
  using Items = typename Cursor::Items;

  explicit ComEnumerator(std::shared_ptr<const Items> items, size_t position = 0)
      : Cursor(std::move(items), position) {}

  STDMETHODIMP Next(ULONG count, Element* elements, ULONG* fetched) override {
    if (fetched != nullptr) *fetched = 0;
    if (count > 0 && elements == nullptr) return E_POINTER;
    if (count > 1 && fetched == nullptr) return E_POINTER;
    MutexLock lock(mutex_);
    ULONG delivered = 0;
    while (delivered < count && position_ < items_->size()) {
      if (!Policy::CopyOut((*items_)[position_], &elements[delivered])) {
        for (ULONG i = 0; i < delivered; ++i) Policy::Free(&elements[i]);
        position_ -= delivered;
        return E_OUTOFMEMORY;
      }
      ++delivered;
      ++position_;
    }
    if (fetched != nullptr) *fetched = delivered;
    return delivered == count ? S_OK : S_FALSE;
  }
};

// Makes an enumerator over `items`, handed out through interface `IEnum`.
template <typename IEnum, typename Policy>
ComPtr<IEnum> MakeEnumerator(std::vector<typename Policy::Stored> items) {
  return MakeComObject<ComEnumerator<IEnum, Policy>>(
      std::make_shared<const std::vector<typename Policy::Stored>>(std::move(items)));
}

}  // namespace tavrel
