// Fuzz target: any bytes as the request body of the manager's configuration routes, against a
// temporary program directory with a server list, a tag list and a project. The first byte
// picks the route (and a GET instead of a POST when its top bit is set); the rest is the body.
// Checks: each request gets the answer kind its method and path call for; no tag list request
// reads a file outside the servers folder; a refused project leaves the stored one as it was,
// and a stored one can be read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/code_page.h"
#include "common/test_files.h"
#include "manager/configuration_routes.h"

namespace tavrel {

namespace {

constexpr std::string_view kOutsideMarker = "outside-the-servers-folder";
constexpr std::string_view kRoutes[] = {"/get_opc_tags", "/set_opc_db", "/get_opc_db",
                                        "/get_opc_list", "/get_opc_tags?name"};

// GBK bytes, whatever the build does with narrow literals: 模拟 is C4 A3 C4 E2.
const std::string kProject =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n"
    "<server name=\"\xC4\xA3\xC4\xE2\" sid=\"Sim.Server.1\">\r\n<group name=\"g\">\r\n"
    "<tag id=\"a.b\" vt=\"5\" dir=\"1\"/>\r\n</group>\r\n</server>\r\n</root>\r\n";

class ProgramDirectory {
 public:
  ProgramDirectory() {
    std::filesystem::create_directories(directory_ / "servers");
    WriteTestFile(directory_ / "servers/serverlist.xml",
                  "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<root ver=\"0\" node=\"\">\r\n"
                  "<t a=\"Sim.Server.1\" b=\"\xC4\xA3\xC4\xE2\"/>\r\n</root>\r\n");
    WriteTestFile(directory_ / "servers/\xC4\xA3\xC4\xE2.Server.xml",
                  "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<root ver=\"0\"><t>\r\n"
                  "<it id=\"a.b\" dt=\"5\" ar=\"1\"/>\r\n</t></root>\r\n");
    WriteTestFile(directory_ / "secret.xml",
                  "<root mark=\"" + std::string(kOutsideMarker) + "\"/>");
    WriteTestFile(directory_ / "servers/secret.xml",
                  "<root mark=\"" + std::string(kOutsideMarker) + "\"/>");
  }
  const std::string& Path() const { return directory_.Path(); }
  std::string ProjectPath() const { return directory_ / "opc_db.xml"; }

 private:
  TestDirectory directory_;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ProgramDirectory directory;
  static const ConfigurationRoutes routes(directory.Path());
  if (size < 1) return 0;
  const bool get = (data[0] & 0x80) != 0;
  const std::string_view uri = kRoutes[(data[0] & 0x7F) % std::size(kRoutes)];
  const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
  WriteTestFile(directory.ProjectPath(), kProject);

  const HttpAnswer answer = routes.Answer(get ? EVHTTP_REQ_GET : EVHTTP_REQ_POST, uri, body);
  if (get) {
    Check(answer.kind == ReplyKind::kMethodNotAllowed && answer.body.empty());
    return 0;
  }
  if (uri.find('?') != std::string_view::npos) {
    Check(answer.kind == ReplyKind::kNotFound && answer.body.empty());
    return 0;
  }
  Check(answer.kind == ReplyKind::kJson);
  // Only the tag list file is served, and the name cannot leave the servers folder (a body
  // of "secret" names servers/secret.xml, which holds the marker too).
  if (uri == "/get_opc_tags" && Utf8ToAnsi(body) != "secret") {
    Check(answer.body.find(kOutsideMarker) == std::string::npos);
  }
  if (uri == "/set_opc_db") {
    if (answer.restartBridge) {
      Check(!routes.Answer(EVHTTP_REQ_POST, "/get_opc_db", {}).body.empty());
    } else {
      Check(ReadTestFile(directory.ProjectPath()) == kProject);
    }
  }
  return 0;
}

}  // namespace tavrel
