#include "bridge/core/server_connection.h"

CDlgOpcKernal::CDlgOpcKernal(CProjectServer& server, int serverIndex, TagHandle statusHandle)
    : server_(server), statusTag_(serverIndex, server.clsid, statusHandle) {
  for (const auto& group : server.groups) {
    for (const auto& tag : group->tags) tag->connection = this;
    group->readTimer.Restart(true);
  }
}
