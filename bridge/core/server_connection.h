// CDlgOpcKernal: the connection object of one configured server.
//
// The start-up makes one per server, in project order, and keeps it until the process ends.
// Making it gives the server its StatusTag, links every tag of the server to it and arms the
// read timers of the server's groups. The OPC engine runs the connection itself (connect,
// register groups and items, read cycles, status refresh) on a worker thread of this object,
// and offers here the write of a tag's value, which the API and the window reach through the
// tag's `connection`. Until that worker is started, nothing touches the server.
#pragma once

#include "bridge/core/project_tree.h"
#include "bridge/core/status_tag.h"

class CDlgOpcKernal {
 public:
  // `serverIndex`: the server's 0-based place in the project; `statusHandle`: the handle of
  // its status tag. Call before any thread reads the tags.
  CDlgOpcKernal(CProjectServer& server, int serverIndex, TagHandle statusHandle);

  CDlgOpcKernal(const CDlgOpcKernal&) = delete;
  CDlgOpcKernal& operator=(const CDlgOpcKernal&) = delete;

  CProjectServer& Server() const { return server_; }
  StatusTag& GetStatusTag() { return statusTag_; }
  const StatusTag& GetStatusTag() const { return statusTag_; }

 private:
  CProjectServer& server_;
  StatusTag statusTag_;
};
