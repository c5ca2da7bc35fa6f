#include "maker/online/node_discovery.h"

#include "common/code_page.h"
#include "opcclient/category_classes.h"
#include "opcclient/opc_error_text.h"
#include "opcclient/remote_identity.h"
#include "platform/com/guid_text.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

namespace {

std::string OnNode(const std::string& text, const std::string& node) {
  return node.empty() ? text + "." : text + " on " + node + ".";
}

ComPtr<IOPCServerList> ConnectService(const NodeDiscoveryRequest& request, std::string& message) {
  WideString node = AnsiToWide(request.node);
  ExplicitIdentity identity(IdentityFromText(request.user, request.domain, request.password));
  COAUTHINFO authentication{
      RPC_C_AUTHN_WINNT,           RPC_C_AUTHZ_NONE, nullptr,  RPC_C_AUTHN_LEVEL_CONNECT,
      RPC_C_IMP_LEVEL_IMPERSONATE, identity.Get(),   EOAC_NONE};
  COSERVERINFO server{0, node.data(), request.useCredentials ? &authentication : nullptr, 0};
  const bool remote = !request.node.empty();
  MULTI_QI query{&IID_IOPCServerList, nullptr, S_OK};
  const HRESULT created =
      CoCreateInstanceEx(CLSID_OpcServerList, nullptr, remote ? CLSCTX_REMOTE_SERVER : CLSCTX_ALL,
                         remote ? &server : nullptr, 1, &query);
  ComPtr<IOPCServerList> service;
  service.Attach(static_cast<IOPCServerList*>(query.pItf));
  if (created == REGDB_E_CLASSNOTREG) {
    message = OnNode("Please install the OPC 2.0 Components", request.node);
    return nullptr;
  }
  if (FAILED(created) || FAILED(query.hr) || !service) {
    message = OnNode("Error connecting to OPC 2.0 Server Browser", request.node);
    return nullptr;
  }
  return service;
}

}  // namespace

NodeDiscovery DiscoverNodeServers(const NodeDiscoveryRequest& request) {
  NodeDiscovery discovery;
  const ComPtr<IOPCServerList> service = ConnectService(request, discovery.message);
  if (!service) return discovery;
  std::vector<CategoryClass> classes;
  const HRESULT enumerated = ListCategoryClasses(*service.Get(), request.category, classes);
  if (FAILED(enumerated)) {
    discovery.message = FormatOpcError("EnumClassesOfCategories failed:", enumerated, nullptr);
    return discovery;
  }
  const std::string categoryText = GuidToString(request.category);
  for (CategoryClass& found : classes) {
    discovery.servers.push_back({std::move(found.progId), std::move(found.description),
                                 GuidToString(found.clsid), categoryText});
  }
  return discovery;
}

}  // namespace tavrel
