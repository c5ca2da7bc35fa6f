#include "bridge/api/api_server.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>

#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "platform/net/socket_api.h"
#include "wire/api_frame.h"
#include "wire/frame_codec.h"

namespace tavrel {

namespace {

constexpr int kBacklog = 32;
constexpr std::size_t kReceiveChunk = 4096;

constexpr char kPayloadTooLarge[] = "数据太大，不处理";
constexpr char kCompressionFailed[] = "压缩出错";
// The limit that the console line of a refused reply names (the refusal itself happens at
// kFrameMaxCompressedPayload).
constexpr int kReplyPayloadLimit = 10000000;

// The header of a push frame whose body is in `mode`.
std::string PushHeader(int mode) {
  MarkupDocument header(MarkupBuild::kBridge);
  header.SetText(kGbkDeclaration);
  header.AddElement("root");
  header.SetAttribute("ver", 0);
  header.SetAttribute("type", 4);
  header.SetAttribute("uid", 0);
  header.SetAttribute("flag", mode);
  return header.GetText();
}

// Pushes go out at most once a millisecond, so that under load a frame carries the changes of
// a millisecond rather than a few each.
constexpr auto kPushFlushSpacing = std::chrono::milliseconds(1);
// The push buffers keep this much storage between flushes; what a burst (a stalled API thread,
// a whole project's first values) grew them to beyond it is given back after its flush.
constexpr std::size_t kKeptPushBufferCapacity = std::size_t{1} << 20;
// The most push records one frame carries. A flush of more goes out as several frames, because
// receivers throw away frames longer than kFrameMaxLength: this payload fits one compressed or
// not, while the pending pushes may reach kMaxPendingPushBytes.
constexpr std::size_t kMaxPushFramePayload = std::size_t{8} << 20;
static_assert(kMaxPushFramePayload + kMaxPushFramePayload / 1000 + 4096 < kFrameMaxLength,
              "zlib's worst case adds less than 0.1 %, the header and framing less than 4 KB");

// The shorter of two waits in milliseconds, a negative one being without end.
std::int64_t ShorterWait(std::int64_t a, std::int64_t b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}

// The poll() time-out of a wait of `waitMs` (negative: without end), cut to `limit`.
int PollTimeout(std::int64_t waitMs, std::optional<std::chrono::milliseconds> limit) {
  if (limit) waitMs = ShorterWait(waitMs, std::max<std::int64_t>(limit->count(), 0));
  return static_cast<int>(std::min<std::int64_t>(waitMs, std::numeric_limits<int>::max()));
}

}  // namespace

ApiServer::ApiServer(int port, BridgeLog& log, const ExitFlag& exitFlag, MetricRegistry& metrics,
                     PeriodTimer::TickSource ticks)
    : port_(port),
      log_(log),
      exitFlag_(exitFlag),
      ticks_(std::move(ticks)),
      clientsConnected_(metrics.Gauge("tavrel_api_clients", "API clients connected.")),
      pushesSent_(metrics.Counter("tavrel_api_pushes_sent_total",
                                  "Value records sent in push frames to the API clients.")),
      pushesDropped_(metrics.Counter("tavrel_api_pushes_dropped_total",
                                     "Value records for the API clients that were discarded.")),
      rawPushHeader_(PushHeader(kBodyRaw)),
      compressedPushHeader_(PushHeader(kBodyCompressed)) {}

void ApiServer::Pass(std::optional<std::chrono::milliseconds> waitLimit) {
  if (!listener_.valid()) {
    const std::uint64_t now = ticks_();
    if (const std::int64_t untilAttempt = MsUntilListenAttempt(now); untilAttempt > 0) {
      WaitForWake(PollTimeout(untilAttempt, waitLimit));
      return;
    }
    lastListenAttempt_ = now;
    if (!Listen()) return;
  }
  SelectPass(waitLimit);
  FlushPushes();
}

void ApiServer::Wake() { wake_.Signal(); }

std::int64_t ApiServer::MsUntilListenAttempt(std::uint64_t now) const {
  // A counter below the last attempt (it wrapped) makes the attempt due.
  if (!lastListenAttempt_ || now < *lastListenAttempt_) return 0;
  const std::uint64_t since = now - *lastListenAttempt_;
  return since >= static_cast<std::uint64_t>(kListenRetryMs)
             ? 0
             : kListenRetryMs - static_cast<std::int64_t>(since);
}

void ApiServer::WaitForWake(int timeoutMs) {
  pollfd wake{wake_.Descriptor(), POLLIN, 0};
  if (PollSockets(&wake, 1, timeoutMs) > 0) wake_.Drain();
}

bool ApiServer::Listen() {
  UniqueSocket listener(OpenSocket(AF_INET, SOCK_STREAM, 0));
  if (!listener.valid()) {
    log_.LogMessage("API SOCKET创建失败", 0);
    return false;
  }
  ReuseListeningAddress(listener.get());
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port_));
  if (inet_pton(AF_INET, listenAddress_.c_str(), &address.sin_addr) != 1) return false;
  if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener.get(), kBacklog) != 0) {
    const int error = LastSocketError();
    // Said once: the next attempts, every kListenRetryMs, say it again only when the reason
    // changes.
    if (error != listenError_) {
      listenError_ = error;
      log_.LogProblem("API: cannot listen on " + listenAddress_ + ":" +
                      std::to_string(ntohs(address.sin_port)) + ": " + SocketErrorText(error) +
                      "; trying again every " + std::to_string(kListenRetryMs / 1000) + " s");
    }
    return false;
  }
  listener_ = std::move(listener);
  listenError_ = 0;
  log_.LogMessage("API: listening on " + listenAddress_ + ":" + std::to_string(ListeningPort()), 0);
  return true;
}

int ApiServer::ListeningPort() const {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (!listener_.valid() ||
      getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

void ApiServer::SelectPass(std::optional<std::chrono::milliseconds> waitLimit) {
  bool pushesWaiting = false;
  {
    const MutexLock lock(pushMutex_);
    clientCount_ = static_cast<int>(clients_.size());
    pushesWaiting = pendingPushes_.Length() > 0;
  }
  DropOneClient();

  std::vector<pollfd> sockets{{listener_.get(), POLLIN, 0}};
  std::vector<ApiClient*> polled;
  for (const auto& client : clients_) {
    // A client waiting for the reply of a request run aside is not read meanwhile.
    const short events = static_cast<short>((client->awaitingReply ? 0 : POLLIN) |
                                            (client->HasQueuedBytes() ? POLLOUT : 0));
    if (!client->IsOpen() || events == 0) continue;
    sockets.push_back({client->Socket(), events, 0});
    polled.push_back(client.get());
  }
  // Pushes already waiting end the wait at their flush time; the event announces new ones only
  // (PollSockets skips an entry of kInvalidSocket).
  std::int64_t waitMs = MsUntilClientDrop();
  if (pushesWaiting) waitMs = ShorterWait(waitMs, MsUntilPushFlush());
  const std::size_t pushesIndex = sockets.size();
  sockets.push_back({pushesWaiting ? kInvalidSocket : pushesPending_.Descriptor(), POLLIN, 0});
  const std::size_t wakeIndex = sockets.size();
  sockets.push_back({wake_.Descriptor(), POLLIN, 0});
  if (PollSockets(sockets.data(), sockets.size(), PollTimeout(waitMs, waitLimit)) <= 0) return;

  if (sockets[pushesIndex].revents != 0) pushesPending_.Drain();
  if (sockets[wakeIndex].revents != 0) {
    wake_.Drain();
    DeliverAsideReplies();
  }
  for (std::size_t i = 0; i < polled.size(); ++i) {
    const short ready = sockets[i + 1].revents;
    if ((ready & POLLOUT) != 0) polled[i]->SendQueued();
    if ((ready & ~POLLOUT) != 0 && !polled[i]->awaitingReply) ReadFrom(*polled[i]);
  }
  if (sockets[0].revents != 0) Accept();
}

void ApiServer::RunAside(ApiClient& client, AsideCalls::Job job) {
  client.awaitingReply = true;
  asideCalls_.Start(client.Serial(), std::move(job));
}

void ApiServer::DeliverAsideReplies() {
  for (AsideCalls::Finished& finished : asideCalls_.TakeFinished()) {
    const auto client = std::find_if(clients_.begin(), clients_.end(), [&](const auto& entry) {
      return entry->Serial() == finished.clientSerial;
    });
    if (client == clients_.end()) continue;  // dropped meanwhile
    ApiClient& asker = **client;
    asker.awaitingReply = false;
    asker.IdleTimer().Restart(true);  // its requests waited unread meanwhile
    if (!asker.IsOpen()) continue;
    if (finished.reply) finished.reply(asker);
    RunRequests(asker);
  }
}

void ApiServer::DropOneClient() {
  for (auto it = clients_.begin(); it != clients_.end(); ++it) {
    ApiClient& client = **it;
    const bool idle = !client.awaitingReply && client.IdleTimer().Elapsed();
    if (client.IsOpen() && !idle && !client.SendStalled()) continue;
    peers_.Remove(client.PeerAddress(), client.PeerPort());
    clients_.erase(it);
    clientsConnected_.Set(static_cast<double>(clients_.size()));
    return;
  }
}

std::int64_t ApiServer::MsUntilClientDrop() {
  std::int64_t wait = -1;
  for (const auto& client : clients_) {
    if (!client->IsOpen()) return 0;
    if (!client->awaitingReply) wait = ShorterWait(wait, client->IdleTimer().Remaining());
    wait = ShorterWait(wait, client->MsUntilSendStalled());
  }
  return wait;
}

std::int64_t ApiServer::MsUntilPushFlush() const {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(nextPushFlush_ -
                                                                 std::chrono::steady_clock::now());
  return std::max<std::int64_t>(left.count(), 0);
}

void ApiServer::ReadFrom(ApiClient& client) {
  std::uint8_t bytes[kReceiveChunk];
  const std::ptrdiff_t n = ReceiveSome(client.Socket(), bytes, sizeof bytes);
  if (n < 0 &&
      (LastSocketError() == kSocketWouldBlock || LastSocketError() == kSocketInterrupted)) {
    return;
  }
  if (n <= 0) {
    client.Close();
    return;
  }
  client.ReceiveBuffer().Append(bytes, static_cast<std::size_t>(n));
  RunRequests(client);
}

void ApiServer::RunRequests(ApiClient& client) {
  ProcessFrames(
      client.ReceiveBuffer(), client.ReceiveSearch(),
      [this, &client] { return exitFlag_.IsSet() || client.awaitingReply; },
      [this, &client](MarkupDocument& request) {
        if (handler_ != nullptr) handler_->HandleRequest(client, request);
      },
      [this] { log_.LogMessage(kUndecodableFrameText, 0); });
}

void ApiServer::Accept() {
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  UniqueSocket socket(AcceptSocket(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &length));
  if (!socket.valid()) return;
  if (clients_.size() >= static_cast<std::size_t>(kMaxClients)) return;  // closed at once
  // Replies and pushes are whole frames sent at once: waiting to fill a segment only delays
  // the end of a frame.
  SetSocketOption(socket.get(), IPPROTO_TCP, TCP_NODELAY, 1);
  char address[INET_ADDRSTRLEN] = "";
  inet_ntop(AF_INET, &peer.sin_addr, address, sizeof address);
  const int port = ntohs(peer.sin_port);
  clients_.push_back(
      std::make_unique<ApiClient>(std::move(socket), address, port, ++connectionCounter_, ticks_));
  peers_.Add(address, port);
  clientsConnected_.Set(static_cast<double>(clients_.size()));
}

void ApiServer::AppendPush(const PushRecord& record) {
  {
    const MutexLock lock(pushMutex_);
    if (clientCount_ <= 0) return;
    if (pendingPushes_.Length() > kMaxPendingPushBytes) {
      pushesDropped_.Increment(static_cast<double>(pendingRecords_));
      pendingPushes_.Clear();
      pendingRecords_ = 0;
    }
    const bool first = pendingPushes_.Length() == 0;
    AppendPushRecord(pendingPushes_, record);
    ++pendingRecords_;
    if (!first) return;
  }
  pushesPending_.Signal();
}

FrameBuild ApiServer::BuildFrameLogged(std::string_view header, std::string_view payload, int mode,
                                       ByteBuffer& frame) {
  const FrameBuild result = BuildFrame(header, payload, mode, frame);
  if (result == FrameBuild::kTooLarge) log_.LogMessage(kPayloadTooLarge, 0);
  if (result == FrameBuild::kCompressionFailed) log_.LogMessage(kCompressionFailed, 0);
  return result;
}

bool ApiServer::SendFrame(ApiClient& client, std::string_view header, std::string_view payload,
                          int mode) {
  ByteBuffer frame;
  const FrameBuild result = BuildFrameLogged(header, payload, mode, frame);
  if (result == FrameBuild::kTooLarge) {
    std::printf("%s real len=%d set len=%d\n", kPayloadTooLarge, static_cast<int>(payload.size()),
                kReplyPayloadLimit);
  }
  if (result != FrameBuild::kBuilt) return false;
  return client.Send(frame.At(0), frame.Length());
}

void ApiServer::FlushPushes() {
  const auto now = std::chrono::steady_clock::now();
  if (now < nextPushFlush_) return;  // a later pass flushes them
  {
    // Constant time under the lock: the writers wait for it while holding their tags' locks.
    const MutexLock lock(pushMutex_);
    if (pendingPushes_.Length() == 0) return;
    flushedPushes_.Swap(pendingPushes_);
    pendingPushes_.Clear();
    pendingRecords_ = 0;
  }
  nextPushFlush_ = now + kPushFlushSpacing;
  SendFlushedPushes();
  flushedPushes_.ClearKeeping(kKeptPushBufferCapacity);
  pushFrame_.ClearKeeping(kKeptPushBufferCapacity);
}

void ApiServer::SendFlushedPushes() {
  const bool wanted = std::any_of(clients_.begin(), clients_.end(),
                                  [](const auto& client) { return client->pushesWanted; });
  if (!wanted) return;
  std::string_view unsent(reinterpret_cast<const char*>(flushedPushes_.At(0)),
                          flushedPushes_.Length());
  while (!unsent.empty()) {
    const PushRecordRun run = PushRecordsPrefix(unsent, kMaxPushFramePayload);
    const std::string_view payload = unsent.substr(0, run.bytes);
    unsent.remove_prefix(run.bytes);
    const int mode = BodyModeFor(payload.size());
    const std::string& header = mode == kBodyRaw ? rawPushHeader_ : compressedPushHeader_;
    if (BuildFrameLogged(header, payload, mode, pushFrame_) != FrameBuild::kBuilt) {
      pushesDropped_.Increment(static_cast<double>(run.records));
      continue;
    }
    for (const auto& client : clients_) {
      if (client->pushesWanted) client->Send(pushFrame_.At(0), pushFrame_.Length());
    }
    pushesSent_.Increment(static_cast<double>(run.records));
  }
}

}  // namespace tavrel
