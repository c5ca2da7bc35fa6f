// The ways of filling a group: CSV import, the pick from a tag list file, the online batch add
// and the attribute match, the last two against the simulated servers.
#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/recording_message_boxes.h"
#include "maker/csv_tags.h"
#include "maker/online_browser.h"
#include "maker/scan_test_servers.h"
#include "maker/tag_batch.h"
#include "maker/tag_candidates.h"
#include "maker/tag_list_pick.h"
#include "maker/tag_match.h"
#include "platform/com/com.h"

namespace {

using namespace scan_test;

TagCandidate Csv(const char* id, int vt, int dir) {
  TagCandidate tag;
  tag.id = id;
  tag.vt = vt;
  tag.dir = dir;
  return tag;
}

TEST(CsvTags, HeaderSplitAndNumberRules) {
  struct Case {
    const char* text;
    std::vector<TagCandidate> tags;
  };
  const Case cases[] = {
      {"id___opc,vt,dir\nA,5,3\n", {Csv("A", 5, 3)}},
      {"A,5,3\nid___opc,vt,dir\n", {Csv("A", 5, 3), Csv("id___opc", 0, 0)}},
      // The header rule looks at the first line of two fields, skipped lines before it aside.
      {"comment\nid___opc,2\nB,2,1", {Csv("B", 2, 1)}},
      {"Id___opc,2,1\n", {Csv("Id___opc", 2, 1)}},
      {"A,,3\n", {Csv("A", 0, 3)}},
      {"no comma\nA,\n,\n", {}},  // "A," and "," have one field once the trailing one is dropped
      {",5,2\n", {Csv("", 5, 2)}},
      {"A,5\n", {Csv("A", 5, 1)}},  // no direction: the default, read
      {"A,x,2y,extra,more\r\nB,11,3\r\n", {Csv("A", 0, 2), Csv("B", 11, 3)}},
      {"A,5,3", {Csv("A", 5, 3)}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCsvTags(c.text), c.tags) << c.text;
}

TEST(CsvTags, AMissingFileIsCreatedEmptyAndAnUnreachableOneFails) {
  const TestDirectory directory;
  std::string text = "stale";
  ASSERT_TRUE(ReadOrCreateCsvFile(directory / "new.csv", &text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(std::filesystem::exists(directory / "new.csv"));
  WriteTestFile(directory / "old.csv", "A,5,3\n");
  ASSERT_TRUE(ReadOrCreateCsvFile(directory / "old.csv", &text));
  EXPECT_EQ(text, "A,5,3\n");
  EXPECT_FALSE(ReadOrCreateCsvFile(directory / "missing/dir.csv", &text));
}

TEST(TagCandidates, OnlyNamedTagsOfTheServerBlockAnId) {
  ServerNode server;
  auto& first = *server.groups.emplace_back(std::make_unique<GroupNode>(&server));
  auto& second = *server.groups.emplace_back(std::make_unique<GroupNode>(&server));
  AppendUnnamedTags(first, ParseCsvTags("A,5,3\nB,2,1\n"));

  CandidatesAdded added = AddTagCandidates(second, {Csv("A", 4, 1), Csv("C", 8, 3)});
  EXPECT_EQ(added.added, 2u);
  EXPECT_EQ(added.skipped, 0u);
  // Now "A" and "C" name tags of the server; "C" twice in one call is added once.
  added = AddTagCandidates(first, {Csv("A", 4, 1), Csv("D", 3, 3), Csv("C", 8, 3), Csv("D", 3, 3)});
  EXPECT_EQ(added.added, 1u);
  EXPECT_EQ(added.skipped, 3u);

  std::vector<std::pair<std::string, std::string>> tags;
  for (const auto& group : server.groups) {
    for (const auto& tag : group->tags) tags.emplace_back(tag->name, tag->id);
  }
  EXPECT_EQ(tags, (std::vector<std::pair<std::string, std::string>>{
                      {"", "A"}, {"", "B"}, {"D", "D"}, {"A", "A"}, {"C", "C"}}));
}

TEST(TagListPick, ExactLinesInTheOrderTyped) {
  const std::map<std::string, TagListAttributes> tagList{
      {"Random.Int1", {16, 1}}, {"Echo.Real8", {5, 3}}, {"中文.设备一.温度", {5, 1}}};
  EXPECT_EQ(PickFromTagList(tagList,
                            "Echo.Real8\r\n\r\nrandom.int1\nRandom.Int1 \rRandom.Int1\n"
                            "中文.设备一.温度\rMissing"),
            (std::vector<TagCandidate>{Csv("Echo.Real8", 5, 3), Csv("Random.Int1", 16, 1),
                                       Csv("中文.设备一.温度", 5, 1)}));
}

class OnlineTagsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterScanTestServers(); }
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
  void TearDown() override {
    server.link.reset();
    CoUninitialize();
  }
  ServerLink& Connect(const TestServer& test) { return LinkToTestServer(server, test, boxes); }

  ServerNode server;
  RecordingMessageBoxes boxes;
};

TEST_F(OnlineTagsTest, TheFirstBatchHolds3001IdsAndOneRejectedIdDropsItsBatch) {
  const OnlineBrowser browser(Connect(kLarge));
  const std::vector<std::string> bulk = browser.Leaves({"Bulk"}, "*");
  ASSERT_EQ(bulk.size(), kLargeBulkItems);

  std::vector<TagCandidate> selected{Csv("Bulk.Item0001", 5, 1)};  // selected before
  std::vector<std::size_t> batchSizes;
  TagBatch batch(selected, true, 3000, [&](const std::vector<std::string>& ids) {
    batchSizes.push_back(ids.size());
    std::vector<std::optional<ItemAttributes>> attributes(ids.size());
    if (const auto all = browser.ValidateBatch(ids)) {
      std::copy(all->begin(), all->end(), attributes.begin());
    }
    return attributes;
  });
  for (const std::string& id : bulk) batch.Add(id);
  batch.Finish();

  // 6999 ids after the duplicate: 3001 (Item0000..Item3001 without Item0001), 3001 holding the
  // rejected Item4000 and dropped whole, 997 left over.
  EXPECT_EQ(batchSizes, (std::vector<std::size_t>{3001, 3001, 997}));
  ASSERT_EQ(selected.size(), 1 + 3001 + 997u);
  EXPECT_EQ(selected[1].id, "Bulk.Item0000");
  EXPECT_EQ(selected[3001].id, "Bulk.Item3001");
  EXPECT_EQ(selected[3002].id, "Bulk.Item6003");
  EXPECT_EQ(selected[3002].vt, VT_R8);
  EXPECT_EQ(selected[3002].dir, OPC_READABLE);
}

TEST_F(OnlineTagsTest, ItemPropertiesGiveTypeAndRightsWhereTheServerHasThem) {
  EXPECT_EQ(OnlineBrowser(Connect(kTree)).ReadProperties("Echo.Int2"),
            (ItemAttributes{VT_I2, OPC_READABLE | OPC_WRITEABLE}));
  EXPECT_EQ(OnlineBrowser(Connect(kTree)).ReadProperties("No.Such"), std::nullopt);
  server.link.reset();
  EXPECT_EQ(OnlineBrowser(Connect(kLegacy)).ReadProperties("Echo.Int2"), std::nullopt);
}

TEST_F(OnlineTagsTest, TwoFailingTagsGiveTheExactMatchText) {
  ServerLink& link = Connect(kTree);
  GroupNode group(&server);
  AppendUnnamedTags(group, ParseCsvTags("Random.Int1,0,0\nBad.One,7,3\nEcho.Real8,0,0\n"
                                        "Bad.Two,0,2\n"));
  std::string errors;
  MatchTagRange(link.Items(), group.tags, 0, 3, errors);  // two chunks, as the dialog makes them
  MatchTagRange(link.Items(), group.tags, 3, 4, errors);
  EXPECT_EQ(MatchResultText(errors), "Match Finished Error List:Bad.One\r\nBad.Two\r\n");
  EXPECT_EQ(MatchResultText(""), "Match Finished No Error");
  const auto attributes = [&](std::size_t i) {
    return ItemAttributes{group.tags[i]->vt, group.tags[i]->dir};
  };
  EXPECT_EQ(attributes(0), (ItemAttributes{VT_I1, OPC_READABLE}));
  EXPECT_EQ(attributes(1), (ItemAttributes{7, 3}));  // left as it was
  EXPECT_EQ(attributes(2), (ItemAttributes{VT_R8, OPC_READABLE | OPC_WRITEABLE}));
  EXPECT_EQ(attributes(3), (ItemAttributes{0, 2}));
}

}  // namespace
