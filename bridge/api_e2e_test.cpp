// The real bridge's TCP API over loopback, through the same client code as tavrel-cli.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "bridge/tavrel_test_support.h"
#include "common/code_page.h"
#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "tools/api_connection.h"
#include "tools/cli_output_capture.h"
#include "wire/api_frame.h"

namespace tavrel {

namespace {

using namespace e2e;

// The `t` elements of a body document, each as its attributes in order `names`.
std::vector<std::vector<std::string>> Entries(const std::string& document,
                                              const std::vector<std::string>& names) {
  MarkupDocument body(MarkupBuild::kBridge);
  body.SetText(document);
  body.FindElement("root");
  body.EnterElement();
  std::vector<std::vector<std::string>> entries;
  while (body.FindElement("t")) {
    std::vector<std::string> values;
    for (const std::string& name : names) values.push_back(body.GetAttribute(name));
    entries.push_back(values);
  }
  return entries;
}

class BridgeApiTest : public TavrelTest {
 protected:
  void SetUp() override {
    TavrelTest::SetUp();
    port_ = ConfigureFreeApiPort();
    bridge_ = std::make_unique<BridgeProcess>(Executable());
    ASSERT_TRUE(WaitForStartUp());
  }

  std::unique_ptr<ApiConnection> Connect() {
    std::string error;
    std::unique_ptr<ApiConnection> connection;
    Eventually([&] {
      return (connection = ApiConnection::Connect("127.0.0.1", port_, 1s, error)) != nullptr;
    });
    return connection;
  }

  // Sends `header` and returns the reply of `type`.
  ApiReply Ask(ApiConnection& connection, const std::string& header, int type) {
    EXPECT_TRUE(connection.SendRequest(header));
    ApiReply reply;
    while (connection.Receive(reply, 3s) == ApiReceive::kFrame) {
      if (reply.type == type) return reply;
    }
    ADD_FAILURE() << "no reply of type " << type;
    return {};
  }

  // Runs a tavrel-cli command against the bridge; returns its exit code and, in `output`,
  // what it printed (GBK, as the bridge sent it, or UTF-8 when not `raw`).
  int RunCli(const std::string& command, const std::vector<std::string>& arguments,
             std::string& output, bool raw = true) {
    CliOptions options;
    options.port = port_;
    options.raw = raw;
    options.command = command;
    options.arguments = arguments;
    return RunCliCommandCapturing(options, output);
  }

  int port_ = 0;
  std::unique_ptr<BridgeProcess> bridge_;
};

TEST_F(BridgeApiTest, ConfigurationEndsWithTheStatusTagsAfterTheLastTagHandle) {
  auto connection = Connect();
  ASSERT_NE(connection, nullptr);
  const ApiReply reply = Ask(*connection, RequestHeader(7, 1, 1), 1);
  const std::string flag = reply.payload.size() < 2049 ? "1" : "2";
  EXPECT_NE(reply.header.find("<root ver=\"0\" type=\"1\" flag=\"" + flag + "\" uid=\"7\"/>"),
            std::string::npos)
      << reply.header;
  const auto entries = Entries(reply.payload, {"i", "t", "a", "h"});
  ASSERT_EQ(entries.size(), 33u + 2u);
  EXPECT_EQ(entries[0][3], "0");
  EXPECT_EQ(entries[32][3], "32");
  EXPECT_EQ(entries[33], (std::vector<std::string>{"qz_server_status_0", "5", "1", "33"}));
  EXPECT_EQ(entries[34], (std::vector<std::string>{"qz_server_status_1", "5", "1", "34"}));
}

TEST_F(BridgeApiTest, SnapshotListsEveryTagAndStatusEntriesCarryMilliseconds) {
  auto connection = Connect();
  ASSERT_NE(connection, nullptr);
  const ApiReply reply = Ask(*connection, RequestHeader(1, 1), 1);  // no tt: the snapshot
  const auto entries = Entries(reply.payload, {"h", "k", "ms", "m", "v"});
  ASSERT_EQ(entries.size(), 35u);
  EXPECT_FALSE(entries[0][1].empty());
  EXPECT_EQ(entries[0][2], "0");
  EXPECT_TRUE(entries[34][1].empty());  // status entries have no key
  EXPECT_FALSE(entries[34][3].empty());
  EXPECT_EQ(entries[34][4], "0");  // not connected
}

TEST_F(BridgeApiTest, WritesAnswerUnknownHandles) {
  auto connection = Connect();
  ASSERT_NE(connection, nullptr);
  const auto answer = [&](const std::string& request) {
    MarkupDocument reply(MarkupBuild::kBridge);
    reply.SetText(Ask(*connection, request, 5).header);
    reply.FindElement("root");
    reply.EnterElement();
    reply.FindElement("base");
    return reply.GetAttribute("handle") + " " + reply.GetAttribute("write_uid") + " " +
           reply.GetAttribute("ret1") + " " + reply.GetAttribute("ret2");
  };
  EXPECT_EQ(answer(WriteRequestHeader(42, 999, "1")), "999 42 3 点不存在");
  EXPECT_EQ(answer(WriteRequestHeader(42, 33, "1")), "33 42 3 点不存在");  // a status tag
  // The handle and the client's number are read as integers and echoed as such.
  std::string loose = WriteRequestHeader(42, 999, "1");
  loose.replace(loose.find("write_uid=\"42\""), 14, "write_uid=\"+0042\"");
  loose.replace(loose.find("handle=\"999\""), 12, "handle=\" 0999\"");
  EXPECT_EQ(answer(loose), "999 42 3 点不存在");
  // A handle that is no number names no tag (not tag 0); a missing one still reads as 0.
  std::string named = WriteRequestHeader(42, 0, "1");
  named.replace(named.find("handle=\"0\""), 10, "handle=\"abc\"");
  EXPECT_EQ(answer(named), "abc 42 3 点不存在");
}

TEST_F(BridgeApiTest, AWrittenTextThatCouldOverfillTheSnapshotIsRefused) {
  auto connection = Connect();
  ASSERT_NE(connection, nullptr);
  const int echoString = 17;  // SimTree's Echo.String, read and write
  const auto write = [&](std::size_t length) {
    MarkupDocument reply(MarkupBuild::kBridge);
    reply.SetText(
        Ask(*connection, WriteRequestHeader(1, echoString, std::string(length, 'x')), 5).header);
    reply.FindElement("root");
    reply.EnterElement();
    reply.FindElement("base");
    return std::make_pair(reply.GetAttribute("ret1"), reply.GetAttribute("ret2"));
  };
  // 1.7 million quotes in each of two text tags would take 20 MB escaped, more than a reply
  // frame holds; the bound is the same for any character.
  const auto [code, reason] = write(1700000);
  EXPECT_EQ(code, "1");
  ASSERT_TRUE(reason.starts_with("value text longer than ")) << reason;
  const std::size_t bound = std::stoul(reason.substr(23));
  EXPECT_GT(bound, 10000u);
  EXPECT_LT(bound, 1700000u);
  EXPECT_EQ(write(bound + 1).second, reason);
  EXPECT_NE(write(bound).second, reason);
}

TEST_F(BridgeApiTest, StoredProjectIsReadBackWithItsUpdateStamp) {
  auto connection = Connect();
  ASSERT_NE(connection, nullptr);
  const std::string project = std::string(kProjectDeclaration) +
                              "<root uid=\"3\" type=\"1\" tt=\"300\">\r\n<server name=\"新\"/>\r\n"
                              "</root>\r\n";
  const ApiReply stored = Ask(*connection, project, 1);
  EXPECT_EQ(Entries(stored.payload, {"a"}),
            std::vector<std::vector<std::string>>{{"Update Tag Server Successful."}});
  const ApiReply read = Ask(*connection, RequestHeader(4, 1, 400), 1);
  EXPECT_NE(read.header.find("tt=\"400\""), std::string::npos);
  EXPECT_NE(read.payload.find("<server name=\"新\"/>"), std::string::npos);
  EXPECT_NE(read.payload.find(" update=\""), std::string::npos);
  EXPECT_EQ(read.payload, ReadTestFile(ProjectPath()));
}

// Requests that name no command get no reply: the heartbeat sent after each is the next reply.
TEST_F(BridgeApiTest, RequestsWithoutACommandGetNoReply) {
  auto connection = Connect();
  ASSERT_NE(connection, nullptr);
  for (const std::string& request :
       {std::string(kGbkDeclaration) + "<other ver=\"0\" type=\"6\"/>\r\n",  // no root
        RequestHeader(0, 9),                                                 // unknown type
        RequestHeader(0, 5)}) {                                              // write, no base
    ASSERT_TRUE(connection->SendRequest(request));
    EXPECT_EQ(Ask(*connection, RequestHeader(0, 6), 6).type, 6) << request;
  }
  EXPECT_NE(LogText().find(kUndecodableFrameText), std::string::npos);
}

// The project read back is raw up to 2048 bytes and compressed from 2049; a project that cannot
// be stored or read is answered as such.
TEST_F(BridgeApiTest, ProjectFileCommandsAtTheBodyModeBoundaryAndOnFailure) {
  auto connection = Connect();
  ASSERT_NE(connection, nullptr);
  const std::string head = std::string(kProjectDeclaration) + "<root>\r\n<!--";
  const std::string tail = "-->\r\n</root>\r\n";
  for (const auto& [size, flag] : {std::pair{2048u, "1"}, std::pair{2049u, "2"}}) {
    const std::string project = head + std::string(size - head.size() - tail.size(), 'x') + tail;
    WriteTestFile(ProjectPath(), project);
    const ApiReply read = Ask(*connection, RequestHeader(4, 1, 400), 1);
    EXPECT_NE(read.header.find(std::string("flag=\"") + flag + "\""), std::string::npos) << size;
    EXPECT_EQ(read.payload, project);
  }

  fs::remove(ProjectPath());
  fs::create_directory(ProjectPath());  // neither stored nor read
  const ApiReply stored =
      Ask(*connection,
          std::string(kProjectDeclaration) + "<root uid=\"3\" type=\"1\" tt=\"300\"/>\r\n", 1);
  EXPECT_EQ(Entries(stored.payload, {"a"}),
            std::vector<std::vector<std::string>>{{"Update Tag Server not Successful."}});
  const ApiReply read = Ask(*connection, RequestHeader(4, 1, 400), 1);
  EXPECT_NE(read.header.find("tt=\"400\""), std::string::npos);
  EXPECT_TRUE(read.payload.empty());
}

// What get-project prints, put-project stores unchanged, in either terminal form; the store
// adds only the request's attributes and the update stamp to the root.
TEST_F(BridgeApiTest, CliProjectRoundTripKeepsChineseNamesByteForByte) {
  const std::string project = std::string(kProjectDeclaration) +
                              "<root>\r\n<server name=\"模拟服务\" desc=\"温度 &amp; 压力\">\r\n"
                              "<group name=\"组一\">\r\n<tag id=\"温度.1\" vt=\"5\" dir=\"1\"/>\r\n"
                              "</group>\r\n</server>\r\n</root>\r\n";
  ASSERT_NE(Connect(), nullptr);
  const std::string file = directory_ / "got.xml";
  for (const bool raw : {true, false}) {
    SCOPED_TRACE(raw ? "raw" : "UTF-8");
    WriteTestFile(ProjectPath(), project);
    std::string got;
    ASSERT_EQ(RunCli("get-project", {}, got, raw), kCliOk);
    EXPECT_EQ(got, raw ? project : AnsiToUtf8(project));
    WriteTestFile(file, got);
    std::string stored;
    ASSERT_EQ(RunCli("put-project", {file}, stored, raw), kCliOk);
    EXPECT_NE(stored.find("Update Tag Server Successful."), std::string::npos) << stored;

    const std::string saved = ReadTestFile(ProjectPath());
    MarkupDocument expected(MarkupBuild::kBridge);
    expected.SetText(saved);
    expected.FindElement("root");
    const std::string update = expected.GetAttribute("update");
    EXPECT_FALSE(update.empty());
    expected.SetText(project);
    expected.FindElement("root");
    expected.SetAttribute("uid", 1);
    expected.SetAttribute("type", 1);
    expected.SetAttribute("tt", 300);
    expected.SetAttribute("update", update);
    EXPECT_EQ(saved, expected.GetText());
  }
}

TEST_F(BridgeApiTest, NineClientsAreServedAndATenthIsClosed) {
  std::vector<std::unique_ptr<ApiConnection>> clients;
  for (int i = 0; i < 9; ++i) {
    clients.push_back(Connect());
    ASSERT_NE(clients.back(), nullptr);
    EXPECT_EQ(Ask(*clients.back(), RequestHeader(0, 6), 6).type, 6);
  }
  auto tenth = Connect();
  ASSERT_NE(tenth, nullptr);
  tenth->SendRequest(RequestHeader(0, 6));
  ApiReply reply;
  EXPECT_EQ(tenth->Receive(reply, 2s), ApiReceive::kClosed);
}

// A client's request to a server that hangs holds back that client's replies only: the others
// are answered and receive their pushes meanwhile.
TEST_F(BridgeApiTest, ARequestToAHungServerStallsOnlyTheClientThatAsked) {
  bridge_.reset();  // started again with a server that hangs from its start
  DeclareHungServer();
  bridge_ = std::make_unique<BridgeProcess>(Executable());
  ASSERT_TRUE(WaitForStartUp(2));
  auto asker = Connect();
  auto other = Connect();
  ASSERT_NE(asker, nullptr);
  ASSERT_NE(other, nullptr);
  Ask(*other, RequestHeader(1, 1), 1);  // the snapshot turns its pushes on

  std::string browse = RequestHeader(2, 1, 200);
  browse.insert(browse.find("/>"),
                std::string(" sid=\"Hung.Server.1\" clsid=\"") + kHungServerClsid + "\"");
  ASSERT_TRUE(asker->SendRequest(browse));
  ASSERT_TRUE(asker->SendRequest(RequestHeader(0, 6)));
  // Heartbeats every 100 ms or so until the demo servers' pushes have come, for a few seconds.
  int pushes = 0;
  for (int i = 0; i < 5 || (pushes == 0 && i < 50); ++i) {
    ASSERT_TRUE(other->SendRequest(RequestHeader(0, 6)));
    ApiReply reply;
    bool answered = false;
    while (!answered && other->Receive(reply, 1s) == ApiReceive::kFrame) {
      answered = reply.type == 6;
      pushes += reply.type == 4 ? 1 : 0;
    }
    ASSERT_TRUE(answered) << "heartbeat " << i;
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_GT(pushes, 0);
  ApiReply reply;
  EXPECT_EQ(asker->Receive(reply, 200ms), ApiReceive::kTimeout);
}

TEST_F(BridgeApiTest, CliServersListsTheSimulatedServers) {
  ASSERT_NE(Connect(), nullptr);  // the bridge listens
  std::string output;
  ASSERT_EQ(RunCli("servers", {}, output), kCliOk);
  const auto entries = Entries(output, {"a", "c", "d", "error"});
  const std::string category = "{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}";
  const std::vector<std::string> tree{"OPCSim.Tree.1", "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}",
                                      category, ""};
  const std::vector<std::string> flat{"OPCSim.Flat.1", "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A02}",
                                      category, ""};
  EXPECT_NE(std::find(entries.begin(), entries.end(), tree), entries.end()) << output;
  EXPECT_NE(std::find(entries.begin(), entries.end(), flat), entries.end()) << output;
  EXPECT_NE(LogText().find("Get SERVER List Successful !XML SIZE="), std::string::npos);
}

TEST_F(BridgeApiTest, CliBrowseAnswersTheTagListShapeForBothSimulatedServers) {
  ASSERT_NE(Connect(), nullptr);
  // The tree walk leaves out the items at the top of the hierarchy; the flat space has them.
  for (const auto& [sid, clsid, listsTopLevel] :
       {std::tuple{"OPCSim.Tree.1", "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}", false},
        std::tuple{"OPCSim.Flat.1", "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A02}", true}}) {
    std::string output;
    ASSERT_EQ(RunCli("browse", {sid, clsid}, output), kCliOk) << sid;
    MarkupDocument document(MarkupBuild::kBridge);
    ASSERT_TRUE(document.SetText(output)) << sid;
    ASSERT_TRUE(document.FindElement("root"));
    EXPECT_EQ(document.GetAttribute("ver"), "0");
    document.EnterElement();
    ASSERT_TRUE(document.FindElement("t"));
    EXPECT_EQ(document.GetAttribute("error"), "");
    EXPECT_FALSE(document.FindElement("t")) << "one t only";
    document.ResetMainPosition();
    document.FindElement("t");
    document.EnterElement();
    std::vector<std::string> ids;
    while (document.FindElement("it")) {
      ids.push_back(document.GetAttribute("id"));
      EXPECT_NE(document.GetAttribute("dt"), "") << ids.back();
      EXPECT_NE(document.GetAttribute("ar"), "") << ids.back();
    }
    ASSERT_GT(ids.size(), 50u) << sid;
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "Random.Int1"), 1);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "Heartbeat"), listsTopLevel ? 1 : 0) << sid;
    EXPECT_EQ(ReadTestFile(programDirectory_ + "/log/" + sid + ".txt"), output);
  }
  EXPECT_NE(LogText().find("Querry server tag ,XML SIZE="), std::string::npos);
}

}  // namespace

}  // namespace tavrel
