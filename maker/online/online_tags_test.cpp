// The online ways of filling a group, against the simulated servers: the batch add of the
// online browser and the attribute match.
#include <gtest/gtest.h>

#include "desktop/recording_message_boxes.h"
#include "maker/online/online_browser.h"
#include "maker/online/scan_test_servers.h"
#include "maker/online/tag_batch.h"
#include "maker/online/tag_match.h"
#include "maker/project/csv_tags.h"
#include "maker/project/tag_candidates.h"
#include "platform/com/com.h"

namespace tavrel {

namespace {

using namespace scan_test;

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

  std::vector<TagCandidate> selected{{"Bulk.Item0001", "", 1, 5, ""}};  // selected before
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

}  // namespace tavrel
