// Commands through a real broker, in both formats: a retained write is never done (the broker
// hands it out again at each reconnection, over newer writes), and a read-only tag is never
// written.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "bridge/mqtt/mqtt_bridge_test_support.h"
#include "bridge/mqtt/mqtt_writes.h"
#include "bridge/mqtt/sparkplug_b.pb.h"
#include "bridge/mqtt/sparkplug_values.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace mqtt_test {
namespace {

using nlohmann::json;
using tavrel::sparkplug::Metric;
using tavrel::sparkplug::Payload;

constexpr TagHandle kReadOnly = 0;  // Random.Int4, dir="1"
constexpr TagHandle kEcho = 1;      // Echo.Int4, read and write
constexpr char kClientId[] = "tavrel-commands-test";

std::string SparkplugTopic(const std::string& type) {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  GetComputerNameA(name, &size);
  return "spBv1.0/plant/" + type + "/" + std::string(name, size);
}

struct WriteAnswer {
  TagHandle handle;
  int code;
  std::string error;
};

// What a format's messages say, and how a command is sent in it.
struct FormatCase {
  const char* format;
  const char* pattern;
  std::function<void(TestSubscriber&, TagHandle, int, bool)> write;
  std::function<std::optional<int>(const Message&)> echoValue;
  std::function<std::optional<WriteAnswer>(const Message&)> answer;
};

const FormatCase kFormats[] = {
    {"json", "tavrel/#",
     [](TestSubscriber& client, TagHandle handle, int value, bool retain) {
       const std::string path = handle == kEcho ? "Echo/Echo.Int4" : "Values/Random.Int4";
       client.Publish("tavrel/SimTree/" + path + "/set", std::to_string(value), 1, retain);
     },
     [](const Message& m) -> std::optional<int> {
       if (m.topic != "tavrel/SimTree/Echo/Echo.Int4") return std::nullopt;
       return json::parse(m.payload).at("v").get<int>();
     },
     [](const Message& m) -> std::optional<WriteAnswer> {
       if (m.topic != "tavrel/write_result") return std::nullopt;
       const json answer = json::parse(m.payload);
       return WriteAnswer{answer.at("h"), answer.at("result"), answer.at("error")};
     }},
    {"sparkplugb", "spBv1.0/#",
     [](TestSubscriber& client, TagHandle handle, int value, bool retain) {
       Payload command;
       Metric& metric = *command.add_metrics();
       metric.set_alias(static_cast<std::uint64_t>(handle));
       metric.set_datatype(sparkplug_type::kInt32);
       metric.set_int_value(static_cast<std::uint32_t>(value));
       const std::string device = handle == kEcho ? "/SimTree:Echo" : "/SimTree:Values";
       client.Publish(SparkplugTopic("DCMD") + device, command.SerializeAsString(), 1, retain);
     },
     [](const Message& m) -> std::optional<int> {
       Payload data;
       if (m.topic != SparkplugTopic("DDATA") + "/SimTree:Echo" || !data.ParseFromString(m.payload))
         return std::nullopt;
       return static_cast<std::int32_t>(data.metrics(0).int_value());
     },
     [](const Message& m) -> std::optional<WriteAnswer> {
       Payload data;
       if (!m.topic.starts_with(SparkplugTopic("DDATA")) || !data.ParseFromString(m.payload))
         return std::nullopt;
       const auto& properties = data.metrics(0).properties();
       for (int i = 0; i + 1 < properties.keys_size(); ++i) {
         if (properties.keys(i) != "WriteResult") continue;
         return WriteAnswer{static_cast<TagHandle>(data.metrics(0).alias()),
                            static_cast<std::int32_t>(properties.values(i).int_value()),
                            properties.values(i + 1).string_value()};
       }
       return std::nullopt;
     }},
};

// Connects with the bridge's client id for a moment: the broker drops the bridge, which
// connects and subscribes again a second later.
void TakeOverClientId(int port) {
  mosquitto* other = mosquitto_new(kClientId, true, nullptr);
  mosquitto_connect(other, "127.0.0.1", port, 30);
  for (int i = 0; i < 10; ++i) mosquitto_loop(other, 50, 1);
  mosquitto_disconnect(other);
  mosquitto_loop(other, 50, 1);
  mosquitto_destroy(other);
}

class MqttCommandsTest : public MqttBridgeTest {};

TEST_F(MqttCommandsTest, RetainedWritesAndWritesToReadOnlyTagsAreNotDone) {
  TestBroker broker(directory_.Path());
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(c.format);
    TestSubscriber client(broker.Port(), c.pattern);
    const auto echoed = [&](int value) {
      return [&c, value](const std::vector<Message>& messages) {
        return std::any_of(messages.begin(), messages.end(), [&](const Message& m) {
          return !m.retained && c.echoValue(m) == value;
        });
      };
    };
    // Left on the broker before the bridge connects, and handed to it at each subscription.
    c.write(client, kEcho, 111, true);
    StartBridge(std::string("<mqtt url=\"") + broker.Url() + "\" format=\"" + c.format +
                    "\" topic=\"" + (c.format == std::string("json") ? "tavrel" : "plant") +
                    "\" client_id=\"" + kClientId + "\" writes=\"1\"/>",
                TestProject("<tag id=\"Random.Int4\" vt=\"3\" dir=\"1\"/>"));
    ASSERT_TRUE(client.WaitFor([&](const std::vector<Message>& messages) {
      return std::any_of(messages.begin(), messages.end(),
                         [&](const Message& m) { return !m.retained && c.echoValue(m); });
    }));
    c.write(client, kEcho, 7, false);
    ASSERT_TRUE(client.WaitFor(echoed(7)));

    c.write(client, kReadOnly, 5, false);
    std::optional<WriteAnswer> refused;
    EXPECT_TRUE(client.WaitFor([&](const std::vector<Message>& messages) {
      for (const Message& m : messages) {
        if (const auto answer = c.answer(m); answer && answer->handle == kReadOnly)
          refused = answer;
      }
      return refused.has_value();
    }));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code, 1);
    EXPECT_EQ(refused->error, kReadOnlyTagText);

    TakeOverClientId(broker.Port());
    ASSERT_TRUE(engine_test::Eventually([&] { return !publisher_->Connected(); }));
    ASSERT_TRUE(engine_test::Eventually([&] { return publisher_->Connected(); }, 10s));
    EXPECT_FALSE(client.WaitFor(echoed(111), std::chrono::milliseconds(1500)));
    StopBridge();
    client.Publish(c.format == std::string("json") ? "tavrel/SimTree/Echo/Echo.Int4/set"
                                                   : SparkplugTopic("DCMD") + "/SimTree:Echo",
                   "", 1, true);  // an empty retained message clears the retained one
  }
}

}  // namespace
}  // namespace mqtt_test

}  // namespace tavrel
