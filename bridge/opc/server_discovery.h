// Server discovery: the OPC Data Access 2.0 servers registered on this computer, as the OPC
// server list service reports them, and the API's server list document.
//
// ListServers activates the service (CLSID_OpcServerList) on this computer, enumerates the
// classes of the DA 2.0 server category (as the implemented and the required category) and
// describes each with GetClassDetails. It pauses before describing each server found (200 ms
// in the program, so a slow service is not pressed; tests pass a pause that returns at once).
// Every failure gives an empty list: a failed activation or enumeration lists nothing, a class
// the service cannot describe is left out. Call it on a thread that has entered COM.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/browse_files.h"

namespace tavrel {

inline constexpr std::chrono::milliseconds kServerListPause{200};

// Waits before each server is described.
using DiscoveryPause = std::function<void()>;
// Sleeps kServerListPause.
void SleepServerListPause();

// The servers found, in the service's order: ProgID, description (the user type name), the
// CLSID and the DA 2.0 category, both in registry form.
std::vector<ServerListEntry> ListServers(const DiscoveryPause& pause = SleepServerListPause);

// The API's server list document: one `t` per server with `a` ProgID, `b` description, `c`
// CLSID and `d` category; for an empty list one `t` with `error` "获取Server 列表失败".
std::string ServerListDocument(const std::vector<ServerListEntry>& servers);

}  // namespace tavrel
