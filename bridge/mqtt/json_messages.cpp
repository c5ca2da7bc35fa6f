#include "bridge/mqtt/json_messages.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <type_traits>
#include <variant>

#include "common/code_page.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

using json = nlohmann::ordered_json;

// An element of an array by the type it arrived in.
json ElementValue(const TypedValue& element) {
  return std::visit(
      [](const auto& held) -> json {
        using Held = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<Held, double>) {
          return std::isfinite(held) ? json(held) : json(nullptr);
        } else if constexpr (std::is_arithmetic_v<Held>) {
          return held;
        } else if constexpr (std::is_same_v<Held, TypedDate>) {
          return TypedDateText(held);
        } else if constexpr (std::is_same_v<Held, std::string>) {
          return AnsiToUtf8(held);
        } else {
          return nullptr;  // none, or an array, which no element is
        }
      },
      element.value);
}

json ArrayValue(const TypedValue& typed) {
  const auto* elements = std::get_if<TypedArray>(&typed.value);
  if (elements == nullptr) return nullptr;
  json array = json::array();
  for (const TypedValue& element : *elements) array.push_back(ElementValue(element));
  return array;
}

json ScalarValue(const ProjectTag& tag, const TagLiveValue& value, const TypedValue& typed) {
  // 64-bit integers lose digits in the real of the value's class; the typed value has them all.
  if (tag.vt == VT_I8 || tag.vt == VT_UI8) {
    if (std::holds_alternative<std::int64_t>(typed.value) ||
        std::holds_alternative<std::uint64_t>(typed.value)) {
      return ElementValue(typed);
    }
  }
  switch (value.valueClass) {
    case ApiValueType::kReal:
      return std::isfinite(value.realValue) ? json(value.realValue) : json(nullptr);
    case ApiValueType::kInteger:
      return value.integerValue;
    case ApiValueType::kBoolean:
      return value.integerValue != 0;
    case ApiValueType::kText:
      break;
  }
  return AnsiToUtf8(LiveValueText(value));
}

json TimeOf(const TagLiveValue& value) {
  if (value.seconds == 0) return nullptr;
  const std::time_t seconds = value.seconds;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(value.milliseconds));
  return text;
}

}  // namespace

std::string JsonValueMessage(const ProjectTag& tag, const TagLiveValue& value,
                             const TypedValue& typed) {
  json message = json::object();
  message["v"] = (tag.vt & VT_ARRAY) != 0 ? ArrayValue(typed) : ScalarValue(tag, value, typed);
  message["q"] = value.badFlag == 0 ? "good" : "bad";
  message["t"] = TimeOf(value);
  message["h"] = value.handle;
  return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string JsonWriteResultMessage(const std::string& path, TagHandle handle,
                                   const WriteResult& result) {
  json message = json::object();
  message["tag"] = path;
  message["h"] = handle;
  message["result"] = result.code;
  message["error"] = AnsiToUtf8(result.message);
  return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace tavrel
