#include "desktop/server_config_check.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace tavrel {

namespace {

struct Case {
  const char* name;  // as typed
  const char* node;
  const char* sid;
  const char* failure;  // nullptr: accepted
};

// Another server "S1" on no node with sid "Sim.1"; checks run in their order, so each case
// fails on the first rule it breaks.
TEST(ServerConfigCheckTest, ChecksInOrderWithTheirTexts) {
  const std::set<std::string> names = {"S1"};
  const std::set<std::pair<std::string, std::string>> sources = {{"", "Sim.1"}};
  const ServerNameLookups lookups{[&](const std::string& name) { return names.contains(name); },
                                  [&](const std::string& node, const std::string& sid) {
                                    return sources.contains({node, sid});
                                  }};
  const Case cases[] = {
      {"", "", "Sim.1", "name cannot be empty!"},
      {"  \t ", "", "", "name cannot be empty!"},
      {"a b", "", "", "valid range:0-9,a-z,A-Z"},
      {"S.1", "", "Sim.2", "valid range:0-9,a-z,A-Z"},
      {"服务", "", "Sim.2", "valid range:0-9,a-z,A-Z"},
      {"S1", "", "", "name exsit!"},
      {"s1", "", "", "Server ID cannot be empty!"},  // names compare exactly
      {"Az09-_", "", "Sim.1", "source has defined!"},
      {" S2 ", "", "Sim.1", "source has defined!"},  // trimmed, then checked
      {"S2", "plc-7", "Sim.1", nullptr},             // the same sid on another node
      {"S2", "", "Sim.2", nullptr},
  };
  for (const Case& c : cases) {
    const auto failure = CheckServerFields(TrimText(c.name), c.node, c.sid, lookups);
    if (c.failure == nullptr) {
      EXPECT_FALSE(failure) << c.name << " " << *failure;
    } else {
      EXPECT_EQ(failure.value_or("accepted"), c.failure) << c.name;
    }
  }
}

}  // namespace

}  // namespace tavrel
