#include "bridge/core/bridge_runtime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/daily_log.h"
#include "common/test_clock.h"
#include "common/test_files.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

class BridgeRuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(directory_.Path().empty());
    std::filesystem::create_directory(directory_ / "log");
    clock_.Set(LocalSeconds(2024, 3, 5, 8, 9, 10), 11);
  }

  std::unique_ptr<BridgeRuntime> Start() {
    return std::make_unique<BridgeRuntime>(directory_.Path(),
                                           BridgeParts{.clock = clock_.AsClock()});
  }

  TestDirectory directory_;
  FakeWallClock clock_;
};

// Three tags, in groups of two and one (and an empty group), with `prefix` in their ids.
ProjectServerRecord ServerOfThreeTags(const std::string& prefix, const std::string& clsid) {
  ProjectServerRecord server;
  server.clsid = clsid;
  ProjectGroupRecord group;
  group.tags = {{prefix + "a", 3, 1}, {prefix + "b", 8, 3}};
  server.groups = {group, ProjectGroupRecord{}};
  server.groups[1].tags = {{prefix + "a", 11, 2}};  // the same id again: kept
  server.groups.push_back(ProjectGroupRecord{});
  return server;
}

TEST_F(BridgeRuntimeTest, TwoServersNumberTheirTagsFirstAndThenOneStatusTagEach) {
  ASSERT_TRUE(SaveProjectFile(directory_ / kProjectFileName,
                              {ServerOfThreeTags("S1.", "{A}"), ServerOfThreeTags("S2.", "{B}")}));
  const auto runtime = Start();
  const BridgeProject& project = runtime->Project();

  const std::vector<std::string> ids = {"S1.a", "S1.b", "S1.a", "S2.a", "S2.b", "S2.a"};
  ASSERT_EQ(project.Tags().size(), ids.size());
  for (TagHandle handle = 0; handle < 6; ++handle) {
    const ProjectTag* tag = project.FindTag(handle);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->id, ids[handle]);
    EXPECT_EQ(tag->liveValue.Snapshot().handle, handle);
    EXPECT_EQ(tag->connection, runtime->Connections()[handle / 3].get());
  }
  EXPECT_EQ(project.FindTag(2)->valueClass, ApiValueType::kBoolean);
  EXPECT_EQ(project.FindTag(2)->dir, 2);
  EXPECT_EQ(project.FindTag(6), nullptr);  // status tags are not in the map
  EXPECT_EQ(project.Servers()[1]->groups.size(), 3u);

  ASSERT_EQ(runtime->Connections().size(), 2u);
  const StatusTag& first = runtime->Connections()[0]->GetStatusTag();
  const StatusTag& second = runtime->Connections()[1]->GetStatusTag();
  EXPECT_EQ(first.handle, 6);
  EXPECT_EQ(second.handle, 7);
  EXPECT_EQ(second.name, "qz_server_status_1");
  EXPECT_EQ(second.description, "状态:{B}");
  EXPECT_EQ(second.liveValue.Snapshot().handle, 7);
  EXPECT_EQ(second.liveValue.Snapshot().valueClass, ApiValueType::kInteger);
}

TEST_F(BridgeRuntimeTest, StartUpReadsSettingsLogsItsStepsAndStopSetsExitFlag) {
  WriteTestFile(directory_ / kSettingsFileName,
                "<root port=\" 1234x\" programe_name=\"&#25968;&amp;\"/>");
  WriteTestFile(directory_ / kProjectFileName, "<root/>");
  const auto runtime = Start();
  EXPECT_EQ(runtime->Settings().port, 1234);
  EXPECT_EQ(runtime->Settings().port_h, 0);  // missing from a file that has root
  EXPECT_EQ(runtime->Settings().programe_name, "数&");
  EXPECT_EQ(runtime->StartTime(), LocalSeconds(2024, 3, 5, 8, 9, 10));
  EXPECT_EQ(ReadTestFile(DailyLog(directory_.Path()).DailyLogPath(clock_.AsClock()())),
            "2024-03-05 08:09:10 011 begin load config...\r\n"
            "2024-03-05 08:09:10 011 版本6.1.1\r\n"
            "2024-03-05 08:09:10 011 end load config...\r\n"
            "2024-03-05 08:09:10 011 程序启动\r\n");

  EXPECT_FALSE(runtime->GetExitFlag().IsSet());
  runtime->Stop();
  EXPECT_TRUE(runtime->GetExitFlag().IsSet());
}

TEST_F(BridgeRuntimeTest, MissingOrEmptyProjectOrSettingsRunWithoutServersOnDefaults) {
  EXPECT_TRUE(Start()->Connections().empty());
  EXPECT_EQ(Start()->Settings().port, 21215);
  WriteTestFile(directory_ / kProjectFileName, "<root/>");
  WriteTestFile(directory_ / kSettingsFileName, "<settings port=\"1\"/>");  // no root
  const auto runtime = Start();
  EXPECT_TRUE(runtime->Project().Servers().empty());
  EXPECT_TRUE(runtime->Connections().empty());
  EXPECT_EQ(runtime->Settings().port, 21215);
  EXPECT_EQ(runtime->Settings().port_h, 9527);
}

TEST_F(BridgeRuntimeTest, FilesThatGiveNothingOrTheDefaultsSayWhyInOneLine) {
  const std::string declaration = "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n";
  const struct {
    const char* config;   // null: none
    const char* project;  // null: none
    std::string line;     // after the stamp, before "; ..."
  } cases[] = {
      {nullptr, nullptr,
       "opc_db.xml: " + (directory_ / kProjectFileName) +
           " cannot be read: No such file or directory; the bridge runs with no servers and "
           "no tags"},
      {nullptr, "<root>\r\n<server name=\"S\">",
       "opc_db.xml: " + (directory_ / kProjectFileName) +
           " is not well formed: Element 'root' at offset 42 (line 2, column 1) not ended, "
           "Element 'server' at offset 50 (line 3, column 1) not ended"},
      {"<root port=\"21216\">\r\n<mqtt>\r\n</root>", "<root/>",
       "config.xml: " + (directory_ / kSettingsFileName) +
           " is not well formed: End tag 'root' at offset 29 (line 3, column 1) does not match "
           "start tag 'mqtt' at offset 21 (line 2, column 1); the defaults apply"},
      {"<root port=\"95277\"/>", "<root/>",
       "config.xml: port=\"95277\" is not a port from 1 to 65535; the API listens on 29741, its "
       "low 16 bits"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(directory_ / kSettingsFileName);
    std::filesystem::remove(directory_ / kProjectFileName);
    std::filesystem::remove_all(directory_ / "log");
    std::filesystem::create_directory(directory_ / "log");
    if (c.config) WriteTestFile(directory_ / kSettingsFileName, c.config);
    if (c.project) WriteTestFile(directory_ / kProjectFileName, declaration + c.project);
    const auto runtime = Start();
    EXPECT_TRUE(runtime->Connections().empty());
    const std::string log =
        ReadTestFile(DailyLog(directory_.Path()).DailyLogPath(clock_.AsClock()()));
    EXPECT_NE(log.find("2024-03-05 08:09:10 011 " + c.line), std::string::npos) << log;
  }
}

// Records the life of a front end, or of an engine, in the order it happens.
using Journal = std::vector<std::string>;

class JournalFrontEnd final : public FrontEnd, public ValuePushSink {
 public:
  JournalFrontEnd(std::string name, bool takesValues, Journal& journal)
      : name_(std::move(name)), takesValues_(takesValues), journal_(journal) {}
  ~JournalFrontEnd() override { journal_.push_back("destroy " + name_); }
  ValuePushSink* ValueSink() override { return takesValues_ ? this : nullptr; }
  void Start() override { journal_.push_back("start " + name_); }
  void Stop() override { journal_.push_back("stop " + name_); }
  void PushValue(const TagLiveValue& value) override {
    journal_.push_back(name_ + " value " + LiveValueText(value));
  }

 private:
  const std::string name_;
  const bool takesValues_;
  Journal& journal_;
};

class JournalEngine final : public ConnectionEngine {
 public:
  explicit JournalEngine(Journal& journal) : journal_(journal) {}
  int Start() override {
    journal_.push_back("start engine");
    return 0;
  }
  void Stop() override { journal_.push_back("stop engine"); }
  bool IsConnected() const override { return false; }
  WriteResult WriteTag(ProjectTag& /*tag*/, std::string_view /*value*/) override { return {}; }

 private:
  Journal& journal_;
};

// Each factory reads config.xml from its top, the front ends start in the list's order before
// the engines and stop in reverse before them, and only those that take values receive them.
TEST_F(BridgeRuntimeTest, FrontEndsStartInOrderBeforeTheEnginesAndStopInReverse) {
  WriteTestFile(directory_ / kSettingsFileName, "<root port=\"5\"><a/><b/></root>");
  ASSERT_TRUE(SaveProjectFile(directory_ / kProjectFileName, {ServerOfThreeTags("S.", "{A}")}));
  Journal journal;
  const auto frontEnd = [&journal](std::string name, bool takesValues) {
    return [&journal, name, takesValues](const FrontEndContext& context) {
      MarkupDocument& config = context.config;
      const bool found = config.FindElement("root") && config.EnterElement() &&
                         config.FindElement(name) && config.EnterElement();
      journal.push_back("make " + name + (found ? "" : " without its element"));
      return std::make_unique<JournalFrontEnd>(name, takesValues, journal);
    };
  };
  const FrontEndFactory none = [&journal](const FrontEndContext&) {
    journal.push_back("make none");
    return nullptr;
  };
  auto runtime = std::make_unique<BridgeRuntime>(
      directory_.Path(), BridgeParts{.clock = clock_.AsClock(),
                                     .makeEngine =
                                         [&journal](const ConnectionEngineContext&) {
                                           return std::make_unique<JournalEngine>(journal);
                                         },
                                     .frontEnds = {frontEnd("a", true), none, frontEnd("b", false),
                                                   frontEnd("c", true)}});
  runtime->Project().FindTag(0)->liveValue.ApplyTextValue("1.5", "192", clock_.AsClock()(),
                                                          runtime->Project().PushSink());
  runtime->Stop();
  EXPECT_EQ(runtime->Project().PushSink(), nullptr);
  runtime.reset();
  EXPECT_EQ(journal, (Journal{"make a", "start a", "make none", "make b", "start b",
                              "make c without its element", "start c", "start engine",
                              "a value 1.5", "c value 1.5", "stop c", "stop b", "stop a",
                              "stop engine", "destroy c", "destroy b", "destroy a"}));
}

}  // namespace

}  // namespace tavrel
