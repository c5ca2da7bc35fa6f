// The simulated classes in the Linux class registry: built-in classes with a factory, which
// also serves the classes the registry file declares on top of them.
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "platform/com/linux/class_registry.h"
#include "platform/opcda/opc_ids.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_class.h"
#include "platform/opcsim/simulated_servers.h"
#include "platform/opcsim/simulation_control.h"

namespace tavrel::opcsim {

namespace {

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The simulated class of `descriptor`, when a built-in class serves it (itself or its
// implementation).
std::optional<SimulatedClass> SimulatedClassOf(const ClassDescriptor& descriptor) {
  const std::string wanted =
      LowerAscii(descriptor.implementation.empty() ? descriptor.progId : descriptor.implementation);
  for (const BuiltInClass& builtIn : kBuiltInClasses) {
    if (LowerAscii(builtIn.progId) == wanted) {
      return SimulatedClass{descriptor.clsid, descriptor.progId, builtIn.profile,
                            descriptor.settings};
    }
  }
  return std::nullopt;
}

HRESULT CreateSimulatedServer(const ActivationRequest& request, REFIID iid, void** object) {
  const std::optional<SimulatedClass> simulated = SimulatedClassOf(request.descriptor);
  if (!simulated) return CO_E_SERVER_EXEC_FAILURE;
  return ConnectSimulatedServer(*simulated, request.node, iid, object);
}

ClassDescriptor DescriptorOf(const BuiltInClass& builtIn) {
  ClassDescriptor descriptor;
  descriptor.progId = builtIn.progId;
  descriptor.clsid = builtIn.clsid;
  descriptor.description = builtIn.description;
  const bool da2 = builtIn.profile != ServerProfile::kLegacy;
  if (da2) descriptor.categories = {CATID_OPCDAServer20};
  // A file entry for this CLSID was registered first: keep what it declares.
  if (const auto declared = ClassRegistry::Instance().FindByClsid(builtIn.clsid, "");
      declared && !declared->implementation.empty()) {
    descriptor.settings = declared->settings;
    descriptor.nodes = declared->nodes;
    descriptor.identity = declared->identity;
  }
  descriptor.settings[kOpcServerSetting] = da2 ? "2.0" : "1.0";
  return descriptor;
}

}  // namespace

void RegisterSimulatedServers() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    RegisterOpcCoreClasses();
    for (const BuiltInClass& builtIn : kBuiltInClasses) {
      RegisterBuiltInClass(DescriptorOf(builtIn), CreateSimulatedServer);
    }
    ClassDescriptor control;
    control.progId = kOpcSimControlProgId;
    control.clsid = CLSID_OPCSimControl;
    control.description = kOpcSimControlDescription;
    RegisterBuiltInClass(control, [](const ActivationRequest&, REFIID iid, void** object) {
      return MakeComObject<SimulationControl>()->QueryInterface(iid, object);
    });
  });
}

std::optional<SimulatedClass> FindSimulatedClass(const CLSID& clsid, std::string_view node) {
  const std::optional<ClassDescriptor> descriptor =
      ClassRegistry::Instance().FindByClsid(clsid, node);
  if (!descriptor) return std::nullopt;
  return SimulatedClassOf(*descriptor);
}

}  // namespace tavrel::opcsim
