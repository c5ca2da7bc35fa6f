// The manager's settings: three attributes of the root element of <ProgramDirectory>/config.xml.
//
//   <root watch="tip text" sleep="seconds" port_h="port" .../>
//
// The file has no writer; it is installed by hand and shared with the bridge, which reads
// other attributes of the same element. The manager reads it once at start.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/listen_settings.h"
#include "common/port_setting.h"
#include "common/program_files.h"

namespace tavrel {

struct ManagerSettings {
  std::string watch;  // tip text of the tray icon
  int sleep = 0;      // seconds before the first start of the bridge; negative: no wait
  int httpPort = kDefaultHttpPort;          // port_h; only its low 16 bits are used
  std::string httpAddress = kEveryAddress;  // the `listen` child's `http` (listen_settings.h)
  // What people should know about how the file was read, one log line each: why a file that
  // is there gave the defaults, what a port_h outside 1-65535 becomes, and the bad values of
  // the `listen` child.
  std::vector<std::string> notes;

  // The port the HTTP interface listens on: the low 16 bits of port_h (0: system-chosen).
  std::uint16_t HttpPort() const { return ListeningPortOf(httpPort); }
};

// Reads the settings from the config file at `path`. A file that cannot be loaded or parsed,
// or whose root element is not named "root", gives the defaults (empty tip, no wait, port
// 9527). Otherwise each attribute is read from "root": `watch` as text with references
// resolved, `sleep` and `port_h` by the atoi rules; a missing attribute reads as empty text,
// so as 0 for the numbers (a missing port_h lets the system choose the port). The address of
// the HTTP interface comes from the optional `listen` child of "root". The notes say why a
// file that exists gave the defaults (with the line and column of its problems), what a
// port_h outside 1-65535 becomes, and which `listen` values were refused; a missing file
// gives none.
ManagerSettings LoadManagerSettings(const std::string& path);

// `Morvane --settings`: what the manager installed in `programDirectory` will use, for people
// and scripts (the banner of scripts/run): "http_port=<port>" (0: the system chooses),
// "http_address=<address>" and "sleep=<seconds>" on `out`, one a line, and the notes on `err`.
void PrintManagerSettings(const std::string& programDirectory, std::FILE* out, std::FILE* err);

}  // namespace tavrel
