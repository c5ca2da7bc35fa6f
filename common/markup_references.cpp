#include "common/markup_references.h"

#include <cstdint>
#include <optional>

#include "common/code_page.h"
#include "common/markup_entities.h"
#include "common/wide_string.h"

namespace tavrel {

namespace {

constexpr size_t kFullMaxBodyLength = 9;           // between "&" and ";"
constexpr size_t kBridgeMaxNumericBodyLength = 7;  // between "&#" and ";"
constexpr size_t kBridgeMaxBodyLength = 1 + kBridgeMaxNumericBodyLength;
constexpr char32_t kLastCodePoint = 0x10FFFF;

int DigitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The number written with `digits` in `base`; nothing when it is empty, holds another
// character or lies beyond the last code point.
std::optional<char32_t> ParseCodePoint(std::string_view digits, int base) {
  if (digits.empty()) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    if (value > kLastCodePoint) return std::nullopt;
  }
  return value;
}

// The character `codePoint` in the system code page, through UTF-16.
std::optional<std::string> ToSystemCodePage(char32_t codePoint) {
  if (codePoint == 0 || codePoint > kLastCodePoint ||
      (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return std::nullopt;
  }
  WideString wide;
  if (codePoint >= 0x10000) {
    const char32_t offset = codePoint - 0x10000;
    wide += static_cast<WCHAR>(0xD800 + (offset >> 10));
    wide += static_cast<WCHAR>(0xDC00 + (offset & 0x3FF));
  } else {
    wide += static_cast<WCHAR>(codePoint);
  }
  std::string text;
  bool lossy = false;
  if (!Utf16ToCodePage(kSystemCodePage, wide, text, &lossy) || lossy || text.empty()) {
    return std::nullopt;
  }
  return text;
}

std::optional<char32_t> FullCodePoint(std::string_view body) {
  if (!body.empty() && body[0] == '#') {
    if (body.size() > 1 && (body[1] == 'x' || body[1] == 'X')) {
      return ParseCodePoint(body.substr(2), 16);
    }
    return ParseCodePoint(body.substr(1), 10);
  }
  return LookupHtmlEntity(body);
}

std::optional<char32_t> BridgeCodePoint(std::string_view body) {
  if (body == "lt") return U'<';
  if (body == "amp") return U'&';
  if (body == "gt") return U'>';
  if (body == "apos") return U'\'';
  if (body == "quot") return U'"';
  if (body.empty() || body[0] != '#') return std::nullopt;
  const std::string_view number = body.substr(1);
  if (number.size() > kBridgeMaxNumericBodyLength) return std::nullopt;
  if (!number.empty() && number[0] == 'x') return ParseCodePoint(number.substr(1), 16);
  return ParseCodePoint(number, 10);
}

}  // namespace

std::string ResolveMarkupReferences(std::string_view value, MarkupBuild build) {
  const size_t maxBodyLength =
      build == MarkupBuild::kFull ? kFullMaxBodyLength : kBridgeMaxBodyLength;
  std::string resolved;
  resolved.reserve(value.size());
  size_t at = 0;
  for (size_t amp = value.find('&'); amp != std::string_view::npos; amp = value.find('&', at)) {
    resolved.append(value, at, amp - at);
    at = amp + 1;
    const size_t semicolon = value.substr(at, maxBodyLength + 1).find(';');
    if (semicolon == std::string_view::npos) {
      resolved += '&';
      continue;
    }
    const std::string_view body = value.substr(at, semicolon);
    const std::optional<char32_t> codePoint =
        build == MarkupBuild::kFull ? FullCodePoint(body) : BridgeCodePoint(body);
    const std::optional<std::string> text = codePoint ? ToSystemCodePage(*codePoint) : std::nullopt;
    if (!text) {
      resolved += '&';
      continue;
    }
    resolved += *text;
    at += semicolon + 1;
  }
  resolved.append(value, at);
  return resolved;
}

}  // namespace tavrel
