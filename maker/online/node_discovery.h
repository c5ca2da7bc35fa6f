// The discovery of "获取并保存OPC列表": the OPC servers of one category on a node, through the
// node's OPC server list service.
//
// The service is activated with CLSCTX_ALL for an empty node, and with CLSCTX_REMOTE_SERVER on a
// named node, presenting the identity (user, domain, password) when credentials are used.
// Every class of the category (as implemented and required) is described with GetClassDetails;
// a class the service cannot describe is left out.
//
// Messages:
//   "Please install the OPC 2.0 Components." / "... on <node>."   service class not registered
//   "Error connecting to OPC 2.0 Server Browser." / "... on <node>." any other activation failure
//   "EnumClassesOfCategories failed:" and the error's text           the enumeration failed
//
// Call on a thread that is in the multithreaded apartment.
#pragma once

#include <string>
#include <vector>

#include "common/browse_files.h"
#include "platform/com/com_api.h"

namespace tavrel {

struct NodeDiscoveryRequest {
  std::string node;  // empty: this computer
  CATID category{};
  bool useCredentials = false;
  std::string user;
  std::string password;
  std::string domain;
};

struct NodeDiscovery {
  // ProgID, description, CLSID and the requested category, both in registry form.
  std::vector<ServerListEntry> servers;
  std::string message;  // empty when the service answered
};

NodeDiscovery DiscoverNodeServers(const NodeDiscoveryRequest& request);

}  // namespace tavrel
