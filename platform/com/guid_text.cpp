#include "platform/com/guid_text.h"

namespace tavrel {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Positions of the dashes in the registry form.
constexpr int kDashPositions[] = {9, 14, 19, 24};

template <typename Char>
int HexValue(Char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads `count` hexadecimal digits starting at `text[pos]`.
template <typename Char>
bool ReadHex(std::basic_string_view<Char> text, size_t pos, int count, unsigned long long* value) {
  unsigned long long result = 0;
  for (int i = 0; i < count; ++i) {
    const int digit = HexValue(text[pos + i]);
    if (digit < 0) return false;
    result = result << 4 | static_cast<unsigned>(digit);
  }
  *value = result;
  return true;
}

template <typename Char>
bool ParseRegistryForm(std::basic_string_view<Char> text, GUID* guid) {
  if (text.size() != kGuidStringLength || text.front() != '{' || text.back() != '}') return false;
  for (int dash : kDashPositions) {
    if (text[dash] != '-') return false;
  }
  GUID parsed{};
  unsigned long long value = 0;
  if (!ReadHex(text, 1, 8, &value)) return false;
  parsed.Data1 = static_cast<DWORD>(value);
  if (!ReadHex(text, 10, 4, &value)) return false;
  parsed.Data2 = static_cast<WORD>(value);
  if (!ReadHex(text, 15, 4, &value)) return false;
  parsed.Data3 = static_cast<WORD>(value);
  // Data4: two bytes before the fourth dash, six after it.
  constexpr int kData4Positions[] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text, kData4Positions[i], 2, &value)) return false;
    parsed.Data4[i] = static_cast<BYTE>(value);
  }
  *guid = parsed;
  return true;
}

void AppendHex(std::string& out, unsigned long long value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
    out.push_back(kHexDigits[(value >> shift) & 0xF]);
  }
}

}  // namespace

std::string GuidToString(const GUID& guid) {
  std::string text = "{";
  AppendHex(text, guid.Data1, 8);
  text.push_back('-');
  AppendHex(text, guid.Data2, 4);
  text.push_back('-');
  AppendHex(text, guid.Data3, 4);
  text.push_back('-');
  for (int i = 0; i < 8; ++i) {
    if (i == 2) text.push_back('-');
    AppendHex(text, guid.Data4[i], 2);
  }
  text.push_back('}');
  return text;
}

bool ParseGuid(std::string_view text, GUID* guid) { return ParseRegistryForm(text, guid); }

bool ParseGuid(WideStringView text, GUID* guid) { return ParseRegistryForm(text, guid); }

}  // namespace tavrel
