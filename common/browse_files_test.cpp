#include "common/browse_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/test_files.h"

namespace tavrel {

namespace {

// "模拟" (simulation) in GBK bytes.
const std::string kSimulation = "\xC4\xA3\xC4\xE2";

class BrowseFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(directory.Path().empty());
    std::filesystem::create_directory(directory.Path() + "/servers");
  }
  TestDirectory directory;
};

TEST_F(BrowseFilesTest, PathsLieInTheServersDirectory) {
  EXPECT_EQ(ServerListPath("/opt/app"), "/opt/app/servers/serverlist.xml");
  EXPECT_EQ(TagListPath("/opt/app", "Sim.Server.1"), "/opt/app/servers/Sim.Server.1.xml");
  for (const char* progId : {"../opc_db", "a/b", "a\\b", "", ".."}) {
    EXPECT_EQ(TagListPath("/opt/app", progId), std::nullopt) << progId;
  }
}

TEST_F(BrowseFilesTest, ServerListForTheLocalComputerIsWrittenInOrder) {
  ServerList list;
  list.useCredentials = "0";
  list.user = "Administrator";
  list.password = "secret";
  list.domain = "";
  list.servers = {
      {"Sim.Server.1", kSimulation, "{00000000-0000-0000-0000-000000000001}",
       "{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}"},
      {"Sim.Server.2", "second & last", "{00000000-0000-0000-0000-000000000002}",
       "{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}"},
  };
  const std::string path = ServerListPath(directory.Path());
  ASSERT_TRUE(SaveServerList(path, list));
  EXPECT_EQ(ReadTestFile(path),
            "<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n"
            "<root ver=\"0\" count1=\"0\" count2=\"Administrator\" count3=\"secret\" "
            "count4=\"\" node=\"\">\r\n"
            "<t a=\"Sim.Server.1\" b=\"" +
                kSimulation +
                "\" "
                "c=\"{00000000-0000-0000-0000-000000000001}\" "
                "d=\"{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}\"/>\r\n"
                "<t a=\"Sim.Server.2\" b=\"second &amp; last\" "
                "c=\"{00000000-0000-0000-0000-000000000002}\" "
                "d=\"{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}\"/>\r\n"
                "</root>\r\n");
  EXPECT_EQ(LoadServerList(path), list);
}

TEST_F(BrowseFilesTest, MissingOrRootlessServerListGivesNothing) {
  const std::string path = ServerListPath(directory.Path());
  EXPECT_EQ(LoadServerList(path), std::nullopt);
  WriteTestFile(path, "<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n<list node=\"x\"/>\r\n");
  EXPECT_EQ(LoadServerList(path), std::nullopt);
  WriteTestFile(path, "<root node=\"x\"><t a=\"A\"/>");  // not closed
  EXPECT_EQ(LoadServerList(path), std::nullopt);
}

TEST_F(BrowseFilesTest, MissingServersDirectoryFailsTheSavesWithoutCreatingIt) {
  std::filesystem::remove(directory.Path() + "/servers");
  EXPECT_FALSE(SaveServerList(ServerListPath(directory.Path()), ServerList{}));
  TagListBuilder builder;
  EXPECT_FALSE(builder.Save(*TagListPath(directory.Path(), "Sim.Server.1")));
  EXPECT_FALSE(std::filesystem::exists(directory.Path() + "/servers"));
}

TEST_F(BrowseFilesTest, TagListHoldsItemsInScanOrderWithZerosForUnknownAttributes) {
  TagListBuilder builder;
  builder.AddItem("Channel1.Device1." + kSimulation, 5, 3);
  builder.AddItem("Bucket.Unknown", 0, 0);
  builder.AddItem("Channel1.Device1." + kSimulation, 8, 1);  // reported under two branches
  const std::string path = *TagListPath(directory.Path(), "Sim.Server.1");
  EXPECT_FALSE(TagListExists(directory.Path(), "Sim.Server.1"));
  ASSERT_TRUE(builder.Save(path));
  EXPECT_TRUE(TagListExists(directory.Path(), "Sim.Server.1"));
  EXPECT_EQ(ReadTestFile(path),
            "<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n"
            "<root ver=\"0\">\r\n"
            "<t>\r\n"
            "<it id=\"Channel1.Device1." +
                kSimulation +
                "\" dt=\"5\" ar=\"3\"/>\r\n"
                "<it id=\"Bucket.Unknown\" dt=\"0\" ar=\"0\"/>\r\n"
                "<it id=\"Channel1.Device1." +
                kSimulation +
                "\" dt=\"8\" ar=\"1\"/>\r\n"
                "</t>\r\n"
                "</root>\r\n");
  EXPECT_EQ(LoadTagList(path),
            (std::map<std::string, TagListAttributes>{{"Channel1.Device1." + kSimulation, {5, 3}},
                                                      {"Bucket.Unknown", {0, 0}}}));
}

TEST_F(BrowseFilesTest, EmptyScanStillWritesOneEmptyList) {
  TagListBuilder builder;
  EXPECT_EQ(builder.GetText(),
            "<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n<root ver=\"0\">\r\n<t/>\r\n</root>\r\n");
}

TEST_F(BrowseFilesTest, ReaderCollectsEveryListAndKeepsTheFirstOccurrence) {
  const std::string path = *TagListPath(directory.Path(), "Sim.Server.1");
  WriteTestFile(path,
                "<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n"
                "<root ver=\"0\">\r\n"
                "<t><it id=\"a\" dt=\"4\" ar=\"1\"/><branch id=\"x\"/><it id=\"b\"/></t>\r\n"
                "<other><it id=\"hidden\" dt=\"1\" ar=\"1\"/></other>\r\n"
                "<t><it id=\"a\" dt=\"5\" ar=\"3\"/><it id=\"c\" dt=\"11\" ar=\"2\"/></t>\r\n"
                "</root>\r\n");
  EXPECT_EQ(LoadTagList(path), (std::map<std::string, TagListAttributes>{
                                   {"a", {4, 1}}, {"b", {0, 0}}, {"c", {11, 2}}}));
}

TEST_F(BrowseFilesTest, MissingOrUnparsableTagListIsEmpty) {
  const std::string path = *TagListPath(directory.Path(), "Sim.Server.1");
  EXPECT_TRUE(LoadTagList(path).empty());
  WriteTestFile(path, "<root><t><it id=\"a\"/></t></root><root/>");
  EXPECT_TRUE(LoadTagList(path).empty());
}

}  // namespace

}  // namespace tavrel
