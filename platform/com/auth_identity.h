// The identity (user, domain, password) a client presents to a remote node, and how a server
// compares it with the identity it demands. read_auth_identity.h reads it from the
// COAUTHIDENTITY that carries it.
#pragma once

#include "common/wide_string.h"

namespace tavrel {

// An identity held as UTF-16 strings.
struct AuthIdentity {
  WideString user;
  WideString domain;
  WideString password;
};

// True when `offered` satisfies `demanded`: the same user and password, and the same domain
// unless `demanded` names none. User and domain are compared without regard to ASCII case.
bool IdentityMatches(const AuthIdentity& demanded, const AuthIdentity& offered);

}  // namespace tavrel
