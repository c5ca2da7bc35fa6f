#include "common/listen_settings.h"

#include <gtest/gtest.h>

#include "common/markup_document.h"

namespace tavrel {

namespace {

TEST(ListenSettings, EachAddressOrEveryAddressWithANoteForABadOne) {
  const struct {
    const char* config;
    ListenSettings expected;
    std::vector<std::string> notes;
  } cases[] = {
      {"<root port=\"21215\"/>", {}, {}},
      {"<root><listen/></root>", {}, {}},
      {"<root><listen api=\"127.0.0.1\" http=\"10.0.0.5\"/></root>", {"127.0.0.1", "10.0.0.5"}, {}},
      {"<root><other/><listen http=\"127.0.0.1\"/><listen api=\"127.0.0.1\"/></root>",
       {kEveryAddress, "127.0.0.1"},
       {}},
      {"<root><listen api=\"localhost\" http=\"::1\"/></root>",
       {},
       {"listen: api=\"localhost\" is not an IPv4 address; using 0.0.0.0",
        "listen: http=\"::1\" is not an IPv4 address; using 0.0.0.0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.config);
    MarkupDocument config(MarkupBuild::kBridge);
    config.SetText(c.config);
    std::vector<std::string> notes;
    EXPECT_EQ(ListenSettingsOf(config, notes), c.expected);
    EXPECT_EQ(notes, c.notes);
  }
}

TEST(ListenSettings, AnAddressIsDottedDecimalAsInetPtonReadsIt) {
  const std::pair<const char*, bool> addresses[] = {
      {"0.0.0.0", true},   {"255.255.255.255", true}, {"0.10.100.1", true},  {"256.1.1.1", false},
      {"1.2.3", false},    {"01.2.3.4", false},       {"1.2.3.4.5", false},  {"1.2.3.4 ", false},
      {" 1.2.3.4", false}, {"1..2.3", false},         {"1.2.3.0004", false}, {"1.2.3.+4", false},
  };
  for (const auto& [address, accepted] : addresses) {
    MarkupDocument config(MarkupBuild::kBridge);
    config.SetText(std::string("<root><listen api=\"") + address + "\"/></root>");
    std::vector<std::string> notes;
    EXPECT_EQ(ListenSettingsOf(config, notes).api, accepted ? address : kEveryAddress) << address;
    EXPECT_EQ(notes.empty(), accepted) << address;
  }
}

}  // namespace

}  // namespace tavrel
