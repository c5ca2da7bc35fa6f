// OpcConnection: the OPC DA client engine of one server (a ConnectionEngine).
//
// A worker thread runs the connection on deadlines: every connect tick (1000 ms) it makes a
// connection attempt while idle, or watches the server's status while it holds the server;
// every poll tick (500 ms), once registration is done and has settled, it runs the groups'
// read cycle; a shutdown request from the server tears everything down and starts over after
// a pause. The status tag is pushed every 30 s. Stopping wakes the worker from any wait.
//
// Threads: the worker activates, registers, reads and tears down; writes come from other
// threads and read only the session (server_session.h), whose one mutex guards everything
// they touch; data call-backs arrive on the server's threads and reach only the item table
// (opc_item.h).
#pragma once

#include <atomic>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

#include "bridge/core/connection_engine.h"
#include "bridge/core/exit_flag.h"
#include "bridge/core/server_connection.h"
#include "bridge/opc/connection_parts.h"
#include "bridge/opc/connection_state.h"
#include "bridge/opc/engine_timing.h"
#include "bridge/opc/opc_sinks.h"
#include "bridge/opc/read_cycle.h"
#include "bridge/opc/repeated_failure_log.h"
#include "bridge/opc/worker_wakeup.h"

namespace tavrel {

class OpcConnection final : public ConnectionEngine {
 public:
  OpcConnection(const ConnectionEngineContext& context, EngineTiming timing = {});
  ~OpcConnection() override;

  OpcConnection(const OpcConnection&) = delete;
  OpcConnection& operator=(const OpcConnection&) = delete;

  // Starts the worker and waits (at most a second) until it runs; 0 without a thread when
  // the bridge is already exiting, -1 when the thread could not be made (logged).
  int Start() override;
  void Stop() override;
  bool IsConnected() const override { return State() != ConnectionState::kIdle; }
  WriteResult WriteTag(ProjectTag& tag, std::string_view value) override;

  ConnectionState State() const { return state_.load(); }
  // Live item records.
  std::size_t ItemCount() const { return parts_.items->Size(); }
  // The CLSID text the next activation falls back to (it follows a registered ProgID).
  std::string ClsidText() const { return parts_.session.ClsidText(); }

 private:
  using Clock = WorkerWakeup::Clock;

  void Run(const std::stop_token& stop);
  bool Pause(std::chrono::milliseconds duration);  // false when stopping
  void RefreshStatusTag(bool push);
  // The connect tick's attempt; connected (read cycles due) when it succeeds.
  void Connect();
  // The connect tick while the server is held; may drop it.
  void WatchStatus();
  // Tears down all OPC state; only acts while the server is held.
  void Disconnect();
  // Moves to `next`, keeping the server's state series in step; a hold after an earlier one
  // counts as a reconnect.
  void EnterState(ConnectionState next);

  ServerConnection& connection_;
  const ExitFlag& exitFlag_;
  const EngineTiming timing_;
  ConnectionParts parts_;
  ReadCycle readCycle_;  // the worker's
  const std::shared_ptr<WorkerWakeup> wakeup_;
  const ComPtr<OPCCallback> dataCallback_;
  const ComPtr<OPCShutdown> shutdownSink_;
  std::atomic<ConnectionState> state_{ConnectionState::kIdle};
  // The worker's.
  DWORD shutdownCookie_ = 0;
  std::int64_t lastStatusPoll_ = 0;
  bool heldBefore_ = false;
  RepeatedFailureLog activationLog_;  // the lines of the connection attempts
  std::stop_token stop_;
  std::jthread worker_;
};

// The factory the program gives the start-up.
std::unique_ptr<ConnectionEngine> MakeOpcConnection(const ConnectionEngineContext& context);

}  // namespace tavrel
