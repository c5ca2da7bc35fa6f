// A connection attempt: where the server runs, its CLSID, activation, the shutdown advice,
// the registration of the groups and the settle time before polling.
#include <strings.h>

#include <cstdlib>

#include "bridge/opc/engine_text.h"
#include "bridge/opc/opc_connection.h"
#include "common/code_page.h"
#include "platform/com/activation.h"
#include "platform/com/client_security.h"
#include "platform/com/computer_name.h"
#include "platform/com/connection_point.h"
#include "platform/com/task_memory.h"

namespace {

bool SameText(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// True when `node` names another computer than this one.
bool IsRemoteNode(const std::string& node) {
  if (node.empty() || SameText(node, "127.0.0.1") || SameText(node, "localhost")) return false;
  char name[16] = "";
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) return true;
  return !SameText(node, name);
}

// The identity of `c2` (user), `c4` (domain), `c3` (password), as UTF-16 strings that stay
// alive as long as this object.
class ExplicitIdentity {
 public:
  ExplicitIdentity(const ProjectServer& server)
      : user_(AnsiToWide(server.c2)),
        domain_(AnsiToWide(server.c4)),
        password_(AnsiToWide(server.c3)) {
    identity_.User = Chars(user_);
    identity_.UserLength = static_cast<ULONG>(user_.size());
    identity_.Domain = Chars(domain_);
    identity_.DomainLength = static_cast<ULONG>(domain_.size());
    identity_.Password = Chars(password_);
    identity_.PasswordLength = static_cast<ULONG>(password_.size());
    identity_.Flags = SEC_WINNT_AUTH_IDENTITY_UNICODE;
  }
  COAUTHIDENTITY* Get() { return &identity_; }

 private:
  static USHORT* Chars(std::u16string& text) { return reinterpret_cast<USHORT*>(text.data()); }
  std::u16string user_, domain_, password_;
  COAUTHIDENTITY identity_{};
};

}  // namespace

// The CLSID by ProgID (the entry's clsid text then follows it), else from the clsid text.
CLSID OpcConnection::ResolveClsid() {
  CLSID clsid{};
  const std::u16string progId = AnsiToWide(server_.sid);
  if (SUCCEEDED(CLSIDFromProgID(progId.c_str(), &clsid))) {
    LPOLESTR text = nullptr;
    if (SUCCEEDED(StringFromCLSID(clsid, &text))) {
      server_.clsid = WideToAnsi(std::u16string_view(text));
      CoTaskMemFree(text);
    }
    return clsid;
  }
  const std::u16string clsidText = AnsiToWide(server_.clsid);
  const HRESULT hr = CLSIDFromString(clsidText.c_str(), &clsid);
  if (FAILED(hr)) LogOpcError("CLSIDFromString Error!", hr);
  return clsid;
}

ComPtr<IUnknown> OpcConnection::Activate(const CLSID& clsid, bool remote) {
  ComPtr<IUnknown> object;
  if (!remote) {
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                                        object.ReleaseAndGetVoidAddressOf());
    if (FAILED(hr) || !object) {
      Log("CoCreateInstance: Error");
      return nullptr;
    }
    return object;
  }
  std::u16string node = AnsiToWide(server_.node);
  ExplicitIdentity identity(server_);
  const bool explicitIdentity = std::atoi(server_.c1.c_str()) != 0;
  COAUTHINFO authInfo{
      RPC_C_AUTHN_DEFAULT,         RPC_C_AUTHZ_DEFAULT, nullptr,  RPC_C_AUTHN_LEVEL_DEFAULT,
      RPC_C_IMP_LEVEL_IMPERSONATE, identity.Get(),      EOAC_NONE};
  COSERVERINFO serverInfo{0, node.data(), explicitIdentity ? &authInfo : nullptr, 0};
  MULTI_QI query{&IID_IUnknown, nullptr, S_OK};
  const HRESULT hr =
      CoCreateInstanceEx(clsid, nullptr, CLSCTX_REMOTE_SERVER, &serverInfo, 1, &query);
  if (FAILED(hr)) {
    Log("CoCreateInstanceEx: Error");
    return nullptr;
  }
  if (FAILED(query.hr)) {
    Log("MultiQI: ERROR");
    return nullptr;
  }
  object.Attach(query.pItf);
  if (explicitIdentity) {
    CoSetProxyBlanket(object.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_DEFAULT, nullptr,
                      RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE, identity.Get(),
                      EOAC_NONE);
  }
  return object;
}

void OpcConnection::Connect() {
  const bool remote = IsRemoteNode(server_.node);
  const CLSID clsid = ResolveClsid();
  const ComPtr<IUnknown> object = Activate(clsid, remote);
  if (!object) return;

  ComPtr<IOPCServer> opcServer;
  const HRESULT hr = object.As(&opcServer);
  if (FAILED(hr)) {
    LogOpcError("Server 尚未准备好", hr);
    return;
  }
  {
    std::lock_guard lock(stateMutex_);
    opcServer_ = opcServer;
  }
  held_ = true;
  Log("连接成功，正在添加各种服务!");

  if (FAILED(
          AtlAdvise(opcServer_.Get(), shutdownSink_.Get(), IID_IOPCShutdown, &shutdownCookie_))) {
    shutdownCookie_ = 0;
    Log("AtlAdvise Shutdown：Server 尚未准备好,这功能服务器不支持,忽略此步...");
  }
  if (!RegisterGroups()) return;
  if (!Pause(timing_.settle)) return;
  pollTimerId_ = SetTimer(nullptr, 0, static_cast<UINT>(timing_.pollTick.count()), nullptr);
  entryConnected_ = true;
}
