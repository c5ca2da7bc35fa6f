// How node names given to remote activation are compared with this computer's names.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

// A node name in the form used for lookups: leading backslashes removed, ASCII letters in
// lower case, and every name of this computer ("", ".", "localhost", "127.0.0.1", "::1", the
// host name and the computer name, in any case) as "".
std::string CanonicalNodeName(std::string_view node);
inline bool IsThisComputer(std::string_view node) { return CanonicalNodeName(node).empty(); }

}  // namespace tavrel
