#include "common/port_setting.h"

#include "common/decimal_text.h"

namespace tavrel {

std::optional<std::string> PortSettingNote(std::string_view attribute, std::string_view text,
                                           std::string_view user) {
  const int value = ParseDecimal(text);
  if (value >= 1 && value <= 65535) return std::nullopt;
  std::string note = "config.xml: ";
  note += attribute;
  note += "=\"";
  note += text;
  note += "\" is not a port from 1 to 65535; ";
  note += user;
  const std::uint16_t port = ListeningPortOf(value);
  note += port == 0 ? " listens on a port the system chooses"
                    : " listens on " + std::to_string(port) + ", its low 16 bits";
  return note;
}

}  // namespace tavrel
