// The commands of a bridge without engines, through its API server and a loopback client.
#include "bridge/api/api_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/markup_declarations.h"
#include "common/test_files.h"
#include "platform/net/socket_api.h"
#include "wire/api_frame.h"
#include "wire/frame_codec.h"
#include "wire/unique_socket.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

TEST(ApiCommands, AClientWhoseSnapshotCouldNotBeSentGetsNoPushes) {
  const SocketRuntime sockets;
  const TestDirectory directory;
  std::filesystem::create_directory(directory / "log");
  std::string tags;
  for (int i = 0; i < 4; ++i) tags += "<tag id=\"t" + std::to_string(i) + "\" vt=\"8\" dir=\"1\"/>";
  WriteTestFile(directory / "opc_db.xml",
                std::string(kProjectDeclaration) +
                    "<root><server name=\"S\" sid=\"S.1\" clsid=\"{6F0C2A1E-0000-0000-0000-"
                    "000000000001}\"><group name=\"G\">" +
                    tags + "</group></server></root>\r\n");
  BridgeRuntime runtime(directory.Path());
  ApiServer server(0, runtime.Log(), runtime.GetExitFlag(), runtime.Metrics());
  ApiCommands commands(server, runtime);
  server.SetRequestHandler(&commands);
  server.Pass(0ms);
  ASSERT_TRUE(server.IsListening());
  const UniqueSocket peer(OpenSocket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(server.ListeningPort()));
  ASSERT_EQ(connect(peer.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_TRUE(SetNonBlocking(peer.get()));
  while (server.ClientCountForTest() == 0) server.Pass(1ms);

  // The types of the frames that arrive while the server runs for a while.
  ByteBuffer received;
  const auto arrivals = [&] {
    std::vector<std::string> types;
    for (int pass = 0; pass < 200; ++pass) {
      server.Pass(1ms);
      received.Reserve(65536);
      const std::ptrdiff_t n = ReceiveSome(peer.get(), received.End(), received.FreeSpace());
      if (n > 0) received.SetLength(received.Length() + static_cast<std::size_t>(n));
      while (ScanFrame(received) == FrameScan::kComplete) {
        TakeFrame(received, [&](MarkupDocument& reply) {
          reply.FindElement("root");
          types.push_back(reply.GetAttribute("type"));
        });
      }
    }
    return types;
  };
  const auto askSnapshotThenPush = [&](std::size_t textLength) {
    for (ProjectTag* tag : runtime.Project().Tags()) {
      tag->liveValue.ApplyTextValue(std::string(textLength, '"'), "192", {1700000000, 0}, nullptr);
    }
    ByteBuffer frame;
    const std::string request =
        std::string(kGbkDeclaration) + "<root ver=\"0\" type=\"1\" flag=\"0\" uid=\"1\"/>\r\n";
    EXPECT_EQ(BuildFrame(request, {}, kBodyNone, frame), FrameBuild::kBuilt);
    EXPECT_EQ(SendSome(peer.get(), frame.At(0), frame.Length()),
              static_cast<std::ptrdiff_t>(frame.Length()));
    std::vector<std::string> types = arrivals();
    server.AppendPush({.handle = 0, .valueClass = 2, .integer = 7});
    const std::vector<std::string> later = arrivals();
    types.insert(types.end(), later.begin(), later.end());
    return types;
  };
  // Four texts of 1.5 million quotes take 36 MB in the snapshot: more than a frame may carry.
  EXPECT_EQ(askSnapshotThenPush(1500000), std::vector<std::string>{});
  EXPECT_EQ(askSnapshotThenPush(10), (std::vector<std::string>{"1", "4"}));
}

}  // namespace

}  // namespace tavrel
