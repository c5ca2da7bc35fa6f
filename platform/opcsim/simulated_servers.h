// The simulated OPC servers as classes of the COM runtime.
//
//   OPCSim.Tree.1    {6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}  DA 2.0, hierarchical
//   OPCSim.Flat.1    {6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A02}  DA 2.0, flat
//   OPCSim.Legacy.1  {6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A03}  DA 1.0 only, hierarchical
//
// The two DA 2.0 classes are in the DA 2.0 server category; the DA 1.0 class is in none and is
// found only by walking the registry for the OPC mark (the key below a server's ProgID; in the
// Linux class registry the setting kOpcServerSetting of opc_server_list.h, with its DA
// version), which all three carry.
//
// Linux: the classes are built-in classes of the process's class registry. The registry file
// may declare further classes served by these (implementation = OPCSim.Tree.1, for example),
// each a server of its own with the settings of simulation_settings.h, its fault script among
// them. A file entry with one of the CLSIDs above lends its settings, nodes and identity to
// that class.
//
// Windows: the classes' objects are registered with the system's COM runtime for this process
// (windows/simulated_class_objects.h) and their ProgID and CLSID keys written for the current
// user; they answer on this computer, with the default settings.
//
// Each class has one device (simulated_device.h) per node, made at its first activation: every
// activation connects to it, so the clients of one class share values and faults.
#pragma once

#include <memory>
#include <string_view>

#include "platform/com/com_api.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_device.h"

namespace tavrel::opcsim {

inline constexpr CLSID CLSID_OPCSimTree = {
    0x6F0C2A1E, 0x4B7D, 0x4C55, {0x9E, 0x2A, 0x3D, 0x1B, 0x7C, 0x5E, 0x8A, 0x01}};
inline constexpr CLSID CLSID_OPCSimFlat = {
    0x6F0C2A1E, 0x4B7D, 0x4C55, {0x9E, 0x2A, 0x3D, 0x1B, 0x7C, 0x5E, 0x8A, 0x02}};
inline constexpr CLSID CLSID_OPCSimLegacy = {
    0x6F0C2A1E, 0x4B7D, 0x4C55, {0x9E, 0x2A, 0x3D, 0x1B, 0x7C, 0x5E, 0x8A, 0x03}};
inline constexpr const char* kOpcSimTreeProgId = "OPCSim.Tree.1";
inline constexpr const char* kOpcSimFlatProgId = "OPCSim.Flat.1";
inline constexpr const char* kOpcSimLegacyProgId = "OPCSim.Legacy.1";

// Registers the three classes with the process's COM runtime (on Linux together with the OPC
// server list service, which lists them). Call at start; calling it again changes nothing.
void RegisterSimulatedServers();

// The device behind simulated class `clsid` on `node` ("" = this computer), made with the
// settings of the class's registry entry when it does not exist yet; null when no simulated
// class answers there or its settings are not valid. Tests use it to stage faults.
std::shared_ptr<SimulatedDevice> SimulatedDeviceFor(const CLSID& clsid, std::string_view node = "");

// Gives the class on `node` a fresh device with `settings`; connections made before keep the
// old one. Null as above.
std::shared_ptr<SimulatedDevice> ResetSimulatedDevice(const CLSID& clsid,
                                                      SimulationSettings settings,
                                                      std::string_view node = "");

}  // namespace tavrel::opcsim
