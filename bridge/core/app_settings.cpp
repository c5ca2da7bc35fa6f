#include "bridge/core/app_settings.h"

#include <string>
#include <string_view>
#include <vector>

#include "bridge/core/settings_document.h"
#include "common/data_directory.h"
#include "common/decimal_text.h"
#include "common/listen_settings.h"
#include "common/markup_document.h"
#include "common/port_setting.h"
#include "common/program_directory.h"

namespace tavrel {

AppSettings AppSettingsOf(MarkupDocument& config) {
  AppSettings settings;
  if (!config.FindElement("root")) return settings;
  const std::string port = config.GetAttribute("port");
  settings.port = ParseDecimal(port);
  settings.portNote = PortSettingNote("port", port, "the API");
  settings.port_h = ParseDecimal(config.GetAttribute("port_h"));
  settings.programe_name = config.GetAttribute("programe_name");
  return settings;
}

void PrintBridgeSettings(const std::string& programDirectory, std::FILE* out, std::FILE* err) {
  SettingsDocument config(programDirectory + "/" + kSettingsFileName);
  const AppSettings settings = AppSettingsOf(config.FromTop());
  std::vector<std::string> listenNotes;
  const ListenSettings addresses = ListenSettingsOf(config.FromTop(), listenNotes);
  std::fprintf(out, "api_port=%d\napi_address=%s\n", ListeningPortOf(settings.port),
               addresses.api.c_str());
  if (!config.Problem().empty()) std::fprintf(err, "config.xml: %s\n", config.Problem().c_str());
  if (settings.portNote) std::fprintf(err, "%s\n", settings.portNote->c_str());
  for (const std::string& note : listenNotes) std::fprintf(err, "%s\n", note.c_str());
}

std::optional<int> PrintBridgeSettingsIfAsked(int argc, char** argv) {
  if (argc != 2 || std::string_view(argv[1]) != "--settings") return std::nullopt;
  const std::optional<std::string> programDirectory = ProgramDirectory();
  if (!programDirectory) return 1;
  PrintBridgeSettings(DataDirectory(*programDirectory), stdout, stderr);
  return 0;
}

}  // namespace tavrel
