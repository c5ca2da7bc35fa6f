// The JSON format through a real broker: topics and payloads of every value class, the
// retained state, writes.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <thread>

#include "bridge/mqtt/mqtt_bridge_test_support.h"

namespace tavrel {

namespace mqtt_test {
namespace {

using nlohmann::json;

struct ValueCase {
  const char* id;
  int vt;
  std::string topic;  // below "tavrel/SimTree/Values/", UTF-8
  std::function<bool(const json&)> isValue;
};

class MqttJsonTest : public MqttBridgeTest {};

TEST_F(MqttJsonTest, EachValueClassHasItsTopicAndPayloadAndEveryTagStaysRetained) {
  const auto number = [](const json& v) { return v.is_number(); };
  const std::vector<ValueCase> cases = {
      {"Random.Int4", 3, "Random.Int4", [](const json& v) { return v.is_number_integer(); }},
      {"Ramp.UInt4", 19, "Ramp.UInt4", number},
      {"Random.Real8", 5, "Random.Real8", [](const json& v) { return v.is_number_float(); }},
      {"Square.Boolean", 11, "Square.Boolean", [](const json& v) { return v.is_boolean(); }},
      {"Random.String", 8, "Random.String",
       [](const json& v) { return v.is_string() && v.get<std::string>().starts_with("Random"); }},
      {"Random.Date", 7, "Random.Date",
       [](const json& v) {
         return v.is_string() &&
                std::regex_match(v.get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \d{3})"));
       }},
      {"Random.ArrayOfReal8", 8197, "Random.ArrayOfReal8",
       [](const json& v) {
         return v.is_array() && !v.empty() &&
                std::all_of(v.begin(), v.end(), [](const json& e) { return e.is_number(); });
       }},
      {"Random.ArrayOfString", 8200, "Random.ArrayOfString",
       [](const json& v) {
         return v.is_array() && !v.empty() &&
                std::all_of(v.begin(), v.end(), [](const json& e) { return e.is_string(); });
       }},
      {"中文.设备一.温度", 5, Utf8(u8"中文.设备一.温度"), number},
  };
  std::string tags;
  for (const ValueCase& c : cases) {
    tags += std::string("<tag id=\"") + c.id + "\" vt=\"" + std::to_string(c.vt) + "\" dir=\"1\"/>";
  }
  tags += "<tag id=\"Quality.Cycle\" vt=\"3\" dir=\"1\"/>";
  TestBroker broker(directory_.Path());
  TestSubscriber live(broker.Port(), "tavrel/#");
  StartBridge("<mqtt url=\"" + broker.Url() + "\" qos=\"1\"/>", TestProject(tags));

  const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
  for (std::size_t handle = 0; handle < cases.size(); ++handle) {
    const ValueCase& c = cases[handle];
    SCOPED_TRACE(c.id);
    const std::optional<Message> message = live.WaitForTopic("tavrel/SimTree/Values/" + c.topic);
    ASSERT_TRUE(message);
    const json payload = json::parse(message->payload);
    EXPECT_EQ(payload.size(), 4u);
    EXPECT_TRUE(c.isValue(payload.at("v"))) << message->payload;
    EXPECT_EQ(payload.at("q"), "good");
    EXPECT_TRUE(std::regex_match(payload.at("t").get<std::string>(), time)) << message->payload;
    EXPECT_EQ(payload.at("h"), handle);
  }
  // The quality that cycles through 192, 0, 64, ... shows both.
  const std::string qualityTopic = "tavrel/SimTree/Values/Quality.Cycle";
  EXPECT_TRUE(live.WaitFor([&](const std::vector<Message>& messages) {
    bool good = false, bad = false;
    for (const Message& m : messages) {
      if (m.topic != qualityTopic) continue;
      (json::parse(m.payload).at("q") == "good" ? good : bad) = true;
    }
    return good && bad;
  }));

  // A consumer that comes later finds the status and every tag retained.
  TestSubscriber late(broker.Port(), "tavrel/#");
  std::set<std::string> expected = {"tavrel/status"};
  for (const ValueCase& c : cases) expected.insert("tavrel/SimTree/Values/" + c.topic);
  EXPECT_TRUE(late.WaitFor([&](const std::vector<Message>& messages) {
    std::set<std::string> retained;
    for (const Message& m : messages) {
      if (m.retained) retained.insert(m.topic);
    }
    return std::includes(retained.begin(), retained.end(), expected.begin(), expected.end());
  }));
  const std::optional<Message> status = late.WaitForTopic("tavrel/status");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->payload, "online");
  EXPECT_TRUE(status->retained);

  // The bridge's metrics count what was published: at least every message that arrived.
  std::size_t arrived = 0;
  live.WaitFor([&](const std::vector<Message>& messages) {
    arrived = messages.size();
    return true;
  });
  const MqttCounters& counters = publisher_->Counters();
  EXPECT_EQ(counters.connected.Value(), 1);
  EXPECT_GE(counters.messages.Value(), static_cast<double>(arrived));
  EXPECT_GE(counters.values.Value(), static_cast<double>(arrived - 1));  // all but the status
  EXPECT_EQ(counters.dropped.Value(), 0);
}

TEST_F(MqttJsonTest, WritesAreRefusedWhenOffAndDoneAndAnsweredWhenOn) {
  struct WriteCase {
    const char* writes;
    bool done;
  };
  const WriteCase cases[] = {{"0", false}, {"1", true}};
  TestBroker broker(directory_.Path());
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.writes);
    TestSubscriber subscriber(broker.Port(), "tavrel/#");
    StartBridge("<mqtt url=\"" + broker.Url() + "\" writes=\"" + c.writes + "\"/>",
                TestProject(""));
    const std::string echoTopic = "tavrel/SimTree/Echo/Echo.Int4";
    // A value read by this bridge (not the one the last left retained): its server is connected.
    ASSERT_TRUE(subscriber.WaitFor([&](const std::vector<Message>& messages) {
      return std::any_of(messages.begin(), messages.end(),
                         [&](const Message& m) { return m.topic == echoTopic && !m.retained; });
    }));
    const int written = c.done ? 4321 : 1234;
    subscriber.Publish(echoTopic + "/set", std::to_string(written));

    const auto readBack = [&](const std::vector<Message>& messages) {
      return std::any_of(messages.begin(), messages.end(), [&](const Message& m) {
        return m.topic == echoTopic && json::parse(m.payload).at("v") == written;
      });
    };
    if (c.done) {
      const std::optional<Message> result = subscriber.WaitForTopic("tavrel/write_result");
      ASSERT_TRUE(result);
      EXPECT_EQ(json::parse(result->payload),
                json::parse(R"({"tag":"SimTree/Echo/Echo.Int4","h":0,"result":0,"error":""})"));
      EXPECT_TRUE(subscriber.WaitFor(readBack));
    } else {
      EXPECT_FALSE(subscriber.WaitFor(readBack, std::chrono::milliseconds(1500)));
      EXPECT_FALSE(subscriber.WaitForTopic("tavrel/write_result", std::chrono::milliseconds(10)));
    }
    StopBridge();
  }
}

TEST_F(MqttJsonTest, AnUnchangedValueGoesOutOnceUnlessEveryAndAgainAfterAWrite) {
  struct EveryCase {
    const char* every;
    bool repeats;
  };
  const EveryCase cases[] = {{"0", false}, {"1", true}};
  TestBroker broker(directory_.Path());
  const std::string echoTopic = "tavrel/SimTree/Echo/Echo.Int4";
  for (const EveryCase& c : cases) {
    SCOPED_TRACE(c.every);
    TestSubscriber subscriber(broker.Port(), "tavrel/#");
    StartBridge("<mqtt url=\"" + broker.Url() + "\" writes=\"1\" every=\"" + c.every + "\"/>",
                TestProject(""));
    // Echo.Int4 is read every 100 ms and keeps its value and its source time.
    const auto echoes = [&](const std::vector<Message>& messages, std::size_t from = 0) {
      return static_cast<std::size_t>(
          std::count_if(messages.begin() + static_cast<long>(from), messages.end(),
                        [&](const Message& m) { return m.topic == echoTopic && !m.retained; }));
    };
    ASSERT_TRUE(subscriber.WaitFor([&](const std::vector<Message>& m) { return echoes(m) > 0; }));
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(echoes(subscriber.Messages()) > 1, c.repeats) << echoes(subscriber.Messages());
    if (c.repeats) {
      StopBridge();
      continue;
    }
    // A write of the value it has: the result, then the value read back, though unchanged.
    const json value = json::parse(subscriber.WaitForTopic(echoTopic)->payload).at("v");
    subscriber.Publish(echoTopic + "/set", value.dump());
    EXPECT_TRUE(subscriber.WaitFor([&](const std::vector<Message>& messages) {
      const auto result = std::find_if(messages.begin(), messages.end(), [](const Message& m) {
        return m.topic == "tavrel/write_result";
      });
      return result != messages.end() &&
             echoes(messages, static_cast<std::size_t>(result - messages.begin())) == 1;
    }));
    StopBridge();
  }
}

}  // namespace
}  // namespace mqtt_test

}  // namespace tavrel
