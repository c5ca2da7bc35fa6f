// Fuzz target: any bytes as the body of a push frame (raw, or compressed when the first byte is
// odd), through the client's decoding into records and the lines `watch --json` prints. Every
// record read must encode back to bytes that read as the same record, and every JSON line must
// parse, with the handle and the value of the record in the form its class gives. The sender's
// split of a payload into frames must end on a record boundary.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "tools/watch_values.h"
#include "wire/api_frame.h"
#include "wire/byte_buffer.h"
#include "wire/frame_codec.h"
#include "wire/push_record.h"

namespace tavrel {

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// What a record says once written and read again: a boolean byte other than 0 reads as true.
bool SameRecord(const PushRecord& read, const PushRecord& reread) {
  const bool sameValue = read.valueClass == 1 ? std::bit_cast<std::uint64_t>(read.real) ==
                                                    std::bit_cast<std::uint64_t>(reread.real)
                         : read.valueClass == 3 ? (read.integer != 0) == (reread.integer != 0)
                         : read.valueClass == 4 ? read.text == reread.text
                                                : read.integer == reread.integer;
  return sameValue && read.handle == reread.handle && read.seconds == reread.seconds &&
         read.milliseconds == reread.milliseconds && read.valueClass == reread.valueClass &&
         read.updateCount == reread.updateCount && read.bad == reread.bad;
}

void CheckJsonLine(const PushRecord& record) {
  const WatchValue value = PushWatchValue(record, "S1G1温度", WatchForm::kNumber);
  const nlohmann::json line = nlohmann::json::parse(WatchLine(value, true, false));
  Check(line.at("handle") == record.handle);
  Check(line.at("quality") == (record.bad ? "bad" : "good"));
  const nlohmann::json& json = line.at("value");
  switch (record.valueClass) {
    case 1:
      Check(std::isfinite(record.real) ? json == record.real : json.is_null());
      break;
    case 3:
      Check(json == (record.integer != 0));
      break;
    case 4:
      Check(json.is_string());
      break;
    default:
      Check(json == record.integer);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int mode = (data[0] & 1) != 0 ? kBodyCompressed : kBodyRaw;
  std::string payload;
  if (!DecodeFrameBody(mode, {reinterpret_cast<const char*>(data) + 1, size - 1}, payload)) {
    return 0;
  }
  std::vector<PushRecord> records;
  const bool whole = ReadPushRecords(payload, records);

  ByteBuffer written;
  for (const PushRecord& record : records) {
    Check(AppendPushRecord(written, record));
    CheckJsonLine(record);
  }
  const std::string_view bytes(reinterpret_cast<const char*>(written.At(0)), written.Length());
  Check(bytes.size() <= payload.size() && (!whole || bytes.size() == payload.size()));
  std::vector<PushRecord> reread;
  Check(ReadPushRecords(bytes, reread) && reread.size() == records.size());
  for (size_t i = 0; i < records.size(); ++i) Check(SameRecord(records[i], reread[i]));

  // The sender's split into frames: every prefix is a run of whole records that reads alone.
  const std::size_t limit = size % 64;
  const PushRecordRun run = PushRecordsPrefix(payload, limit);
  std::vector<PushRecord> runRecords;
  Check(run.bytes <= payload.size() && ReadPushRecords(payload.substr(0, run.bytes), runRecords));
  Check(runRecords.size() == run.records && run.records <= records.size() &&
        (run.bytes == 0) == records.empty());
  return 0;
}

}  // namespace tavrel
