// ByteBuffer: the growable byte buffer of every API receive and send buffer.
//
// A new buffer has room for 10240 bytes. Appending beyond the capacity grows the storage
// first: to 4 x (length + n) when length + n reaches twice the capacity, else to twice the
// capacity. Removing bytes from the front moves the rest down; the storage shrinks only when
// its owner releases it.
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
  size_t FreeSpace() const { return capacity_ - length_; }

  // The byte at `offset` from the front; a negative offset counts back from the end.
  uint8_t* At(ptrdiff_t offset);
  const uint8_t* At(ptrdiff_t offset) const;
  // Just past the last byte: where bytes received straight into the free space go.
  uint8_t* End() { return storage_.get() + length_; }

  void Append(const void* data, size_t n);
  // Makes room for at least `n` more bytes by the growth rule above.
  void Reserve(size_t n);
  // Removes the first `n` bytes; more than the length empties the buffer.
  void RemoveFront(size_t n);
  // Sets the length after bytes were written into the free space; at most the capacity.
  void SetLength(size_t length);
  // Length 0, storage kept.
  void Clear() { length_ = 0; }
  // Length 0; storage beyond `keptCapacity` is given back (what a burst grew the buffer to),
  // and the next append allocates afresh by the growth rule.
  void ClearKeeping(size_t keptCapacity) {
    length_ = 0;
    if (capacity_ <= keptCapacity) return;
    storage_.reset();
    capacity_ = 0;
  }
  // Exchanges contents and storage with `other`, in constant time.
  void Swap(ByteBuffer& other) noexcept {
    storage_.swap(other.storage_);
    std::swap(capacity_, other.capacity_);
    std::swap(length_, other.length_);
  }

 private:
  std::unique_ptr<uint8_t[]> storage_;
  size_t capacity_;
  size_t length_ = 0;
};

}  // namespace tavrel
