#include "bridge/core/app_settings.h"

#include "common/decimal_text.h"
#include "common/markup_document.h"
#include "common/port_setting.h"

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

}  // namespace tavrel
