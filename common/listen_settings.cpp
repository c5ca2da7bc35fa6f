#include "common/listen_settings.h"

#include <string_view>

#include "common/markup_document.h"

namespace tavrel {

namespace {

// True for an IPv4 address in dotted decimal form, as inet_pton reads it: four parts of 0 to
// 255, each of one to three digits without a leading zero.
bool IsIpv4Address(std::string_view text) {
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (!text.starts_with('.')) return false;
      text.remove_prefix(1);
    }
    std::size_t digits = 0;
    int value = 0;
    while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9') {
      value = value * 10 + (text[digits] - '0');
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text.front() == '0')) {
      return false;
    }
    text.remove_prefix(digits);
  }
  return text.empty();
}

}  // namespace

ListenSettings ListenSettingsOf(MarkupDocument& config, std::vector<std::string>& notes) {
  ListenSettings settings;
  if (!config.FindElement("root") || !config.EnterElement() || !config.FindElement("listen")) {
    return settings;
  }
  for (auto [name, address] :
       {std::pair{"api", &settings.api}, std::pair{"http", &settings.http}}) {
    const std::string text = config.GetAttribute(name);
    if (text.empty()) continue;
    if (IsIpv4Address(text)) {
      *address = text;
    } else {
      notes.push_back(std::string("listen: ") + name + "=\"" + text +
                      "\" is not an IPv4 address; using " + *address);
    }
  }
  return settings;
}

}  // namespace tavrel
