#include "manager/http_server.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>

#include "manager/configuration_interface.h"
#include "manager/loopback_http_client.h"
#include "manager/manager_test_support.h"
#include "platform/process/process_list.h"

namespace {

using namespace std::chrono_literals;

std::string Utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

// The configuration interface served on a system-chosen port over a temporary installation,
// with a stand-in bridge under a name of its own.
class HttpServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.InstallProgram(BRIDGE_STAND_IN, bridgeName_);
    server_.emplace(
        0, [this](evhttp_request* request) { interface_.HandleHttpRequest(request); }, log_);
    ASSERT_TRUE(server_->listening());
  }
  void TearDown() override {
    server_.reset();
    while (const pid_t left = FindProcessByName(bridgeName_, NameMatch::kExact)) {
      kill(left, SIGKILL);
      waitpid(left, nullptr, 0);
    }
  }

  TemporaryInstallation folder_;
  const std::string bridgeName_ = UniqueBridgeName();
  const DailyLog log_{folder_.path()};
  const BridgeControl bridge_{folder_.path(), bridgeName_, BridgeStopWait{100, 10ms}};
  const ConfigurationInterface interface_{folder_.path(), log_, bridge_};
  std::optional<HttpServerThread> server_;
};

TEST_F(HttpServerTest, StoredProjectRestartsTheBridgeBeforeTheNextRequestIsServed) {
  bridge_.StartBridge();
  pid_t first = 0;
  ASSERT_TRUE(Eventually([&] { return (first = bridge_.FindBridgeProcess()) != 0; }));

  LoopbackHttpClient client(server_->boundPort());
  const std::u8string project = u8"<root><server name=\"新\"/></root>";
  std::optional<HttpReply> reply = client.Post("/set_opc_db", Utf8(project));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
  EXPECT_EQ(reply->headers.at("content-type"), "application/json; charset=UTF-8");
  EXPECT_EQ(reply->body, "");
  EXPECT_EQ(folder_.Read("opc_db.xml"), Utf8(project));

  // Requests are served one at a time: this one waits for the restart to finish.
  reply = client.Post("/get_opc_db");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->body, Utf8(project));
  EXPECT_FALSE(IsProcessRunning(first));
  pid_t second = 0;
  EXPECT_TRUE(Eventually([&] { return (second = bridge_.FindBridgeProcess()) != 0; }));
  EXPECT_NE(second, first);
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
