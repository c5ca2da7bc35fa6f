#include "manager/configuration_routes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/peer_text.h"
#include "manager/manager_test_support.h"

namespace tavrel {

namespace {

// Narrow literals are GBK at run time; UTF-8 request bodies are written as u8 literals.
std::string Utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

constexpr char kGbkProject[] =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n<server name=\"服务\"/>\r\n"
    "</root>\r\n";

class ConfigurationRoutesTest : public ::testing::Test {
 protected:
  HttpAnswer Post(std::string_view uri, std::string_view body = {}) const {
    return routes_.Answer(EVHTTP_REQ_POST, uri, body);
  }

  TemporaryInstallation folder_;
  const ConfigurationRoutes routes_{folder_.path()};
};

TEST_F(ConfigurationRoutesTest, ReadRoutesAnswerTheDocumentTextOrAnEmptyBody) {
  const std::string list =
      "<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n<!-- 扫描 -->\r\n<root ver=\"0\" node=\"\">\r\n"
      "<t a=\"Sim.Server.1\" b=\"模拟\"/>\r\n</root>\r\n";
  struct Route {
    std::string uri;
    std::string file;
    std::string content;
    std::string loaded;
    std::string missing;
  };
  for (const Route& route : {
           Route{"/get_opc_list", "servers/serverlist.xml", list,
                 "收到get_opc_list请求,正在回复...",
                 "收到get_opc_list请求，但本地找不到serverlist.xml文件"},
           Route{"/get_opc_db", "opc_db.xml", kGbkProject, "收到get_opc_db请求,正在回复...",
                 "收到get_opc_db请求，但本地找不到opc_db.xml文件"},
       }) {
    SCOPED_TRACE(route.uri);
    HttpAnswer answer = Post(route.uri, "ignored");
    EXPECT_EQ(answer.kind, ReplyKind::kJson);
    EXPECT_EQ(answer.body, "");
    EXPECT_EQ(answer.logLine, route.missing);

    folder_.Write(route.file, route.content);
    answer = Post(route.uri);
    EXPECT_EQ(answer.kind, ReplyKind::kJson);
    EXPECT_EQ(answer.body, route.content);
    EXPECT_EQ(answer.logLine, route.loaded);
    EXPECT_FALSE(answer.restartBridge);

    // Not well formed: two top-level elements.
    folder_.Write(route.file, "<root/><root/>");
    answer = Post(route.uri);
    EXPECT_EQ(answer.body, "");
    EXPECT_EQ(answer.logLine, route.missing);
  }
}

TEST_F(ConfigurationRoutesTest, TagListIsNamedByTheBodyConvertedFromUtf8) {
  const std::string tags =
      "<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n<root ver=\"0\">\r\n<t>\r\n"
      "<it id=\"温度.1\" dt=\"4\" ar=\"1\"/>\r\n</t>\r\n</root>\r\n";
  folder_.Write("servers/模拟.Server.xml", tags);
  HttpAnswer answer = Post("/get_opc_tags", Utf8(u8"模拟.Server"));
  EXPECT_EQ(answer.body, tags);
  EXPECT_EQ(answer.logLine, "收到get_opc_tags请求,正在回复...");

  // Used as it is, without trimming.
  answer = Post("/get_opc_tags", Utf8(u8"模拟.Server "));
  EXPECT_EQ(answer.body, "");
  EXPECT_EQ(answer.logLine, "收到get_opc_tags请求，但本地找不到文件:" + folder_.path() +
                                "/servers/模拟.Server .xml");
}

TEST_F(ConfigurationRoutesTest, TagListNamesThatReachOutsideTheServersDirectoryAreRefused) {
  // Files that the names below would reach if they were used as they are.
  folder_.Write("opc_db.xml", kGbkProject);
  folder_.Write("servers/..xml", "<root/>");
  folder_.Write("servers/.xml", "<root/>");
  const std::string outside = folder_.File("outside");
  folder_.Write("outside.xml", "<root/>");
  for (const std::string& name : {std::string("../opc_db"), outside, std::string("..\\opc_db"),
                                  std::string("."), std::string(""), std::string("opc\0db", 6)}) {
    SCOPED_TRACE(name);
    const HttpAnswer answer = Post("/get_opc_tags", name);
    EXPECT_EQ(answer.kind, ReplyKind::kJson);
    EXPECT_EQ(answer.body, "");
    EXPECT_EQ(answer.logLine, "收到get_opc_tags请求，但本地找不到文件:" + folder_.path() +
                                  "/servers/" + PeerTextForLog(name) + ".xml");
  }
}

TEST_F(ConfigurationRoutesTest, RefusedProjectLeavesFileAndBridgeAlone) {
  folder_.Write("opc_db.xml", kGbkProject);
  for (const std::string& body :
       {std::string(), std::string("<root/><root/>"), std::string("<root><server></root>"),
        std::string("<project/>"), std::string("not markup")}) {
    SCOPED_TRACE(body);
    const HttpAnswer answer = Post("/set_opc_db", body);
    EXPECT_EQ(answer.kind, ReplyKind::kJson);
    EXPECT_EQ(answer.body, "设置opc_db内容出错");
    EXPECT_EQ(answer.logLine, "收到Set_opc_db请求，设置opc_db内容出错");
    EXPECT_FALSE(answer.restartBridge);
    EXPECT_EQ(folder_.Read("opc_db.xml"), kGbkProject);
  }
}

TEST_F(ConfigurationRoutesTest, StoredProjectIsConvertedOnceOrKeptAsItCame) {
  const std::string gbkDeclaration = "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n";
  const struct {
    std::string body;
    std::string stored;
  } cases[] = {
      // UTF-8 without a declaration: converted to GBK and stored as UTF-8 again.
      {Utf8(u8"<root><server name=\"服务\"/></root>"),
       Utf8(u8"<root><server name=\"服务\"/></root>")},
      // Declaring GBK: stored in GBK.
      {gbkDeclaration + Utf8(u8"<root name=\"服务\"/>"), gbkDeclaration + "<root name=\"服务\"/>"},
      // No UTF-8 and no declaration: the GBK it must be, stored byte for byte.
      {"<root><server name=\"服务\"/></root>", "<root><server name=\"服务\"/></root>"},
  };
  for (const auto& upload : cases) {
    SCOPED_TRACE(upload.body);
    const HttpAnswer answer = Post("/set_opc_db", upload.body);
    EXPECT_EQ(answer.body, "");
    EXPECT_TRUE(answer.restartBridge);
    EXPECT_EQ(folder_.Read("opc_db.xml"), upload.stored);
  }
}

TEST_F(ConfigurationRoutesTest, FailedSaveIsReportedAndLeavesTheBridgeAlone) {
  // A directory in the file's place cannot be replaced by a file.
  std::filesystem::create_directory(folder_.File("opc_db.xml"));
  const HttpAnswer answer = Post("/set_opc_db", "<root/>");
  EXPECT_EQ(answer.body, "设置opc_db内容出错");
  EXPECT_EQ(answer.logLine, "收到Set_opc_db请求，设置opc_db内容出错");
  EXPECT_FALSE(answer.restartBridge);
  EXPECT_TRUE(std::filesystem::is_directory(folder_.File("opc_db.xml")));
}

TEST_F(ConfigurationRoutesTest, OtherMethodsAreRefusedAndLoggedUnknownPathsOnlyRefused) {
  folder_.Write("opc_db.xml", kGbkProject);
  for (const auto& [method, code] : {std::pair{EVHTTP_REQ_GET, 1}, std::pair{EVHTTP_REQ_HEAD, 4},
                                     std::pair{EVHTTP_REQ_PUT, 8}}) {
    const HttpAnswer answer = routes_.Answer(method, "/get_opc_db?a=1", "");
    EXPECT_EQ(answer.kind, ReplyKind::kMethodNotAllowed);
    EXPECT_EQ(answer.body, "");
    EXPECT_EQ(answer.logLine, "错误的查询类型 d=" + std::to_string(code) + " uri=/get_opc_db?a=1");
  }
  for (const std::string_view uri :
       {"/get_opc_db?a=1", "/get_opc_db/", "/GET_OPC_DB", "/", "get_opc_db", "/set_opc_db#"}) {
    SCOPED_TRACE(uri);
    const HttpAnswer answer = Post(uri, "<root/>");
    EXPECT_EQ(answer.kind, ReplyKind::kNotFound);
    EXPECT_EQ(answer.body, "");
    EXPECT_EQ(answer.logLine, "");
    EXPECT_FALSE(answer.restartBridge);
  }
  EXPECT_EQ(folder_.Read("opc_db.xml"), kGbkProject);
}

TEST_F(ConfigurationRoutesTest, PeerTextsInLogLinesAreCutAndEscaped) {
  const std::string longText(5000, 'n');
  const std::string cut = std::string(kPeerTextLogLimit, 'n') + "...";
  const std::string forged = "x\r\n2024-01-01 00:00:00.000 forged";
  const std::string escaped = "x\\x0D\\x0A2024-01-01 00:00:00.000 forged";
  const std::string missing =
      "收到get_opc_tags请求，但本地找不到文件:" + folder_.path() + "/servers/";
  const struct {
    evhttp_cmd_type method;
    std::string uri;
    std::string body;
    std::string logLine;
  } cases[] = {
      {EVHTTP_REQ_GET, "/" + longText, "",
       "错误的查询类型 d=1 uri=/" + std::string(kPeerTextLogLimit - 1, 'n') + "..."},
      {EVHTTP_REQ_GET, "/" + forged, "", "错误的查询类型 d=1 uri=/" + escaped},
      {EVHTTP_REQ_POST, "/get_opc_tags", longText, missing + cut + ".xml"},
      {EVHTTP_REQ_POST, "/get_opc_tags", forged, missing + escaped + ".xml"},
      {EVHTTP_REQ_POST, "/get_opc_tags", "a/" + forged, missing + "a/" + escaped + ".xml"},
  };
  for (const auto& request : cases) {
    SCOPED_TRACE(request.uri.substr(0, 20) + request.body.substr(0, 20));
    const HttpAnswer answer = routes_.Answer(request.method, request.uri, request.body);
    EXPECT_EQ(answer.logLine, request.logLine);
  }
}

}  // namespace

}  // namespace tavrel
