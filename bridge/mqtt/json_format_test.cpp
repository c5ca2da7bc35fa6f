#include "bridge/mqtt/json_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "bridge/mqtt/json_messages.h"
#include "bridge/mqtt/sparkplug_values.h"
#include "bridge/opc/engine_test_support.h"

namespace tavrel {

namespace {

using engine_test::GroupRecord;
using engine_test::TagRecord;
using engine_test::TreeServer;

class NoHandler final : public MosquittoClient::Handler {
  void Connected(int) override {}
  void MessageArrived(std::string_view, std::string_view, bool) override {}
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
  const LatestValues latest(tags.LiveValues(), nullptr);
  JsonFormat format(settings, tags, latest, counters);
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

// "v" of each kind of tag: scalars by the tag's class (64-bit integers whole), arrays by the
// type each typed element arrived in.
TEST(JsonValueMessage, ScalarsByClassAndArraysByElement) {
  const auto elements = [](TypedArray values) { return TypedValue{std::move(values)}; };
  const struct {
    int vt;
    ApiValueType valueClass;
    double real;
    std::int32_t integer;
    std::string text;
    TypedValue typed;
    const char* v;
  } cases[] = {
      {VT_I4, ApiValueType::kInteger, 0, -7, "-7", {std::int64_t{-7}}, "-7"},
      {VT_EMPTY, ApiValueType::kReal, 2, 0, "2", {std::int64_t{2}}, "2.0"},  // the class's real
      {VT_R8, ApiValueType::kReal, NAN, 0, "nan", {NAN}, "null"},
      {VT_I8,
       ApiValueType::kReal,
       -9007199254740992.0,
       0,
       "",
       {std::int64_t{-9007199254740993}},
       "-9007199254740993"},
      {VT_UI8,
       ApiValueType::kReal,
       1.8446744073709552e19,
       0,
       "",
       {std::uint64_t{18446744073709551615u}},
       "18446744073709551615"},
      {VT_BOOL, ApiValueType::kBoolean, 0, 1, "1", {true}, "true"},
      {VT_DATE,
       ApiValueType::kText,
       0,
       0,
       "2026-12-08 07:47:18 000",
       {TypedDate{0}},
       "\"2026-12-08 07:47:18 000\""},
      {VT_ARRAY | VT_R8, ApiValueType::kReal, 0, 0, "98.9235, nan", elements({{98.923456}, {NAN}}),
       "[98.923456,null]"},
      {VT_ARRAY | VT_BSTR, ApiValueType::kText, 0, 0, "a, b, c",
       elements({{std::string("a, b")}, {std::string("c")}}), "[\"a, b\",\"c\"]"},
      {VT_ARRAY | VT_VARIANT, ApiValueType::kReal, 0, 0, "1, 0.5, 1970-01-01 00:00:01 000, ?",
       elements({{true}, {0.5}, {TypedDate{1000}}, {}}),
       "[true,0.5,\"1970-01-01 00:00:01 000\",null]"},
      {VT_ARRAY | VT_I4, ApiValueType::kReal, 0, 0, "7", {std::string("7")}, "null"},
  };
  std::vector<ProjectTagRecord> records;
  for (const auto& c : cases) records.push_back(TagRecord(c.v, c.vt));
  const BridgeProject project({TreeServer({GroupRecord("G", 1, false, records)})});
  for (std::size_t handle = 0; handle < std::size(cases); ++handle) {
    const auto& c = cases[handle];
    SCOPED_TRACE(c.v);
    const ProjectTag& tag = *project.FindTag(static_cast<TagHandle>(handle));
    TagLiveValue value;
    value.valueClass = c.valueClass;
    value.realValue = c.real;
    value.integerValue = c.integer;
    value.textValue = c.text;
    value.updateCount = 1;
    EXPECT_EQ(nlohmann::json::parse(JsonValueMessage(tag, value, c.typed)).at("v").dump(), c.v);
  }
}

}  // namespace

}  // namespace tavrel
