// PushRecord: one value update as API clients receive it in push frames (header type 4).
//
// Byte layout (little-endian, no padding):
//
//   offset 0   4 bytes  TagHandle, signed
//   offset 4   4 bytes  seconds of the value's time stamp
//   offset 8   2 bytes  milliseconds
//   offset 10  1 byte   value class (ApiValueType 1..4)
//   offset 11  4 bytes  update count
//   offset 15  1 byte   bad flag (0 good, 1 not good)
//   offset 16  v bytes  value: class 1 an 8-byte IEEE real; class 2 a 4-byte signed integer;
//                       class 3 one byte, 0 or 1; class 4 a 4-byte text length n, then n bytes
//                       of GBK text without a terminating zero
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "wire/byte_buffer.h"

namespace tavrel {

struct PushRecord {
  std::int32_t handle = 0;
  std::uint32_t seconds = 0;
  std::uint16_t milliseconds = 0;
  int valueClass = 0;  // 1 real, 2 integer, 3 boolean, 4 text
  std::uint32_t updateCount = 0;
  bool bad = false;
  double real = 0;             // class 1
  std::int32_t integer = 0;    // classes 2 and 3
  std::string_view text = {};  // class 4
};

// Appends the record's bytes; false (nothing appended) when the value class is not 1..4.
bool AppendPushRecord(ByteBuffer& buffer, const PushRecord& record);

// The longest run of whole records at the front of `bytes` (records as AppendPushRecord lays
// them out) that is at most `limit` bytes long, but at least the first record however long it
// is; bytes that do not form a whole record end the run.
struct PushRecordRun {
  std::size_t bytes = 0;
  std::size_t records = 0;
};
PushRecordRun PushRecordsPrefix(std::string_view bytes, std::size_t limit);

// Reads the records of a push frame's payload into `records` (texts point into `bytes`).
// False when the bytes end inside a record or name an unknown value class; the records read
// before that stay in `records`.
bool ReadPushRecords(std::string_view bytes, std::vector<PushRecord>& records);

}  // namespace tavrel
