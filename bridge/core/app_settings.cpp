#include "bridge/core/app_settings.h"

#include "common/decimal_text.h"
#include "common/markup_document.h"

namespace tavrel {

AppSettings AppSettingsOf(MarkupDocument& config) {
  AppSettings settings;
  if (!config.FindElement("root")) return settings;
  settings.port = ParseDecimal(config.GetAttribute("port"));
  settings.port_h = ParseDecimal(config.GetAttribute("port_h"));
  settings.programe_name = config.GetAttribute("programe_name");
  return settings;
}

}  // namespace tavrel
