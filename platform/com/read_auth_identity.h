// The identity a COAUTHIDENTITY carries, as UTF-16 strings.
#pragma once

#include "platform/com/auth_identity.h"
#include "platform/com/com_api.h"

namespace tavrel {

// Reads `identity`; false for a null identity or unknown flags.
bool ReadAuthIdentity(const COAUTHIDENTITY* identity, AuthIdentity* result);

}  // namespace tavrel
