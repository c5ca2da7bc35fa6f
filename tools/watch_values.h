// The values `watch` prints: one line per value, tab-separated or as a JSON object.
//
// A line carries the tag's handle, its key (server, group and item id; "status" for a
// server's status tag), the value, the quality ("good" or "bad") and the local time stamp.
// In JSON, texts are strings, booleans true or false, numbers are numbers, and a real that is
// not a finite number (NaN, an infinity) is null. JSON lines are UTF-8 whatever the terminal form:
// the key and text values are converted from GBK, and a byte that is not valid is replaced.
#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>

#include "wire/push_record.h"

namespace tavrel {

struct WatchValue {
  std::int32_t handle = 0;
  std::string key;                // GBK
  std::string text;               // GBK, the value as the tab-separated form prints it
  bool isText = false;            // JSON: `text` as a string, else `number`
  nlohmann::ordered_json number;  // a JSON number or boolean, or null for a real that is none
  bool bad = false;
  std::string time;  // FormatTagTime
};

// How JSON shows the values of a tag, by the VARTYPE the tag requests (the configuration's `t`):
//   kText     dates (7), texts (8) and arrays of texts (8200), which the bridge reports as texts
//             (value class 4)
//   kBoolean  booleans (11), true or false
//   kNone     any other array: the API carries no elements of it (it sends the real 0), so
//             JSON shows null rather than a number the tag does not hold
//   kNumber   every other VARTYPE
enum class WatchForm { kNumber, kText, kBoolean, kNone };
WatchForm WatchFormOfVarType(int vt);

// A value of the snapshot document, whose `v` is text for every class: a number's text is
// read as an integer or a real, and one that is neither ("nan", "inf") becomes null; a
// boolean's is true when it is a non-zero integer.
WatchValue SnapshotWatchValue(std::int32_t handle, std::string key, std::string_view valueText,
                              WatchForm form, bool bad, std::int64_t seconds, int milliseconds);

// A value of a push record, whose class says its form (class 3 a boolean); `form` only tells
// an array's real, which is none.
WatchValue PushWatchValue(const PushRecord& record, std::string key, WatchForm form);

// For `watch --changes`: remembers the value and quality each tag was last shown with.
class WatchChanges {
 public:
  // True when `value` shows its tag for the first time, or with another value or quality
  // than the last time; it is then remembered. The time stamp does not count: a server that
  // delivers the same value again gives a push with a new time and nothing new to see.
  bool Changed(const WatchValue& value);

 private:
  std::map<std::int32_t, std::pair<std::string, bool>> shown_;
};

// The line (with its newline) for `value`: JSON when `json`, else tab-separated with texts
// in GBK when `raw` and UTF-8 otherwise.
std::string WatchLine(const WatchValue& value, bool json, bool raw);

}  // namespace tavrel
