#include "wire/push_record.h"

#include <bit>

#include "wire/little_endian.h"

namespace tavrel {

namespace {

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
      length += 4 + std::size_t{LoadLittleEndian<std::uint32_t>(bytes.data() + kFixedLength)};
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

// Reads the record at `bytes`, whose length PushRecordLength found, into `record` (a fresh
// one: it is filled where it stays, as a copy of the whole would wait for the field stores).
void DecodePushRecord(const char* bytes, PushRecord& record) {
  record.handle = static_cast<std::int32_t>(LoadLittleEndian<std::uint32_t>(bytes));
  record.seconds = LoadLittleEndian<std::uint32_t>(bytes + 4);
  record.milliseconds = LoadLittleEndian<std::uint16_t>(bytes + 8);
  record.valueClass = static_cast<std::uint8_t>(bytes[10]);
  record.updateCount = LoadLittleEndian<std::uint32_t>(bytes + 11);
  record.bad = bytes[15] != 0;
  const char* const value = bytes + kFixedLength;
  switch (record.valueClass) {
    case 1:
      record.real = std::bit_cast<double>(LoadLittleEndian<std::uint64_t>(value));
      break;
    case 2:
      record.integer = static_cast<std::int32_t>(LoadLittleEndian<std::uint32_t>(value));
      break;
    case 3:
      record.integer = static_cast<std::uint8_t>(value[0]);
      break;
    default:
      record.text = std::string_view(value + 4, LoadLittleEndian<std::uint32_t>(value));
      break;
  }
}

}  // namespace

bool ReadPushRecords(std::string_view bytes, std::vector<PushRecord>& records) {
  while (!bytes.empty()) {
    const std::size_t length = PushRecordLength(bytes);
    if (length == 0) return false;
    DecodePushRecord(bytes.data(), records.emplace_back());
    bytes.remove_prefix(length);
  }
  return true;
}

}  // namespace tavrel
