// The identity (user, domain, password) a client presents to a remote node.
//
// COAUTHIDENTITY, also known as SEC_WINNT_AUTH_IDENTITY, carries it in COSERVERINFO for
// remote activation and in CoSetProxyBlanket for the calls that follow. Its strings are
// UTF-16 under SEC_WINNT_AUTH_IDENTITY_UNICODE and system code page bytes under
// SEC_WINNT_AUTH_IDENTITY_ANSI; lengths are in characters, without a NUL.
#pragma once

#include "common/wide_string.h"
#include "platform/com/windows_types.h"

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

// Our own helpers.
// An identity held as UTF-16 strings.
struct AuthIdentity {
  WideString user;
  WideString domain;
  WideString password;
};

// Reads `identity`; false for a null identity or unknown flags.
bool ReadAuthIdentity(const COAUTHIDENTITY* identity, AuthIdentity* result);
// True when `offered` satisfies `demanded`: the same user and password, and the same domain
// unless `demanded` names none. User and domain are compared without regard to ASCII case.
bool IdentityMatches(const AuthIdentity& demanded, const AuthIdentity& offered);

}  // namespace tavrel
