// The test launch of one server: its settings go to "temp.xml" in the program directory, as
// one "server" element with the project file's twelve attributes (no declaration, no "root",
// no groups), and the external test client "Vostic" beside it is started with the argument
// "Vostic". Nobody waits for the client; a missing client fails silently.
#pragma once

#include <string>

#include "maker/project/project_nodes.h"

namespace tavrel {

inline constexpr char kTestLaunchFileName[] = "temp.xml";
inline constexpr char kTestClientName[] = "Vostic";

void LaunchTestClient(const ServerNode& server, const std::string& programDirectory);

}  // namespace tavrel
