// The real bridge on the demo project with its simulated servers: values from every read mode
// reach a watching API client, and API writes reach the servers.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bridge/tavrel_test_support.h"
#include "common/markup_document.h"
#include "tools/api_connection.h"
#include "wire/push_record.h"

namespace tavrel {

namespace {

using namespace e2e;

// Handles in the test's project: the demo project with shorter read cycles, then a group with
// an item whose writes fail, then a server that does not exist.
constexpr int kCallbackTag = 0;     // SimTree Callback Random.Int4
constexpr int kSingleSyncTag = 13;  // SimTree SyncRead Ramp.Int4
constexpr int kEchoTag = 16;        // SimTree SyncRead Echo.Real8
constexpr int kPropertyTag = 19;    // SimTree Properties Sine.Real8
constexpr int kBulkSyncTag = 22;    // SimFlat SyncRead Random.Int2
constexpr int kWriteErrorTag = 33;  // SimFlat Errors WriteError.Fail
constexpr int kDeadServerTag = 34;  // Missing G Echo.Int4

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

class EngineE2eTest : public TavrelTest {
 protected:
  void SetUp() override {
    TavrelTest::SetUp();
    port_ = ConfigureFreeApiPort();
    std::string project = ReadTestFile(ProjectPath());
    ReplaceAll(project, "cycle_time=\"5000\"", "cycle_time=\"500\"");
    ReplaceAll(project, "cycle_time=\"3000\"", "cycle_time=\"500\"");
    const std::string group =
        " uptime=\"1000\" timebis_minutes=\"0\" percent_deadband=\"0\" language_id=\"1033\" "
        "active_state=\"1\" datachange_type=\"0\" cycle_time=\"500\" additem=\"0\">";
    const size_t lastServerEnd = project.rfind("</server>");
    project.insert(lastServerEnd, "<group name=\"Errors\" desc=\"\"" + group +
                                      "<tag id=\"WriteError.Fail\" vt=\"3\" dir=\"3\"/></group>\n");
    const size_t rootEnd = project.rfind("</root>");
    project.insert(rootEnd,
                   "<server name=\"Missing\" desc=\"\" node=\"\" sid=\"No.Such.Server\" "
                   "clsid=\"{00000000-0000-0000-0000-00000000DEAD}\" c1=\"0\">"
                   "<group name=\"G\" desc=\"\"" +
                       group + "<tag id=\"Echo.Int4\" vt=\"3\" dir=\"3\"/></group></server>\n");
    WriteTestFile(ProjectPath(), project);
    bridge_ = std::make_unique<BridgeProcess>(Executable());
    ASSERT_TRUE(WaitForStartUp());
    std::string error;
    Eventually([&] {
      return (connection_ = ApiConnection::Connect("127.0.0.1", port_, 1s, error)) != nullptr;
    });
    ASSERT_NE(connection_, nullptr) << error;
  }

  // Writes `value` to `handle`; "ret1 ret2".
  std::string Write(int handle, const std::string& value) {
    EXPECT_TRUE(connection_->SendRequest(WriteRequestHeader(7, handle, value)));
    ApiReply reply;
    while (connection_->Receive(reply, 3s) == ApiReceive::kFrame) {
      if (reply.type != 5) continue;
      MarkupDocument answer(MarkupBuild::kBridge);
      answer.SetText(reply.header);
      answer.FindElement("root");
      answer.EnterElement();
      answer.FindElement("base");
      return answer.GetAttribute("ret1") + " " + answer.GetAttribute("ret2");
    }
    ADD_FAILURE() << "no answer to the write";
    return "";
  }

  int port_ = 0;
  std::unique_ptr<BridgeProcess> bridge_;
  std::unique_ptr<ApiConnection> connection_;
};

TEST_F(EngineE2eTest, ValuesOfEveryReadModeArePushedAndWritesReachTheServers) {
  ASSERT_TRUE(connection_->SendRequest(RequestHeader(1, 1, 0)));  // snapshot, then pushes
  const std::set<int> watched = {kCallbackTag, kSingleSyncTag, kPropertyTag, kBulkSyncTag};
  std::map<int, std::set<std::string>> seen;  // handle -> distinct values pushed
  const auto allChanged = [&] {
    for (int handle : watched) {
      if (seen[handle].size() < 2) return false;
    }
    return true;
  };
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  ApiReply reply;
  while (!allChanged() && std::chrono::steady_clock::now() < deadline) {
    if (connection_->Receive(reply, 1s) != ApiReceive::kFrame || reply.type != 4) continue;
    std::vector<PushRecord> records;
    ASSERT_TRUE(ReadPushRecords(reply.payload, records));
    for (const PushRecord& record : records) {
      seen[record.handle].insert(record.valueClass == 4 ? std::string(record.text)
                                                        : std::to_string(record.real) + "/" +
                                                              std::to_string(record.integer));
    }
  }
  for (int handle : watched) EXPECT_GE(seen[handle].size(), 2u) << "handle " << handle;

  EXPECT_EQ(Write(kEchoTag, "12.5"), "0 ");
  bool readBack = false;
  while (!readBack && connection_->Receive(reply, 3s) == ApiReceive::kFrame) {
    std::vector<PushRecord> records;
    if (reply.type != 4 || !ReadPushRecords(reply.payload, records)) continue;
    for (const PushRecord& record : records) {
      readBack = readBack || (record.handle == kEchoTag && record.real == 12.5);
    }
  }
  EXPECT_TRUE(readBack);

  const std::string rejected = Write(kWriteErrorTag, "1");
  EXPECT_TRUE(rejected.starts_with("1 Sync Write: ")) << rejected;
  EXPECT_GT(rejected.size(), std::string("1 Sync Write: ").size());
  EXPECT_EQ(Write(kDeadServerTag, "1"), "1 OPC服务还未连接成功");
}

}  // namespace

}  // namespace tavrel
