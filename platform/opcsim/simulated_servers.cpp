#include "platform/opcsim/simulated_servers.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "common/mutex.h"
#include "platform/com/guid_text.h"
#include "platform/com/node_name.h"
#include "platform/opcsim/simulated_class.h"

namespace tavrel::opcsim {

const BuiltInClass kBuiltInClasses[3] = {
    {kOpcSimTreeProgId, CLSID_OPCSimTree, "OPCSim Tree Simulation Server", ServerProfile::kTree},
    {kOpcSimFlatProgId, CLSID_OPCSimFlat, "OPCSim Flat Simulation Server", ServerProfile::kFlat},
    {kOpcSimLegacyProgId, CLSID_OPCSimLegacy, "OPCSim Legacy DA 1.0 Simulation Server",
     ServerProfile::kLegacy},
};

namespace {

class DeviceRegistry {
 public:
  static DeviceRegistry& Instance() {
    static DeviceRegistry registry;
    return registry;
  }

  // The device of (class, node), made on first use; null when its settings are not valid.
  std::shared_ptr<SimulatedDevice> Get(const SimulatedClass& simulated,
                                       const std::string& nodeKey) {
    MutexLock lock(mutex_);
    std::shared_ptr<SimulatedDevice>& device = devices_[{GuidToString(simulated.clsid), nodeKey}];
    if (device) return device;
    SimulationSettings settings;
    const std::vector<std::string> errors = ReadSimulationSettings(simulated.settings, &settings);
    for (const std::string& error : errors) {
      std::fprintf(stderr, "%s: %s\n", simulated.progId.c_str(), error.c_str());
    }
    if (!errors.empty()) return nullptr;
    device = SimulatedDevice::Create(simulated.profile, std::move(settings));
    return device;
  }

  std::shared_ptr<SimulatedDevice> Replace(const SimulatedClass& simulated,
                                           const std::string& nodeKey,
                                           SimulationSettings settings) {
    std::shared_ptr<SimulatedDevice> fresh =
        SimulatedDevice::Create(simulated.profile, std::move(settings));
    std::shared_ptr<SimulatedDevice> old;
    {
      MutexLock lock(mutex_);
      std::shared_ptr<SimulatedDevice>& device = devices_[{GuidToString(simulated.clsid), nodeKey}];
      old = std::exchange(device, fresh);
    }
    return fresh;  // `old` is released here, without the lock
  }

 private:
  Mutex mutex_;
  std::map<std::pair<std::string, std::string>, std::shared_ptr<SimulatedDevice>> devices_
      GUARDED_BY(mutex_);
};

}  // namespace

HRESULT ConnectSimulatedServer(const SimulatedClass& simulated, const std::string& nodeKey,
                               REFIID iid, void** object) {
  const std::shared_ptr<SimulatedDevice> device =
      DeviceRegistry::Instance().Get(simulated, nodeKey);
  if (!device) return CO_E_SERVER_EXEC_FAILURE;
  return device->Connect(iid, object);
}

std::shared_ptr<SimulatedDevice> SimulatedDeviceFor(const CLSID& clsid, std::string_view node) {
  const std::optional<SimulatedClass> found = FindSimulatedClass(clsid, node);
  if (!found) return nullptr;
  return DeviceRegistry::Instance().Get(*found, CanonicalNodeName(node));
}

std::shared_ptr<SimulatedDevice> ResetSimulatedDevice(const CLSID& clsid,
                                                      SimulationSettings settings,
                                                      std::string_view node) {
  const std::optional<SimulatedClass> found = FindSimulatedClass(clsid, node);
  if (!found) return nullptr;
  return DeviceRegistry::Instance().Replace(*found, CanonicalNodeName(node), std::move(settings));
}

}  // namespace tavrel::opcsim
