#include "opcclient/remote_identity.h"

#include <strings.h>

#include "common/code_page.h"
#include "platform/com/auth_identity.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

bool SameText(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

}  // namespace

bool IsRemoteNode(const std::string& node) {
  if (node.empty() || SameText(node, "127.0.0.1") || SameText(node, "localhost")) return false;
  char name[16] = "";
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) return true;
  return !SameText(node, name);
}

AuthIdentity IdentityFromText(const std::string& user, const std::string& domain,
                              const std::string& password) {
  return {AnsiToWide(user), AnsiToWide(domain), AnsiToWide(password)};
}

ExplicitIdentity::ExplicitIdentity(AuthIdentity identity) : text_(std::move(identity)) {
  const auto chars = [](WideString& text) { return reinterpret_cast<USHORT*>(text.data()); };
  identity_ = {chars(text_.user),
               static_cast<ULONG>(text_.user.size()),
               chars(text_.domain),
               static_cast<ULONG>(text_.domain.size()),
               chars(text_.password),
               static_cast<ULONG>(text_.password.size()),
               SEC_WINNT_AUTH_IDENTITY_UNICODE};
}

}  // namespace tavrel
