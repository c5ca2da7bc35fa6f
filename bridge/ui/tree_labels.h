// The labels of the main panel's tree.
#pragma once

#include <string>

namespace tavrel {

inline constexpr char kTreeRootLabel[] = "OPC SERVER列表";

// A server before its state is known: "%s:断开".
std::string ServerLabel(const std::string& name);
// A server with its state: "%s-在线" or "%s-断开".
std::string ServerStateLabel(const std::string& name, bool connected);
// A group: "%s[%s]" with its name and description.
std::string GroupLabel(const std::string& name, const std::string& desc);
// A server added in the panel: "源:%s_%s[%s]" with name, description and node.
std::string AddedServerLabel(const std::string& name, const std::string& desc,
                             const std::string& node);

}  // namespace tavrel
