#include "tools/cli_commands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "bridge/api/api_server.h"
#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "wire/api_frame.h"

namespace {

using namespace std::chrono_literals;

std::string ReplyHeader(int type, int flag) {
  return std::string(kGbkDeclaration) + "<root ver=\"0\" type=\"" + std::to_string(type) +
         "\" uid=\"1\" flag=\"" + std::to_string(flag) + "\"/>\r\n";
}

// A bridge-like peer: answers heartbeats and a two-tag snapshot, after which the client gets
// the pushes the test appends.
class FakeBridgeHandler : public ApiRequestHandler {
 public:
  explicit FakeBridgeHandler(ApiServer& server) : server_(server) {}
  void HandleRequest(ApiClient& client, MarkupDocument& request) override {
    request.FindElement("root");
    client.IdleTimer().Restart(true);
    if (request.GetAttribute("type") == "6") {
      server_.SendFrame(client, ReplyHeader(6, 0), {}, kBodyNone);
    } else if (request.GetAttribute("tt") == "0") {
      const std::string snapshot =
          std::string(kGbkDeclaration) +
          "<root ver=\"0\">\r\n"
          "<t v=\"1.500000\" s=\"0\" ms=\"0\" q=\"0\" h=\"0\" k=\"S1G1温度\"/>\r\n"
          "<t v=\"1\" s=\"0\" m=\"0\" q=\"0\" h=\"1\"/>\r\n</root>\r\n";
      server_.SendFrame(client, ReplyHeader(1, kBodyRaw), snapshot, kBodyRaw);
      client.pushesWanted = true;
      subscribed = true;
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
        server_(0, log_, exitFlag_),
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
    std::FILE* out = std::tmpfile();
    const int result = RunCliCommand(options, out, stderr);
    std::rewind(out);
    output.clear();
    for (int c; (c = std::fgetc(out)) != EOF;) output += static_cast<char>(c);
    std::fclose(out);
    return result;
  }

  ExitFlag exitFlag_;
  BridgeLog log_;
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

TEST_F(CliTest, WatchPrintsTheSnapshotThenEveryPushAsJson) {
  CliOptions options;
  options.command = "watch";
  options.json = true;
  options.count = 2;
  std::thread pusher([this] {
    while (!handler_.subscribed) std::this_thread::sleep_for(1ms);
    server_.AppendPush(PushRecord{.handle = 0, .seconds = 0, .valueClass = 1, .real = 2.25});
    server_.AppendPush(PushRecord{.handle = 0, .valueClass = 1, .bad = true, .real = -1});
  });
  std::string output;
  EXPECT_EQ(Run(options, output), kCliOk);
  pusher.join();
  const std::string key = "\"key\":\"S1G1\xE6\xB8\xA9\xE5\xBA\xA6\"";  // UTF-8 on the terminal
  EXPECT_NE(output.find("{\"handle\":0," + key + ",\"value\":1.500000,\"quality\":\"good\""),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("{\"handle\":1,\"key\":\"status\",\"value\":1,"), std::string::npos);
  EXPECT_NE(output.find("\"value\":2.250000,\"quality\":\"good\""), std::string::npos);
  EXPECT_NE(output.find("\"value\":-1.000000,\"quality\":\"bad\""), std::string::npos);
}

TEST(Cli, ReportsUsageAndConnectionFailuresWithTheirExitCodes) {
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
  std::fclose(sink);
}

}  // namespace
