#include "wire/byte_buffer.h"

#include <algorithm>
#include <cstring>

namespace tavrel {

ByteBuffer::ByteBuffer(size_t capacity)
    : storage_(std::make_unique_for_overwrite<uint8_t[]>(capacity)), capacity_(capacity) {}

uint8_t* ByteBuffer::At(ptrdiff_t offset) {
  return storage_.get() + start_ + (offset < 0 ? static_cast<ptrdiff_t>(length_) + offset : offset);
}

const uint8_t* ByteBuffer::At(ptrdiff_t offset) const {
  return storage_.get() + start_ + (offset < 0 ? static_cast<ptrdiff_t>(length_) + offset : offset);
}

void ByteBuffer::Reserve(size_t n) {
  const size_t needed = length_ + n;
  if (start_ + needed <= capacity_) return;
  if (needed <= capacity_ && length_ <= capacity_ / 2) {
    // Moving the bytes down is paid for by the half of the storage they leave free.
    if (length_ > 0) std::memmove(storage_.get(), storage_.get() + start_, length_);
    start_ = 0;
    return;
  }
  const size_t capacity = needed >= 2 * capacity_ ? 4 * needed : 2 * capacity_;
  auto storage = std::make_unique_for_overwrite<uint8_t[]>(capacity);
  if (length_ > 0) std::memcpy(storage.get(), storage_.get() + start_, length_);
  storage_ = std::move(storage);
  capacity_ = capacity;
  start_ = 0;
}

void ByteBuffer::Append(const void* data, size_t n) {
  if (n == 0) return;
  Reserve(n);
  std::memcpy(End(), data, n);
  length_ += n;
}

void ByteBuffer::RemoveFront(size_t n) {
  if (n >= length_) {
    Clear();
    return;
  }
  start_ += n;
  length_ -= n;
}

void ByteBuffer::SetLength(size_t length) { length_ = std::min(length, capacity_ - start_); }

}  // namespace tavrel
