#include "bridge/metrics/metrics_settings.h"

#include <arpa/inet.h>

#include "common/decimal_text.h"
#include "common/markup_document.h"

namespace tavrel {

namespace {

std::optional<int> PortOf(const std::string& text) {
  const std::optional<int> port = WholeNumber<int>(text);
  if (!port || *port < 1 || *port > 65535) return std::nullopt;
  return port;
}

bool IsIpv4Address(const std::string& text) {
  in_addr address{};
  return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

}  // namespace

std::optional<MetricsSettings> MetricsSettingsOf(MarkupDocument& config,
                                                 std::vector<std::string>& problems) {
  if (!config.FindElement("root") || !config.EnterElement() || !config.FindElement("metrics")) {
    return std::nullopt;
  }
  MetricsSettings settings;
  if (const std::string port = config.GetAttribute("port"); !port.empty()) {
    if (const std::optional<int> number = PortOf(port)) {
      settings.port = *number;
    } else {
      problems.push_back("metrics: port \"" + port +
                         "\" is not a TCP port from 1 to 65535; using " +
                         std::to_string(settings.port));
    }
  }
  if (const std::string bind = config.GetAttribute("bind"); !bind.empty()) {
    if (IsIpv4Address(bind)) {
      settings.bind = bind;
    } else {
      problems.push_back("metrics: bind \"" + bind + "\" is not an IPv4 address; using " +
                         settings.bind);
    }
  }
  return settings;
}

}  // namespace tavrel
