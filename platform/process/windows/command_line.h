// The command line of a Windows program start.
#pragma once

#include <string>
#include <vector>

#include "common/wide_string.h"

namespace tavrel {

// The command line that starts `path` with `arguments`: each one quoted where it must be (empty,
// or holding a blank, a tab or a double quote), with double quotes and the backslashes before
// them escaped, so that the C runtime and CommandLineToArgvW take it back apart into exactly
// these texts. The texts are narrow, in the system code page.
WideString CommandLine(const std::string& path, const std::vector<std::string>& arguments);

}  // namespace tavrel
