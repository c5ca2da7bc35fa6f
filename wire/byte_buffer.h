// ByteBuffer: the growable byte buffer of every API receive and send buffer.
//
// A new buffer has room for 10240 bytes. Appending beyond the capacity grows the storage
// first: to 4 x (length + n) when length + n reaches twice the capacity, else to twice the
// capacity. Removing bytes from the front moves nothing: the bytes start further on in the
// storage. The room before them is taken back when an append reaches the end of the storage
// and the bytes fill at most half of it (they move down once, rather than at every removal:
// a receiver that takes frame after frame from a full buffer moved all the rest each time,
// the square of the bytes when it fell behind). The storage shrinks only when its owner
// releases it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace tavrel {

class ByteBuffer {
 public:
  static constexpr size_t kDefaultCapacity = 10240;

  explicit ByteBuffer(size_t capacity = kDefaultCapacity);
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  size_t Length() const { return length_; }
  size_t Capacity() const { return capacity_; }
  // The room after the bytes, where End() points.
  size_t FreeSpace() const { return capacity_ - start_ - length_; }

  // The byte at `offset` from the front; a negative offset counts back from the end.
  uint8_t* At(ptrdiff_t offset);
  const uint8_t* At(ptrdiff_t offset) const;
  // Just past the last byte: where bytes received straight into the free space go.
  uint8_t* End() { return storage_.get() + start_ + length_; }

  void Append(const void* data, size_t n);
  // Makes room for at least `n` more bytes after the bytes (FreeSpace), by the rules above.
  void Reserve(size_t n);
  // Removes the first `n` bytes; more than the length empties the buffer.
  void RemoveFront(size_t n);
  // Sets the length after bytes were written into the free space; at most what the storage
  // holds from the first byte on.
  void SetLength(size_t length);
  // Length 0, storage kept.
  void Clear() {
    start_ = 0;
    length_ = 0;
  }
  // Length 0; storage beyond `keptCapacity` is given back (what a burst grew the buffer to),
  // and the next append allocates afresh by the growth rule.
  void ClearKeeping(size_t keptCapacity) {
    Clear();
    if (capacity_ <= keptCapacity) return;
    storage_.reset();
    capacity_ = 0;
  }
  // Exchanges contents and storage with `other`, in constant time.
  void Swap(ByteBuffer& other) noexcept {
    storage_.swap(other.storage_);
    std::swap(capacity_, other.capacity_);
    std::swap(start_, other.start_);
    std::swap(length_, other.length_);
  }

 private:
  std::unique_ptr<uint8_t[]> storage_;
  size_t capacity_;
  size_t start_ = 0;  // where the first byte is in the storage
  size_t length_ = 0;
};

}  // namespace tavrel
