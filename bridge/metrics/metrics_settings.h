// MetricsSettings: where the bridge serves its metrics, from an optional child element of
// config.xml's `root`:
//
//   <root port="21215" ...><metrics port="9121" bind="127.0.0.1"/></root>
//
// Without the element the bridge serves no metrics. An attribute left out or empty takes its
// default; the default address is loopback, so nothing is reachable from other machines unless
// the operator names another address. A bad value (a port outside 1..65535 or not a decimal, an
// address that is not a numeric IPv4 address: the HTTP server the endpoint uses is built
// without IPv6) is replaced by the default, and one line per bad value, naming what was read
// and what is used instead, is added to `problems` for the caller to log. Other attributes and
// later `metrics` elements are ignored.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavrel {

class MarkupDocument;

inline constexpr int kDefaultMetricsPort = 9121;
inline constexpr char kDefaultMetricsBind[] = "127.0.0.1";

struct MetricsSettings {
  int port = kDefaultMetricsPort;
  std::string bind = kDefaultMetricsBind;

  bool operator==(const MetricsSettings&) const = default;
};

// The settings of the `root` of `config` positioned at its top (settings_document.h); nothing
// when it has no `metrics` child. Moves the document's positions.
std::optional<MetricsSettings> MetricsSettingsOf(MarkupDocument& config,
                                                 std::vector<std::string>& problems);

}  // namespace tavrel
