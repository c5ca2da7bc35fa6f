// CDlgOpcKernal: the connection object of one configured server.
//
// The start-up makes one per server, in project order, and keeps it until the process ends.
// Making it gives the server its StatusTag, links every tag of the server to it and arms the
// read timers of the server's groups. The OPC engine runs the connection itself (connect,
// register groups and items, read cycles, status refresh) on a worker thread of this object,
// and offers here the write of a tag's value, which the API and the window reach through the
// tag's `connection`. Until that worker is started, nothing touches the server.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "bridge/core/project_tree.h"
#include "bridge/core/status_tag.h"

// The outcome of a write: code 0 when the server accepted the write call, 1 when the value was
// not written; the message says why ("OPC服务还未连接成功" when the server is not connected).
struct WriteResult {
  int code = 1;
  std::string message;
};

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

  // True while the server's main interface is held; any thread.
  bool IsConnected() const { return connected_.load(); }

  // Writes `value` (text) to `tag` of this server; any thread. Without a connection to the
  // server nothing is written.
  WriteResult WriteTag(CProjectTag& tag, std::string_view value);

 private:
  CProjectServer& server_;
  StatusTag statusTag_;
  std::atomic<bool> connected_{false};
};
