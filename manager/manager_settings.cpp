#include "manager/manager_settings.h"

#include <filesystem>

#include "common/decimal_text.h"
#include "common/markup_document.h"
#include "common/markup_file_problem.h"

namespace tavrel {

ManagerSettings LoadManagerSettings(const std::string& path) {
  MarkupDocument document(MarkupBuild::kFull);
  ManagerSettings settings;
  std::error_code ignored;
  if (!document.LoadFile(path)) {
    if (std::filesystem::exists(path, ignored)) {
      settings.notes.push_back("config.xml: " + MarkupFileProblem(path, document) +
                               "; the manager uses its defaults");
    }
    return settings;
  }
  if (!document.FindElement("root")) {
    settings.notes.push_back("config.xml: " + path +
                             " has no root element named root; the manager uses its defaults");
    return settings;
  }
  settings.watch = document.GetAttribute("watch");
  settings.sleep = ParseDecimal(document.GetAttribute("sleep"));
  const std::string port = document.GetAttribute("port_h");
  settings.httpPort = ParseDecimal(port);
  if (auto note = PortSettingNote("port_h", port, "the HTTP interface")) {
    settings.notes.push_back(std::move(*note));
  }
  document.LeaveElement();
  document.ResetMainPosition();
  settings.httpAddress = ListenSettingsOf(document, settings.notes).http;
  return settings;
}

void PrintManagerSettings(const std::string& programDirectory, std::FILE* out, std::FILE* err) {
  const ManagerSettings settings = LoadManagerSettings(programDirectory + "/" + kSettingsFileName);
  std::fprintf(out, "http_port=%d\nhttp_address=%s\nsleep=%d\n", settings.HttpPort(),
               settings.httpAddress.c_str(), settings.sleep);
  for (const std::string& note : settings.notes) std::fprintf(err, "%s\n", note.c_str());
}

}  // namespace tavrel
