#include "bridge/opc/opc_item.h"

namespace tavrel {

const Item* ItemTable::Reader::Find(OPCHANDLE clientHandle) const {
  if (table_.closed_ || clientHandle < table_.firstHandle_) return nullptr;
  const std::size_t index = clientHandle - table_.firstHandle_;
  if (index >= table_.records_.size()) return nullptr;
  const Item& item = table_.records_[index];
  return item.tag != nullptr ? &item : nullptr;
}

void ItemTable::Reserve(std::size_t count) {
  WriterLock lock(mutex_);
  records_.reserve(records_.size() + count);
}

OPCHANDLE ItemTable::Add(ProjectTag& tag) {
  WriterLock lock(mutex_);
  records_.push_back(Item{&tag});
  ++live_;
  return firstHandle_ + static_cast<OPCHANDLE>(records_.size() - 1);
}

void ItemTable::Erase(OPCHANDLE clientHandle) {
  WriterLock lock(mutex_);
  if (clientHandle < firstHandle_) return;
  const std::size_t index = clientHandle - firstHandle_;
  if (index >= records_.size() || records_[index].tag == nullptr) return;
  records_[index].tag = nullptr;
  --live_;
}

void ItemTable::Clear() {
  WriterLock lock(mutex_);
  firstHandle_ += static_cast<OPCHANDLE>(records_.size());
  records_.clear();  // the capacity serves the next registration
  live_ = 0;
}

std::size_t ItemTable::Size() const {
  ReaderLock lock(mutex_);
  return live_;
}

void ItemTable::Close() {
  {
    WriterLock lock(mutex_);
    closed_ = true;
  }
  Clear();
}

}  // namespace tavrel
