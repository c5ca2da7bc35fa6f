#include "manager/http_server.h"

#include <event2/buffer.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "manager/configuration_interface.h"
#include "manager/loopback_http_client.h"
#include "manager/manager_test_support.h"
#include "manager/process_test_support.h"

namespace tavrel {

namespace {

TEST(HttpServerThread, HandsEveryRequestToTheHandlerAndKeepsTheConnection) {
  TemporaryInstallation folder;
  const DailyLog log(folder.path());
  // The handler runs on the server's thread; the socket orders its writes before the reads
  // below, but the thread sanitizer cannot see that, so a lock does.
  std::mutex lock;
  std::string seen;
  const HttpServerThread server(
      0,
      [&](evhttp_request* request) {
        const std::lock_guard<std::mutex> held(lock);
        seen = evhttp_request_get_uri(request);
        SendJsonReply(request, "中" + seen);
      },
      log);
  ASSERT_TRUE(server.listening());
  LoopbackHttpClient client(server.boundPort());
  for (const std::string target : {"/any/path?q=1", "/"}) {
    const std::optional<HttpReply> reply = client.Send("PUT", target, "body");
    ASSERT_TRUE(reply);
    {
      const std::lock_guard<std::mutex> held(lock);
      EXPECT_EQ(seen, target);
    }
    EXPECT_EQ(reply->status, 200);
    EXPECT_EQ(reply->headers.at("content-type"), "application/json; charset=UTF-8");
    EXPECT_EQ(reply->body, "\xE4\xB8\xAD" + target);  // UTF-8 of the GBK text
  }
  EXPECT_NE(folder.LogText().find(" PORT=0 HTTP监听成功\r\n"), std::string::npos);
  EXPECT_NE(folder.LogText().find(
                " HTTP: listening on 0.0.0.0:" + std::to_string(server.boundPort()) + "\r\n"),
            std::string::npos)
      << folder.LogText();
}

TEST(HttpServerThread, PortInUseGivesNoServerAndOneLineThatSaysWhy) {
  TemporaryInstallation folder;
  const DailyLog log(folder.path());
  const int holder = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(holder, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(holder, 1), 0);
  socklen_t length = sizeof address;
  ASSERT_EQ(getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length), 0);

  const HttpServerThread server(
      ntohs(address.sin_port), [](evhttp_request*) {}, log);
  EXPECT_FALSE(server.listening());
  EXPECT_EQ(server.boundPort(), 0);
  const std::string port = std::to_string(ntohs(address.sin_port));
  const std::string logged = folder.LogText();
  EXPECT_NE(logged.find(" HTTP: cannot listen on 0.0.0.0:" + port +
                        ": Address already in use; the manager goes on without its "
                        "HTTP interface\r\n"),
            std::string::npos)
      << logged;
  EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), 1);
  close(holder);
}

TEST(HttpServerThread, ListensOnTheAddressItIsGivenOnlyAndSaysWhich) {
  TemporaryInstallation folder;
  const DailyLog log(folder.path());
  const HttpServerThread server(
      0, [](evhttp_request* request) { SendJsonReply(request, ""); }, log, {}, "127.0.0.2");
  ASSERT_TRUE(server.listening());
  const LoopbackHttpClient elsewhere(server.boundPort());  // 127.0.0.1
  EXPECT_FALSE(elsewhere.connected());
  EXPECT_NE(folder.LogText().find(
                " HTTP: listening on 127.0.0.2:" + std::to_string(server.boundPort()) + "\r\n"),
            std::string::npos)
      << folder.LogText();
}

TEST(HttpServerThread, EndsWhenDestroyedEvenBeforeItsLoopHasStarted) {
  TemporaryInstallation folder;
  const DailyLog log(folder.path());
  for (int i = 0; i < 20; ++i) {
    const HttpServerThread server(
        0, [](evhttp_request*) {}, log);
    EXPECT_TRUE(server.listening());
  }
}

using namespace std::chrono_literals;

// A server whose handler answers "ok" to every request, except "/throw", which throws before
// answering, and "/partial", which throws after putting part of a body into the reply.
class LimitedServerTest : public ::testing::Test {
 protected:
  void Start(HttpServerLimits limits) {
    server_.emplace(
        0,
        [this](evhttp_request* request) {
          const std::string uri = evhttp_request_get_uri(request);
          ++handled_;
          if (uri == "/throw") throw std::bad_alloc();
          if (uri == "/partial") {
            evbuffer_add(evhttp_request_get_output_buffer(request), "half", 4);
            throw std::bad_alloc();
          }
          SendJsonReply(request, "ok");
        },
        log_, limits);
    ASSERT_TRUE(server_->listening());
  }
  std::uint16_t port() const { return server_->boundPort(); }

  TemporaryInstallation folder_;
  const DailyLog log_{folder_.path()};
  std::atomic<int> handled_ = 0;
  std::optional<HttpServerThread> server_;
};

// A loopback connection to `port`, or -1.
int Connect(std::uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    return fd;
  }
  if (fd >= 0) close(fd);
  return -1;
}

// True when the peer closes `fd` within `limit` (whatever it sends before).
bool ClosedByPeerWithin(int fd, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd readable{fd, POLLIN, 0};
    if (poll(&readable, 1, 10) != 1) continue;
    char bytes[512];
    if (recv(fd, bytes, sizeof bytes, 0) <= 0) return true;
  }
  return false;
}

size_t Count(std::string_view text, std::string_view part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST_F(LimitedServerTest, BodiesOverTheLimitAre413AndLoggedHandlerFailuresAre500) {
  Start({.maxBodySize = 1000});
  const struct {
    std::string target;
    size_t bodySize;
    int status;
    bool handled;
  } cases[] = {
      {"/", 0, 200, true},         {"/", 1000, 200, true},    {"/", 1001, 413, false},
      {"/", 5000000, 413, false},  {"/throw", 10, 500, true}, {"/partial", 0, 500, true},
      {"/after", 1000, 200, true},
  };
  for (const auto& request : cases) {
    SCOPED_TRACE(request.target + " " + std::to_string(request.bodySize));
    const int handledBefore = handled_;
    LoopbackHttpClient client(port());
    const std::optional<HttpReply> reply =
        client.Post(request.target, std::string(request.bodySize, 'b'));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, request.status);
    EXPECT_EQ(handled_ - handledBefore, request.handled ? 1 : 0);
    EXPECT_EQ(reply->body.find("half"), std::string::npos);
  }
  EXPECT_EQ(Count(folder_.LogText(), "HTTP请求内容超过1000字节,已回复413\r\n"), 2);
}

TEST_F(LimitedServerTest, ConnectionsWithoutAWholeRequestWithinTheTimeOutAreClosed) {
  Start({.connectionTimeout = 300ms});
  const int idle = Connect(port());
  const int trickling = Connect(port());
  ASSERT_GE(idle, 0);
  ASSERT_GE(trickling, 0);
  LoopbackHttpClient busy(port());
  // For two seconds the trickling peer sends a byte of its head every 50 ms (each resets an
  // idle timer), and the busy one a whole request every 100 ms.
  const std::string head = "POST /x HTTP/1.1\r\nX-Slow: " + std::string(12, 'a');
  bool trickleClosed = false;
  for (size_t i = 0; i < head.size(); ++i) {
    if (trickleClosed) {
      std::this_thread::sleep_for(50ms);
    } else {
      (void)!send(trickling, &head[i], 1, MSG_NOSIGNAL);
      trickleClosed = ClosedByPeerWithin(trickling, 50ms);
    }
    if (i % 2 == 0) {
      const std::optional<HttpReply> reply = busy.Post("/");
      ASSERT_TRUE(reply) << i;
      EXPECT_EQ(reply->status, 200);
    }
  }
  EXPECT_TRUE(trickleClosed);
  EXPECT_TRUE(ClosedByPeerWithin(idle, 2s));
  close(idle);
  close(trickling);
}

TEST_F(LimitedServerTest, AtTheConnectionCapNewConnectionsWaitUntilOneCloses) {
  Start({.maxConnections = 2});
  std::optional<LoopbackHttpClient> first(std::in_place, port());
  LoopbackHttpClient second(port());
  ASSERT_TRUE(first->Post("/"));
  ASSERT_TRUE(second.Post("/"));
  // Connected (the system queues it), but not accepted while two are open.
  LoopbackHttpClient third(port(), 500ms);
  ASSERT_TRUE(third.connected());
  EXPECT_FALSE(third.Post("/"));
  first.reset();
  // The reply to the request sent above, now that it is served.
  const std::optional<HttpReply> reply = third.Post("/");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
}

// What `fd` receives within `limit` (until the peer closes it or the time is up).
std::string ReceivedWithin(int fd, std::chrono::milliseconds limit) {
  std::string received;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline &&
         received.find("\r\n\r\n") == std::string::npos) {
    pollfd readable{fd, POLLIN, 0};
    if (poll(&readable, 1, 10) != 1) continue;
    char bytes[512];
    const ssize_t n = recv(fd, bytes, sizeof bytes, 0);
    if (n <= 0) break;
    received.append(bytes, static_cast<size_t>(n));
  }
  return received;
}

TEST_F(LimitedServerTest, BodiesBeingReceivedAreBoundedTogetherAndTheOneOverIsRefused) {
  Start({.maxBufferedBytes = size_t{1} << 20});
  const std::string head = "POST / HTTP/1.1\r\nHost: h\r\nContent-Length: 800000\r\n\r\n";
  const int first = Connect(port());
  const int second = Connect(port());
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  const auto sendAll = [](int fd, const std::string& bytes) {
    for (size_t at = 0; at < bytes.size();) {
      const ssize_t n = send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
      if (n <= 0) return false;
      at += static_cast<size_t>(n);
    }
    return true;
  };
  // Each body alone is far below the limit of one body; together they are over the bound.
  ASSERT_TRUE(sendAll(first, head + std::string(700000, 'a')));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(sendAll(second, head + std::string(400000, 'b')));
  EXPECT_TRUE(ReceivedWithin(second, 2s).starts_with("HTTP/1.1 503 Service Unavailable\r\n"));
  EXPECT_TRUE(ClosedByPeerWithin(second, 2s));
  // The first goes on, and what the second held is free again for the next.
  ASSERT_TRUE(sendAll(first, std::string(100000, 'a')));
  EXPECT_TRUE(ReceivedWithin(first, 2s).starts_with("HTTP/1.1 200 OK\r\n"));
  LoopbackHttpClient third(port());
  const std::optional<HttpReply> reply = third.Post("/", std::string(800000, 'c'));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
  EXPECT_EQ(handled_, 2);
  close(first);
  close(second);
}

std::atomic<int> acceptWarnings = 0;

TEST_F(LimitedServerTest, FailingAcceptPausesInsteadOfSpinningAndIsLoggedOnce) {
  event_set_log_callback([](int severity, const char* message) {
    if (severity >= EVENT_LOG_WARN &&
        std::string_view(message).find("accept") != std::string_view::npos) {
      ++acceptWarnings;
    }
  });
  Start({});
  std::optional<LoopbackHttpClient> client;
  rusage before{};
  rusage after{};
  {
    DescriptorsUsedUp used;
    used.Release();
    client.emplace(port());  // takes the one free descriptor; the server's accept has none
    ASSERT_TRUE(client->connected());
    getrusage(RUSAGE_SELF, &before);
    std::this_thread::sleep_for(500ms);
    getrusage(RUSAGE_SELF, &after);
  }
  const auto cpu = [](const rusage& usage) {
    return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  };
  // A retry loop would take the whole half second.
  EXPECT_LT(cpu(after) - cpu(before), 200ms);
  // Accepted once descriptors are free again, after a pause of at most a few seconds.
  const std::optional<HttpReply> reply = client->Post("/");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
  event_set_log_callback(nullptr);
  EXPECT_EQ(acceptWarnings, 0);
  const std::string log = folder_.LogText();
  EXPECT_EQ(Count(log, "HTTP恢复接受连接,此前失败"), 1) << log;
  EXPECT_LE(Count(log, "HTTP接受连接失败("), 1) << log;
}

}  // namespace

}  // namespace tavrel
