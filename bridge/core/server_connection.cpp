#include "bridge/core/server_connection.h"

ServerConnection::ServerConnection(ProjectServer& server, int serverIndex, TagHandle statusHandle)
    : server_(server), statusTag_(serverIndex, server.clsid, statusHandle) {
  for (const auto& group : server.groups) {
    for (const auto& tag : group->tags) tag->connection = this;
  }
}

WriteResult ServerConnection::WriteTag(ProjectTag& tag, std::string_view value) {
  if (!engine_) return {1, kNotConnectedText};
  return engine_->WriteTag(tag, value);
}
