#include "bridge/opc/opc_item.h"

void Item::Store(const VARIANT& newValue, WORD newQuality, const FILETIME& newTimeStamp) {
  std::lock_guard lock(mutex_);
  VariantCopy(&value, &newValue);
  quality = newQuality;
  timeStamp = newTimeStamp;
}

void Item::StoreAndPublish(const VARIANT& newValue, WORD newQuality, const FILETIME& newTimeStamp,
                           ValuePushSink* push) {
  std::lock_guard lock(mutex_);
  VariantCopy(&value, &newValue);
  quality = newQuality;
  timeStamp = newTimeStamp;
  tag.liveValue.ApplyValue(value, quality, timeStamp, push);
}

Item* ItemTable::Reader::Find(OPCHANDLE clientHandle) const {
  if (table_.closed_ || clientHandle < table_.firstHandle_) return nullptr;
  const std::size_t index = clientHandle - table_.firstHandle_;
  return index < table_.records_.size() ? table_.records_[index].get() : nullptr;
}

OPCHANDLE ItemTable::Add(std::string itemId, CProjectTag& tag) {
  auto record = std::make_unique<Item>(std::move(itemId), tag);
  std::lock_guard lock(mutex_);
  records_.push_back(std::move(record));
  ++live_;
  return firstHandle_ + static_cast<OPCHANDLE>(records_.size() - 1);
}

void ItemTable::Erase(OPCHANDLE clientHandle) {
  std::unique_ptr<Item> erased;
  {
    std::lock_guard lock(mutex_);
    if (clientHandle < firstHandle_) return;
    const std::size_t index = clientHandle - firstHandle_;
    if (index >= records_.size() || !records_[index]) return;
    erased = std::move(records_[index]);
    --live_;
  }
}

std::vector<OPCHANDLE> ItemTable::ServerHandles() const {
  std::shared_lock lock(mutex_);
  std::vector<OPCHANDLE> handles;
  handles.reserve(live_);
  for (const auto& record : records_) {
    if (record) handles.push_back(record->serverHandle);
  }
  return handles;
}

void ItemTable::Clear() {
  std::vector<std::unique_ptr<Item>> deleted;
  {
    std::lock_guard lock(mutex_);
    firstHandle_ += static_cast<OPCHANDLE>(records_.size());
    deleted.swap(records_);
    live_ = 0;
  }
}

std::size_t ItemTable::Size() const {
  std::shared_lock lock(mutex_);
  return live_;
}

void ItemTable::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  Clear();
}
