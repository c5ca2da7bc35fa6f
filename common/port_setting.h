// Port settings of config.xml as the programs use them.
//
// `port` and `port_h` are read by the atoi rules, and the programs listen on the low 16 bits of
// the number: 95277 becomes 29741, and a missing attribute (0) lets the system choose a port.
// Both are kept for the installations that rely on them; what is not a port from 1 to 65535
// gets a note that says what is used instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// The port a setting of value `value` listens on: its low 16 bits (0: the system's choice).
inline std::uint16_t ListeningPortOf(int value) { return static_cast<std::uint16_t>(value); }

// None for a setting from 1 to 65535; else the note on `attribute`="`text`", which `user` (as
// "the HTTP interface") then uses:
//   config.xml: port_h="95277" is not a port from 1 to 65535; the HTTP interface listens on
//   29741, its low 16 bits
//   config.xml: port_h="" is not a port from 1 to 65535; the HTTP interface listens on a port
//   the system chooses
std::optional<std::string> PortSettingNote(std::string_view attribute, std::string_view text,
                                           std::string_view user);

}  // namespace tavrel
