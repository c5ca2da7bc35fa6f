#include "bridge/opc/server_activation.h"

#include "common/code_page.h"
#include "common/wide_string.h"
#include "opcclient/remote_identity.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

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
  const ServerCredentials credentials = server.credentials.value_or(ServerCredentials{});
  ExplicitIdentity identity(
      IdentityFromText(credentials.user, credentials.domain, credentials.password));
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

}  // namespace tavrel
