#include "bridge/opc/server_discovery.h"

#include <thread>

#include "bridge/opc/body_document.h"
#include "platform/com/guid_text.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

void SleepServerListPause() { std::this_thread::sleep_for(kServerListPause); }

std::vector<ServerListEntry> ListServers(const DiscoveryPause& pause) {
  std::vector<ServerListEntry> servers;
  MULTI_QI query{&IID_IOPCServerList, nullptr, S_OK};
  if (FAILED(CoCreateInstanceEx(CLSID_OpcServerList, nullptr, CLSCTX_ALL, nullptr, 1, &query)) ||
      FAILED(query.hr) || query.pItf == nullptr) {
    return servers;
  }
  ComPtr<IOPCServerList> service;
  service.Attach(static_cast<IOPCServerList*>(query.pItf));

  CATID category = CATID_OPCDAServer20;
  ComPtr<IEnumGUID> classes;
  if (FAILED(
          service->EnumClassesOfCategories(1, &category, 1, &category, classes.GetAddressOf())) ||
      !classes) {
    return servers;
  }
  const std::string categoryText = GuidToString(CATID_OPCDAServer20);
  CLSID clsid;
  ULONG fetched = 0;
  while (classes->Next(1, &clsid, &fetched) == S_OK && fetched == 1) {
    if (pause) pause();
    LPOLESTR progId = nullptr;
    LPOLESTR userType = nullptr;
    const HRESULT described = service->GetClassDetails(clsid, &progId, &userType);
    ServerListEntry entry{TakeTaskMemoryString(progId), TakeTaskMemoryString(userType),
                          GuidToString(clsid), categoryText};
    if (SUCCEEDED(described)) servers.push_back(std::move(entry));
  }
  return servers;
}

std::string ServerListDocument(const std::vector<ServerListEntry>& servers) {
  MarkupDocument body = NewBodyDocument();
  for (const ServerListEntry& server : servers) {
    body.AddElement("t");
    body.SetAttribute("a", server.progId);
    body.SetAttribute("b", server.description);
    body.SetAttribute("c", server.clsid);
    body.SetAttribute("d", server.catid);
  }
  if (servers.empty()) {
    body.AddElement("t");
    body.SetAttribute("error", "获取Server 列表失败");
  }
  return body.GetText();
}

}  // namespace tavrel
