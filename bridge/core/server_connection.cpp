#include "bridge/core/server_connection.h"

CDlgOpcKernal::CDlgOpcKernal(CProjectServer& server, int serverIndex, TagHandle statusHandle)
    : server_(server), statusTag_(serverIndex, server.clsid, statusHandle) {
  for (const auto& group : server.groups) {
    for (const auto& tag : group->tags) tag->connection = this;
    group->readTimer.Restart(true);
  }
}

WriteResult CDlgOpcKernal::WriteTag(CProjectTag& /*tag*/, std::string_view /*value*/) {
  // No worker connects the server yet, so the connection is never held.
  return {1, "OPC服务还未连接成功"};
}
