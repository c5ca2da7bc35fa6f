// ConnectionParts: what the steps of one connection work on: the server's project entry, the
// session with the server, the item records, the worker's record of each tag's item and the
// server's metrics.
//
// Owned by the connection (opc_connection.h). The steps (activation, registration, read
// cycles, teardown) run on its worker; writes run on any thread and touch only the session.
#pragma once

#include <memory>
#include <vector>

#include "bridge/core/bridge_project.h"
#include "bridge/core/server_connection.h"
#include "bridge/opc/engine_log.h"
#include "bridge/opc/opc_item.h"
#include "bridge/opc/server_session.h"

namespace tavrel {

// The worker's record of a tag's item on the current connection.
struct TagItem {
  OPCHANDLE clientHandle = 0;  // its Item record; 0 when none
  bool registered = true;      // false when the server refused it in single registration
};

struct ConnectionParts {
  ConnectionParts(ServerConnection& connection, BridgeProject& project, BridgeLog& log)
      : server(connection.Server()),
        project(project),
        metrics(connection.Metrics()),
        tags(server),
        session(server.groups.size(), tags.Count(), server.clsid),
        log(log, session),
        items(std::make_shared<ItemTable>()),
        tagItems(tags.Count()) {}

  ConnectionParts(const ConnectionParts&) = delete;
  ConnectionParts& operator=(const ConnectionParts&) = delete;

  ValuePushSink* Push() const { return project.PushSink(); }
  TagItem& ItemOf(const ProjectTag& tag) { return tagItems[tags.IndexOf(tag)]; }

  const ProjectServer& server;
  BridgeProject& project;
  ServerMetrics& metrics;
  const ServerTagRange tags;
  ServerSession session;
  const EngineLog log;
  const std::shared_ptr<ItemTable> items;  // shared with the data call-back
  std::vector<TagItem> tagItems;           // the worker's, by tag index
};

// Publishes a value read from the server to the tag of `item`'s record, if it still exists,
// and counts it.
void PublishRead(const ConnectionParts& parts, const TagItem& item, const OPCITEMSTATE& state);

}  // namespace tavrel
