#include "manager/http_server.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>
#include <optional>
#include <string>

#include "manager/configuration_interface.h"
#include "manager/loopback_http_client.h"
#include "manager/manager_test_support.h"

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
}

TEST(HttpServerThread, PortInUseGivesNoServerAndNoLogLine) {
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
  EXPECT_EQ(folder.LogText(), "");
  close(holder);
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

}  // namespace
