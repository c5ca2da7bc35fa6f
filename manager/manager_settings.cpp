#include "manager/manager_settings.h"

#include "common/decimal_text.h"
#include "common/markup_document.h"

namespace tavrel {

ManagerSettings LoadManagerSettings(const std::string& path) {
  MarkupDocument document(MarkupBuild::kFull);
  if (!document.LoadFile(path) || !document.FindElement("root")) return {};
  ManagerSettings settings;
  settings.watch = document.GetAttribute("watch");
  settings.sleep = ParseDecimal(document.GetAttribute("sleep"));
  settings.httpPort = ParseDecimal(document.GetAttribute("port_h"));
  document.LeaveElement();
  document.ResetMainPosition();
  settings.httpAddress = ListenSettingsOf(document, settings.notes).http;
  return settings;
}

}  // namespace tavrel
