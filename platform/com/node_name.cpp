#include "platform/com/node_name.h"

#include <algorithm>

#include "platform/com/com_api.h"

namespace tavrel {

namespace {

std::string ToLower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lower;
}

// This computer's name in `format`, in lower case; "" when it cannot be read.
std::string LowerComputerName(COMPUTER_NAME_FORMAT format) {
  char buffer[256] = {};
  DWORD size = sizeof buffer;
  if (!GetComputerNameExA(format, buffer, &size)) return std::string();
  return ToLower(std::string_view(buffer, size));
}

}  // namespace

std::string CanonicalNodeName(std::string_view node) {
  while (!node.empty() && node.front() == '\\') node.remove_prefix(1);
  const std::string lower = ToLower(node);
  if (lower.empty() || lower == "." || lower == "localhost" || lower == "127.0.0.1" ||
      lower == "::1" || lower == LowerComputerName(ComputerNameDnsFullyQualified) ||
      lower == LowerComputerName(ComputerNameNetBIOS)) {
    return std::string();
  }
  return lower;
}

}  // namespace tavrel
