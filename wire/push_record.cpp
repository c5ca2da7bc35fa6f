#include "wire/push_record.h"

#include <bit>

namespace tavrel {

namespace {

// Stores `value` little-endian at `bytes`; returns the byte after it.
template <typename T>
std::uint8_t* StoreLittleEndian(std::uint8_t* bytes, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
  }
  return bytes + sizeof(T);
}

// The bytes of a record before its value, and the most a value takes but a text's bytes.
constexpr std::size_t kFixedLength = 16;
constexpr std::size_t kLongestValue = 8;

}  // namespace

// The record is laid out in a local array and appended at once: a push is appended for every
// value update, and an append per field cost more than the layout itself.
bool AppendPushRecord(ByteBuffer& buffer, const PushRecord& record) {
  if (record.valueClass < 1 || record.valueClass > 4) return false;
  std::uint8_t bytes[kFixedLength + kLongestValue];
  std::uint8_t* end = StoreLittleEndian(bytes, static_cast<std::uint32_t>(record.handle));
  end = StoreLittleEndian(end, record.seconds);
  end = StoreLittleEndian(end, record.milliseconds);
  end = StoreLittleEndian(end, static_cast<std::uint8_t>(record.valueClass));
  end = StoreLittleEndian(end, record.updateCount);
  end = StoreLittleEndian(end, static_cast<std::uint8_t>(record.bad ? 1 : 0));
  switch (record.valueClass) {
    case 1:
      end = StoreLittleEndian(end, std::bit_cast<std::uint64_t>(record.real));
      break;
    case 2:
      end = StoreLittleEndian(end, static_cast<std::uint32_t>(record.integer));
      break;
    case 3:
      end = StoreLittleEndian(end, static_cast<std::uint8_t>(record.integer != 0 ? 1 : 0));
      break;
    default:
      end = StoreLittleEndian(end, static_cast<std::uint32_t>(record.text.size()));
      break;
  }
  buffer.Append(bytes, static_cast<std::size_t>(end - bytes));
  if (record.valueClass == 4) buffer.Append(record.text.data(), record.text.size());
  return true;
}

namespace {

// The length of the record at the front of `bytes`, or 0 when they hold no whole record.
std::size_t PushRecordLength(std::string_view bytes) {
  if (bytes.size() < kFixedLength) return 0;
  std::size_t length = kFixedLength;
  switch (static_cast<std::uint8_t>(bytes[10])) {
    case 1:
      length += 8;
      break;
    case 2:
      length += 4;
      break;
    case 3:
      length += 1;
      break;
    case 4: {
      if (bytes.size() < kFixedLength + 4) return 0;
      std::size_t textLength = 0;
      for (std::size_t i = 0; i < 4; ++i) {
        textLength |= std::size_t{static_cast<std::uint8_t>(bytes[kFixedLength + i])} << (8 * i);
      }
      length += 4 + textLength;
      break;
    }
    default:
      return 0;
  }
  return length <= bytes.size() ? length : 0;
}

}  // namespace

PushRecordRun PushRecordsPrefix(std::string_view bytes, std::size_t limit) {
  PushRecordRun run;
  while (run.bytes < bytes.size()) {
    const std::size_t next = PushRecordLength(bytes.substr(run.bytes));
    if (next == 0 || (run.bytes > 0 && run.bytes + next > limit)) break;
    run.bytes += next;
    ++run.records;
  }
  return run;
}

namespace {

// Reads little-endian integers from the front of a byte view.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  bool Has(std::size_t n) const { return bytes_.size() >= n; }
  template <typename T>
  T Read() {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
      value |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(bytes_[i])) << (8 * i);
    }
    bytes_.remove_prefix(sizeof(T));
    return static_cast<T>(value);
  }
  std::string_view Take(std::size_t n) {
    const std::string_view taken = bytes_.substr(0, n);
    bytes_.remove_prefix(n);
    return taken;
  }
  bool Empty() const { return bytes_.empty(); }

 private:
  std::string_view bytes_;
};

}  // namespace

bool ReadPushRecords(std::string_view bytes, std::vector<PushRecord>& records) {
  ByteReader reader(bytes);
  while (!reader.Empty()) {
    if (!reader.Has(16)) return false;
    PushRecord record;
    record.handle = static_cast<std::int32_t>(reader.Read<std::uint32_t>());
    record.seconds = reader.Read<std::uint32_t>();
    record.milliseconds = reader.Read<std::uint16_t>();
    record.valueClass = reader.Read<std::uint8_t>();
    record.updateCount = reader.Read<std::uint32_t>();
    record.bad = reader.Read<std::uint8_t>() != 0;
    switch (record.valueClass) {
      case 1:
        if (!reader.Has(8)) return false;
        record.real = std::bit_cast<double>(reader.Read<std::uint64_t>());
        break;
      case 2:
        if (!reader.Has(4)) return false;
        record.integer = static_cast<std::int32_t>(reader.Read<std::uint32_t>());
        break;
      case 3:
        if (!reader.Has(1)) return false;
        record.integer = reader.Read<std::uint8_t>();
        break;
      case 4: {
        if (!reader.Has(4)) return false;
        const auto length = reader.Read<std::uint32_t>();
        if (!reader.Has(length)) return false;
        record.text = reader.Take(length);
        break;
      }
      default:
        return false;
    }
    records.push_back(record);
  }
  return true;
}

}  // namespace tavrel
