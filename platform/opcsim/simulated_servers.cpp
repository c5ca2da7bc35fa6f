#include "platform/opcsim/simulated_servers.h"

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "common/mutex.h"
#include "platform/com/com_api.h"
#include "platform/com/guid_text.h"
#include "platform/com/linux/class_registry.h"
#include "platform/com/node_name.h"
#include "platform/opcda/opc_ids.h"

namespace tavrel::opcsim {

namespace {

struct BuiltInClass {
  const char* progId;
  CLSID clsid;
  const char* description;
  ServerProfile profile;
};

constexpr BuiltInClass kClasses[] = {
    {kOpcSimTreeProgId, CLSID_OPCSimTree, "OPCSim Tree Simulation Server", ServerProfile::kTree},
    {kOpcSimFlatProgId, CLSID_OPCSimFlat, "OPCSim Flat Simulation Server", ServerProfile::kFlat},
    {kOpcSimLegacyProgId, CLSID_OPCSimLegacy, "OPCSim Legacy DA 1.0 Simulation Server",
     ServerProfile::kLegacy},
};

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The profile of the built-in class that serves `descriptor` (itself or its implementation).
std::optional<ServerProfile> ProfileOf(const ClassDescriptor& descriptor) {
  const std::string wanted =
      LowerAscii(descriptor.implementation.empty() ? descriptor.progId : descriptor.implementation);
  for (const BuiltInClass& builtIn : kClasses) {
    if (LowerAscii(builtIn.progId) == wanted) return builtIn.profile;
  }
  return std::nullopt;
}

class DeviceRegistry {
 public:
  static DeviceRegistry& Instance() {
    static DeviceRegistry registry;
    return registry;
  }

  // The device of (class, node), made on first use; null when its settings are not valid.
  std::shared_ptr<SimulatedDevice> Get(const ClassDescriptor& descriptor, ServerProfile profile,
                                       const std::string& nodeKey) {
    MutexLock lock(mutex_);
    std::shared_ptr<SimulatedDevice>& device = devices_[{GuidToString(descriptor.clsid), nodeKey}];
    if (device) return device;
    SimulationSettings settings;
    const std::vector<std::string> errors = ReadSimulationSettings(descriptor.settings, &settings);
    for (const std::string& error : errors) {
      std::fprintf(stderr, "%s: %s\n", descriptor.progId.c_str(), error.c_str());
    }
    if (!errors.empty()) return nullptr;
    device = SimulatedDevice::Create(profile, std::move(settings));
    return device;
  }

  std::shared_ptr<SimulatedDevice> Replace(const ClassDescriptor& descriptor, ServerProfile profile,
                                           const std::string& nodeKey,
                                           SimulationSettings settings) {
    std::shared_ptr<SimulatedDevice> fresh = SimulatedDevice::Create(profile, std::move(settings));
    std::shared_ptr<SimulatedDevice> old;
    {
      MutexLock lock(mutex_);
      std::shared_ptr<SimulatedDevice>& device =
          devices_[{GuidToString(descriptor.clsid), nodeKey}];
      old = std::exchange(device, fresh);
    }
    return fresh;  // `old` is released here, without the lock
  }

 private:
  Mutex mutex_;
  std::map<std::pair<std::string, std::string>, std::shared_ptr<SimulatedDevice>> devices_
      GUARDED_BY(mutex_);
};

HRESULT CreateSimulatedServer(const ActivationRequest& request, REFIID iid, void** object) {
  const auto profile = ProfileOf(request.descriptor);
  if (!profile) return CO_E_SERVER_EXEC_FAILURE;
  const std::shared_ptr<SimulatedDevice> device =
      DeviceRegistry::Instance().Get(request.descriptor, *profile, request.node);
  if (!device) return CO_E_SERVER_EXEC_FAILURE;
  return device->Connect(iid, object);
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

// The registry entry of a simulated class on `node`.
std::optional<std::pair<ClassDescriptor, ServerProfile>> SimulatedClass(const CLSID& clsid,
                                                                        std::string_view node) {
  auto descriptor = ClassRegistry::Instance().FindByClsid(clsid, node);
  if (!descriptor) return std::nullopt;
  const auto profile = ProfileOf(*descriptor);
  if (!profile) return std::nullopt;
  return std::pair(std::move(*descriptor), *profile);
}

}  // namespace

void RegisterSimulatedServers() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    for (const BuiltInClass& builtIn : kClasses) {
      RegisterBuiltInClass(DescriptorOf(builtIn), CreateSimulatedServer);
    }
  });
}

std::shared_ptr<SimulatedDevice> SimulatedDeviceFor(const CLSID& clsid, std::string_view node) {
  const auto found = SimulatedClass(clsid, node);
  if (!found) return nullptr;
  return DeviceRegistry::Instance().Get(found->first, found->second, CanonicalNodeName(node));
}

std::shared_ptr<SimulatedDevice> ResetSimulatedDevice(const CLSID& clsid,
                                                      SimulationSettings settings,
                                                      std::string_view node) {
  const auto found = SimulatedClass(clsid, node);
  if (!found) return nullptr;
  return DeviceRegistry::Instance().Replace(found->first, found->second, CanonicalNodeName(node),
                                            std::move(settings));
}

}  // namespace tavrel::opcsim
