#include "bridge/mqtt/mqtt_settings.h"

#include <string_view>

#include "common/code_page.h"
#include "common/decimal_text.h"
#include "common/markup_document.h"

namespace tavrel {

namespace {

constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;

std::string Note(std::string_view name, std::string_view given, std::string_view why,
                 std::string_view used) {
  return "MQTT: " + std::string(name) + "=\"" + std::string(given) + "\" " + std::string(why) +
         "; using " + std::string(used);
}

// Reads "mqtt://host[:port]" or "mqtts://host[:port]" into `settings`; false when `url` is
// neither.
bool ParseUrl(std::string_view url, MqttSettings& settings) {
  bool tls = false;
  if (url.starts_with("mqtts://")) {
    tls = true;
    url.remove_prefix(8);
  } else if (url.starts_with("mqtt://")) {
    url.remove_prefix(7);
  } else {
    return false;
  }
  if (url.ends_with('/')) url.remove_suffix(1);
  std::string_view host = url;
  std::string_view portText;
  if (url.starts_with('[')) {
    const std::size_t close = url.find(']');
    if (close == std::string_view::npos) return false;
    host = url.substr(1, close - 1);
    const std::string_view rest = url.substr(close + 1);
    if (!rest.empty() && !rest.starts_with(':')) return false;
    if (!rest.empty()) portText = rest.substr(1);
  } else if (const std::size_t colon = url.rfind(':'); colon != std::string_view::npos) {
    host = url.substr(0, colon);
    portText = url.substr(colon + 1);
  }
  if (host.empty() || host.find_first_of("/@ ") != std::string_view::npos) return false;
  int port = tls ? kTlsPort : kPlainPort;
  if (!portText.empty()) {
    const std::optional<int> given = WholeNumber<int>(portText);
    if (!given || *given < 1 || *given > 65535) return false;
    port = *given;
  }
  settings.host = std::string(host);
  settings.port = port;
  settings.tls = tls;
  return true;
}

// 1 or 0 for "1" or "0"; none otherwise.
std::optional<bool> ParseFlag(std::string_view text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

std::string_view FlagText(bool flag) { return flag ? "1" : "0"; }

}  // namespace

MqttSettingsReading MqttSettingsOf(MarkupDocument& config) {
  MqttSettingsReading reading;
  if (!config.FindElement("root") || !config.EnterElement() || !config.FindElement("mqtt")) {
    return reading;
  }
  MqttSettings settings;
  const auto read = [&config](std::string_view name) { return config.GetAttribute(name); };

  if (const std::string url = read("url"); !url.empty()) {
    if (ParseUrl(url, settings)) {
      settings.url = url;
    } else {
      reading.notes.push_back(
          Note("url", url, "is not mqtt://host[:port] or mqtts://host[:port]", settings.url));
    }
  }
  settings.clientId = AnsiToUtf8(read("client_id"));
  settings.user = AnsiToUtf8(read("user"));
  settings.password = AnsiToUtf8(read("password"));
  settings.ca = read("ca");

  const MqttSettings defaults;
  if (const std::string format = read("format"); format == "sparkplugb") {
    settings.format = MqttFormat::kSparkplugB;
  } else if (!format.empty() && format != "json") {
    reading.notes.push_back(Note("format", format, "is not json or sparkplugb", "json"));
  }
  if (const std::string topic = read("topic"); !topic.empty()) {
    const bool sparkplug = settings.format == MqttFormat::kSparkplugB;
    if (topic.find_first_of(sparkplug ? "+#/" : "+#") != std::string::npos) {
      reading.notes.push_back(Note("topic", topic,
                                   sparkplug ? "holds '+', '#' or '/', which a Sparkplug group id "
                                               "cannot"
                                             : "holds '+' or '#', which a topic cannot",
                                   defaults.topic));
    } else {
      settings.topic = AnsiToUtf8(topic);
    }
  }
  if (const std::string qos = read("qos"); !qos.empty()) {
    if (qos == "0" || qos == "1" || qos == "2") {
      settings.qos = qos[0] - '0';
    } else {
      reading.notes.push_back(Note("qos", qos, "is not 0, 1 or 2", "0"));
    }
  }
  const auto readFlag = [&](std::string_view name, bool& flag) {
    const std::string text = read(name);
    if (text.empty()) return;
    if (const std::optional<bool> value = ParseFlag(text)) {
      flag = *value;
    } else {
      reading.notes.push_back(Note(name, text, "is not 1 or 0", FlagText(flag)));
    }
  };
  readFlag("retain", settings.retain);
  readFlag("writes", settings.writes);
  readFlag("every", settings.every);
  reading.settings = std::move(settings);
  return reading;
}

}  // namespace tavrel
