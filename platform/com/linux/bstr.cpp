#include "platform/com/linux/bstr.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/com/allocation_counts.h"

namespace tavrel {

namespace {

std::atomic<std::size_t> stringsInUse{0};

using LengthPrefix = std::uint32_t;

// The allocation behind a BSTR starts at its length prefix.
char* BlockOf(BSTR string) { return reinterpret_cast<char*>(string) - sizeof(LengthPrefix); }

// Allocates a block for `byteLength` bytes of characters plus a wide NUL; returns the BSTR.
BSTR AllocateBytes(const void* source, std::size_t byteLength) {
  if (byteLength > std::numeric_limits<LengthPrefix>::max() - sizeof(WCHAR)) return nullptr;
  char* block = static_cast<char*>(std::malloc(sizeof(LengthPrefix) + byteLength + sizeof(WCHAR)));
  if (block == nullptr) return nullptr;
  const auto prefix = static_cast<LengthPrefix>(byteLength);
  std::memcpy(block, &prefix, sizeof prefix);
  char* characters = block + sizeof prefix;
  // A string allocated without source text is zero-filled rather than left uninitialised.
  if (source != nullptr && byteLength > 0) {
    std::memcpy(characters, source, byteLength);
  } else {
    std::memset(characters, 0, byteLength);
  }
  std::memset(characters + byteLength, 0, sizeof(WCHAR));
  stringsInUse.fetch_add(1, std::memory_order_relaxed);
  return reinterpret_cast<BSTR>(characters);
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<WCHAR>::length(text)));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  return AllocateBytes(text, static_cast<std::size_t>(length) * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length) { return AllocateBytes(bytes, length); }

INT SysReAllocString(BSTR* string, const OLECHAR* text) {
  if (string == nullptr) return FALSE;
  const UINT length =
      text == nullptr ? 0 : static_cast<UINT>(std::char_traits<WCHAR>::length(text));
  return SysReAllocStringLen(string, text, length);
}

INT SysReAllocStringLen(BSTR* string, const OLECHAR* text, UINT length) {
  if (string == nullptr) return FALSE;
  // The new text may lie inside the old string, so it is copied before the old one is freed.
  BSTR replacement = SysAllocStringLen(text, length);
  if (replacement == nullptr) return FALSE;
  SysFreeString(*string);
  *string = replacement;
  return TRUE;
}

void SysFreeString(BSTR string) {
  if (string == nullptr) return;
  stringsInUse.fetch_sub(1, std::memory_order_relaxed);
  std::free(BlockOf(string));
}

UINT SysStringByteLen(BSTR string) {
  if (string == nullptr) return 0;
  LengthPrefix prefix = 0;
  std::memcpy(&prefix, BlockOf(string), sizeof prefix);
  return prefix;
}

UINT SysStringLen(BSTR string) { return SysStringByteLen(string) / sizeof(OLECHAR); }

std::size_t BstrsInUse() { return stringsInUse.load(std::memory_order_relaxed); }

}  // namespace tavrel
