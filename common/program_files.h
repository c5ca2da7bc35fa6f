// The files the programs share in the installation folder, and their default ports.
//
// config.xml holds the settings of the bridge and of the manager, attributes of one `root`
// element of which each program reads its own; opc_db.xml is the project. The bridge serves
// its API on kDefaultApiPort and the manager its HTTP interface on kDefaultHttpPort when
// config.xml cannot be read (a readable file names them in `port` and `port_h`); API clients
// connect to kDefaultApiPort unless told otherwise.
#pragma once

namespace tavrel {

inline constexpr char kSettingsFileName[] = "config.xml";
inline constexpr char kProjectFileName[] = "opc_db.xml";
inline constexpr int kDefaultApiPort = 21215;
inline constexpr int kDefaultHttpPort = 9527;

// The single-instance lock of the bridge (platform/process/single_instance.h): its own, and
// the manager's, which looks for the bridge that holds it.
inline constexpr char kBridgeInstanceName[] = "Global\\QZ_OPC_PLATFORM_TAVREL";

}  // namespace tavrel
