#include "bridge/mqtt/json_format.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "bridge/mqtt/json_messages.h"
#include "bridge/mqtt/sparkplug_values.h"
#include "bridge/mqtt/text_array_elements.h"
#include "bridge/opc/engine_test_support.h"
#include "platform/com/owned_variant.h"

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
  const TextArrayElements textArrays;
  JsonFormat format(settings, tags, textArrays, counters);
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

// A text element may hold the ", " that joins the elements in the value's text: the elements of
// the server's array travel whole, in JSON and in Sparkplug. Arrays of numbers are not kept.
TEST(TextArrays, ElementsHoldingTheSeparatorTravelWhole) {
  BridgeProject project({TreeServer({GroupRecord(
      "G", 1, false,
      {TagRecord("Texts", VT_ARRAY | VT_BSTR), TagRecord("Reals", VT_ARRAY | VT_R8)})})});
  OwnedVariant texts;
  texts.Mutable()->vt = VT_ARRAY | VT_BSTR;
  texts.Mutable()->parray = SafeArrayCreateVector(VT_BSTR, 0, 2);
  const OLECHAR* const elements[] = {OLESTR("a, b"), OLESTR("c")};
  for (LONG index = 0; index < 2; ++index) {
    const BSTR element = SysAllocString(elements[index]);
    ASSERT_EQ(SafeArrayPutElement(texts.Get().parray, &index, element), S_OK);
    SysFreeString(element);
  }
  OwnedVariant reals;
  reals.Mutable()->vt = VT_ARRAY | VT_R8;
  reals.Mutable()->parray = SafeArrayCreateVector(VT_R8, 0, 2);

  TextArrayElements arrays;
  arrays.Put(0, texts.Get());
  arrays.Put(1, reals.Get());
  const ProjectTag& tag = *project.FindTag(0);
  EXPECT_FALSE(arrays.Of(*project.FindTag(1)).has_value());
  const TextElements kept = arrays.Of(tag);
  ASSERT_TRUE(kept.has_value());

  TagLiveValue value;
  value.valueClass = ApiValueType::kText;
  value.textValue = "a, b, c";
  value.updateCount = 1;
  EXPECT_EQ(nlohmann::json::parse(JsonValueMessage(tag, value, kept)).at("v"),
            nlohmann::json::array({"a, b", "c"}));
  tavrel::sparkplug::Metric metric;
  SetMetricValue(metric, tag.vt, value, kept);
  EXPECT_EQ(metric.bytes_value(), std::string("a, b\0c\0", 7));
}

}  // namespace
