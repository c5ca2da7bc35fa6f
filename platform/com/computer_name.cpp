#include "platform/com/computer_name.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/com/last_error.h"

namespace tavrel {

namespace {

std::string HostName() {
  char buffer[HOST_NAME_MAX + 1] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0) return std::string();
  return buffer;
}

std::string ToLower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lower;
}

std::string ComputerName() {
  std::string name = HostName();
  name = name.substr(0, name.find('.')).substr(0, MAX_COMPUTERNAME_LENGTH);
  std::transform(name.begin(), name.end(), name.begin(), [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
  return name;
}

}  // namespace

BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) {
  if (size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string name = ComputerName();
  if (buffer == nullptr || *size < name.size() + 1) {
    *size = static_cast<DWORD>(name.size() + 1);
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *size = static_cast<DWORD>(name.size());
  return TRUE;
}

std::string CanonicalNodeName(std::string_view node) {
  while (!node.empty() && node.front() == '\\') node.remove_prefix(1);
  const std::string lower = ToLower(node);
  if (lower.empty() || lower == "." || lower == "localhost" || lower == "127.0.0.1" ||
      lower == "::1" || lower == ToLower(HostName()) || lower == ToLower(ComputerName())) {
    return std::string();
  }
  return lower;
}

}  // namespace tavrel
