// AppSettings: the bridge's settings from the attributes of config.xml's `root`.
//
//   <root port="21215" port_h="9527" programe_name="..." .../>
//
// The bridge reads three attributes of the document element `root` and never writes the file
// (the manager reads other attributes of the same file). When the document has no `root` (the
// file could not be loaded or is not well formed: settings_document.h), the defaults stay.
// Otherwise each attribute is read as found: a missing `port` or `port_h` reads as 0 (decimal
// by the C atoi rules), a missing `programe_name` as empty text.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "common/program_files.h"

namespace tavrel {

class MarkupDocument;

struct AppSettings {
  int port = kDefaultApiPort;     // TCP port of the API server
  int port_h = kDefaultHttpPort;  // the manager's HTTP port; kept, the bridge opens nothing on it
  std::string programe_name;      // display name of the program
  // What a `port` outside 1-65535 becomes (port_setting.h); the API listens on its low 16 bits.
  std::optional<std::string> portNote;
};

// The settings of `config` positioned at its top; moves its positions.
AppSettings AppSettingsOf(MarkupDocument& config);

// `Tavrel --settings`: what the bridge installed in `programDirectory` will use, for people
// and scripts (the banner of scripts/run): "api_port=<port>" (the low 16 bits of `port`; 0: the
// system chooses) and "api_address=<address>" (the `listen` child's `api`, listen_settings.h)
// on `out`, one a line, and what the start-up would log about config.xml on `err`.
void PrintBridgeSettings(const std::string& programDirectory, std::FILE* out, std::FILE* err);

// `Tavrel --settings`: when the arguments are exactly that, prints the settings of the running
// program's data folder (data_directory.h) on stdout and stderr and answers the exit code (1
// when the program folder cannot be found); none for any other arguments.
std::optional<int> PrintBridgeSettingsIfAsked(int argc, char** argv);

}  // namespace tavrel
