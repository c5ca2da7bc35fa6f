#include "bridge/mqtt/mqtt_settings.h"

#include <gtest/gtest.h>

#include "common/markup_declarations.h"
#include "common/test_files.h"

namespace {

struct SettingsCase {
  const char* name;
  const char* children;  // the children of `root`
  bool present;
  std::string host;
  int port;
  bool tls;
  std::string topic;
  MqttFormat format;
  int qos;
  bool retain;
  bool writes;
  std::vector<std::string> notes;
};

TEST(MqttSettings, ReadsEachValueOrTheDefaultAndSaysWhichWasReplaced) {
  const SettingsCase cases[] = {
      {"no element", "<other/>", false, "", 0, false, "", MqttFormat::kJson, 0, false, false, {}},
      {"defaults",
       "<mqtt/>",
       true,
       "127.0.0.1",
       1883,
       false,
       "tavrel",
       MqttFormat::kJson,
       0,
       true,
       false,
       {}},
      {"all given",
       "<mqtt url=\"mqtts://broker.plant:8884\" topic=\"line1\" format=\"sparkplugb\" qos=\"1\" "
       "retain=\"0\" writes=\"1\"/>",
       true,
       "broker.plant",
       8884,
       true,
       "line1",
       MqttFormat::kSparkplugB,
       1,
       false,
       true,
       {}},
      {"tls port",
       "<mqtt url=\"mqtts://[::1]\"/>",
       true,
       "::1",
       8883,
       true,
       "tavrel",
       MqttFormat::kJson,
       0,
       true,
       false,
       {}},
      {"bad values",
       "<mqtt url=\"http://x:1883\" topic=\"a/#\" format=\"xml\" qos=\"3\" retain=\"yes\" "
       "writes=\"2\"/>",
       true,
       "127.0.0.1",
       1883,
       false,
       "tavrel",
       MqttFormat::kJson,
       0,
       true,
       false,
       {"MQTT: url=\"http://x:1883\" is not mqtt://host[:port] or mqtts://host[:port]; using "
        "mqtt://127.0.0.1:1883",
        "MQTT: format=\"xml\" is not json or sparkplugb; using json",
        "MQTT: topic=\"a/#\" holds '+' or '#', which a topic cannot; using tavrel",
        "MQTT: qos=\"3\" is not 0, 1 or 2; using 0", "MQTT: retain=\"yes\" is not 1 or 0; using 1",
        "MQTT: writes=\"2\" is not 1 or 0; using 0"}},
      {"port out of range",
       "<mqtt url=\"mqtt://h:70000\"/>",
       true,
       "127.0.0.1",
       1883,
       false,
       "tavrel",
       MqttFormat::kJson,
       0,
       true,
       false,
       {"MQTT: url=\"mqtt://h:70000\" is not mqtt://host[:port] or mqtts://host[:port]; using "
        "mqtt://127.0.0.1:1883"}},
      {"group id with a level",
       "<mqtt format=\"sparkplugb\" topic=\"a/b\"/>",
       true,
       "127.0.0.1",
       1883,
       false,
       "tavrel",
       MqttFormat::kSparkplugB,
       0,
       true,
       false,
       {"MQTT: topic=\"a/b\" holds '+', '#' or '/', which a Sparkplug group id cannot; using "
        "tavrel"}},
  };
  const TestDirectory directory;
  for (const SettingsCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = directory / "config.xml";
    WriteTestFile(path, std::string(kProjectDeclaration) + "<root port=\"21215\">" + c.children +
                            "</root>\r\n");
    const MqttSettingsReading reading = ReadMqttSettings(path);
    EXPECT_EQ(reading.notes, c.notes);
    ASSERT_EQ(reading.settings.has_value(), c.present);
    if (!c.present) continue;
    const MqttSettings& s = *reading.settings;
    EXPECT_EQ(s.host, c.host);
    EXPECT_EQ(s.port, c.port);
    EXPECT_EQ(s.tls, c.tls);
    EXPECT_EQ(s.topic, c.topic);
    EXPECT_EQ(s.format, c.format);
    EXPECT_EQ(s.qos, c.qos);
    EXPECT_EQ(s.retain, c.retain);
    EXPECT_EQ(s.writes, c.writes);
  }
}

}  // namespace
