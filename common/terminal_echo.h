// Telling a person at a terminal what the log says about a problem.
//
// The programs run headless and write their log files; a line that means the program cannot
// do its work (a port that cannot be opened, a project that is not there) is also shown on
// standard error when it is a terminal, so that whoever started the program by hand sees it
// at once. Under a service manager or a test, where standard error is not a terminal, nothing
// is written.
#pragma once

#include <string_view>

namespace tavrel {

// Writes "<program>: <text>" and a line feed to `fd` when `fd` is a terminal; `text` is GBK
// and is written as UTF-8 (on Windows, to a console, as UTF-16).
void EchoToTerminal(std::string_view program, std::string_view text, int fd = 2);

}  // namespace tavrel
