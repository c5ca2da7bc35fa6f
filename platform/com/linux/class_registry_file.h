// The registry file: classes and nodes declared beside the executables.
//
// A UTF-8 text file of sections and "key = value" lines; blank lines and lines starting with
// "#" or ";" are ignored, keys are compared without regard to case, values are trimmed.
//
//   [node plc-7]                 a node the registry knows
//   user = operator              the identity it demands of remote callers (optional;
//   domain = PLANT               domain and password may be left out)
//   password = secret
//
//   [class]                      a class
//   progid = Vendor.Server.1     required
//   clsid = {6E6170D4-...}       required, registry form
//   description = Demo server
//   category = {63D5F432-...}    repeatable: the OPC categories it implements
//   node = plc-7                 repeatable: the nodes it answers on (default: this computer;
//                                "localhost" names this computer, "*" every known node)
//   implementation = Builtin.1   the ProgID of the built-in class that serves it
//   user = ...                   optional identity, as for a node, taking precedence
//   anything-else = value        kept in the class's settings for its implementation
//
// A section with an error is left out as a whole and the error is reported with its line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/linux/class_registry.h"

namespace tavrel {

struct ClassRegistryFileContents {
  std::vector<ClassDescriptor> classes;
  std::vector<NodeDescriptor> nodes;
  std::vector<std::string> errors;  // "line 7: ..."
};

// Strings of the result are in the system code page.
ClassRegistryFileContents ParseClassRegistryFile(std::string_view utf8Text);

}  // namespace tavrel
