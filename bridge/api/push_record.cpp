#include "bridge/api/push_record.h"

#include <bit>

namespace {

template <typename T>
void AppendLittleEndian(CBigBuffer& buffer, T value) {
  std::uint8_t bytes[sizeof(T)];
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
  }
  buffer.Append(bytes, sizeof bytes);
}

}  // namespace

bool AppendPushRecord(CBigBuffer& buffer, const PushRecord& record) {
  if (record.valueClass < 1 || record.valueClass > 4) return false;
  AppendLittleEndian(buffer, static_cast<std::uint32_t>(record.handle));
  AppendLittleEndian(buffer, record.seconds);
  AppendLittleEndian(buffer, record.milliseconds);
  AppendLittleEndian(buffer, static_cast<std::uint8_t>(record.valueClass));
  AppendLittleEndian(buffer, record.updateCount);
  AppendLittleEndian(buffer, static_cast<std::uint8_t>(record.bad ? 1 : 0));
  switch (record.valueClass) {
    case 1:
      AppendLittleEndian(buffer, std::bit_cast<std::uint64_t>(record.real));
      break;
    case 2:
      AppendLittleEndian(buffer, static_cast<std::uint32_t>(record.integer));
      break;
    case 3:
      AppendLittleEndian(buffer, static_cast<std::uint8_t>(record.integer != 0 ? 1 : 0));
      break;
    default:
      AppendLittleEndian(buffer, static_cast<std::uint32_t>(record.text.size()));
      buffer.Append(record.text.data(), record.text.size());
      break;
  }
  return true;
}
