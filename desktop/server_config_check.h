// The checks the server configuration dialog makes on OK, in their order, and the texts of
// their failures.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// Look-ups over the other servers of the project (the one being edited excluded).
struct ServerNameLookups {
  std::function<bool(const std::string& name)> nameTaken;
  std::function<bool(const std::string& node, const std::string& sid)> sourceTaken;
};

// `text` without blanks, tabs and line breaks at either end.
std::string TrimText(std::string_view text);

// True when every character of `name` is one of 0-9, A-Z, a-z, "-" and "_".
bool IsServerNameText(std::string_view name);

// The first failing check's message, or none. `name` is already trimmed:
//   empty name "name cannot be empty!"; other characters "valid range:0-9,a-z,A-Z";
//   a name another server has "name exsit!"; empty sid "Server ID cannot be empty!";
//   another server with the same node and sid "source has defined!".
std::optional<std::string> CheckServerFields(const std::string& name, const std::string& node,
                                             const std::string& sid,
                                             const ServerNameLookups& lookups);

}  // namespace tavrel
