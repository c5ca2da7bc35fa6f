#include "common/plain_file_name.h"

#include "common/gbk_characters.h"

namespace tavrel {

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.size() > kMaxFileNameLength || name == "." || name == "..") {
    return false;
  }
  // "/" and NUL are never trail bytes; "\" is one of many characters, so only a "\" that is a
  // character of its own separates.
  while (!name.empty()) {
    const size_t length = GbkCharacterLength(name);
    if (length == 1 && (name[0] == '/' || name[0] == '\\' || name[0] == '\0')) return false;
    name.remove_prefix(length);
  }
  return true;
}

}  // namespace tavrel
