#include <unistd.h>

#include <string>

#include "common/code_page.h"
#include "common/terminal_echo.h"

namespace tavrel {

void EchoToTerminal(std::string_view program, std::string_view text, int fd) {
  if (isatty(fd) != 1) return;
  std::string line(program);
  line += ": ";
  line += AnsiToUtf8(text);
  line += '\n';
  // A terminal that cannot take the line loses it; the log file has it.
  (void)!::write(fd, line.data(), line.size());
}

}  // namespace tavrel
