// ServerConnection: the connection object of one configured server.
//
// The start-up makes one per server, in project order, and keeps it until the process ends.
// Making it gives the server its StatusTag and links every tag of the server to it. The OPC
// engine (connection_engine.h), attached by the start-up, runs the connection on a worker
// thread of its own; the object offers here the write of a tag's value, which the API reaches
// through the tag's `connection`. Without an engine nothing touches the server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "bridge/core/connection_engine.h"
#include "bridge/core/project_tree.h"
#include "bridge/core/server_metrics.h"
#include "bridge/core/status_tag.h"

namespace tavrel {

inline constexpr char kNotConnectedText[] = "OPC服务还未连接成功";

class ServerConnection {
 public:
  // `serverIndex`: the server's 0-based place in the project; `statusHandle`: the handle of
  // its status tag; `metrics`: where its series are registered. Call before any thread reads
  // the tags.
  ServerConnection(ProjectServer& server, int serverIndex, TagHandle statusHandle,
                   MetricRegistry& metrics);

  ServerConnection(const ServerConnection&) = delete;
  ServerConnection& operator=(const ServerConnection&) = delete;

  ProjectServer& Server() const { return server_; }
  StatusTag& GetStatusTag() { return statusTag_; }
  const StatusTag& GetStatusTag() const { return statusTag_; }
  ServerMetrics& Metrics() { return metrics_; }

  // Attaches the engine (once, before any other thread uses this object).
  void AttachEngine(std::unique_ptr<ConnectionEngine> engine) { engine_ = std::move(engine); }
  ConnectionEngine* Engine() const { return engine_.get(); }

  // True while the server's main interface is held; any thread.
  bool IsConnected() const { return engine_ && engine_->IsConnected(); }

  // Writes `value` (text) to `tag` of this server, counting the write and its failure; any
  // thread. Without an engine nothing is written and the answer is {1, kNotConnectedText}; a
  // value longer than the bound below is not written either: {1, WrittenTextTooLongText()}.
  WriteResult WriteTag(ProjectTag& tag, std::string_view value);

  // Bounds the bytes of a value text that WriteTag passes on, for every writer (the API, MQTT,
  // the window): a front end whose replies must hold every value sets it (the API's snapshot).
  // The smallest bound set wins; none: no bound. Set it before the engines start.
  void LimitWrittenText(std::size_t maxBytes);
  std::size_t WrittenTextLimit() const { return writtenTextLimit_; }

 private:
  ProjectServer& server_;
  StatusTag statusTag_;
  ServerMetrics metrics_;
  std::unique_ptr<ConnectionEngine> engine_;
  std::size_t writtenTextLimit_ = SIZE_MAX;
};

// The answer to a write whose text is longer than `limit` bytes.
std::string WrittenTextTooLongText(std::size_t limit);

}  // namespace tavrel
