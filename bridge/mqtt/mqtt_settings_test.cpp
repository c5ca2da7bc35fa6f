#include "bridge/mqtt/mqtt_settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "bridge/core/settings_document.h"
#include "common/markup_declarations.h"
#include "common/test_files.h"

namespace tavrel {

namespace {

// The defaults with `change` made to them.
template <typename Change>
MqttSettings Settings(Change change) {
  MqttSettings settings;
  change(settings);
  return settings;
}

struct SettingsCase {
  const char* name;
  const char* children;                  // the children of `root`
  std::optional<MqttSettings> expected;  // none: no `mqtt` element
  std::vector<std::string> notes;
};

TEST(MqttSettings, ReadsEachValueOrTheDefaultAndSaysWhichWasReplaced) {
  const std::string badUrl =
      " is not mqtt://host[:port] or mqtts://host[:port]; using "
      "mqtt://127.0.0.1:1883";
  const SettingsCase cases[] = {
      {"no element", "<other/>", std::nullopt, {}},
      {"defaults", "<mqtt/>", MqttSettings{}, {}},
      {"all given",
       "<mqtt url=\"mqtts://broker.plant:8884\" topic=\"line1\" format=\"sparkplugb\" qos=\"1\" "
       "retain=\"0\" writes=\"1\" every=\"1\"/>",
       Settings([](MqttSettings& s) {
         s.host = "broker.plant";
         s.port = 8884;
         s.tls = true;
         s.topic = "line1";
         s.format = MqttFormat::kSparkplugB;
         s.qos = 1;
         s.retain = false;
         s.writes = true;
         s.every = true;
       }),
       {}},
      {"tls port",
       "<mqtt url=\"mqtts://[::1]\"/>",
       Settings([](MqttSettings& s) {
         s.host = "::1";
         s.port = 8883;
         s.tls = true;
       }),
       {}},
      {"bad values",
       "<mqtt url=\"http://x:1883\" topic=\"a/#\" format=\"xml\" qos=\"3\" retain=\"yes\" "
       "writes=\"2\" every=\"x\"/>",
       MqttSettings{},
       {"MQTT: url=\"http://x:1883\"" + badUrl,
        "MQTT: format=\"xml\" is not json or sparkplugb; using json",
        "MQTT: topic=\"a/#\" holds '+' or '#', which a topic cannot; using tavrel",
        "MQTT: qos=\"3\" is not 0, 1 or 2; using 0", "MQTT: retain=\"yes\" is not 1 or 0; using 1",
        "MQTT: writes=\"2\" is not 1 or 0; using 0", "MQTT: every=\"x\" is not 1 or 0; using 0"}},
      {"port out of range",
       "<mqtt url=\"mqtt://h:70000\"/>",
       MqttSettings{},
       {"MQTT: url=\"mqtt://h:70000\"" + badUrl}},
      {"group id with a level",
       "<mqtt format=\"sparkplugb\" topic=\"a/b\"/>",
       Settings([](MqttSettings& s) { s.format = MqttFormat::kSparkplugB; }),
       {"MQTT: topic=\"a/b\" holds '+', '#' or '/', which a Sparkplug group id cannot; using "
        "tavrel"}},
  };
  const TestDirectory directory;
  for (const SettingsCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = directory / "config.xml";
    WriteTestFile(path, std::string(kProjectDeclaration) + "<root port=\"21215\">" + c.children +
                            "</root>\r\n");
    SettingsDocument config(path);
    const MqttSettingsReading reading = MqttSettingsOf(config.FromTop());
    EXPECT_EQ(reading.notes, c.notes);
    ASSERT_EQ(reading.settings.has_value(), c.expected.has_value());
    if (!c.expected) continue;
    const MqttSettings& s = *reading.settings;
    const MqttSettings& e = *c.expected;
    EXPECT_EQ(s.host, e.host);
    EXPECT_EQ(s.port, e.port);
    EXPECT_EQ(s.tls, e.tls);
    EXPECT_EQ(s.topic, e.topic);
    EXPECT_EQ(s.format, e.format);
    EXPECT_EQ(s.qos, e.qos);
    EXPECT_EQ(s.retain, e.retain);
    EXPECT_EQ(s.writes, e.writes);
    EXPECT_EQ(s.every, e.every);
  }
}

}  // namespace

}  // namespace tavrel
