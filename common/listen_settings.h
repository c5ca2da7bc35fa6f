// ListenSettings: the addresses the bridge's TCP API and the manager's HTTP interface listen on,
// from an optional child element of config.xml's `root`:
//
//   <root port="21215" port_h="9527" ...><listen api="127.0.0.1" http="127.0.0.1"/></root>
//
// Without the element, and for an attribute left out or empty, each listens on every address
// of the machine (0.0.0.0), as the programs always did. A value that is not a numeric IPv4
// address is replaced by that default, and a line naming what was read and what is used is
// added to `notes` for the caller to log. Other attributes and later `listen` elements are
// ignored.
#pragma once

#include <string>
#include <vector>

namespace tavrel {

class MarkupDocument;

inline constexpr char kEveryAddress[] = "0.0.0.0";

struct ListenSettings {
  std::string api = kEveryAddress;
  std::string http = kEveryAddress;

  bool operator==(const ListenSettings&) const = default;
};

// The settings of the `root` of `config` positioned at its top; moves the document's positions.
ListenSettings ListenSettingsOf(MarkupDocument& config, std::vector<std::string>& notes);

}  // namespace tavrel
