// ConnectionEngine: the OPC client that runs one server's connection, as the core sees it.
//
// The core holds one per connection object (server_connection.h) and never depends on the
// OPC engine itself: the program plugs the engine in through a ConnectionEngineFactory given
// to the start-up (bridge_runtime.h). Without a factory the connection objects stay idle:
// never connected, every write refused.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tavrel {

class ServerConnection;
class BridgeLog;
class BridgeProject;
class ExitFlag;
struct ProjectTag;

// The outcome of a write: code 0 when the server accepted the write call, 1 when the value was
// not written; the message says why ("OPC服务还未连接成功" when the server is not connected).
struct WriteResult {
  int code = 1;
  std::string message;
};

class ConnectionEngine {
 public:
  virtual ~ConnectionEngine() = default;
  // Starts the worker; 0 also when the bridge is already exiting, -1 when the thread could not
  // be made.
  virtual int Start() = 0;
  // Ends the worker and waits for it (after ExitFlag was set); from its return no value of
  // this connection reaches the project's push sink any more. Idempotent.
  virtual void Stop() = 0;
  // True while the server's main interface is held; any thread.
  virtual bool IsConnected() const = 0;
  // Writes `value` (text) to `tag` of this server; any thread.
  virtual WriteResult WriteTag(ProjectTag& tag, std::string_view value) = 0;
};

// What an engine needs of the bridge; all outlive the engine.
struct ConnectionEngineContext {
  ServerConnection& connection;
  BridgeProject& project;
  BridgeLog& log;
  const ExitFlag& exitFlag;
};

using ConnectionEngineFactory =
    std::function<std::unique_ptr<ConnectionEngine>(const ConnectionEngineContext& context)>;

}  // namespace tavrel
