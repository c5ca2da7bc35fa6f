#include "desktop/server_config_check.h"

namespace tavrel {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

bool IsNameCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
         c == '_';
}

}  // namespace

std::string TrimText(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

bool IsServerNameText(std::string_view name) {
  for (char c : name) {
    if (!IsNameCharacter(c)) return false;
  }
  return true;
}

std::optional<std::string> CheckServerFields(const std::string& name, const std::string& node,
                                             const std::string& sid,
                                             const ServerNameLookups& lookups) {
  if (name.empty()) return "name cannot be empty!";
  if (!IsServerNameText(name)) return "valid range:0-9,a-z,A-Z";
  if (lookups.nameTaken && lookups.nameTaken(name)) return "name exsit!";
  if (sid.empty()) return "Server ID cannot be empty!";
  if (lookups.sourceTaken && lookups.sourceTaken(node, sid)) return "source has defined!";
  return std::nullopt;
}

}  // namespace tavrel
