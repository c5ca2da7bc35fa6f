#include "bridge/mqtt/json_messages.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string_view>

#include "bridge/mqtt/text_array_elements.h"
#include "common/code_page.h"
#include "common/decimal_text.h"
#include "platform/com/variant.h"

namespace {

using json = nlohmann::ordered_json;

enum class Element { kSigned, kUnsigned, kReal, kBoolean, kText };

Element ElementOf(int vt) {
  switch (vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_INT:
      return Element::kSigned;
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_UINT:
      return Element::kUnsigned;
    case VT_R4:
    case VT_R8:
      return Element::kReal;
    case VT_BOOL:
      return Element::kBoolean;
    default:
      return Element::kText;
  }
}

// The whole of `text` as a JSON number; null when it is none, or not finite.
template <typename Number>
json NumberOfText(std::string_view text) {
  const std::optional<Number> number = WholeNumber<Number>(text);
  if (!number) return nullptr;
  if constexpr (std::is_floating_point_v<Number>) {
    if (!std::isfinite(*number)) return nullptr;
  }
  return *number;
}

json ElementOfText(Element element, std::string_view text) {
  switch (element) {
    case Element::kSigned:
      return NumberOfText<std::int64_t>(text);
    case Element::kUnsigned:
      return NumberOfText<std::uint64_t>(text);
    case Element::kReal:
      return NumberOfText<double>(text);
    case Element::kBoolean:
      return text == "1" ? json(true) : text == "0" ? json(false) : json(nullptr);
    case Element::kText:
      break;
  }
  return AnsiToUtf8(text);
}

json ArrayValue(Element element, std::string_view text, const TextElements& textElements) {
  json array = json::array();
  ForEachArrayElement(text, textElements, [&](std::string_view part) {
    array.push_back(ElementOfText(element, part));
  });
  return array;
}

json ScalarValue(const ProjectTag& tag, const TagLiveValue& value) {
  // 64-bit integers lose digits in the real the value keeps; their text has them all.
  if (tag.vt == VT_I8 || tag.vt == VT_UI8) {
    json exact = ElementOfText(ElementOf(tag.vt), value.textValue);
    if (!exact.is_null()) return exact;
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
  return AnsiToUtf8(value.textValue);
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
                             const TextElements& textElements) {
  json message = json::object();
  message["v"] = (tag.vt & VT_ARRAY) != 0
                     ? ArrayValue(ElementOf(tag.vt & ~VT_ARRAY), value.textValue, textElements)
                     : ScalarValue(tag, value);
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
