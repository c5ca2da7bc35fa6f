#include <string_view>

#include "common/code_page.h"
#include "platform/com/com_api.h"
#include "platform/com/read_auth_identity.h"

namespace tavrel {

namespace {

WideString ReadField(const USHORT* text, ULONG length, bool unicode) {
  if (text == nullptr || length == 0) return WideString();
  if (unicode) return WideString(reinterpret_cast<const WCHAR*>(text), length);
  return AnsiToWide(std::string_view(reinterpret_cast<const char*>(text), length));
}

bool EqualsIgnoringAsciiCase(WideStringView a, WideStringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](WCHAR c) { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

bool ReadAuthIdentity(const COAUTHIDENTITY* identity, AuthIdentity* result) {
  if (identity == nullptr) return false;
  if (identity->Flags != SEC_WINNT_AUTH_IDENTITY_ANSI &&
      identity->Flags != SEC_WINNT_AUTH_IDENTITY_UNICODE) {
    return false;
  }
  const bool unicode = identity->Flags == SEC_WINNT_AUTH_IDENTITY_UNICODE;
  result->user = ReadField(identity->User, identity->UserLength, unicode);
  result->domain = ReadField(identity->Domain, identity->DomainLength, unicode);
  result->password = ReadField(identity->Password, identity->PasswordLength, unicode);
  return true;
}

bool IdentityMatches(const AuthIdentity& demanded, const AuthIdentity& offered) {
  return EqualsIgnoringAsciiCase(demanded.user, offered.user) &&
         demanded.password == offered.password &&
         (demanded.domain.empty() || EqualsIgnoringAsciiCase(demanded.domain, offered.domain));
}

}  // namespace tavrel
