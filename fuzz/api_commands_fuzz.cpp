// Fuzz target: any bytes as the header document of a decoded request frame, through the
// bridge's command handling against a small project whose servers are not connected (no OPC
// traffic). A request whose header is not well formed never reaches the commands, as in the
// frame layer. Every reply must arrive as whole frames whose header names a reply type and
// whose body decodes in the mode its flag gives.
#include <sys/socket.h>

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
#include "platform/com/activation.h"
#include "platform/opcda/opc_server_list.h"
#include "wire/frame_codec.h"

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

// A bridge without an API thread or OPC engines, its command handler, and one client whose
// other end of a socket pair the target reads the replies from.
class CommandBench {
 public:
  CommandBench() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    RegisterOpcCoreClasses();
    std::filesystem::create_directory(directory_ / "log");
    WriteTestFile(directory_ / "opc_db.xml", kProject);
    runtime_.emplace(directory_.Path(), ApiServiceFactory(), [] {
      return WallTime{1700000000, 250};
    });
    server_.emplace(0, runtime_->Log(), runtime_->GetExitFlag());
    commands_.emplace(*server_, *runtime_, [] { return WallTime{1700000000, 250}; });
    int ends[2];
    Check(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) == 0);
    client_.emplace(UniqueSocket(ends[0]), "127.0.0.1", 50000, 1, MonotonicMilliseconds);
    peer_ = UniqueSocket(ends[1]);
  }

  void Run(std::string_view headerText) {
    WriteTestFile(directory_ / "opc_db.xml", kProject);  // a stored project is undone
    MarkupDocument header(MarkupBuild::kBridge);
    if (!header.SetText(headerText)) return;
    commands_->HandleRequest(*client_, header);
    CheckReplies();
    // The daily log would grow by every input of a long run.
    std::filesystem::remove_all(directory_ / "log");
    std::filesystem::create_directory(directory_ / "log");
  }

 private:
  void CheckReplies() {
    ByteBuffer received;
    while (true) {
      received.Reserve(65536);
      const ssize_t n = recv(peer_.get(), received.End(), received.FreeSpace(), 0);
      if (n <= 0) break;
      received.SetLength(received.Length() + static_cast<size_t>(n));
    }
    while (received.Length() > 0) {
      Check(ScanFrame(received) == FrameScan::kComplete);
      const std::optional<FrameParts> parts = FrameAtFront(received);
      Check(parts.has_value());
      bool replyType = false;
      Check(TakeFrame(received, [&](MarkupDocument& reply) {
        Check(reply.FindElement("root"));
        const std::string type = reply.GetAttribute("type");
        replyType = type == "1" || type == "5" || type == "6";
        std::string payload;
        Check(DecodeFrameBody(std::atoi(reply.GetAttribute("flag").c_str()), parts->body, payload));
      }));
      Check(replyType);
    }
  }

  TestDirectory directory_;
  std::optional<BridgeRuntime> runtime_;
  std::optional<ApiServer> server_;
  std::optional<ApiCommands> commands_;
  std::optional<ApiClient> client_;
  UniqueSocket peer_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CommandBench bench;
  bench.Run({reinterpret_cast<const char*>(data), size});
  return 0;
}
