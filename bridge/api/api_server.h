// ApiServer: the API's listening socket, its clients and the value pushes.
//
// Everything but AppendPush runs on ApiThread, which calls Pass() in a loop (one pass, then a
// 1 ms sleep, until ExitFlag). A pass (re)opens the listening socket when needed (at most one
// attempt every 30 s), drops at most one closed or idle client, reads from every readable
// client and runs its complete requests (whose replies are sent before the pass goes on),
// accepts a new client (a tenth is closed at once), and sends the pushes gathered since the
// previous pass as one frame to every client that asked for them. The wait for readable
// sockets (at most 5 ms) also ends when the first push after a flush is appended, so pushes
// leave about a millisecond after the change instead of up to six.
//
// OPC threads hand value updates to AppendPush at any time; they are kept only while at least
// one client is connected, and at most 19997952 bytes of them wait for a pass.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/api/api_client.h"
#include "bridge/api/api_peer_registry.h"
#include "bridge/api/wake_event.h"
#include "bridge/core/exit_flag.h"
#include "common/bridge_log.h"
#include "common/period_timer.h"
#include "wire/byte_buffer.h"
#include "wire/frame_codec.h"
#include "wire/push_record.h"
#include "wire/unique_socket.h"

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

  ApiServer(int port, BridgeLog& log, const ExitFlag& exitFlag,
             PeriodTimer::TickSource ticks = MonotonicMilliseconds);
  ApiServer(const ApiServer&) = delete;
  ApiServer& operator=(const ApiServer&) = delete;

  // The handler of decoded requests; set before the first pass.
  void SetRequestHandler(ApiRequestHandler* handler) { handler_ = handler; }

  void Pass();

  // Any thread: keeps the record for the next push frame while a client is connected.
  void AppendPush(const PushRecord& record);

  // Builds a frame around `header` (whose `flag` names `mode`) and `payload` and sends it to
  // `client`. A payload too large or a compression failure is logged and nothing is sent.
  bool SendFrame(ApiClient& client, std::string_view header, std::string_view payload, int mode);

  bool IsListening() const { return listener_.valid(); }
  // The port the socket listens on (the configured one, or the system's choice for port 0).
  int ListeningPort() const;
  const ApiPeerRegistry& PeerRegistry() const { return peers_; }
  std::size_t ClientCountForTest() const { return clients_.size(); }

 private:
  bool Listen();
  void SelectPass();
  void DropOneClient();
  void ReadFrom(ApiClient& client);
  void Accept();
  void FlushPushes();
  // BuildFrame, logging a payload too large or a compression failure.
  FrameBuild BuildFrameLogged(std::string_view header, std::string_view payload, int mode,
                              ByteBuffer& frame);

  int port_;
  BridgeLog& log_;
  const ExitFlag& exitFlag_;
  PeriodTimer::TickSource ticks_;
  ApiRequestHandler* handler_ = nullptr;

  UniqueSocket listener_;
  std::optional<std::uint64_t> lastListenAttempt_;
  std::vector<std::unique_ptr<ApiClient>> clients_;
  int connectionCounter_ = 0;
  ApiPeerRegistry peers_;

  std::mutex pushMutex_;  // guards clientCount_ and pendingPushes_
  int clientCount_ = 0;   // clients at the start of the last select pass, as writers see it
  ByteBuffer pendingPushes_;
  WakeEvent pushesPending_;  // signalled when pendingPushes_ stops being empty
  ByteBuffer flushedPushes_;  // ApiThread only: the pushes of the frame being sent
  ByteBuffer pushFrame_;      // ApiThread only
  const std::string rawPushHeader_;  // the two headers a push frame can have
  const std::string compressedPushHeader_;
};
