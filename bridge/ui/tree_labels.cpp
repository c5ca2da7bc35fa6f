#include "bridge/ui/tree_labels.h"

namespace tavrel {

std::string ServerLabel(const std::string& name) { return name + ":断开"; }

std::string ServerStateLabel(const std::string& name, bool connected) {
  return name + (connected ? "-在线" : "-断开");
}

std::string GroupLabel(const std::string& name, const std::string& desc) {
  return name + "[" + desc + "]";
}

std::string AddedServerLabel(const std::string& name, const std::string& desc,
                             const std::string& node) {
  return "源:" + name + "_" + desc + "[" + node + "]";
}

}  // namespace tavrel
