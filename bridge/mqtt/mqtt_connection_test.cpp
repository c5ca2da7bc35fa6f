// The broker connection: the state published again after the broker's restart, the will of a
// bridge that is killed, and TLS that refuses a broker the configured authority did not sign.
#include <gtest/gtest.h>

#include "bridge/mqtt/mqtt_bridge_test_support.h"
#include "bridge/mqtt/sparkplug_format.h"
#include "bridge/tavrel_test_support.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace mqtt_test {
namespace {

using tavrel::sparkplug::Payload;

const std::string kTwoTags =
    "<tag id=\"Random.Int4\" vt=\"3\" dir=\"1\"/>"
    "<tag id=\"Random.String\" vt=\"8\" dir=\"1\"/>";

std::string SparkplugTopic(const std::string& type) {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  GetComputerNameA(name, &size);
  return "spBv1.0/tavrel/" + type + "/" + std::string(name, size);
}

std::uint64_t BdSeqOf(const Message& message) {
  Payload payload;
  EXPECT_TRUE(payload.ParseFromString(message.payload));
  for (const auto& metric : payload.metrics()) {
    if (metric.name() == kBdSeqMetric) return metric.long_value();
  }
  ADD_FAILURE() << "no bdSeq in " << message.topic;
  return 0;
}

class MqttConnectionTest : public MqttBridgeTest {};

// The status and every value on their topics, retained when `retained`.
bool HasJsonState(const std::vector<Message>& messages, bool retained) {
  std::set<std::string> found;
  for (const Message& m : messages) {
    if (m.retained || !retained)
      found.insert(m.topic + " " + (m.topic == "tavrel/status" ? m.payload : ""));
  }
  return found.count("tavrel/status online") == 1 &&
         found.count("tavrel/SimTree/Values/Random.Int4 ") == 1 &&
         found.count("tavrel/SimTree/Values/Random.String ") == 1;
}

bool HasDeviceBirths(const std::vector<Message>& messages) {
  return std::count_if(messages.begin(), messages.end(), [](const Message& m) {
           return m.topic.find("/DBIRTH/") != std::string::npos;
         }) == 2;
}

TEST_F(MqttConnectionTest, AfterTheBrokerRestartsTheWholeStateIsPublishedAgain) {
  for (const std::string format : {"json", "sparkplugb"}) {
    SCOPED_TRACE(format);
    const bool json = format == "json";
    const std::string pattern = json ? "tavrel/#" : "spBv1.0/#";
    TestBroker broker(directory_.Path());
    const std::size_t connects = log_->Count("MQTT: connected to " + broker.Url());
    {
      TestSubscriber first(broker.Port(), pattern);
      StartBridge("<mqtt url=\"" + broker.Url() + "\" format=\"" + format + "\"/>",
                  TestProject(kTwoTags));
      ASSERT_TRUE(first.WaitFor([&](const std::vector<Message>& messages) {
        return json ? HasJsonState(messages, false) : HasDeviceBirths(messages);
      }));
    }
    broker.Stop();
    ASSERT_TRUE(engine_test::Eventually([&] { return !publisher_->Connected(); }));
    // The bridge tries again after 1 s, then 2 s: the broker, which forgot every retained
    // message, comes back between the two, and a Sparkplug host is there before the bridge.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(broker.Start());
    TestSubscriber host(broker.Port(), pattern);
    ASSERT_TRUE(engine_test::Eventually([&] { return publisher_->Connected(); },
                                        std::chrono::milliseconds(10000)));
    if (json) {
      // Once the state has passed the broker, a consumer that comes later finds it retained.
      ASSERT_TRUE(
          host.WaitFor([](const std::vector<Message>& m) { return HasJsonState(m, false); }));
      TestSubscriber late(broker.Port(), pattern);
      EXPECT_TRUE(
          late.WaitFor([](const std::vector<Message>& m) { return HasJsonState(m, true); }));
    } else {
      EXPECT_TRUE(host.WaitFor(HasDeviceBirths));
      const std::optional<Message> birth = host.WaitForTopic(SparkplugTopic("NBIRTH"));
      ASSERT_TRUE(birth);
      EXPECT_EQ(BdSeqOf(*birth), 1u);  // the second session
    }
    EXPECT_EQ(log_->Count("MQTT: connection to " + broker.Url() + " lost"), 1u);
    EXPECT_EQ(log_->Count("MQTT: connected to " + broker.Url()), connects + 2);
    StopBridge();
  }
}

TEST_F(MqttConnectionTest, TlsConnectsOnlyToABrokerThatTheConfiguredAuthoritySigned) {
  const std::optional<TestCertificates> certificates = MakeTestCertificates(directory_.Path());
  ASSERT_TRUE(certificates);
  struct TlsCase {
    std::string ca;
    bool connects;
  };
  const TlsCase cases[] = {{certificates->otherCa, false}, {certificates->ca, true}};
  TestBroker broker(directory_.Path(), certificates);
  const std::string url = "mqtts://127.0.0.1:" + std::to_string(broker.TlsPort());
  for (const TlsCase& c : cases) {
    SCOPED_TRACE(c.ca);
    TestSubscriber subscriber(broker.Port(), "tavrel/status");
    const std::size_t failures = log_->Count("MQTT: cannot connect to " + url);
    StartBridge("<mqtt url=\"" + url + "\" ca=\"" + c.ca + "\"/>", TestProject(kTwoTags));
    const auto online = [](const std::vector<Message>& messages) {
      return std::any_of(messages.begin(), messages.end(),
                         [](const Message& m) { return m.payload == "online"; });
    };
    EXPECT_EQ(subscriber.WaitFor(online, std::chrono::milliseconds(c.connects ? 10000 : 3000)),
              c.connects);
    EXPECT_EQ(log_->Count("MQTT: cannot connect to " + url) - failures, c.connects ? 0u : 1u);
    StopBridge();
  }
}

// The real program, killed: the broker publishes its will.
class MqttWillTest : public e2e::TavrelTest {};

TEST_F(MqttWillTest, TheBrokerPublishesTheWillOfAKilledBridge) {
  struct WillCase {
    const char* format;
    std::string birthTopic;  // published while the bridge runs
    std::string willTopic;
    std::function<void(const Message& birth, const Message& will)> check;
  };
  const WillCase cases[] = {
      {"json", "tavrel/status", "tavrel/status",
       [](const Message& birth, const Message& will) {
         EXPECT_EQ(birth.payload, "online");
         EXPECT_EQ(will.payload, "offline");
       }},
      {"sparkplugb", SparkplugTopic("NBIRTH"), SparkplugTopic("NDEATH"),
       [](const Message& birth, const Message& will) {
         Payload death;
         ASSERT_TRUE(death.ParseFromString(will.payload));
         EXPECT_FALSE(death.has_seq());
         EXPECT_EQ(BdSeqOf(will), BdSeqOf(birth));
       }},
  };
  const TestDirectory brokerDirectory;
  TestBroker broker(brokerDirectory.Path());
  for (const WillCase& c : cases) {
    SCOPED_TRACE(c.format);
    WriteTestFile(programDirectory_ + "/config.xml",
                  std::string(kProjectDeclaration) + "<root port=\"" +
                      std::to_string(FreeLoopbackPort()) + "\" port_h=\"9527\"><mqtt url=\"" +
                      broker.Url() + "\" format=\"" + c.format + "\"/></root>\r\n");
    TestSubscriber subscriber(broker.Port(), "#");
    {
      e2e::BridgeProcess bridge(Executable());
      const std::optional<Message> birth = subscriber.WaitForTopic(c.birthTopic);
      ASSERT_TRUE(birth);
      subscriber.Clear();
      bridge.Signal(SIGKILL);
      const std::optional<Message> will = subscriber.WaitForTopic(c.willTopic);
      ASSERT_TRUE(will);
      c.check(*birth, *will);
    }
  }
  // The status a consumer finds afterwards, retained, is the will's.
  TestSubscriber late(broker.Port(), "tavrel/status");
  const std::optional<Message> status = late.WaitForTopic("tavrel/status");
  ASSERT_TRUE(status);
  EXPECT_TRUE(status->retained);
  EXPECT_EQ(status->payload, "offline");
}

}  // namespace
}  // namespace mqtt_test

}  // namespace tavrel
