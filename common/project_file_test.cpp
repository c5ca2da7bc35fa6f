#include "common/project_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "common/test_file_size_limit.h"
#include "common/test_files.h"

namespace tavrel {

namespace {

// GBK bytes, spelled out so the test does not depend on how literals are compiled:
// "中文" (Chinese), "组1" (group 1) and "数据" (data).
const std::string kChinese = "\xD6\xD0\xCE\xC4";
const std::string kGroupOne =
    "\xD7\xE9"
    "1";
const std::string kData = "\xCA\xFD\xBE\xDD";

std::vector<ProjectServerRecord> SampleProject() {
  ProjectServerRecord first;
  first.name = "S1";
  first.desc = kChinese + "<&\">";
  first.node = "localhost";
  first.sid = "Sim.Server.1";
  first.clsid = "{12345678-9ABC-DEF0-1234-56789ABCDEF0}";
  first.catid = "{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}";
  first.outtime = "120";
  first.solution = 2;
  first.c1 = "1";
  first.c2 = "Administrator";
  first.c3 = "pass";
  first.c4 = "WORK";
  ProjectGroupRecord withTags{kGroupOne,
                              kData,
                              "1000",
                              "0",
                              "0",
                              "1033",
                              "1",
                              "1",
                              "3000",
                              "0",
                              {{kChinese + ".Tag1", 5, 3}, {"Random.Int4", 3, 1}}};
  ProjectGroupRecord withoutTags{"G2", "", "", "0", "0.5", "2052", "0", "0", "500", "1", {}};
  first.groups = {withTags, withoutTags};
  ProjectServerRecord second;
  second.name = "S2";
  second.sid = "Sim.Server.2";
  return {first, second};
}

TEST(ProjectFile, WritesTheMakersLayoutAndAttributeOrder) {
  MarkupDocument document;
  BuildProjectDocument(document, SampleProject());
  EXPECT_EQ(
      document.GetText(),
      "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n"
      "<root>\r\n"
      "<server name=\"S1\" desc=\"" +
          kChinese +
          "&lt;&amp;&quot;&gt;\" node=\"localhost\" "
          "sid=\"Sim.Server.1\" clsid=\"{12345678-9ABC-DEF0-1234-56789ABCDEF0}\" "
          "catid=\"{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}\" outtime=\"120\" solution=\"2\" "
          "c1=\"1\" c2=\"Administrator\" c3=\"pass\" c4=\"WORK\">\r\n"
          "<group name=\"" +
          kGroupOne + "\" desc=\"" + kData +
          "\" uptime=\"1000\" "
          "timebis_minutes=\"0\" percent_deadband=\"0\" language_id=\"1033\" "
          "active_state=\"1\" datachange_type=\"1\" cycle_time=\"3000\" additem=\"0\">\r\n"
          "<tag id=\"" +
          kChinese +
          ".Tag1\" vt=\"5\" dir=\"3\"/>\r\n"
          "<tag id=\"Random.Int4\" vt=\"3\" dir=\"1\"/>\r\n"
          "</group>\r\n"
          "<group name=\"G2\" desc=\"\" uptime=\"\" timebis_minutes=\"0\" "
          "percent_deadband=\"0.5\" language_id=\"2052\" active_state=\"0\" "
          "datachange_type=\"0\" cycle_time=\"500\" additem=\"1\"/>\r\n"
          "</server>\r\n"
          "<server name=\"S2\" desc=\"\" node=\"\" sid=\"Sim.Server.2\" clsid=\"\" catid=\"\" "
          "outtime=\"\" solution=\"0\" c1=\"\" c2=\"\" c3=\"\" c4=\"\"/>\r\n"
          "</root>\r\n");
}

TEST(ProjectFile, SavedProjectReadsBackUnchangedInBothBuilds) {
  TestDirectory directory;
  const std::string path = directory.Path() + "/" + kProjectFileName;
  ASSERT_TRUE(SaveProjectFile(path, SampleProject()));
  // GB2312 is the system code page: the file holds the GBK bytes as they were given.
  const std::string file = ReadTestFile(path);
  EXPECT_EQ(file.rfind(kProjectDeclaration, 0), 0u);
  EXPECT_NE(file.find("<tag id=\"" + kChinese + ".Tag1\""), std::string::npos);

  EXPECT_EQ(LoadProjectFile(path, MarkupBuild::kBridge), SampleProject());
  EXPECT_EQ(LoadProjectFile(path, MarkupBuild::kFull), SampleProject());
}

TEST(ProjectFile, MissingAttributesReadAsEmptyTextOrZero) {
  MarkupDocument document(MarkupBuild::kBridge);
  ASSERT_TRUE(
      document.SetText("<root version=\"2\">\r\n"
                       "<server name=\"S1\" csouttime=\"120\" extra=\"x\">\r\n"
                       "<group name=\"G1\"><tag id=\"a\"/></group>\r\n"
                       "</server>\r\n"
                       "</root>\r\n"));
  ProjectServerRecord server;
  server.name = "S1";
  server.csouttime = "120";
  ProjectGroupRecord group;
  group.name = "G1";
  group.tags = {ProjectTagRecord{"a", 0, 0}};
  server.groups = {group};
  EXPECT_EQ(ReadProject(document), std::vector<ProjectServerRecord>{server});
}

TEST(ProjectFile, OtherElementsAreSkippedAndDocumentOrderKept) {
  MarkupDocument document(MarkupBuild::kBridge);
  ASSERT_TRUE(document.SetText(
      "<root>\r\n"
      "<server name=\"A\"><note/><group name=\"g1\"/><item/><group name=\"g2\">"
      "<tag id=\"t1\"/><comment/><tag id=\"t2\" vt=\"x\" dir=\"3\"/></group></server>\r\n"
      "<servers name=\"not a server\"/>\r\n"
      "<server name=\"B\"/>\r\n"
      "<server name=\"C\"/>\r\n"
      "</root>\r\n"));
  const std::vector<ProjectServerRecord> servers = ReadProject(document);
  ASSERT_EQ(servers.size(), 3u);
  EXPECT_EQ(servers[0].name, "A");
  EXPECT_EQ(servers[1].name, "B");
  EXPECT_EQ(servers[2].name, "C");
  ASSERT_EQ(servers[0].groups.size(), 2u);
  EXPECT_EQ(servers[0].groups[0].name, "g1");
  EXPECT_TRUE(servers[0].groups[0].tags.empty());
  EXPECT_EQ(servers[0].groups[1].tags, (std::vector<ProjectTagRecord>{{"t1", 0, 0}, {"t2", 0, 3}}));
  EXPECT_TRUE(servers[1].groups.empty());
}

TEST(ProjectFile, ReadingStartsAtTheTopWhereverThePositionWas) {
  MarkupDocument document(MarkupBuild::kBridge);
  ASSERT_TRUE(document.SetText("<root><server name=\"A\"><group name=\"g\"/></server></root>"));
  ASSERT_TRUE(document.FindElement("root"));
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.FindElement("server"));
  ASSERT_TRUE(document.EnterElement());
  EXPECT_EQ(ReadProject(document).size(), 1u);
}

TEST(ProjectFile, UnloadableOrRootlessFilesGiveAnEmptyProject) {
  TestDirectory directory;
  const std::string path = directory.Path() + "/opc_db.xml";
  EXPECT_TRUE(LoadProjectFile(path, MarkupBuild::kBridge).empty());  // missing

  for (const char* text :
       {"<root/>", "<project><server name=\"A\"/></project>", "<root><server name=\"A\"/>", ""}) {
    WriteTestFile(path, text);
    EXPECT_TRUE(LoadProjectFile(path, MarkupBuild::kBridge).empty()) << text;
    EXPECT_TRUE(LoadProjectFile(path, MarkupBuild::kFull).empty()) << text;
  }
}

TEST(ProjectFile, ServerElementAloneForTheTestLaunch) {
  MarkupDocument document;
  ProjectServerRecord server = SampleProject().back();
  server.csouttime = "99";  // read, never written
  AddServerElement(document, server);
  EXPECT_EQ(document.GetText(),
            "<server name=\"S2\" desc=\"\" node=\"\" sid=\"Sim.Server.2\" clsid=\"\" catid=\"\" "
            "outtime=\"\" solution=\"0\" c1=\"\" c2=\"\" c3=\"\" c4=\"\"/>\r\n");
}

// A project large enough that writing it takes many write calls.
std::vector<ProjectServerRecord> LargeProject(const std::string& marker) {
  std::vector<ProjectServerRecord> servers = SampleProject();
  servers[0].desc = marker;
  ProjectGroupRecord& group = servers[0].groups[0];
  for (int i = 0; i < 5000; ++i) group.tags.push_back({marker + ".Tag" + std::to_string(i), 5, 3});
  return servers;
}

// Kills and reaps a forked child when the test ends early.
class ChildGuard {
 public:
  explicit ChildGuard(pid_t child) : child_(child) {}
  ~ChildGuard() { Stop(); }
  // Kills the child and waits for it; true when it was reaped.
  bool Stop() {
    if (child_ <= 0) return false;
    kill(child_, SIGKILL);
    const bool reaped = waitpid(child_, nullptr, 0) == child_;
    child_ = 0;
    return reaped;
  }
  ChildGuard(const ChildGuard&) = delete;
  ChildGuard& operator=(const ChildGuard&) = delete;

 private:
  pid_t child_;
};

class ProjectFileSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(directory.Path().empty());
    ASSERT_TRUE(SaveProjectFile(path, SampleProject()));
    original = ReadTestFile(path);
  }
  TestDirectory directory;
  std::string path = directory.Path() + "/opc_db.xml";
  std::string original;
};

TEST_F(ProjectFileSaveTest, FailedSaveLeavesTheOldFileWhole) {
  // No file may grow beyond 4 KiB in the child, so the save fails part way.
  EXPECT_FALSE(RunWithFileSizeLimit(4096, [&] {
    return SaveProjectFile(path, LargeProject("new"));
  })) << "the save should have reported failure";
  EXPECT_EQ(ReadTestFile(path), original);
  EXPECT_EQ(directory.Entries(), std::set<std::string>{"opc_db.xml"});  // nothing left behind
}

TEST_F(ProjectFileSaveTest, InterruptedSavesLeaveAWholeFileAtEveryMoment) {
  MarkupDocument first;
  BuildProjectDocument(first, LargeProject("first"));
  MarkupDocument second;
  BuildProjectDocument(second, LargeProject("second"));
  ASSERT_TRUE(first.SaveFile(path));

  // The child saves the two projects in turn until it is killed.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    for (bool flip = false;; flip = !flip) {
      SaveProjectFile(path, LargeProject(flip ? "first" : "second"));
    }
  }
  ChildGuard guard(child);
  // Readers meanwhile see one project or the other, never a mixture or a truncated file.
  for (int read = 0; read < 20; ++read) {
    const std::string seen = ReadTestFile(path);
    ASSERT_TRUE(seen == first.GetText() || seen == second.GetText())
        << "read " << read << " saw " << seen.size() << " bytes";
  }
  ASSERT_TRUE(guard.Stop());
  const std::string last = ReadTestFile(path);
  EXPECT_TRUE(last == first.GetText() || last == second.GetText());
}

TEST_F(ProjectFileSaveTest, SaveIntoAMissingDirectoryFailsWithoutCreatingIt) {
  EXPECT_FALSE(SaveProjectFile(directory.Path() + "/absent/opc_db.xml", SampleProject()));
  EXPECT_FALSE(std::filesystem::exists(directory.Path() + "/absent"));
}

}  // namespace

}  // namespace tavrel
