// Linux: the class registry of platform/com is the registry of every node it knows.
#include "opcclient/registered_servers.h"
#include "platform/com/linux/class_registry.h"
#include "platform/opcda/opc_server_list.h"

namespace tavrel {

std::vector<ServerChooserEntry> RegisteredOpcServers(const std::string& host) {
  std::vector<ServerChooserEntry> entries;
  const ClassRegistry& registry = ClassRegistry::Instance();
  if (!registry.IsKnownNode(host)) return entries;
  for (const ClassDescriptor& descriptor : registry.ClassesOnNode(host)) {
    if (!descriptor.settings.contains(kOpcServerSetting)) continue;
    entries.push_back({descriptor.progId, descriptor.description, descriptor.clsid});
  }
  return entries;
}

std::vector<std::string> EnumNetworkHosts() { return ClassRegistry::Instance().KnownNodes(); }

}  // namespace tavrel
