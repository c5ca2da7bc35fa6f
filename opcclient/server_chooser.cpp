#include "opcclient/server_chooser.h"

#include "common/code_page.h"
#include "common/wide_string.h"
#include "opcclient/category_classes.h"
#include "opcclient/opc_error_text.h"
#include "opcclient/registered_servers.h"
#include "opcclient/remote_identity.h"
#include "platform/com/auth_identity.h"
#include "platform/com/guid_text.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

namespace {

void AddEntry(ServerChooserEntry entry, const std::string& chosenProgId, ServerChooserList& list) {
  if (entry.progId == chosenProgId) list.selected = static_cast<int>(list.lines.size());
  list.lines.push_back(entry.progId + "  (" + entry.description + ")");
  list.entries.push_back(std::move(entry));
}

// The list service on the request's host; null after adding the failure's message.
ComPtr<IOPCServerList> ConnectServerList(const ServerChooserRequest& request,
                                         ServerChooserList& list) {
  WideString host = AnsiToWide(request.host);
  ExplicitIdentity identity(request.identity.value_or(AuthIdentity{}));
  COAUTHINFO authentication{
      RPC_C_AUTHN_WINNT,           RPC_C_AUTHZ_NONE, nullptr,  RPC_C_AUTHN_LEVEL_CONNECT,
      RPC_C_IMP_LEVEL_IMPERSONATE, identity.Get(),   EOAC_NONE};
  COSERVERINFO server{0, host.data(), nullptr, 0};
  DWORD context = CLSCTX_ALL;
  if (request.remoteServer && !request.host.empty()) {
    context = CLSCTX_REMOTE_SERVER;
    if (request.identity) server.pAuthInfo = &authentication;
  }
  MULTI_QI query{&IID_IOPCServerList, nullptr, S_OK};
  const HRESULT created = CoCreateInstanceEx(CLSID_OpcServerList, nullptr, context,
                                             request.host.empty() ? nullptr : &server, 1, &query);
  ComPtr<IOPCServerList> service;
  service.Attach(static_cast<IOPCServerList*>(query.pItf));
  if (FAILED(created) || FAILED(query.hr) || !service) {
    list.messages.push_back(request.host.empty()
                                ? "Error connecting to OPC 2.0 Server Browser."
                                : "Error connecting to OPC 2.0 Server Browser on " + request.host +
                                      ".");
    return nullptr;
  }
  return service;
}

// Steps 2 and 3; false after adding the message of a failed enumeration.
bool ListFromService(IOPCServerList& service, const ServerChooserRequest& request,
                     ServerChooserList& list) {
  std::vector<CategoryClass> classes;
  const HRESULT enumerated = ListCategoryClasses(service, request.category, classes);
  if (FAILED(enumerated)) {
    list.messages.push_back(FormatOpcError("EnumClassesOfCategories failed:", enumerated, nullptr));
    return false;
  }
  for (CategoryClass& found : classes) {
    AddEntry({std::move(found.progId), std::move(found.description), found.clsid},
             request.chosenProgId, list);
  }
  return true;
}

}  // namespace

ServerChooserList FillServerChooser(const ServerChooserRequest& request) {
  ServerChooserList list;
  if (ComPtr<IOPCServerList> service = ConnectServerList(request, list)) {
    if (ListFromService(*service.Get(), request, list)) return list;
  }
  if (request.category == CATID_OPCDAServer10) {
    for (ServerChooserEntry& entry : RegisteredOpcServers(request.host)) {
      AddEntry(std::move(entry), request.chosenProgId, list);
    }
  }
  return list;
}

CATID ChooserCategoryFromText(std::string_view catid) {
  CATID category;
  return ParseGuid(catid, &category) ? category : CATID_OPCDAServer20;
}

}  // namespace tavrel
