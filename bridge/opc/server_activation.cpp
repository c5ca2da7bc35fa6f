#include "bridge/opc/server_activation.h"

#include <strings.h>

#include "common/code_page.h"
#include "platform/com/activation.h"
#include "platform/com/client_security.h"
#include "platform/com/computer_name.h"
#include "platform/com/task_memory.h"
#include "common/wide_string.h"

namespace {

bool SameText(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

CLSID ResolveClsid(const ProjectServer& server, ServerSession& session, const EngineLog& log) {
  CLSID clsid{};
  if (SUCCEEDED(CLSIDFromProgID(AnsiToWide(server.progId).c_str(), &clsid))) {
    LPOLESTR text = nullptr;
    if (SUCCEEDED(StringFromCLSID(clsid, &text))) {
      session.SetClsidText(WideToAnsi(WideStringView(text)));
      CoTaskMemFree(text);
    }
    return clsid;
  }
  const HRESULT hr = CLSIDFromString(AnsiToWide(session.ClsidText()).c_str(), &clsid);
  if (FAILED(hr)) log.LogOpcError("CLSIDFromString Error!", hr);
  return clsid;
}

ComPtr<IUnknown> ActivateLocally(const CLSID& clsid, const EngineLog& log) {
  ComPtr<IUnknown> object;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                                      object.ReleaseAndGetVoidAddressOf());
  if (FAILED(hr) || !object) {
    log.Log("CoCreateInstance: Error");
    return nullptr;
  }
  return object;
}

ComPtr<IUnknown> ActivateRemotely(const CLSID& clsid, const ProjectServer& server,
                                  const EngineLog& log) {
  WideString node = AnsiToWide(server.node);
  ExplicitIdentity identity(server.credentials.value_or(ServerCredentials{}));
  COAUTHINFO authInfo{
      RPC_C_AUTHN_DEFAULT,         RPC_C_AUTHZ_DEFAULT, nullptr,  RPC_C_AUTHN_LEVEL_DEFAULT,
      RPC_C_IMP_LEVEL_IMPERSONATE, identity.Get(),      EOAC_NONE};
  COSERVERINFO serverInfo{0, node.data(), server.credentials ? &authInfo : nullptr, 0};
  MULTI_QI query{&IID_IUnknown, nullptr, S_OK};
  const HRESULT hr =
      CoCreateInstanceEx(clsid, nullptr, CLSCTX_REMOTE_SERVER, &serverInfo, 1, &query);
  if (FAILED(hr)) {
    log.Log("CoCreateInstanceEx: Error");
    return nullptr;
  }
  if (FAILED(query.hr)) {
    log.Log("MultiQI: ERROR");
    return nullptr;
  }
  ComPtr<IUnknown> object;
  object.Attach(query.pItf);
  if (server.credentials) {
    CoSetProxyBlanket(object.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_DEFAULT, nullptr,
                      RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE, identity.Get(),
                      EOAC_NONE);
  }
  return object;
}

}  // namespace

bool IsRemoteNode(const std::string& node) {
  if (node.empty() || SameText(node, "127.0.0.1") || SameText(node, "localhost")) return false;
  char name[16] = "";
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) return true;
  return !SameText(node, name);
}

ExplicitIdentity::ExplicitIdentity(const ServerCredentials& credentials)
    : user_(AnsiToWide(credentials.user)),
      domain_(AnsiToWide(credentials.domain)),
      password_(AnsiToWide(credentials.password)) {
  const auto chars = [](WideString& text) { return reinterpret_cast<USHORT*>(text.data()); };
  identity_ = {chars(user_),
               static_cast<ULONG>(user_.size()),
               chars(domain_),
               static_cast<ULONG>(domain_.size()),
               chars(password_),
               static_cast<ULONG>(password_.size()),
               SEC_WINNT_AUTH_IDENTITY_UNICODE};
}

ComPtr<IOPCServer> ActivateServer(const ProjectServer& server, ServerSession& session,
                                  const EngineLog& log) {
  const bool remote = IsRemoteNode(server.node);
  const CLSID clsid = ResolveClsid(server, session, log);
  const ComPtr<IUnknown> object =
      remote ? ActivateRemotely(clsid, server, log) : ActivateLocally(clsid, log);
  if (!object) return nullptr;
  ComPtr<IOPCServer> opcServer;
  const HRESULT hr = object.As(&opcServer);
  if (FAILED(hr)) {
    log.LogOpcError("Server 尚未准备好", hr);
    return nullptr;
  }
  return opcServer;
}
