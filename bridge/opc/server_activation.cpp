#include "bridge/opc/server_activation.h"

#include "bridge/opc/server_failure_line.h"
#include "common/code_page.h"
#include "common/wide_string.h"
#include "opcclient/remote_identity.h"
#include "platform/com/com_api.h"
#include "platform/opcda/opc_proxy_registration.h"

namespace tavrel {

namespace {

CLSID ResolveClsid(const ProjectServer& server, ServerSession& session, const EngineLog& log,
                   std::vector<std::string>& lines) {
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
  if (FAILED(hr)) lines.push_back(log.FormatOpcError("CLSIDFromString Error!", hr));
  return clsid;
}

// The object, or none with the call that failed and its code.
struct Activation {
  ComPtr<IUnknown> object;
  std::string_view call;
  HRESULT hr = S_OK;
};

Activation ActivateLocally(const CLSID& clsid, std::vector<std::string>& lines) {
  ComPtr<IUnknown> object;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                                      object.ReleaseAndGetVoidAddressOf());
  if (FAILED(hr) || !object) {
    lines.push_back("CoCreateInstance: Error");
    return {nullptr, "CoCreateInstance", FAILED(hr) ? hr : E_POINTER};
  }
  return {object, {}, S_OK};
}

Activation ActivateRemotely(const CLSID& clsid, const ProjectServer& server,
                            std::vector<std::string>& lines) {
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
    lines.push_back("CoCreateInstanceEx: Error");
    return {nullptr, "CoCreateInstanceEx", hr};
  }
  if (FAILED(query.hr)) {
    lines.push_back("MultiQI: ERROR");
    return {nullptr, "MultiQI", query.hr};
  }
  ComPtr<IUnknown> object;
  object.Attach(query.pItf);
  if (server.credentials) {
    CoSetProxyBlanket(object.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_DEFAULT, nullptr,
                      RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE, identity.Get(),
                      EOAC_NONE);
  }
  return {object, {}, S_OK};
}

}  // namespace

ComPtr<IOPCServer> ActivateServer(const ProjectServer& server, ServerSession& session,
                                  const EngineLog& log, std::vector<std::string>& lines) {
  // The interfaces of a server in another process travel through our proxy/stub.
  if (const HRESULT hr = RegisterOpcProxies(); FAILED(hr)) {
    lines.push_back(log.FormatOpcError("RegisterOpcProxies", hr));
  }
  const bool remote = IsRemoteNode(server.node);
  const CLSID clsid = ResolveClsid(server, session, log, lines);
  const Activation activation =
      remote ? ActivateRemotely(clsid, server, lines) : ActivateLocally(clsid, lines);
  if (!activation.object) {
    lines.push_back(
        ServerFailureLine(server, "cannot be created", activation.call, activation.hr, log));
    return nullptr;
  }
  ComPtr<IOPCServer> opcServer;
  const HRESULT hr = activation.object.As(&opcServer);
  if (FAILED(hr)) {
    lines.push_back(log.FormatOpcError("Server 尚未准备好", hr));
    lines.push_back(
        ServerFailureLine(server, "cannot be created", "QueryInterface(IOPCServer)", hr, log));
    return nullptr;
  }
  return opcServer;
}

}  // namespace tavrel
