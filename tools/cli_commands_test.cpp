#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bridge/api/api_server.h"
#include "common/code_page.h"
#include "common/encoding_detection.h"
#include "common/log_time.h"
#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "platform/net/socket_api.h"
#include "tools/cli_output_capture.h"
#include "wire/api_frame.h"
#include "wire/unique_socket.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

std::string ReplyHeader(int type, int flag) {
  return std::string(kGbkDeclaration) + "<root ver=\"0\" type=\"" + std::to_string(type) +
         "\" uid=\"1\" flag=\"" + std::to_string(flag) + "\"/>\r\n";
}

// A bridge-like peer: answers heartbeats, the configuration and a snapshot of a real, the
// status of a server, a text, reals that are no numbers, a boolean and an array of reals (which
// the API sends as the real 0); after the snapshot the client gets the pushes the test appends.
class FakeBridgeHandler : public ApiRequestHandler {
 public:
  explicit FakeBridgeHandler(ApiServer& server) : server_(server) {}
  void HandleRequest(ApiClient& client, MarkupDocument& request) override {
    request.FindElement("root");
    client.IdleTimer().Restart(true);
    if (request.GetAttribute("type") == "6") {
      server_.SendFrame(client, ReplyHeader(6, 0), {}, kBodyNone);
    } else if (request.GetAttribute("tt") == "1") {
      const std::string configuration =
          std::string(kGbkDeclaration) +
          "<root ver=\"0\">\r\n<t i=\"温度\" d=\"\" t=\"5\" a=\"1\" h=\"0\"/>\r\n"
          "<t i=\"s\" d=\"\" t=\"8\" a=\"1\" h=\"2\"/>\r\n"
          "<t i=\"n\" d=\"\" t=\"4\" a=\"1\" h=\"3\"/>\r\n"
          "<t i=\"b\" d=\"\" t=\"11\" a=\"1\" h=\"4\"/>\r\n"
          "<t i=\"a\" d=\"\" t=\"8197\" a=\"1\" h=\"5\"/>\r\n"
          "<t i=\"qz_server_status_0\" d=\"\" t=\"5\" a=\"1\" h=\"1\"/>\r\n</root>\r\n";
      server_.SendFrame(client, ReplyHeader(1, kBodyRaw), configuration, kBodyRaw);
    } else if (request.GetAttribute("tt") == "0") {
      const std::string snapshot =
          std::string(kGbkDeclaration) +
          "<root ver=\"0\">\r\n"
          "<t v=\"1.500000\" s=\"0\" ms=\"0\" q=\"0\" h=\"0\" k=\"S1G1温度\"/>\r\n"
          "<t v=\"1\" s=\"0\" m=\"0\" q=\"0\" h=\"1\"/>\r\n"
          "<t v=\"12 &quot;温&quot;\\&#9;&#10;\" s=\"0\" ms=\"0\" q=\"1\" h=\"2\" k=\"S1G1s\"/>\r\n"
          "<t v=\"-nan\" s=\"0\" ms=\"0\" q=\"0\" h=\"3\" k=\"S1G1n\"/>\r\n"
          "<t v=\"1\" s=\"0\" ms=\"0\" q=\"0\" h=\"4\" k=\"S1G1b\"/>\r\n"
          "<t v=\"0.000000\" s=\"0\" ms=\"0\" q=\"0\" h=\"5\" k=\"S1G1a\"/>\r\n</root>\r\n";
      server_.SendFrame(client, ReplyHeader(1, kBodyRaw), snapshot, kBodyRaw);
      client.pushesWanted = true;
      subscribed = true;
    } else if (request.GetAttribute("tt") == "100" || request.GetAttribute("tt") == "200") {
      const std::string failed =
          std::string(kGbkDeclaration) +
          "<root ver=\"0\">\r\n<t error=\"获取Server 列表失败\"/>\r\n</root>";
      server_.SendFrame(client, ReplyHeader(1, kBodyRaw), failed, kBodyRaw);
    } else if (request.GetAttribute("tt") == "400") {  // a project file it cannot load
      server_.SendFrame(client, ReplyHeader(1, kBodyRaw), {}, kBodyNone);
    } else if (request.GetAttribute("type") == "5") {
      const std::string refused =
          std::string(kGbkDeclaration) +
          "<root ver=\"0\" type=\"5\" uid=\"0\" flag=\"0\">\r\n<base handle=\"9\" "
          "write_uid=\"1\" ret1=\"3\" ret2=\"点不存在\"/>\r\n</root>\r\n";
      server_.SendFrame(client, refused, {}, kBodyNone);
    }
  }
  std::atomic<bool> subscribed{false};

 private:
  ApiServer& server_;
};

class CliTest : public ::testing::Test {
 protected:
  CliTest()
      : log_(std::filesystem::temp_directory_path().string()),
        server_(0, log_, exitFlag_, metrics_),
        handler_(server_) {
    server_.SetRequestHandler(&handler_);
    server_.Pass(0ms);
    port_ = server_.ListeningPort();
    thread_ = std::thread([this] {
      while (!exitFlag_.IsSet()) server_.Pass();
    });
  }
  ~CliTest() override {
    exitFlag_.Set();
    server_.Wake();
    thread_.join();
  }

  int Run(CliOptions options, std::string& output) {
    options.port = port_;
    options.timeout = 2000ms;
    return RunCliCommandCapturing(options, output);
  }

  const SocketRuntime sockets_;  // first: the server makes sockets
  ExitFlag exitFlag_;
  BridgeLog log_;
  MetricRegistry metrics_;
  ApiServer server_;
  FakeBridgeHandler handler_;
  int port_ = 0;
  std::thread thread_;
};

TEST_F(CliTest, PingGetsThePong) {
  CliOptions options;
  options.command = "ping";
  std::string output;
  EXPECT_EQ(Run(options, output), kCliOk);
  EXPECT_EQ(output, "pong\n");
}

// Runs `options` against `port` and returns the exit code, with what it printed on each stream.
int RunWithErrors(CliOptions options, int port, std::string& out, std::string& err) {
  options.port = port;
  options.timeout = 2000ms;
  std::FILE* outFile = std::tmpfile();
  std::FILE* errFile = std::tmpfile();
  const int result = RunCliCommand(options, outFile, errFile);
  for (auto [file, text] : {std::pair{outFile, &out}, std::pair{errFile, &err}}) {
    std::rewind(file);
    text->clear();
    for (int c; (c = std::fgetc(file)) != EOF;) *text += static_cast<char>(c);
    std::fclose(file);
  }
  return result;
}

TEST_F(CliTest, FailuresReportedByTheBridgeAreOneLineOfEnglishAndNotZero) {
  const struct {
    std::vector<std::string> command;
    int exit;
    std::string out;
    std::string err;
  } cases[] = {
      {{"browse", "No.Such", "{0}"},
       kCliBadReply,
       "",
       "tavrel-cli: cannot browse No.Such: the bridge says \"获取Server 列表失败\"\n"},
      {{"servers"},
       kCliBadReply,
       "",
       "tavrel-cli: cannot list the OPC servers: the bridge says \"获取Server 列表失败\"\n"},
      {{"get-project"},
       kCliBadReply,
       "",
       "tavrel-cli: the bridge has no project to give: its opc_db.xml cannot be loaded (empty "
       "reply)\n"},
      {{"write", "9", "1"},
       kCliBadReply,
       "ret1=3 ret2=点不存在\n",
       "tavrel-cli: handle 9 was not written: no tag has this handle (ret1=3, the bridge says "
       "\"点不存在\")\n"},
  };
  for (const auto& c : cases) {
    CliOptions options;
    options.command = c.command[0];
    options.arguments.assign(c.command.begin() + 1, c.command.end());
    std::string out;
    std::string err;
    EXPECT_EQ(RunWithErrors(options, port_, out, err), c.exit) << c.command[0];
    EXPECT_EQ(out, AnsiToUtf8(c.out));  // the bridge's GBK, as UTF-8 on the terminal
    EXPECT_EQ(err, AnsiToUtf8(c.err));
  }
}

TEST(Cli, APeerThatIsNotTheBridgeIsNamedAsSuch) {
  const SocketRuntime sockets;
  UniqueSocket listener(OpenSocket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener.get(), 1), 0);
  getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length);
  std::thread peer([&] {  // an HTTP server's answer to the frame, then the close
    UniqueSocket client(accept(listener.get(), nullptr, nullptr));
    char request[256];
    ReceiveSome(client.get(), request, sizeof request);
    const std::string answer = "HTTP/1.1 400 Bad Request\r\nConnection: close\r\n\r\n";
    SendSome(client.get(), answer.data(), answer.size());
  });
  CliOptions options;
  options.command = "ping";
  std::string out;
  std::string err;
  EXPECT_EQ(RunWithErrors(options, ntohs(address.sin_port), out, err), kCliNotABridge);
  peer.join();
  EXPECT_EQ(err, "tavrel-cli: 127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                     " is not the bridge's API (it answered as an HTTP server: \"HTTP/1.1 400 "
                     "Bad Request\"); the API port is `port` in config.xml, 21215 unless it says "
                     "otherwise\n");
}

// With --changes a push is printed only when its value or quality differs from the last shown.
TEST_F(CliTest, WatchChangesPrintsOnlyChangedValuesOrQualities) {
  CliOptions options;
  options.command = "watch";
  options.json = true;
  options.changes = true;
  options.count = 3;
  std::thread pusher([&] {
    while (!handler_.subscribed) std::this_thread::sleep_for(1ms);
    server_.AppendPush(PushRecord{.handle = 0, .seconds = 9, .valueClass = 1, .real = 1.5});
    server_.AppendPush(
        PushRecord{.handle = 0, .seconds = 9, .valueClass = 1, .bad = true, .real = 1.5});
    server_.AppendPush(
        PushRecord{.handle = 0, .seconds = 10, .valueClass = 1, .bad = true, .real = 1.5});
    server_.AppendPush(PushRecord{.handle = 4, .seconds = 10, .valueClass = 3, .integer = 1});
    server_.AppendPush(PushRecord{.handle = 2, .seconds = 10, .valueClass = 4, .text = "x"});
    server_.AppendPush(PushRecord{.handle = 2, .seconds = 11, .valueClass = 4, .text = "x"});
    server_.AppendPush(PushRecord{.handle = 4, .seconds = 11, .valueClass = 3, .integer = 0});
  });
  std::string output;
  EXPECT_EQ(Run(options, output), kCliOk);
  pusher.join();
  std::vector<std::pair<int, nlohmann::json>> pushed;
  std::istringstream lines(output);
  int line = 0;
  for (std::string text; std::getline(lines, text); ++line) {
    if (line < 6) continue;  // the snapshot
    const nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
    pushed.emplace_back(value["handle"].get<int>(), value["quality"]);
  }
  EXPECT_EQ(pushed,
            (std::vector<std::pair<int, nlohmann::json>>{{0, "bad"}, {2, "good"}, {4, "good"}}))
      << output;
}

TEST_F(CliTest, WatchPrintsTheSnapshotThenEveryPushAsJson) {
  CliOptions options;
  options.command = "watch";
  options.json = true;
  options.count = 7;
  const std::string pushedText = "温\"\x01";
  std::thread pusher([&] {
    while (!handler_.subscribed) std::this_thread::sleep_for(1ms);
    server_.AppendPush(PushRecord{.handle = 0, .seconds = 0, .valueClass = 1, .real = 2.25});
    server_.AppendPush(PushRecord{.handle = 0, .valueClass = 1, .bad = true, .real = -1});
    server_.AppendPush(PushRecord{.handle = 0, .valueClass = 1, .real = HUGE_VAL});
    server_.AppendPush(PushRecord{.handle = 2, .valueClass = 4, .text = pushedText});
    server_.AppendPush(PushRecord{.handle = 3, .valueClass = 2, .integer = -7});
    server_.AppendPush(PushRecord{.handle = 4, .valueClass = 3, .integer = 0});
    server_.AppendPush(PushRecord{.handle = 5, .valueClass = 1, .real = 0});
  });
  std::string output;
  EXPECT_EQ(Run(options, output), kCliOk);
  pusher.join();

  // Keys and texts are UTF-8 on the terminal, whatever --raw says.
  const std::string key = "S1G1\xE6\xB8\xA9\xE5\xBA\xA6";
  const std::string time = FormatTagTime(0, 0);
  const auto line = [&](int handle, const std::string& name, nlohmann::ordered_json value,
                        const char* quality) {
    return nlohmann::ordered_json{
        {"handle", handle}, {"key", name}, {"value", value}, {"quality", quality}, {"time", time}};
  };
  const std::vector<nlohmann::ordered_json> expected = {
      line(0, key, 1.5, "good"),
      line(1, "status", 1, "good"),
      line(2, "S1G1s", "12 \"\xE6\xB8\xA9\"\\\t\n", "bad"),
      line(3, "S1G1n", nullptr, "good"),
      line(4, "S1G1b", true, "good"),
      line(5, "S1G1a", nullptr, "good"),
      line(0, key, 2.25, "good"),
      line(0, key, -1.0, "bad"),
      line(0, key, nullptr, "good"),
      line(2, "S1G1s", "\xE6\xB8\xA9\"\x01", "good"),
      line(3, "S1G1n", -7, "good"),
      line(4, "S1G1b", false, "good"),
      line(5, "S1G1a", nullptr, "good"),
  };
  std::vector<nlohmann::ordered_json> printed;
  std::istringstream lines(output);
  for (std::string text; std::getline(lines, text);) {
    printed.push_back(nlohmann::ordered_json::parse(text, nullptr, false));
  }
  EXPECT_EQ(printed, expected) << output;
}

// Options stand before or after the command, values may look like options, and usage errors
// name what is wrong.
TEST(Cli, ParsesOptionsAroundTheCommand) {
  struct Case {
    std::vector<std::string> argv;
    std::string expected;  // command and arguments, or the error
  };
  for (const Case& test : std::vector<Case>{
           {{"--host", "h", "watch", "--json", "--count", "3"}, "watch h json 3"},
           {{"write", "5", "-3", "--port", "7"}, "write 5 -3 port 7"},
           {{"--raw", "put-project", "f.xml"}, "put-project f.xml raw"},
           {{"watch", "--help"}, "help"},
           {{"--help"}, "help"},
           {{"write", "5"}, "error: wrong number of arguments for write"},
           {{"ping", "x"}, "error: wrong number of arguments for ping"},
           {{"frob"}, "error: unknown command frob"},
           {{}, "error: no command"},
           {{"ping", "--frob"}, "error: unknown option --frob"},
       }) {
    std::vector<char*> argv{const_cast<char*>("tavrel-cli")};
    for (const std::string& argument : test.argv)
      argv.push_back(const_cast<char*>(argument.c_str()));
    CliOptions options;
    std::string error;
    std::string seen;
    if (!ParseCliOptions(static_cast<int>(argv.size()), argv.data(), options, error)) {
      seen = "error: " + error;
    } else if (options.help) {
      seen = "help";
    } else {
      seen = options.command;
      for (const std::string& argument : options.arguments) seen += " " + argument;
      if (options.host != "127.0.0.1") seen += " " + options.host;
      if (options.json) seen += " json";
      if (options.count >= 0) seen += " " + std::to_string(options.count);
      if (options.port != kDefaultApiPort) seen += " port " + std::to_string(options.port);
      if (options.raw) seen += " raw";
    }
    EXPECT_EQ(seen, test.expected);
  }
  char program[] = "tavrel-cli";
  char port[] = "--port";
  char notANumber[] = "x";
  char ping[] = "ping";
  char* badPort[] = {program, port, notANumber, ping};
  CliOptions options;
  std::string error;
  EXPECT_FALSE(ParseCliOptions(4, badPort, options, error));
  EXPECT_NE(error.find("--port"), std::string::npos) << error;
}

TEST(Cli, ReportsUsageAndConnectionFailuresWithTheirExitCodes) {
  const SocketRuntime sockets;
  CliOptions options;
  std::string error;
  char program[] = "tavrel-cli";
  char write[] = "write";
  char handle[] = "x";
  char* tooFew[] = {program, write, handle};
  EXPECT_FALSE(ParseCliOptions(3, tooFew, options, error));
  EXPECT_EQ(error, "wrong number of arguments for write");

  char ping[] = "ping";
  char portOption[] = "--port";
  char port[] = "1";
  char* pingClosedPort[] = {program, portOption, port, ping};
  CliOptions pingOptions;
  ASSERT_TRUE(ParseCliOptions(4, pingClosedPort, pingOptions, error));
  std::FILE* sink = std::tmpfile();
  EXPECT_EQ(RunCliCommand(pingOptions, sink, sink), kCliConnection);
  // The system's reason (Chinese on a Chinese Windows host) is printed as UTF-8 like the rest.
  std::rewind(sink);
  std::string printed;
  for (int c; (c = std::fgetc(sink)) != EOF;) printed += static_cast<char>(c);
  std::fclose(sink);
  EXPECT_TRUE(printed.starts_with("tavrel-cli: cannot connect to 127.0.0.1:1: ")) << printed;
  EXPECT_TRUE(IsUtf8Text(printed)) << printed;
}

}  // namespace

}  // namespace tavrel
