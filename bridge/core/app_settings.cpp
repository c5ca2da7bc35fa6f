#include "bridge/core/app_settings.h"

#include "common/decimal_text.h"
#include "common/markup_document.h"

AppSettings ReadAppSettings(const std::string& path) {
  AppSettings settings;
  MarkupDocument document(MarkupBuild::kBridge);
  if (!document.LoadFile(path) || !document.FindElement("root")) return settings;
  settings.port = ParseDecimal(document.GetAttribute("port"));
  settings.port_h = ParseDecimal(document.GetAttribute("port_h"));
  settings.programe_name = document.GetAttribute("programe_name");
  return settings;
}
