// COAUTHIDENTITY, also known as SEC_WINNT_AUTH_IDENTITY: the identity (user, domain,
// password) a client presents to a remote node, in COSERVERINFO for remote activation and in
// CoSetProxyBlanket for the calls that follow. Its strings are UTF-16 under
// SEC_WINNT_AUTH_IDENTITY_UNICODE and system code page bytes under
// SEC_WINNT_AUTH_IDENTITY_ANSI; lengths are in characters, without a NUL.
#pragma once

#include "platform/com/linux/windows_types.h"

namespace tavrel {

inline constexpr ULONG SEC_WINNT_AUTH_IDENTITY_ANSI = 0x1;
inline constexpr ULONG SEC_WINNT_AUTH_IDENTITY_UNICODE = 0x2;

struct COAUTHIDENTITY {
  USHORT* User;
  ULONG UserLength;
  USHORT* Domain;
  ULONG DomainLength;
  USHORT* Password;
  ULONG PasswordLength;
  ULONG Flags;
};
using SEC_WINNT_AUTH_IDENTITY = COAUTHIDENTITY;
using SEC_WINNT_AUTH_IDENTITY_W = COAUTHIDENTITY;
using RPC_AUTH_IDENTITY_HANDLE = void*;

}  // namespace tavrel
