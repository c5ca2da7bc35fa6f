// MqttSettings: where and how the bridge publishes its values to an MQTT broker, from the
// optional `mqtt` child of config.xml's `root`:
//
//   <mqtt url="mqtt://127.0.0.1:1883" client_id="" user="" password="" ca="" topic="tavrel"
//         format="json" qos="0" retain="1" writes="0" every="0"/>
//
// Without the element the bridge publishes nothing and opens no connection. Each attribute that
// is missing or empty takes the default shown; one that is present with a value we cannot use
// takes the default too, and the reading says so in a note ("what was given; what is used"),
// which the bridge logs once at start.
//
//   url        mqtt://host[:port] (port 1883) or mqtts://host[:port] (TLS, port 8883); an IPv6
//              host in brackets
//   client_id  the MQTT client id; empty: the library makes a random one
//   user, password   credentials for the broker; the password only with a user
//   ca         with mqtts://, the file of the certificate authorities the broker's certificate
//              must chain to; empty: the system's authorities
//   topic      JSON: the first level of every topic; Sparkplug B: the group id (one topic level,
//              so no '/'); never '+' or '#'
//   format     "json" or "sparkplugb"
//   qos        0, 1 or 2, for the values of the JSON format (Sparkplug data is QoS 0)
//   retain     1 or 0: JSON value messages retained (Sparkplug births are never retained)
//   writes     1 or 0: accept writes from the broker
//   every      1 or 0: JSON publishes every value the bridge applies, or (0) only a value whose
//              value, quality or source time changed (report by exception)
//
// Texts are read in the system code page and kept as UTF-8, the encoding of MQTT's strings.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavrel {

class MarkupDocument;

enum class MqttFormat { kJson, kSparkplugB };

struct MqttSettings {
  std::string url = "mqtt://127.0.0.1:1883";  // as used, for the log
  std::string host = "127.0.0.1";
  int port = 1883;
  bool tls = false;
  std::string clientId;
  std::string user;
  std::string password;
  std::string ca;
  std::string topic = "tavrel";
  MqttFormat format = MqttFormat::kJson;
  int qos = 0;
  bool retain = true;
  bool writes = false;
  bool every = false;
};

struct MqttSettingsReading {
  std::optional<MqttSettings> settings;  // none: no `mqtt` element
  std::vector<std::string> notes;        // one line per value that was replaced
};

// Reads the `mqtt` element of `config` positioned at its top (settings_document.h); moves its
// positions.
MqttSettingsReading MqttSettingsOf(MarkupDocument& config);

}  // namespace tavrel
