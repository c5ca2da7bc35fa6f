#include "bridge/mqtt/json_format.h"

#include <gtest/gtest.h>

#include "bridge/opc/engine_test_support.h"

namespace {

using engine_test::GroupRecord;
using engine_test::TagRecord;
using engine_test::TreeServer;

class NoHandler final : public MosquittoClient::Handler {
  void Connected(int) override {}
  void MessageArrived(std::string_view, std::string_view) override {}
};

// Which messages on the write subscription become writes, and to which tag. Tag ids may hold
// '/', so one topic can be both a tag's value topic and another tag's write topic.
TEST(JsonFormatReceive, OnlyWriteTopicsThatAreNoTagsValueTopicWrite) {
  BridgeProject project({TreeServer({GroupRecord(
      "G", 1, false, {TagRecord("X", 3), TagRecord("X/set", 8), TagRecord("Y", 3)})})});
  const PublishedTags tags(project);
  MetricRegistry metrics;
  MqttCounters counters(metrics);
  MqttSettings settings;
  settings.writes = true;
  JsonFormat format(settings, tags, counters);
  NoHandler handler;
  MosquittoClient client(settings, handler);

  struct Case {
    const char* topic;
    int handle;  // -1: no write
  };
  const Case cases[] = {
      {"tavrel/SimTree/G/Y/set", 2},
      {"tavrel/SimTree/G/X/set", -1},  // the value of "X/set" coming back, not a write to X
      {"tavrel/SimTree/G/X/set/set", 1},
      {"tavrel/SimTree/G/Y", -1},
      {"tavrel/SimTree/G/Z/set", -1},
      {"other/SimTree/G/Y/set", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.topic);
    std::vector<MqttWriteRequest> writes;
    format.Receive(client, c.topic, "7", writes);
    if (c.handle < 0) {
      EXPECT_TRUE(writes.empty());
    } else {
      ASSERT_EQ(writes.size(), 1u);
      EXPECT_EQ(writes[0].handle, c.handle);
      EXPECT_EQ(writes[0].value, "7");
    }
  }
}

}  // namespace
