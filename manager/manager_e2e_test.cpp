// The manager program as installed: the real executables in a temporary copy of the
// installation folder, with curl as the HTTP client.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "bridge/core/bridge_process.h"
#include "common/code_page.h"
#include "manager/loopback_http_client.h"
#include "manager/manager_app.h"
#include "manager/manager_test_support.h"
#include "manager/process_test_support.h"
#include "platform/net/test_ports.h"
#include "platform/process/process_list.h"
#include "platform/process/single_instance.h"
#include "platform/process/spawn.h"
#include "tools/api_connection.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

std::string Utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

struct CurlReply {
  int status = 0;
  std::string body;
};

class ManagerProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Bridges and managers find each other machine-wide, by name and by their locks.
    ASSERT_TRUE(SingleInstanceLock(kBridgeInstanceName).held()) << "a bridge runs already";
    ASSERT_TRUE(SingleInstanceLock(kManagerInstanceName).held()) << "a manager runs already";
    folder_.CopyFrom(TAVREL_PROGRAM_DIRECTORY);
    std::filesystem::remove(folder_.File("config.xml"));
  }

  void TearDown() override {
    for (const std::string& program : {folder_.File("Morvane"), folder_.File("Tavrel")}) {
      for (const pid_t left : ProcessesRunning(program)) kill(left, SIGKILL);
    }
    if (manager_ != 0) waitpid(manager_, nullptr, 0);
  }

  // Writes config.xml with the manager's `attributes` and an API port of the bridge's own.
  void WriteConfig(const std::string& attributes) {
    folder_.Write("config.xml", "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root port=\"" +
                                    std::to_string(bridgePort_) + "\" " + attributes + "/>\r\n");
  }

  // Starts the manager and waits until it answers on `port`.
  ::testing::AssertionResult StartManager(std::uint16_t port) {
    manager_ = StartProgram(folder_.File("Morvane"));
    if (manager_ == 0) return ::testing::AssertionFailure() << "the manager did not start";
    port_ = port;
    if (!Eventually([&] { return LoopbackHttpClient(port).connected(); })) {
      return ::testing::AssertionFailure() << "nothing listens on port " << port;
    }
    return ::testing::AssertionSuccess();
  }

  // Sends the quit signal and returns the manager's exit code (-1: it did not end normally).
  int StopManager() {
    kill(manager_, SIGTERM);
    int status = 0;
    const pid_t ended = waitpid(manager_, &status, 0);
    manager_ = 0;
    return ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Runs curl with `options` against `path` on the manager's port; the body goes through a
  // file so that every byte of it, a NUL included, is seen.
  CurlReply Curl(const std::string& options, const std::string& path) {
    const std::string bodyFile = folder_.File("curl-body");
    const std::string command = "curl -s -m 20 -o '" + bodyFile + "' -w '%{http_code}' " + options +
                                " 'http://127.0.0.1:" + std::to_string(port_) + path + "'";
    CurlReply reply;
    const std::unique_ptr<FILE, int (*)(FILE*)> curl(popen(command.c_str(), "r"), pclose);
    if (!curl || std::fscanf(curl.get(), "%d", &reply.status) != 1) return reply;
    reply.body = folder_.Read("curl-body");
    std::filesystem::remove(bodyFile);
    return reply;
  }

  // POSTs `body` to `path`.
  CurlReply Post(const std::string& path, std::string_view body = {}) {
    folder_.Write("curl-request", body);
    return Curl("--data-binary @'" + folder_.File("curl-request") + "'", path);
  }

  // The bridge of this installation that runs, waiting up to `limit` for one that is not
  // `old`; 0 when none comes.
  pid_t RunningBridge(std::chrono::milliseconds limit, pid_t old = 0) {
    pid_t found = 0;
    Eventually(
        [&] {
          const std::vector<pid_t> running = ProcessesRunning(folder_.File("Tavrel"));
          found = running.size() == 1 && running.front() != old ? running.front() : 0;
          return found != 0;
        },
        limit);
    return found;
  }

  // The configuration the bridge's API gives: a document of one `t` element per tag.
  std::string BridgeConfiguration() {
    std::string error;
    std::unique_ptr<ApiConnection> api;
    Eventually([&] {
      return (api = ApiConnection::Connect("127.0.0.1", bridgePort_, 1s, error)) != nullptr;
    });
    if (api == nullptr || !api->SendRequest(RequestHeader(1, 1, 1))) return {};
    ApiReply reply;
    while (api->Receive(reply, 3s) == ApiReceive::kFrame) {
      if (reply.type == 1) return reply.payload;
    }
    return {};
  }

  TemporaryInstallation folder_;
  pid_t manager_ = 0;
  std::uint16_t port_ = 0;
  const int bridgePort_ = FreeLoopbackPort();
};

TEST_F(ManagerProgramTest, WithoutConfigStartsTheBridgeAtOnceAndStopsItOnSigterm) {
  ASSERT_TRUE(StartManager(9527));
  EXPECT_NE(RunningBridge(2s), 0);
  EXPECT_EQ(Post("/get_opc_db").status, 200);
  EXPECT_EQ(StopManager(), 0);
  EXPECT_TRUE(ProcessesRunning(folder_.File("Tavrel")).empty());
  const std::string log = folder_.LogText();
  EXPECT_NE(log.find(" PORT=9527 HTTP监听成功\r\n"), std::string::npos);
  EXPECT_NE(log.find(" OPC 管理程序退出\r\n"), std::string::npos);
}

TEST_F(ManagerProgramTest, ReadsPortFromConfigAndSecondManagerExitsAtOnce) {
  WriteConfig("watch=\"管理\" sleep=\"-1\" port_h=\"8080\"");
  ASSERT_TRUE(StartManager(8080));
  EXPECT_FALSE(LoopbackHttpClient(9527).connected());
  EXPECT_NE(RunningBridge(2s), 0);

  const pid_t second = StartProgram(folder_.File("Morvane"));
  ASSERT_GT(second, 0);
  int status = -1;
  ASSERT_TRUE(Eventually([&] { return waitpid(second, &status, WNOHANG) == second; }));
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  EXPECT_EQ(Post("/get_opc_db").status, 200);
  EXPECT_EQ(StopManager(), 0);
  const std::string log = folder_.LogText();
  EXPECT_NE(log.find(" PORT=8080 HTTP监听成功\r\n"), std::string::npos);
  // The second manager logged nothing: one start, one exit.
  EXPECT_EQ(log.find("HTTP监听成功"), log.rfind("HTTP监听成功"));
  EXPECT_EQ(log.find("OPC 管理程序退出"), log.rfind("OPC 管理程序退出"));
}

TEST_F(ManagerProgramTest, RefusesOtherMethodsUnknownPathsAndNamesOutsideServers) {
  WriteConfig("sleep=\"-1\" port_h=\"29527\"");
  folder_.Write("opc_db.xml", "<root/>");
  ASSERT_TRUE(StartManager(29527));

  CurlReply reply = Curl("", "/get_opc_db");
  EXPECT_EQ(reply.status, 405);
  EXPECT_EQ(reply.body, "");
  reply = Post("/get_opc_db?a=b");
  EXPECT_EQ(reply.status, 404);
  EXPECT_EQ(reply.body, "");
  reply = Post("/get_opc_tags", "../opc_db");
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, "");
  EXPECT_EQ(StopManager(), 0);

  const std::string log = folder_.LogText();
  EXPECT_NE(log.find(" 错误的查询类型 d=1 uri=/get_opc_db\r\n"), std::string::npos);
  EXPECT_EQ(log.find("a=b"), std::string::npos);
  EXPECT_NE(log.find(" 收到get_opc_tags请求，但本地找不到文件:" + folder_.path() +
                     "/servers/../opc_db.xml\r\n"),
            std::string::npos);
}

TEST_F(ManagerProgramTest, StoresUploadsInTheirDeclaredEncodingAndRepliesWithoutNul) {
  WriteConfig("sleep=\"-1\" port_h=\"29527\"");
  ASSERT_TRUE(StartManager(29527));

  const std::u8string declared =
      u8"<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<root><server name=\"站\"/></root>";
  CurlReply reply = Post("/set_opc_db", Utf8(declared));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, "");
  EXPECT_EQ(folder_.Read("opc_db.xml"),
            "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<root><server name=\"站\"/></root>");
  reply = Post("/get_opc_db");
  EXPECT_EQ(reply.body, Utf8(declared));

  const std::u8string plain = u8"<root><server name=\"站\"/></root>";
  EXPECT_EQ(Post("/set_opc_db", Utf8(plain)).status, 200);
  EXPECT_EQ(folder_.Read("opc_db.xml"), Utf8(plain));

  reply = Post("/set_opc_db", "<root/><root/>");
  EXPECT_EQ(reply.body, Utf8(u8"设置opc_db内容出错"));
  EXPECT_EQ(folder_.Read("opc_db.xml"), Utf8(plain));

  folder_.Write("servers/serverlist.xml", "<root ver=\"0\"/>");
  for (const char* path : {"/get_opc_list", "/get_opc_db", "/set_opc_db"}) {
    reply = Post(path);
    EXPECT_EQ(reply.status, 200);
    EXPECT_FALSE(reply.body.empty());
    EXPECT_NE(reply.body.back(), '\0') << path;
  }
  EXPECT_EQ(StopManager(), 0);
}

TEST_F(ManagerProgramTest, KilledBridgeRunsAgainWithinTheWatchdogPeriod) {
  WriteConfig("sleep=\"-1\" port_h=\"29527\"");
  ASSERT_TRUE(StartManager(29527));
  const pid_t first = RunningBridge(2s);
  ASSERT_NE(first, 0);
  kill(first, SIGKILL);
  EXPECT_NE(RunningBridge(6500ms, first), 0);
  EXPECT_EQ(StopManager(), 0);
}

TEST_F(ManagerProgramTest, StoredProjectRestartsTheBridge) {
  WriteConfig("sleep=\"-1\" port_h=\"29527\"");
  ASSERT_TRUE(StartManager(29527));
  const pid_t first = RunningBridge(2s);
  ASSERT_NE(first, 0);
  const std::u8string project =
      u8"<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n"
      u8"<server name=\"新站\" node=\"\" sid=\"Sim.Absent.1\">\r\n<group name=\"g\">\r\n"
      u8"<tag id=\"温度.1\" vt=\"4\" dir=\"1\"/>\r\n</group>\r\n</server>\r\n</root>\r\n";
  EXPECT_EQ(Post("/set_opc_db", Utf8(project)).status, 200);
  EXPECT_EQ(folder_.Read("opc_db.xml"), Utf8ToAnsi(Utf8(project)));
  EXPECT_NE(RunningBridge(10s, first), 0);
  const std::string configuration = BridgeConfiguration();
  EXPECT_NE(configuration.find("<t i=\"温度.1\" d=\"\" t=\"4\" a=\"1\" h=\"0\"/>"),
            std::string::npos)
      << configuration;
  EXPECT_EQ(StopManager(), 0);
}

// A bridge started from another folder holds the lock: the manager neither adopts nor stops
// it, names it in the watchdog's line and goes on trying.
TEST_F(ManagerProgramTest, ABridgeOfAnotherFolderIsNamedAndLeftRunning) {
  TemporaryInstallation other;
  other.CopyFrom(TAVREL_PROGRAM_DIRECTORY);
  other.Write("config.xml", "<root port=\"" + std::to_string(FreeLoopbackPort()) + "\"/>");
  const pid_t theirs = StartProgram(other.File("Tavrel"));
  ASSERT_GT(theirs, 0);
  ASSERT_TRUE(
      Eventually([&] { return SingleInstanceLock::Holder(kBridgeInstanceName) == theirs; }));
  WriteConfig("sleep=\"-1\" port_h=\"29527\"");
  ASSERT_TRUE(StartManager(29527));
  const std::string named =
      "; the single-instance lock is held by the bridge of another installation: process " +
      std::to_string(theirs) + " from " + std::filesystem::canonical(other.path()).string() +
      "\r\n";
  EXPECT_TRUE(Eventually([&] { return folder_.LogText().find(named) != std::string::npos; }, 8s))
      << folder_.LogText();
  EXPECT_EQ(StopManager(), 0);
  EXPECT_TRUE(IsProcessRunning(theirs));
  kill(theirs, SIGTERM);
  waitpid(theirs, nullptr, 0);
}

TEST_F(ManagerProgramTest, QuitDuringTheFirstWaitEndsWithoutStartingTheBridge) {
  WriteConfig("sleep=\"60\" port_h=\"29527\"");
  ASSERT_TRUE(StartManager(29527));
  EXPECT_EQ(StopManager(), 0);
  EXPECT_TRUE(ProcessesRunning(folder_.File("Tavrel")).empty());
  EXPECT_NE(folder_.LogText().find(" OPC 管理程序退出\r\n"), std::string::npos);
}

}  // namespace

}  // namespace tavrel
