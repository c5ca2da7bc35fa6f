#include "bridge/api/api_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <random>
#include <string>
#include <vector>

#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "platform/net/socket_api.h"
#include "wire/api_frame.h"
#include "wire/frame_codec.h"
#include "wire/push_record.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

// The wait of a pass that a test steps by hand.
constexpr auto kStepWait = 5ms;

std::string Header(int type) {
  return std::string(kGbkDeclaration) + "<root ver=\"0\" type=\"" + std::to_string(type) +
         "\" flag=\"0\"/>\r\n";
}

// Answers every request with a header of the request's type; type 1 also turns pushes on.
// Type 5 is answered aside, once the test opens `asideGate`; type 7 with a body too large for a
// frame.
class EchoHandler : public ApiRequestHandler {
 public:
  explicit EchoHandler(ApiServer& server) : server_(server) {}
  void HandleRequest(ApiClient& client, MarkupDocument& request) override {
    request.FindElement("root");
    const int type = std::stoi(request.GetAttribute("type"));
    client.IdleTimer().Restart(true);
    if (type == 5) {
      server_.RunAside(client, [this] {
        asideGate.wait();
        return AsideCalls::Reply(
            [this](ApiClient& asker) { server_.SendFrame(asker, Header(5), {}, kBodyNone); });
      });
      return;
    }
    if (type == 7) {
      const std::string tooLarge(kFrameMaxCompressedPayload, 'x');
      server_.SendFrame(client, Header(type), tooLarge, kBodyCompressed);
      return;
    }
    server_.SendFrame(client, Header(type), {}, kBodyNone);
    if (type == 1) client.pushesWanted = true;
  }

  std::shared_future<void> asideGate;

 private:
  ApiServer& server_;
};

// A blocking loopback client of the server under test.
class TestClient {
 public:
  // `receiveBuffer`, when given, shrinks the socket's receive buffer so that a client that does
  // not read fills up quickly.
  explicit TestClient(int port, int receiveBuffer = 0)
      : socket_(OpenSocket(AF_INET, SOCK_STREAM, 0)) {
    if (receiveBuffer > 0) SetSocketOption(socket_.get(), SOL_SOCKET, SO_RCVBUF, receiveBuffer);
    // Requests leave at once, as from the clients that send one frame per write.
    SetSocketOption(socket_.get(), IPPROTO_TCP, TCP_NODELAY, 1);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    connected_ =
        connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }
  bool connected() const { return connected_; }

  void Send(int type) {
    ByteBuffer frame;
    ASSERT_EQ(BuildFrame(Header(type), {}, kBodyNone, frame), FrameBuild::kBuilt);
    ASSERT_EQ(SendSome(socket_.get(), frame.At(0), frame.Length()),
              static_cast<std::ptrdiff_t>(frame.Length()));
  }

  // Reads what has arrived and returns the decoded frames' header types and bodies.
  struct Frame {
    std::string type;
    std::string body;
    int mode = kBodyNone;
  };
  std::vector<Frame> Receive() {
    std::vector<Frame> frames;
    uint8_t bytes[65536];
    pollfd ready{socket_.get(), POLLIN, 0};
    while (PollSockets(&ready, 1, 50) > 0) {
      const std::ptrdiff_t n = ReceiveSome(socket_.get(), bytes, sizeof bytes);
      if (n <= 0) {
        closedByPeer_ = true;
        break;
      }
      buffer_.Append(bytes, static_cast<size_t>(n));
    }
    while (ScanFrame(buffer_) != FrameScan::kNeedMore) {
      const auto* start = buffer_.At(0);
      const uint32_t length = start[4] | start[5] << 8 | start[6] << 16 | start[7] << 24;
      const uint32_t headerLength = start[12] | start[13] << 8 | start[14] << 16 | start[15] << 24;
      std::string body(reinterpret_cast<const char*>(start) + 16 + headerLength,
                       length - 8 - headerLength);
      TakeFrame(buffer_, [&](MarkupDocument& header) {
        header.FindElement("root");
        frames.push_back(
            {header.GetAttribute("type"), body, std::stoi("0" + header.GetAttribute("flag"))});
      });
    }
    return frames;
  }
  bool closedByPeer() const { return closedByPeer_; }

 private:
  UniqueSocket socket_;
  bool connected_ = false;
  bool closedByPeer_ = false;
  ByteBuffer buffer_;
};

// The push records a client receives, decoded.
struct PushReader {
  // Runs `pass` and reads until `count` records arrived or a thousand rounds passed.
  void ReadFrom(TestClient& client, std::size_t count, const std::function<void()>& pass) {
    for (int round = 0; round < 1000 && records.size() < count; ++round) {
      pass();
      for (const TestClient::Frame& frame : client.Receive()) {
        ++frames;
        ASSERT_TRUE(DecodeFrameBody(frame.mode, frame.body, payloads.emplace_back()));
        ASSERT_TRUE(ReadPushRecords(payloads.back(), records));
      }
    }
  }

  std::vector<PushRecord> records;
  std::size_t frames = 0;
  std::deque<std::string> payloads;  // the records' texts point into them
};

// A pass without a wait limit, run on a thread of its own.
std::future<void> StartPass(ApiServer& server) {
  return std::async(std::launch::async, [&server] { server.Pass(); });
}

// True when `pass` returns within a bound far above any wait it should make. One that has not
// returned by then is ended by `unblock`, so that the test fails instead of hanging.
bool Returns(std::future<void>& pass, const std::function<void()>& unblock) {
  if (pass.wait_for(30s) == std::future_status::ready) return true;
  unblock();
  return false;
}

// Bytes that do not compress.
std::string RandomBytes(std::size_t length, unsigned seed) {
  std::string text(length, ' ');
  std::minstd_rand bytes(seed);
  for (char& byte : text) byte = static_cast<char>(bytes());
  return text;
}

class ApiServerTest : public ::testing::Test {
 protected:
  ApiServerTest()
      : log_(std::filesystem::temp_directory_path().string()),
        server_(0, log_, exitFlag_, metrics_, [this] { return ticks_.load(); }),
        handler_(server_) {
    server_.SetRequestHandler(&handler_);
  }

  void Passes(int n = 5) {
    for (int i = 0; i < n; ++i) server_.Pass(kStepWait);
  }
  // The text of large push record `i`: 64 KiB that do not compress.
  static std::string LargeText(int i) { return RandomBytes(64 * 1024, i + 1); }
  // Appends `count` large records (handle i, LargeText(i)): 13 MB for 200, more than the
  // sockets hold. With `passEach` the server passes after each, queuing what they do not take.
  void AppendLargePushes(int count, bool passEach) {
    for (int i = 0; i < count; ++i) {
      server_.AppendPush(PushRecord{.handle = i, .valueClass = 4, .text = LargeText(i)});
      if (passEach) server_.Pass(0ms);
    }
  }
  // Has `client`'s snapshot request (type 1) answered; from then on it receives pushes.
  void Subscribe(TestClient& client) {
    Passes();
    client.Send(1);
    Passes();
    ASSERT_EQ(client.Receive().size(), 1u);
  }

  const SocketRuntime sockets_;  // first: the server makes sockets
  ExitFlag exitFlag_;
  std::atomic<std::uint64_t> ticks_{1000};
  BridgeLog log_;
  MetricRegistry metrics_;
  ApiServer server_;
  EchoHandler handler_;
};

TEST_F(ApiServerTest, RepliesOnTheSamePassAndDropsClientsSilentForAMinute) {
  Passes(1);
  ASSERT_TRUE(server_.IsListening());
  TestClient talker(server_.ListeningPort());
  TestClient silent(server_.ListeningPort());
  Passes();
  ASSERT_EQ(server_.ClientCountForTest(), 2u);

  talker.Send(6);
  Passes();
  const auto replies = talker.Receive();
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].type, "6");

  ticks_ += 59999;
  talker.Send(6);  // restarts the talker's idle timer
  Passes();
  EXPECT_EQ(server_.ClientCountForTest(), 2u);
  ticks_ += 1;
  Passes();  // at most one client goes per pass
  EXPECT_EQ(server_.ClientCountForTest(), 1u);
  silent.Receive();
  EXPECT_TRUE(silent.closedByPeer());
  EXPECT_EQ(server_.PeerRegistry().Peers().size(), 1u);
}

TEST_F(ApiServerTest, TenthClientIsClosedAtOnce) {
  Passes(1);
  std::vector<std::unique_ptr<TestClient>> clients;
  for (int i = 0; i < 10; ++i) {
    clients.push_back(std::make_unique<TestClient>(server_.ListeningPort()));
    ASSERT_TRUE(clients.back()->connected());
    Passes(3);
  }
  EXPECT_EQ(server_.ClientCountForTest(), 9u);
  clients.back()->Receive();
  EXPECT_TRUE(clients.back()->closedByPeer());
  clients.front()->Send(6);
  Passes();
  EXPECT_EQ(clients.front()->Receive().size(), 1u);
}

TEST_F(ApiServerTest, PushesGoOnlyToSubscribersAndOnlyWhileSomeoneIsConnected) {
  Passes(1);
  const PushRecord record{
      .handle = 7, .seconds = 1, .valueClass = 2, .updateCount = 3, .integer = -5};
  server_.AppendPush(record);  // nobody connected: not kept
  TestClient subscriber(server_.ListeningPort());
  TestClient bystander(server_.ListeningPort());
  ASSERT_NO_FATAL_FAILURE(Subscribe(subscriber));

  server_.AppendPush(record);
  server_.AppendPush(record);
  Passes();
  const auto frames = subscriber.Receive();
  ASSERT_EQ(frames.size(), 1u);  // all records of a pass in one frame
  EXPECT_EQ(frames[0].type, "4");
  ASSERT_EQ(frames[0].body.size(), 2u * 20u);
  EXPECT_EQ(frames[0].body.substr(0, 4), std::string("\x07\0\0\0", 4));
  EXPECT_EQ(frames[0].body.substr(16, 4), "\xFB\xFF\xFF\xFF");
  EXPECT_TRUE(bystander.Receive().empty());
}

TEST_F(ApiServerTest, AWaitingPassEndsOnWakeAndOnAPush) {
  Passes(1);
  const auto unblock = [this] { TestClient(server_.ListeningPort()); };
  std::future<void> pass = StartPass(server_);
  server_.Wake();
  EXPECT_TRUE(Returns(pass, unblock));

  TestClient subscriber(server_.ListeningPort());
  ASSERT_NO_FATAL_FAILURE(Subscribe(subscriber));
  pass = StartPass(server_);
  server_.AppendPush(PushRecord{.handle = 3, .valueClass = 2, .integer = 1});
  EXPECT_TRUE(Returns(pass, unblock));
  // Pushes appended right after a flush wait for the next flush time, which ends the pass.
  server_.AppendPush(PushRecord{.handle = 4, .valueClass = 2, .integer = 1});
  pass = StartPass(server_);
  EXPECT_TRUE(Returns(pass, unblock));
  const auto frames = subscriber.Receive();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].type, "4");
  EXPECT_EQ(frames[1].body.substr(0, 4), std::string("\x04\0\0\0", 4));
}

TEST_F(ApiServerTest, AWaitingPassEndsAtTheNearestIdleDeadline) {
  Passes(1);
  TestClient silent(server_.ListeningPort());
  Passes();
  ASSERT_EQ(server_.ClientCountForTest(), 1u);
  ticks_ += 59999;
  std::future<void> pass = StartPass(server_);
  EXPECT_TRUE(Returns(pass, [this] { server_.Wake(); }));
  EXPECT_EQ(server_.ClientCountForTest(), 1u);
  ticks_ += 1;
  Passes(1);
  EXPECT_EQ(server_.ClientCountForTest(), 0u);
}

// A client that stops reading is not waited for: its bytes queue up while the others are
// served, and it is dropped once it has taken nothing for 640 ms.
TEST_F(ApiServerTest, ASubscriberThatStopsReadingIsDroppedWhileOthersAreServed) {
  Passes(1);
  TestClient stalled(server_.ListeningPort(), 4096);
  TestClient talker(server_.ListeningPort());
  Passes();
  stalled.Send(1);
  Passes();
  AppendLargePushes(200, true);
  talker.Send(6);
  Passes();
  EXPECT_EQ(talker.Receive().size(), 1u);
  EXPECT_EQ(server_.ClientCountForTest(), 2u);

  ticks_ += ApiClient::kSendStallMs - 1;
  Passes();
  EXPECT_EQ(server_.ClientCountForTest(), 2u);
  ticks_ += 1;
  Passes();
  EXPECT_EQ(server_.ClientCountForTest(), 1u);
  talker.Send(6);
  Passes();
  EXPECT_EQ(talker.Receive().size(), 1u);
}

// Megabytes queued for a slow reader reach it whole and in order, however the socket takes
// them: the queue sends from its middle, moves what is left down, and gives its storage back.
// Time in which the server made no pass, busy elsewhere (other clients' snapshots) while the
// reader emptied its socket, is not taken for a stall.
TEST_F(ApiServerTest, ASlowSubscriberGetsEveryPushWholeAndInOrder) {
  Passes(1);
  TestClient slow(server_.ListeningPort(), 4096);
  ASSERT_NO_FATAL_FAILURE(Subscribe(slow));
  constexpr int kPushes = 200;
  AppendLargePushes(kPushes, true);
  PushReader reader;
  reader.ReadFrom(slow, 1, [] {});
  ticks_ += ApiClient::kSendStallMs;
  reader.ReadFrom(slow, kPushes, [this] { server_.Pass(0ms); });
  const std::vector<PushRecord>& records = reader.records;
  ASSERT_EQ(records.size(), static_cast<std::size_t>(kPushes));
  for (int i = 0; i < kPushes; ++i) {
    EXPECT_EQ(records[i].handle, i);
    EXPECT_TRUE(records[i].text == LargeText(i)) << "record " << i;
  }
  EXPECT_EQ(server_.ClientCountForTest(), 1u);
}

// The pushes of one flush that no single frame may carry reach the subscriber in several.
TEST_F(ApiServerTest, AFlushTooLargeForOneFrameGoesOutInSeveral) {
  Passes(1);
  TestClient subscriber(server_.ListeningPort());
  ASSERT_NO_FATAL_FAILURE(Subscribe(subscriber));
  constexpr int kPushes = 200;  // 13 MB
  AppendLargePushes(kPushes, false);
  PushReader reader;
  reader.ReadFrom(subscriber, kPushes, [this] { server_.Pass(0ms); });
  const std::vector<PushRecord>& records = reader.records;
  ASSERT_EQ(records.size(), static_cast<std::size_t>(kPushes));
  EXPECT_GT(reader.frames, 1u);
  for (int i = 0; i < kPushes; ++i) EXPECT_EQ(records[i].handle, i);
}

// A request run aside holds back only its own client's later replies, which then follow it in
// order.
TEST_F(ApiServerTest, ARequestRunAsideDelaysOnlyItsOwnClient) {
  std::promise<void> open;
  handler_.asideGate = open.get_future().share();
  Passes(1);
  TestClient writer(server_.ListeningPort());
  TestClient talker(server_.ListeningPort());
  Passes();
  writer.Send(5);
  writer.Send(6);
  talker.Send(6);
  Passes();
  EXPECT_EQ(talker.Receive().size(), 1u);
  EXPECT_TRUE(writer.Receive().empty());

  open.set_value();
  for (int i = 0; i < 100 && server_.ClientCountForTest() == 2; ++i) {
    server_.Pass(kStepWait);
    const auto frames = writer.Receive();
    if (frames.empty()) continue;
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].type, "5");
    EXPECT_EQ(frames[1].type, "6");
    return;
  }
  FAIL() << "the reply run aside never came";
}

// Keeps the log's messages.
class LogCapture : public LogSink {
 public:
  void AddLogMessage(WallTime, std::string_view text) override { lines.emplace_back(text); }
  std::vector<std::string> lines;
};

// What keeps memory bounded: pending pushes beyond 19997952 bytes are thrown away (and counted)
// before the next record is kept, and a reply too large for a frame is logged and not sent.
TEST_F(ApiServerTest, PendingPushesAndRepliesAreBounded) {
  const auto capture = std::make_shared<LogCapture>();
  log_.AttachLogSink(capture);
  Passes(1);
  TestClient subscriber(server_.ListeningPort());
  ASSERT_NO_FATAL_FAILURE(Subscribe(subscriber));

  constexpr std::size_t kIntegerRecordSize = 20;
  const std::size_t overCap = ApiServer::kMaxPendingPushBytes / kIntegerRecordSize + 1;
  for (std::size_t i = 0; i < overCap; ++i) {
    server_.AppendPush(PushRecord{.handle = 1, .valueClass = 2, .integer = 1});
  }
  server_.AppendPush(PushRecord{.handle = 2, .valueClass = 2, .integer = 2});
  Passes();
  auto frames = subscriber.Receive();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].body.size(), kIntegerRecordSize);
  EXPECT_EQ(frames[0].body.substr(0, 4), std::string("\x02\0\0\0", 4));
  EXPECT_EQ(metrics_.Counter("tavrel_api_pushes_dropped_total", "").Value(), overCap);
  EXPECT_EQ(metrics_.Counter("tavrel_api_pushes_sent_total", "").Value(), 1);

  subscriber.Send(7);
  subscriber.Send(6);
  Passes();
  frames = subscriber.Receive();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].type, "6");
  log_.DetachLogSink();
  EXPECT_NE(std::find(capture->lines.begin(), capture->lines.end(), "数据太大，不处理"),
            capture->lines.end());
}

TEST_F(ApiServerTest, ListensOnTheAddressItIsGivenOnlyAndSaysWhich) {
  const auto capture = std::make_shared<LogCapture>();
  log_.AttachLogSink(capture);
  ApiServer server(0, log_, exitFlag_, metrics_);
  server.ListenOn("127.0.0.2");
  server.Pass(kStepWait);
  ASSERT_TRUE(server.IsListening());
  const auto connects = [&](const char* host) {
    UniqueSocket peer(OpenSocket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, host, &address.sin_addr);
    address.sin_port = htons(static_cast<uint16_t>(server.ListeningPort()));
    return connect(peer.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  };
  EXPECT_TRUE(connects("127.0.0.2"));
  EXPECT_FALSE(connects("127.0.0.1"));
  log_.DetachLogSink();
  EXPECT_EQ(capture->lines, (std::vector<std::string>{"API: listening on 127.0.0.2:" +
                                                      std::to_string(server.ListeningPort())}));
}

TEST_F(ApiServerTest, RetriesAPortInUseEveryThirtySecondsAndSaysWhyOnce) {
  const auto capture = std::make_shared<LogCapture>();
  log_.AttachLogSink(capture);
  UniqueSocket blocker(OpenSocket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(blocker.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(blocker.get(), 1), 0);
  getsockname(blocker.get(), reinterpret_cast<sockaddr*>(&address), &length);
  const int port = ntohs(address.sin_port);
  // The system's own words for the port in use ("Address already in use" on Linux).
  const UniqueSocket second(OpenSocket(AF_INET, SOCK_STREAM, 0));
  ASSERT_NE(bind(second.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const std::string inUse = SocketErrorText(LastSocketError());

  ApiServer server(port, log_, exitFlag_, metrics_, [this] { return ticks_.load(); });
  server.Pass();  // the first attempt fails, and the pass returns
  EXPECT_FALSE(server.IsListening());
  ticks_ += 30000;
  server.Pass(kStepWait);  // so does the second, without a second line
  EXPECT_FALSE(server.IsListening());
  blocker.Reset();
  ticks_ += 29999;
  // Waits out the last millisecond before the next attempt, but makes none.
  std::future<void> pass = StartPass(server);
  EXPECT_TRUE(Returns(pass, [&] { server.Wake(); }));
  EXPECT_FALSE(server.IsListening());
  ticks_ += 1;
  server.Pass(kStepWait);
  EXPECT_TRUE(server.IsListening());
  EXPECT_EQ(server.ListeningPort(), port);
  EXPECT_EQ(capture->lines,
            (std::vector<std::string>{"API: cannot listen on 0.0.0.0:" + std::to_string(port) +
                                          ": " + inUse + "; trying again every 30 s",
                                      "API: listening on 0.0.0.0:" + std::to_string(port)}));
}

}  // namespace

}  // namespace tavrel
