// The computer's name, and how node names given to remote activation are compared with it.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/windows_types.h"

namespace tavrel {

inline constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;

// The NetBIOS-style name: the host name up to its first dot, in capitals, at most 15
// characters. With `*size` characters of room (NUL included) too few, fails with
// ERROR_BUFFER_OVERFLOW and sets `*size` to the room needed; otherwise sets `*size` to the
// length without the NUL.
BOOL GetComputerNameA(LPSTR buffer, LPDWORD size);

// Our own helpers.
// A node name in the form used for lookups: leading backslashes removed, ASCII letters in
// lower case, and every name of this computer ("", ".", "localhost", "127.0.0.1", "::1", the
// host name and the computer name, in any case) as "".
std::string CanonicalNodeName(std::string_view node);
inline bool IsThisComputer(std::string_view node) { return CanonicalNodeName(node).empty(); }

}  // namespace tavrel
