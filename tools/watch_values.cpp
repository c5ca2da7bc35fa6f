#include "tools/watch_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "common/code_page.h"
#include "common/decimal_text.h"
#include "common/log_time.h"

namespace tavrel {

namespace {

constexpr int kVtDate = 7;
constexpr int kVtText = 8;
constexpr int kVtBoolean = 11;
constexpr int kVtArray = 0x2000;
constexpr int kVtTextArray = kVtArray | kVtText;

constexpr int kRealClass = 1;
constexpr int kBooleanClass = 3;
constexpr int kTextClass = 4;

// A JSON number for `text` when all of it is one, else null (also for NaN and infinities).
nlohmann::ordered_json NumberOfText(std::string_view text) {
  const char* const end = text.data() + text.size();
  std::int64_t integer = 0;
  if (const auto read = std::from_chars(text.data(), end, integer);
      read.ec == std::errc() && read.ptr == end) {
    return integer;
  }
  double real = 0;
  if (const auto read = std::from_chars(text.data(), end, real);
      read.ec == std::errc() && read.ptr == end && std::isfinite(real)) {
    return real;
  }
  return nullptr;
}

}  // namespace

WatchForm WatchFormOfVarType(int vt) {
  if (vt == kVtDate || vt == kVtText || vt == kVtTextArray) return WatchForm::kText;
  if (vt == kVtBoolean) return WatchForm::kBoolean;
  if ((vt & kVtArray) != 0) return WatchForm::kNone;
  return WatchForm::kNumber;
}

WatchValue SnapshotWatchValue(std::int32_t handle, std::string key, std::string_view valueText,
                              WatchForm form, bool bad, std::int64_t seconds, int milliseconds) {
  WatchValue value;
  value.handle = handle;
  value.key = std::move(key);
  value.text = valueText;
  value.isText = form == WatchForm::kText;
  if (form == WatchForm::kNumber) value.number = NumberOfText(valueText);
  if (form == WatchForm::kBoolean) value.number = ParseDecimal(valueText) != 0;
  value.bad = bad;
  value.time = FormatTagTime(seconds, milliseconds);
  return value;
}

WatchValue PushWatchValue(const PushRecord& record, std::string key, WatchForm form) {
  WatchValue value;
  value.handle = record.handle;
  value.key = std::move(key);
  if (record.valueClass == kRealClass) {
    char text[512];
    std::snprintf(text, sizeof text, "%f", record.real);
    value.text = text;
    if (std::isfinite(record.real) && form != WatchForm::kNone) value.number = record.real;
  } else if (record.valueClass == kTextClass) {
    value.text = record.text;
    value.isText = true;
  } else if (record.valueClass == kBooleanClass) {
    value.text = std::to_string(record.integer);
    value.number = record.integer != 0;
  } else {
    value.text = std::to_string(record.integer);
    value.number = record.integer;
  }
  value.bad = record.bad;
  value.time = FormatTagTime(record.seconds, record.milliseconds);
  return value;
}

std::string WatchLine(const WatchValue& value, bool json, bool raw) {
  const char* const quality = value.bad ? "bad" : "good";
  if (!json) {
    const auto terminal = [raw](const std::string& gbk) { return raw ? gbk : AnsiToUtf8(gbk); };
    return std::to_string(value.handle) + "\t" + terminal(value.key) + "\t" + terminal(value.text) +
           "\t" + quality + "\t" + value.time + "\n";
  }
  nlohmann::ordered_json line;
  line["handle"] = value.handle;
  line["key"] = AnsiToUtf8(value.key);
  if (value.isText) {
    line["value"] = AnsiToUtf8(value.text);
  } else {
    line["value"] = value.number;
  }
  line["quality"] = quality;
  line["time"] = value.time;
  return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool WatchChanges::Changed(const WatchValue& value) {
  // The value as JSON has it: a number's text differs between a snapshot ("1.500000") and a
  // push ("1.5").
  std::pair<std::string, bool> shown(value.isText ? value.text : value.number.dump(), value.bad);
  const auto [entry, added] = shown_.try_emplace(value.handle, shown);
  if (added) return true;
  if (entry->second == shown) return false;
  entry->second = std::move(shown);
  return true;
}

}  // namespace tavrel
