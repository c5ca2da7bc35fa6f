// ApiServer: the API's listening socket, its clients and the value pushes.
//
// Everything but AppendPush and Wake runs on ApiThread, which calls Pass() in a loop until
// ExitFlag. A pass (re)opens the listening socket when needed (at most one attempt every 30 s),
// drops at most one closed or idle client, reads from every readable client and runs its
// complete requests (whose replies are sent before the pass goes on), accepts a new client (a
// tenth is closed at once), and sends the pushes gathered since the previous pass as one frame
// to every client that asked for them. An attempt that works logs "API: listening on
// <address>:<port>" with the port actually bound; one that fails logs which address and port
// and why ("API: cannot listen on 0.0.0.0:21215: Address already in use; trying again every
// 30 s", a problem line: BridgeLog::LogProblem) once, and again only when the reason changes.
//
// Sockets never block ApiThread: what a client's socket does not take at once waits in the
// client's queue and leaves as the client reads. A client that takes nothing for 640 ms (the
// 64 send attempts 10 ms apart of a full socket), or lets 64 MiB pile up, is dropped. Requests
// that wait on an OPC server run aside (RunAside), so one hung server stalls only the client
// that asked; that client's later requests wait until its reply was sent.
//
// A pass waits in poll() alone: for a readable socket, for the first push appended after a
// flush, for Wake(), and no longer than until the nearest idle deadline of a client (so a
// silent client goes on time) or, while the socket is not listening, until the next listen
// attempt. Pushes are flushed at most once a millisecond: the first push after a quiet spell
// leaves at once, and under load each frame carries a millisecond of changes.
//
// OPC threads hand value updates to AppendPush at any time; they are kept only while at least
// one client is connected, and at most 19997952 bytes of them wait for a pass.
//
// Metrics: tavrel_api_clients (connected now), tavrel_api_pushes_sent_total (value records in
// push frames handed to the clients that asked for pushes, counted once whatever the number of
// clients) and tavrel_api_pushes_dropped_total (records discarded because too many waited, or
// because their frame could not be built). Records that no client asked for are neither.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/api/api_client.h"
#include "bridge/api/api_peer_registry.h"
#include "bridge/api/aside_calls.h"
#include "bridge/core/exit_flag.h"
#include "bridge/core/metric_registry.h"
#include "common/bridge_log.h"
#include "common/mutex.h"
#include "common/period_timer.h"
#include "wire/byte_buffer.h"
#include "wire/frame_codec.h"
#include "wire/push_record.h"
#include "wire/unique_socket.h"
#include "wire/wake_event.h"

namespace tavrel {

class MarkupDocument;

// Runs one decoded request of a client on ApiThread, replying through ApiServer::SendFrame.
class ApiRequestHandler {
 public:
  virtual ~ApiRequestHandler() = default;
  virtual void HandleRequest(ApiClient& client, MarkupDocument& request) = 0;
};

class ApiServer {
 public:
  static constexpr int kMaxClients = 9;
  static constexpr std::int64_t kListenRetryMs = 30000;
  static constexpr std::size_t kMaxPendingPushBytes = 19997952;

  ApiServer(int port, BridgeLog& log, const ExitFlag& exitFlag, MetricRegistry& metrics,
            PeriodTimer::TickSource ticks = MonotonicMilliseconds);
  ApiServer(const ApiServer&) = delete;
  ApiServer& operator=(const ApiServer&) = delete;

  // The handler of decoded requests; set before the first pass.
  void SetRequestHandler(ApiRequestHandler* handler) { handler_ = handler; }
  // The IPv4 address to listen on (numeric; 0.0.0.0, the default: every address); set before
  // the first pass.
  void ListenOn(const std::string& address) { listenAddress_ = address; }

  // One pass, its wait cut to `waitLimit` when one is given (a test steps the server by hand
  // with short passes).
  void Pass(std::optional<std::chrono::milliseconds> waitLimit = std::nullopt);

  // Any thread: ends the wait of the pass in progress, or else that of the next pass, at once.
  void Wake();

  // Any thread: keeps the record for the next push frame while a client is connected.
  void AppendPush(const PushRecord& record);

  // Builds a frame around `header` (whose `flag` names `mode`) and `payload` and sends it to
  // `client`. A payload too large or a compression failure is logged and nothing is sent.
  bool SendFrame(ApiClient& client, std::string_view header, std::string_view payload, int mode);

  // Runs `job` off ApiThread for `client` and sends the reply it returns when it is done; the
  // client's further requests wait until then (aside_calls.h). The job and its reply may run
  // after the request handler is gone: they may use only what outlives the server.
  void RunAside(ApiClient& client, AsideCalls::Job job);

  bool IsListening() const { return listener_.valid(); }
  // The port the socket listens on (the configured one, or the system's choice for port 0).
  int ListeningPort() const;
  const ApiPeerRegistry& PeerRegistry() const { return peers_; }
  std::size_t ClientCountForTest() const { return clients_.size(); }

 private:
  bool Listen();
  // Milliseconds from `now` until the next listen attempt is due; 0 when it is.
  std::int64_t MsUntilListenAttempt(std::uint64_t now) const;
  void WaitForWake(int timeoutMs);
  void SelectPass(std::optional<std::chrono::milliseconds> waitLimit);
  void DropOneClient();
  // Milliseconds until a pass has a client to drop: 0 when one is closed or idle already (a
  // pass drops only one), -1 when no client is connected.
  std::int64_t MsUntilClientDrop();
  // Milliseconds until pushes may be flushed again; 0 when they may now.
  std::int64_t MsUntilPushFlush() const;
  void ReadFrom(ApiClient& client);
  // Runs the complete requests in the client's receive buffer, up to one that runs aside.
  void RunRequests(ApiClient& client);
  void DeliverAsideReplies();
  void Accept();
  // Takes the pending pushes and sends them as one frame, at most once per kPushFlushSpacing.
  void FlushPushes();
  // Sends flushedPushes_ to the clients that want pushes, in frames that receivers accept.
  void SendFlushedPushes();
  // BuildFrame, logging a payload too large or a compression failure.
  FrameBuild BuildFrameLogged(std::string_view header, std::string_view payload, int mode,
                              ByteBuffer& frame);

  int port_;
  BridgeLog& log_;
  const ExitFlag& exitFlag_;
  PeriodTimer::TickSource ticks_;
  ApiRequestHandler* handler_ = nullptr;

  std::string listenAddress_ = "0.0.0.0";
  UniqueSocket listener_;
  std::optional<std::uint64_t> lastListenAttempt_;
  int listenError_ = 0;  // socket error of the last failed listen attempt, 0 after one that worked
  std::vector<std::unique_ptr<ApiClient>> clients_;
  int connectionCounter_ = 0;
  ApiPeerRegistry peers_;

  MetricGauge& clientsConnected_;
  MetricCounter& pushesSent_;
  MetricCounter& pushesDropped_;

  Mutex pushMutex_;
  int clientCount_ GUARDED_BY(pushMutex_) =
      0;  // clients at the start of the last select pass, as writers see it
  ByteBuffer pendingPushes_ GUARDED_BY(pushMutex_);
  std::size_t pendingRecords_ GUARDED_BY(pushMutex_) = 0;  // the records in pendingPushes_
  WakeEvent pushesPending_;  // signalled when pendingPushes_ stops being empty
  WakeEvent wake_;           // signalled by Wake() and by a finished aside call
  std::chrono::steady_clock::time_point nextPushFlush_;  // ApiThread only
  ByteBuffer flushedPushes_;         // ApiThread only: the pushes of the frame being sent
  ByteBuffer pushFrame_;             // ApiThread only
  const std::string rawPushHeader_;  // the two headers a push frame can have
  const std::string compressedPushHeader_;
  AsideCalls asideCalls_{[this] { Wake(); }};  // declared last: its jobs end before the rest
};

}  // namespace tavrel
