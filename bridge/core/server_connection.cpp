#include "bridge/core/server_connection.h"

#include <algorithm>
#include <string>

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
  const WriteResult result = value.size() > writtenTextLimit_
                                 ? WriteResult{1, WrittenTextTooLongText(writtenTextLimit_)}
                             : engine_ ? engine_->WriteTag(tag, value)
                                       : WriteResult{1, kNotConnectedText};
  metrics_.writes.Increment();
  if (result.code != 0) metrics_.writeFailures.Increment();
  return result;
}

void ServerConnection::LimitWrittenText(std::size_t maxBytes) {
  writtenTextLimit_ = std::min(writtenTextLimit_, maxBytes);
}

std::string WrittenTextTooLongText(std::size_t limit) {
  return "value text longer than " + std::to_string(limit) + " bytes";
}

}  // namespace tavrel
