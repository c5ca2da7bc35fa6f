#include "common/listen_settings.h"

#include <arpa/inet.h>

#include "common/markup_document.h"

namespace tavrel {

ListenSettings ListenSettingsOf(MarkupDocument& config, std::vector<std::string>& notes) {
  ListenSettings settings;
  if (!config.FindElement("root") || !config.EnterElement() || !config.FindElement("listen")) {
    return settings;
  }
  for (auto [name, address] :
       {std::pair{"api", &settings.api}, std::pair{"http", &settings.http}}) {
    const std::string text = config.GetAttribute(name);
    if (text.empty()) continue;
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) == 1) {
      *address = text;
    } else {
      notes.push_back(std::string("listen: ") + name + "=\"" + text +
                      "\" is not an IPv4 address; using " + *address);
    }
  }
  return settings;
}

}  // namespace tavrel
