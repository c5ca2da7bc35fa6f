// The registry side of the server chooser (server_chooser.h): the OPC DA 1.0 servers a host's
// class registration names, and the hosts to offer. One contract, two ways of keeping it:
// server_chooser_posix.cpp reads the Linux class registry, server_chooser_windows.cpp the
// Windows registry and the network neighbourhood.
#pragma once

#include <string>
#include <vector>

#include "opcclient/server_chooser.h"

namespace tavrel {

// Every class of `host`'s registry (empty: this computer) that carries the OPC server setting
// (the "OPC" key under its ProgID), with its ProgID, its description and its CLSID, in the
// registry's order; nothing when the host's registry cannot be reached.
std::vector<ServerChooserEntry> RegisteredOpcServers(const std::string& host);

}  // namespace tavrel
