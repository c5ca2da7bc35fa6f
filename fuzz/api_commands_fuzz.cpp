// Fuzz target: any bytes as the header document of a request frame, sent by a loopback client
// to the bridge's API server and its command handling, against a small project whose servers
// are not connected (no OPC traffic). A request whose header is not well formed never reaches
// the commands, as in the frame layer. Every reply, those of requests run aside included, must
// arrive as whole frames whose header names a reply type and whose body decodes in the mode its
// flag gives, before the reply to the test frame sent after the input.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "bridge/api/api_commands.h"
#include "bridge/api/api_server.h"
#include "bridge/core/bridge_runtime.h"
#include "common/markup_document.h"
#include "common/test_files.h"
#include "platform/com/com_api.h"
#include "platform/opcda/opc_server_list.h"
#include "wire/api_frame.h"
#include "wire/frame_codec.h"

namespace tavrel {

namespace {

// GBK bytes, whatever the build does with narrow literals: 温度 is CE C2 B6 C8.
const std::string kProject =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n"
    "<server name=\"S1\" sid=\"Sim.Missing.1\" clsid=\"{6F0C2A1E-0000-0000-0000-000000000001}\" "
    "node=\"\" outtime=\"120\">\r\n"
    "<group name=\"G1\" uptime=\"1000\" active_state=\"1\">\r\n"
    "<tag id=\"\xCE\xC2\xB6\xC8.1\" vt=\"5\" dir=\"1\"/>\r\n<tag id=\"i\" vt=\"3\" dir=\"3\"/>\r\n"
    "<tag id=\"t\" vt=\"8\" dir=\"2\"/>\r\n<tag id=\"b\" vt=\"11\" dir=\"3\"/>\r\n"
    "</group>\r\n</server>\r\n</root>\r\n";

void Check(bool condition) {
  if (!condition) std::abort();
}

// A bridge without an API thread or OPC engines, its API server stepped by the target, and
// one loopback client of it whose replies the target reads.
class CommandBench {
 public:
  CommandBench() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    RegisterOpcCoreClasses();
    std::filesystem::create_directory(directory_ / "log");
    WriteTestFile(directory_ / "opc_db.xml", kProject);
    runtime_.emplace(directory_.Path(), BridgeParts{.clock = [] {
                       return WallTime{1700000000, 250};
                     }});
    server_.emplace(0, runtime_->Log(), runtime_->GetExitFlag(), runtime_->Metrics());
    commands_.emplace(*server_, *runtime_, [] { return WallTime{1700000000, 250}; });
    server_->SetRequestHandler(&*commands_);
    server_->Pass(std::chrono::milliseconds(0));
    Check(server_->IsListening());
    peer_ = UniqueSocket(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(server_->ListeningPort()));
    Check(connect(peer_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
    while (server_->ClientCountForTest() == 0) server_->Pass(std::chrono::milliseconds(1));
  }

  void Run(std::string_view headerText) {
    WriteTestFile(directory_ / "opc_db.xml", kProject);  // a stored project is undone
    // The frame layer clears a client's buffer on a header that is no document, which would
    // take the sentinel with it.
    MarkupDocument header(MarkupBuild::kBridge);
    if (!header.SetText(headerText)) return;
    ByteBuffer frame;
    if (BuildFrame(headerText, {}, kBodyNone, frame) != FrameBuild::kBuilt) return;
    Send(headerText);
    Send(kSentinelRequest);
    CheckReplies();
    // The daily log would grow by every input of a long run.
    std::filesystem::remove_all(directory_ / "log");
    std::filesystem::create_directory(directory_ / "log");
  }

 private:
  // The test frame whose reply ends the replies to an input.
  static constexpr char kSentinelRequest[] =
      "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n"
      "<root ver=\"0\" type=\"1\" flag=\"0\" uid=\"987654321\" tt=\"500\"/>\r\n";

  void Send(std::string_view header) {
    ByteBuffer frame;
    Check(BuildFrame(header, {}, kBodyNone, frame) == FrameBuild::kBuilt);
    Check(send(peer_.get(), frame.At(0), frame.Length(), MSG_NOSIGNAL) ==
          static_cast<ssize_t>(frame.Length()));
  }

  // Reads and checks the replies up to the sentinel's, running the server meanwhile.
  void CheckReplies() {
    ByteBuffer received;
    for (bool sentinel = false; !sentinel;) {
      server_->Pass(std::chrono::milliseconds(1));
      received.Reserve(65536);
      const ssize_t n = recv(peer_.get(), received.End(), received.FreeSpace(), MSG_DONTWAIT);
      if (n > 0) received.SetLength(received.Length() + static_cast<size_t>(n));
      Check(n != 0);  // the server never closes this client
      while (ScanFrame(received) == FrameScan::kComplete) {
        const std::optional<FrameParts> parts = FrameAtFront(received);
        Check(parts.has_value());
        bool replyType = false;
        Check(TakeFrame(received, [&](MarkupDocument& reply) {
          Check(reply.FindElement("root"));
          const std::string type = reply.GetAttribute("type");
          replyType = type == "1" || type == "5" || type == "6";
          sentinel = type == "1" && reply.GetAttribute("uid") == "987654321" &&
                     reply.GetAttribute("tt") == "500";
          std::string payload;
          Check(
              DecodeFrameBody(std::atoi(reply.GetAttribute("flag").c_str()), parts->body, payload));
        }));
        Check(replyType);
      }
    }
  }

  TestDirectory directory_;
  std::optional<BridgeRuntime> runtime_;
  std::optional<ApiServer> server_;
  std::optional<ApiCommands> commands_;
  UniqueSocket peer_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CommandBench bench;
  bench.Run({reinterpret_cast<const char*>(data), size});
  return 0;
}

}  // namespace tavrel
