// The little-endian integers of the API's frames and push records, stored and loaded whole.
//
// Whole copies rather than bytes shifted in or out one by one: a push record is stored and read
// for every value update, and the compilers do not make a loop of shifts one store or load.
// Big-endian hosts reorder the bytes.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace tavrel {

// Stores `value` little-endian at `bytes`; returns the byte after it.
template <typename T>
std::uint8_t* StoreLittleEndian(std::uint8_t* bytes, T value) {
  auto ordered = std::bit_cast<std::array<std::uint8_t, sizeof(T)>>(value);
  if constexpr (std::endian::native == std::endian::big) {
    std::reverse(ordered.begin(), ordered.end());
  }
  std::memcpy(bytes, ordered.data(), ordered.size());
  return bytes + sizeof(T);
}

// The little-endian integer of type `T` at `bytes`.
template <typename T>
T LoadLittleEndian(const void* bytes) {
  std::array<std::uint8_t, sizeof(T)> ordered;
  std::memcpy(ordered.data(), bytes, ordered.size());
  if constexpr (std::endian::native == std::endian::big) {
    std::reverse(ordered.begin(), ordered.end());
  }
  return std::bit_cast<T>(ordered);
}

}  // namespace tavrel
