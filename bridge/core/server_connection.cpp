#include "bridge/core/server_connection.h"

namespace tavrel {

ServerConnection::ServerConnection(ProjectServer& server, int serverIndex, TagHandle statusHandle,
                                   MetricRegistry& metrics)
    : server_(server),
      statusTag_(serverIndex, server.clsid, statusHandle),
      metrics_(metrics, serverIndex, server.name) {
  for (const auto& group : server.groups) {
    for (const auto& tag : group->tags) tag->connection = this;
  }
}

WriteResult ServerConnection::WriteTag(ProjectTag& tag, std::string_view value) {
  const WriteResult result =
      engine_ ? engine_->WriteTag(tag, value) : WriteResult{1, kNotConnectedText};
  metrics_.writes.Increment();
  if (result.code != 0) metrics_.writeFailures.Increment();
  return result;
}

}  // namespace tavrel
