#include "common/port_setting.h"

#include <gtest/gtest.h>

#include "common/decimal_text.h"

namespace tavrel {
namespace {

TEST(PortSettingNote, SaysWhatAPortOutsideTheRangeBecomes) {
  const struct {
    const char* text;
    std::uint16_t port;
    const char* note;  // null: none
  } cases[] = {
      {"9527", 9527, nullptr},
      {"1", 1, nullptr},
      {"65535", 65535, nullptr},
      {"95277", 29741,
       "config.xml: port_h=\"95277\" is not a port from 1 to 65535; the HTTP "
       "interface listens on 29741, its low 16 bits"},
      {"", 0,
       "config.xml: port_h=\"\" is not a port from 1 to 65535; the HTTP interface listens "
       "on a port the system chooses"},
      {"65536", 0,
       "config.xml: port_h=\"65536\" is not a port from 1 to 65535; the HTTP "
       "interface listens on a port the system chooses"},
      {"-1", 65535,
       "config.xml: port_h=\"-1\" is not a port from 1 to 65535; the HTTP interface "
       "listens on 65535, its low 16 bits"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ListeningPortOf(ParseDecimal(c.text)), c.port) << c.text;
    const std::optional<std::string> note = PortSettingNote("port_h", c.text, "the HTTP interface");
    EXPECT_EQ(note.value_or("none"), c.note ? c.note : "none");
  }
}

}  // namespace
}  // namespace tavrel
