// The simulated classes as both platforms' registrations see them: the built-in classes, and
// the device registry their class objects connect to.
//
// The portable part (simulated_servers.cpp) keeps one device per (class, node) and makes it
// from the class's settings; the platform's part (linux/ or windows/) registers the classes
// with its COM runtime and says which simulated class answers as a CLSID on a node.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com/com_api.h"
#include "platform/opcsim/simulated_device.h"

namespace tavrel::opcsim {

struct BuiltInClass {
  const char* progId;
  CLSID clsid;
  const char* description;
  ServerProfile profile;
};

// The three classes of simulated_servers.h.
extern const BuiltInClass kBuiltInClasses[3];

// A class served by a simulated device, as the platform's registry declares it.
struct SimulatedClass {
  CLSID clsid = CLSID_NULL;
  std::string progId;  // names the class in the messages about its settings
  ServerProfile profile = ServerProfile::kTree;
  // The keys of simulation_settings.h (and others, which are ignored).
  std::map<std::string, std::string> settings;
};

// Per platform: the simulated class that answers as `clsid` on `node` ("" = this computer);
// none when no simulated class does.
std::optional<SimulatedClass> FindSimulatedClass(const CLSID& clsid, std::string_view node);

// A new connection to the device of `simulated` on `nodeKey` (a canonical node name, as
// node_name.h gives it), made with the class's settings when it does not exist yet: the
// server object's `iid` interface in `*object`. CO_E_SERVER_EXEC_FAILURE when the settings are
// not valid (each problem is then written to stderr).
HRESULT ConnectSimulatedServer(const SimulatedClass& simulated, const std::string& nodeKey,
                               REFIID iid, void** object);

}  // namespace tavrel::opcsim
