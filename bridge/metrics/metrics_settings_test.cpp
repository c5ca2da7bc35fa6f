#include "bridge/metrics/metrics_settings.h"

#include <gtest/gtest.h>

#include "common/markup_document.h"

namespace tavrel {

namespace {

struct SettingsCase {
  const char* config;
  std::optional<MetricsSettings> expected;
  std::vector<std::string> problems;
};

TEST(MetricsSettings, ReadsTheElementAndReplacesEachBadValueWithItsDefault) {
  const MetricsSettings defaults;
  const SettingsCase cases[] = {
      {R"(<root port="21215"/>)", std::nullopt, {}},
      {R"(<other><metrics port="9200"/></other>)", std::nullopt, {}},
      {R"(<root><metrics/></root>)", defaults, {}},
      {R"(<root><metrics port="" bind=""/></root>)", defaults, {}},
      {R"(<root><metrics port="9200" bind="0.0.0.0"/></root>)",
       MetricsSettings{9200, "0.0.0.0"},
       {}},
      {R"(<root><metrics port="65535" bind="10.1.2.3"/></root>)",
       MetricsSettings{65535, "10.1.2.3"},
       {}},
      {R"(<root><metrics bind="::1"/></root>)",
       defaults,
       {"metrics: bind \"::1\" is not an IPv4 address; using 127.0.0.1"}},
      {R"(<root><metrics port="9200"/><metrics port="9300"/></root>)", MetricsSettings{9200}, {}},
      {R"(<root><metrics port="0"/></root>)",
       defaults,
       {"metrics: port \"0\" is not a TCP port from 1 to 65535; using 9121"}},
      {R"(<root><metrics port="65536"/></root>)",
       defaults,
       {"metrics: port \"65536\" is not a TCP port from 1 to 65535; using 9121"}},
      {R"(<root><metrics port="-80"/></root>)",
       defaults,
       {"metrics: port \"-80\" is not a TCP port from 1 to 65535; using 9121"}},
      {R"(<root><metrics port="9200x"/></root>)",
       defaults,
       {"metrics: port \"9200x\" is not a TCP port from 1 to 65535; using 9121"}},
      {R"(<root><metrics port=" 9200"/></root>)",
       defaults,
       {"metrics: port \" 9200\" is not a TCP port from 1 to 65535; using 9121"}},
      {R"(<root><metrics bind="localhost" port="9300"/></root>)",
       MetricsSettings{9300},
       {"metrics: bind \"localhost\" is not an IPv4 address; using 127.0.0.1"}},
      {R"(<root><metrics port="port" bind="127.0.0.256"/></root>)",
       defaults,
       {"metrics: port \"port\" is not a TCP port from 1 to 65535; using 9121",
        "metrics: bind \"127.0.0.256\" is not an IPv4 address; using 127.0.0.1"}},
  };
  for (const SettingsCase& entry : cases) {
    MarkupDocument config(MarkupBuild::kBridge);
    config.SetText(entry.config);
    std::vector<std::string> problems;
    const std::optional<MetricsSettings> settings = MetricsSettingsOf(config, problems);
    EXPECT_EQ(settings, entry.expected) << entry.config;
    EXPECT_EQ(problems, entry.problems) << entry.config;
  }
}

}  // namespace

}  // namespace tavrel
