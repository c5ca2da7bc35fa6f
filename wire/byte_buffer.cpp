#include "wire/byte_buffer.h"

#include <algorithm>
#include <cstring>

namespace tavrel {

ByteBuffer::ByteBuffer(size_t capacity)
    : storage_(std::make_unique_for_overwrite<uint8_t[]>(capacity)), capacity_(capacity) {}

uint8_t* ByteBuffer::At(ptrdiff_t offset) {
  return storage_.get() + (offset < 0 ? static_cast<ptrdiff_t>(length_) + offset : offset);
}

const uint8_t* ByteBuffer::At(ptrdiff_t offset) const {
  return storage_.get() + (offset < 0 ? static_cast<ptrdiff_t>(length_) + offset : offset);
}

void ByteBuffer::Reserve(size_t n) {
  const size_t needed = length_ + n;
  if (needed <= capacity_) return;
  const size_t capacity = needed >= 2 * capacity_ ? 4 * needed : 2 * capacity_;
  auto storage = std::make_unique_for_overwrite<uint8_t[]>(capacity);
  if (length_ > 0) std::memcpy(storage.get(), storage_.get(), length_);
  storage_ = std::move(storage);
  capacity_ = capacity;
}

void ByteBuffer::Append(const void* data, size_t n) {
  if (n == 0) return;
  Reserve(n);
  std::memcpy(storage_.get() + length_, data, n);
  length_ += n;
}

void ByteBuffer::RemoveFront(size_t n) {
  if (n >= length_) {
    length_ = 0;
    return;
  }
  std::memmove(storage_.get(), storage_.get() + n, length_ - n);
  length_ -= n;
}

void ByteBuffer::SetLength(size_t length) { length_ = std::min(length, capacity_); }

}  // namespace tavrel
