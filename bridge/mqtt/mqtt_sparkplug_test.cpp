// Sparkplug B through a real broker, decoded with our schema: births, data, sequence numbers,
// aliases, rebirth, and writes by DCMD.
#include <gtest/gtest.h>

#include "bridge/mqtt/mqtt_bridge_test_support.h"
#include "bridge/mqtt/sparkplug_format.h"
#include "bridge/mqtt/sparkplug_values.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace mqtt_test {
namespace {

using tavrel::sparkplug::Metric;
using tavrel::sparkplug::Payload;
namespace type = sparkplug_type;

std::string EdgeNode() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  GetComputerNameA(name, &size);
  return std::string(name, size);
}

Payload Decode(const Message& message) {
  Payload payload;
  EXPECT_TRUE(payload.ParseFromString(message.payload)) << message.topic;
  return payload;
}

// The message type of a topic "spBv1.0/<group>/<type>/<node>[/<device>]".
std::string TypeOf(const std::string& topic) {
  const std::size_t first = topic.find('/', topic.find('/') + 1) + 1;
  return topic.substr(first, topic.find('/', first) - first);
}

std::size_t CountType(const std::vector<Message>& messages, const std::string& type) {
  return static_cast<std::size_t>(std::count_if(
      messages.begin(), messages.end(), [&](const Message& m) { return TypeOf(m.topic) == type; }));
}

class MqttSparkplugTest : public MqttBridgeTest {
 protected:
  std::string Topic(const std::string& type) const {
    return "spBv1.0/plant/" + type + "/" + EdgeNode();
  }
};

TEST_F(MqttSparkplugTest, BirthsAndDataCountTheirSequenceAndCarryAliasesAndARebirthStartsOver) {
  struct MetricCase {
    const char* id;
    int vt;
    std::uint32_t dataType;
  };
  const MetricCase cases[] = {{"Random.Int4", 3, type::kInt32},
                              {"Random.Real8", 5, type::kDouble},
                              {"Square.Boolean", 11, type::kBoolean},
                              {"Random.String", 8, type::kString},
                              {"Random.ArrayOfReal8", 8197, type::kDoubleArray}};
  std::string tags;
  for (const MetricCase& c : cases) {
    tags += std::string("<tag id=\"") + c.id + "\" vt=\"" + std::to_string(c.vt) + "\" dir=\"1\"/>";
  }
  TestBroker broker(directory_.Path());
  TestSubscriber subscriber(broker.Port(), "spBv1.0/#");
  StartBridge("<mqtt url=\"" + broker.Url() + "\" format=\"sparkplugb\" topic=\"plant\"/>",
              TestProject(tags));
  ASSERT_TRUE(subscriber.WaitFor(
      [](const std::vector<Message>& messages) { return CountType(messages, "DDATA") >= 10; }));

  std::vector<Message> messages = subscriber.Messages();
  ASSERT_EQ(messages[0].topic, Topic("NBIRTH"));
  const Payload nodeBirth = Decode(messages[0]);
  EXPECT_EQ(nodeBirth.seq(), 0u);
  ASSERT_EQ(nodeBirth.metrics_size(), 2);
  EXPECT_EQ(nodeBirth.metrics(0).name(), kBdSeqMetric);
  EXPECT_EQ(nodeBirth.metrics(0).datatype(), type::kUInt64);
  EXPECT_EQ(nodeBirth.metrics(0).long_value(), 0u);
  EXPECT_EQ(nodeBirth.metrics(1).name(), kRebirthMetric);
  EXPECT_FALSE(nodeBirth.metrics(1).boolean_value());

  ASSERT_EQ(messages[1].topic, Topic("DBIRTH") + "/SimTree:Values");
  const Payload values = Decode(messages[1]);
  ASSERT_EQ(values.metrics_size(), static_cast<int>(std::size(cases)));
  for (int i = 0; i < values.metrics_size(); ++i) {
    SCOPED_TRACE(cases[i].id);
    EXPECT_EQ(values.metrics(i).name(), cases[i].id);
    EXPECT_EQ(values.metrics(i).alias(), static_cast<std::uint64_t>(i));
    EXPECT_EQ(values.metrics(i).datatype(), cases[i].dataType);
    EXPECT_EQ(values.metrics(i).properties().keys(0), "Quality");
  }
  ASSERT_EQ(messages[2].topic, Topic("DBIRTH") + "/SimTree:Echo");
  EXPECT_EQ(Decode(messages[2]).metrics(0).alias(), std::size(cases));

  // A host asks for a rebirth; the births come again, counted from 0 with the same bdSeq.
  const std::size_t beforeRebirth = subscriber.Messages().size();
  Payload rebirth;
  Metric& command = *rebirth.add_metrics();
  command.set_name(kRebirthMetric);
  command.set_datatype(type::kBoolean);
  command.set_boolean_value(true);
  subscriber.Publish(Topic("NCMD"), rebirth.SerializeAsString());
  ASSERT_TRUE(subscriber.WaitFor([&](const std::vector<Message>& all) {
    return CountType(all, "NBIRTH") == 2 &&
           CountType({all.begin() + static_cast<long>(beforeRebirth), all.end()}, "DDATA") >= 3;
  }));

  // seq runs 0, 1, 2 ... from each NBIRTH over every birth and data message; DDATA metrics
  // name their tags by the aliases of the births, with the births' data types.
  messages = subscriber.Messages();
  std::uint64_t expected = 0;
  int nodeBirths = 0;
  for (const Message& message : messages) {
    SCOPED_TRACE(message.topic);
    if (TypeOf(message.topic) == "NCMD") continue;  // the test's own
    const Payload payload = Decode(message);
    if (TypeOf(message.topic) == "NBIRTH") {
      ++nodeBirths;
      expected = 0;
      EXPECT_EQ(payload.metrics(0).long_value(), 0u);  // bdSeq: the same session
    }
    EXPECT_EQ(payload.seq(), expected);
    expected = (expected + 1) % 256;
    if (TypeOf(message.topic) != "DDATA") continue;
    EXPECT_EQ(message.topic.substr(message.topic.rfind('/')), "/SimTree:Values");
    for (const Metric& metric : payload.metrics()) {
      ASSERT_LT(metric.alias(), std::size(cases));
      EXPECT_FALSE(metric.has_name());
      EXPECT_EQ(metric.datatype(), cases[metric.alias()].dataType);
      EXPECT_NE(metric.value_case(), Metric::VALUE_NOT_SET);
    }
  }
  EXPECT_EQ(nodeBirths, 2);
}

TEST_F(MqttSparkplugTest, ARebirthStormGetsOneBirthSequenceAndATagWithoutValueIsBornBad) {
  TestBroker broker(directory_.Path());
  TestSubscriber subscriber(broker.Port(), "spBv1.0/#");
  StartBridge("<mqtt url=\"" + broker.Url() + "\" format=\"sparkplugb\" topic=\"plant\"/>",
              TestProject("<tag id=\"No.Such.Item\" vt=\"3\" dir=\"1\"/>"));
  const std::string valuesBirth = Topic("DBIRTH") + "/SimTree:Values";
  const std::optional<Message> birth = subscriber.WaitForTopic(valuesBirth);
  ASSERT_TRUE(birth);
  const Payload firstBirth = Decode(*birth);
  const Metric& never = firstBirth.metrics(0);
  EXPECT_TRUE(never.is_null());
  ASSERT_EQ(never.properties().keys(0), "Quality");
  EXPECT_EQ(never.properties().values(0).int_value(), 0u);

  Payload rebirth;
  Metric& command = *rebirth.add_metrics();
  command.set_name(kRebirthMetric);
  command.set_datatype(type::kBoolean);
  command.set_boolean_value(true);
  for (int i = 0; i < 200; ++i) subscriber.Publish(Topic("NCMD"), rebirth.SerializeAsString());
  const auto births = [](std::size_t count) {
    return [count](const std::vector<Message>& m) { return CountType(m, "NBIRTH") >= count; };
  };
  EXPECT_TRUE(subscriber.WaitFor(births(2)));
  EXPECT_FALSE(subscriber.WaitFor(births(3), SparkplugFormat::kRebirthSpacing + 1s));
}

TEST_F(MqttSparkplugTest, DeviceCommandsWriteOnlyWhenWritesAreOnAndAnswerWithTheTagsData) {
  struct WriteCase {
    const char* writes;
    bool done;
  };
  const WriteCase cases[] = {{"0", false}, {"1", true}};
  TestBroker broker(directory_.Path());
  const TagHandle echo = 0;
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.writes);
    TestSubscriber subscriber(broker.Port(), "spBv1.0/#");
    StartBridge("<mqtt url=\"" + broker.Url() +
                    "\" format=\"sparkplugb\" topic=\"plant\" writes=\"" + c.writes + "\"/>",
                TestProject(""));
    const std::string echoData = Topic("DDATA") + "/SimTree:Echo";
    ASSERT_TRUE(subscriber.WaitForTopic(echoData));
    const std::int32_t written = c.done ? 4321 : 1234;
    Payload command;
    Metric& metric = *command.add_metrics();
    metric.set_alias(echo);
    metric.set_datatype(type::kInt32);
    metric.set_int_value(static_cast<std::uint32_t>(written));
    subscriber.Publish(Topic("DCMD") + "/SimTree:Echo", command.SerializeAsString());

    const auto answered = [&](const std::vector<Message>& messages) {
      return std::any_of(messages.begin(), messages.end(), [&](const Message& m) {
        if (m.topic != echoData) return false;
        const Payload data = Decode(m);
        const auto& properties = data.metrics(0).properties();
        return properties.keys_size() == 2 && properties.keys(0) == "WriteResult" &&
               properties.values(0).int_value() == 0 && properties.keys(1) == "WriteError";
      });
    };
    const auto readBack = [&](const std::vector<Message>& messages) {
      return std::any_of(messages.begin(), messages.end(), [&](const Message& m) {
        return m.topic == echoData &&
               static_cast<std::int32_t>(Decode(m).metrics(0).int_value()) == written;
      });
    };
    if (c.done) {
      EXPECT_TRUE(subscriber.WaitFor(answered));
      EXPECT_TRUE(subscriber.WaitFor(readBack));
    } else {
      EXPECT_FALSE(subscriber.WaitFor(readBack, std::chrono::milliseconds(1500)));
      EXPECT_FALSE(answered(subscriber.Messages()));
    }
    StopBridge();
  }
}

}  // namespace
}  // namespace mqtt_test

}  // namespace tavrel
