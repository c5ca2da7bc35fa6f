// The computer's names: GetComputerNameA and GetComputerNameExA.
#pragma once

#include "platform/com/linux/last_error.h"
#include "platform/com/linux/windows_types.h"

namespace tavrel {

inline constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;

// The NetBIOS-style name: the host name up to its first dot, in capitals, at most 15
// characters. With `*size` characters of room (NUL included) too few, fails with
// ERROR_BUFFER_OVERFLOW and sets `*size` to the room needed; otherwise sets `*size` to the
// length without the NUL.
BOOL GetComputerNameA(LPSTR buffer, LPDWORD size);

enum COMPUTER_NAME_FORMAT {
  ComputerNameNetBIOS = 0,
  ComputerNameDnsHostname = 1,
  ComputerNameDnsDomain = 2,
  ComputerNameDnsFullyQualified = 3,
};

// ComputerNameDnsFullyQualified gives the host name as the system knows it; every other format
// gives GetComputerNameA's name. Too little room fails with ERROR_MORE_DATA.
BOOL GetComputerNameExA(COMPUTER_NAME_FORMAT format, LPSTR buffer, LPDWORD size);

}  // namespace tavrel
